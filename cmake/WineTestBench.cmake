# Wine test bench: decides whether the Windows tests can run on this machine
# and provides the helpers that register them.
#
# Only 64-bit Windows programs run here (the kernel of these machines cannot
# run 32-bit code), so the x86 build registers only the tests that read its
# files without running them.

set(SETUP_WINE /usr/lib/wine/wine64 CACHE FILEPATH "The wine64 loader")
set(SETUP_BENCH_DIR ${CMAKE_BINARY_DIR}/wine)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64" AND EXISTS ${SETUP_WINE})
    set(SETUP_CAN_RUN ON)
else()
    set(SETUP_CAN_RUN OFF)
endif()

# Every test program started by CTest goes through the bench's runner.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh ${SETUP_BENCH_DIR})

if(SETUP_CAN_RUN)
    add_test(NAME bench_setup COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-bench.sh setup ${SETUP_BENCH_DIR})
    add_test(NAME bench_teardown COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-bench.sh teardown ${SETUP_BENCH_DIR})
    set_tests_properties(bench_setup PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(bench_teardown PROPERTIES FIXTURES_CLEANUP wine)
endif()

# setup_wine_test(<name> [RESOURCE_LOCK]): runs an already defined test
# program under Wine, in its own working folder.
function(setup_wine_test name)
    if(NOT SETUP_CAN_RUN)
        return()
    endif()
    set(workdir ${CMAKE_CURRENT_BINARY_DIR}/${name}.work)
    file(MAKE_DIRECTORY ${workdir})
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${workdir})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
endfunction()

# setup_unit_test(<name> <sources...>): a GoogleTest program over the core
# library, run under Wine.
function(setup_unit_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE setup_core gtest)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    setup_wine_test(${name})
endfunction()
