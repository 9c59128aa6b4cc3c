# What a release build adds to Setup.exe: its debug symbols in a file of their
# own, and an Authenticode signature. cmake/release.sh turns both on; a plain
# build has neither and needs no signing tool.
#
# The file itself comes out the same from every build of one commit: the PE
# time stamp is SOURCE_DATE_EPOCH or none (setup_product_link), and no build
# folder is recorded in it or in its symbols.

option(SETUP_DEBUG_SYMBOLS "Link Setup.exe with debug information, keep it in Setup.exe.debug and strip the program" OFF)
set(SETUP_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}" CACHE STRING
    "PE time stamp of the programs (seconds since 1970); empty: none")
set(SETUP_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file with the code-signing certificate and key; empty: no signature")
set(SETUP_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File whose first line is the PKCS#12 password")
set(SETUP_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server; empty: no counter-signature")

if(SETUP_SOURCE_DATE_EPOCH AND NOT SETUP_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SETUP_SOURCE_DATE_EPOCH is not a number of seconds: ${SETUP_SOURCE_DATE_EPOCH}")
endif()

if(SETUP_DEBUG_SYMBOLS)
    string(APPEND CMAKE_C_FLAGS " -g")
    string(APPEND CMAKE_CXX_FLAGS " -g")
    # With link-time optimisation the product code is compiled at the link,
    # which needs the same care: its debug information would record the
    # build folder, and with -g GCC would add 4 KiB of unwind tables to the
    # program. So told, the program's code and data are those of a build
    # without -g.
    add_compile_options(-fdebug-prefix-map=${CMAKE_BINARY_DIR}=.)
    add_link_options(-fdebug-prefix-map=${CMAKE_BINARY_DIR}=. -fno-asynchronous-unwind-tables)
endif()

if(SETUP_SIGN_PKCS12)
    if(NOT SETUP_SIGN_PASSWORD_FILE)
        message(FATAL_ERROR "SETUP_SIGN_PKCS12 needs SETUP_SIGN_PASSWORD_FILE (an empty file for no password)")
    endif()
    foreach(file SETUP_SIGN_PKCS12 SETUP_SIGN_PASSWORD_FILE)
        if(NOT EXISTS "${${file}}")
            message(FATAL_ERROR "${file}: no such file: ${${file}}")
        endif()
    endforeach()
    find_program(SETUP_OSSLSIGNCODE osslsigncode REQUIRED)
endif()

# setup_release_steps(<target>): after each link of the program, splits off
# its debug symbols and signs it, as configured. The signature comes last:
# any later change to the file would break it.
function(setup_release_steps target)
    set(file $<TARGET_FILE:${target}>)
    if(SETUP_DEBUG_SYMBOLS)
        # objcopy and strip write the PE time stamp anew: the build clock
        # unless SOURCE_DATE_EPOCH says otherwise (0: none, as linked).
        set(epoch ${SETUP_SOURCE_DATE_EPOCH})
        if(NOT epoch)
            set(epoch 0)
        endif()
        set(tool ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch})
        # The debug link names Setup.exe.debug and holds its checksum.
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${tool} ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
            COMMAND ${tool} ${CMAKE_STRIP} --strip-all ${file}
            COMMAND ${tool} ${CMAKE_OBJCOPY} --add-gnu-debuglink=${file}.debug ${file}
            VERBATIM)
    endif()
    if(SETUP_SIGN_PKCS12)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/sign.sh ${SETUP_OSSLSIGNCODE} ${file} ${SETUP_SIGN_PKCS12}
                ${SETUP_SIGN_PASSWORD_FILE} ${SETUP_SIGN_TIMESTAMP_URL}
            VERBATIM)
    endif()
endfunction()
