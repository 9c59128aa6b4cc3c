# Compiler and linker settings of the product code.
#
# Setup.exe must stay small and must not need any DLL beyond the system's own:
# no exceptions, no RTTI, no MinGW printf (its ANSI stdio pulls in a large
# formatter), one section per function so the linker drops what is unused,
# the C++ and GCC runtimes linked statically. Link-time optimisation of the
# product code and no frame pointers take a further tenth off the code.
# bench/run-bench.py measures the result.

option(SETUP_SANITIZE "Build the native code with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(SETUP_FUZZ "Build the native fuzz targets (clang only)" OFF)

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

if(WIN32)
    set(CMAKE_C_FLAGS_RELEASE "-Os")
    set(CMAKE_CXX_FLAGS_RELEASE "-Os")
    # Sources are recorded relative to the tree (logged file names, no build
    # machine paths in the binary).
    add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
    add_compile_definitions(__USE_MINGW_ANSI_STDIO=0 WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 WINVER=0x0501)
    add_link_options(-static -static-libgcc -static-libstdc++)
    # Needs the compiler's ar wrapper, which CMake finds for it.
    include(CheckIPOSupported)
    check_ipo_supported(RESULT SETUP_LTO OUTPUT SETUP_LTO_ERROR LANGUAGES C CXX)
    if(NOT SETUP_LTO)
        message(STATUS "No link-time optimisation: ${SETUP_LTO_ERROR}")
    endif()
else()
    # The release's native discplan records no source folder either.
    add_compile_options($<$<CONFIG:Release>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>)
endif()

if(SETUP_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# Flags of the code that ships in Setup.exe (not of the test programs).
# Programs that link the product libraries take part in their link-time
# optimisation whatever their own flags.
function(setup_product_flags target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror
        $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>
        -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables)
    if(WIN32)
        # MinGW keeps the frame pointer by default; Windows needs none.
        target_compile_options(${target} PRIVATE -fomit-frame-pointer)
        # Allocations fail with a null result here, never with an exception
        # (runtime/Heap.cpp), and callers test for it. Without -fcheck-new GCC
        # takes a plain operator new to never return null: it drops the
        # caller's test and runs the constructor on the null pointer. The
        # link-time optimisation goes by the link's flags, so every program
        # that links this code takes the flag to its link as well.
        target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fcheck-new>)
        target_link_options(${target} PUBLIC -fcheck-new)
        # The x86 build runs on every processor of the Windows versions it
        # serves, down to Windows 95's 386: the toolchain's default
        # (pentiumpro) uses cmov, at which a 486 or a Pentium stops with an
        # illegal instruction. The 386's code is as large as the 486's. The
        # options travel with the intermediate code into the link-time
        # optimisation.
        if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
            target_compile_options(${target} PRIVATE -march=i386 -mtune=generic)
        endif()
        if(SETUP_LTO)
            set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
        endif()
    endif()
endfunction()

# The PE time stamp of a Windows program of the release is
# SETUP_SOURCE_DATE_EPOCH or none, never the build clock: the linker writes
# the clock unless told.
function(setup_pe_time_stamp target)
    if(SETUP_SOURCE_DATE_EPOCH)
        set_property(TARGET ${target} PROPERTY CXX_LINKER_LAUNCHER
            ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${SETUP_SOURCE_DATE_EPOCH})
    else()
        target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp)
    endif()
endfunction()

# Link settings of Setup.exe and of its test builds. Release builds are
# stripped (cmake/Release.cmake strips them itself when it keeps the symbols).
# Terminal Server aware: on a terminal server in application mode an unmarked
# program may be given a private per-user Windows folder, and the log would go
# there.
function(setup_product_link target)
    target_link_options(${target} PRIVATE -Wl,--gc-sections -Wl,--tsaware
        $<$<AND:$<CONFIG:Release>,$<NOT:$<BOOL:${SETUP_DEBUG_SYMBOLS}>>>:-s>)
    setup_pe_time_stamp(${target})
endfunction()

# Setup.exe and the benchmark's null launcher link without the C runtime and
# its start-up objects: runtime/ gives the entry point, the heap and the few
# memory functions, the system's own DLLs the rest. libgcc stays for the stack
# probe and the 64-bit division helpers of the 32-bit build (runtime/ hands
# them to the linker as objects).
function(setup_no_runtime_link target)
    target_link_options(${target} PRIVATE -nostdlib -nostartfiles)
    target_link_libraries(${target} PRIVATE setup_runtime setup_pure
        kernel32 user32 advapi32 shell32 shlwapi gcc)
endfunction()
