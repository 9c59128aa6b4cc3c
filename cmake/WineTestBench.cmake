# Wine test bench: decides on which systems the Windows tests of this build
# run, and provides the helpers that register them.
#
# Each system is a private Wine prefix with its own X server, set up and torn
# down by CTest fixtures, and the Wine loader that starts the build's programs:
# - x64 build: "win64", a 64-bit prefix (tests keep their plain names);
# - x86 build: "win32", a 32-bit prefix (32-bit Windows), and "wow64", a
#   64-bit prefix in which the 32-bit programs run under WoW64 (64-bit
#   Windows, where most users start the disc). Their tests carry the system's
#   name as a suffix (e2e_test_spine_wow64).
# A system this machine cannot run (no Wine, no 32-bit code) keeps its tests,
# each reported as skipped with the reason.

set(SETUP_WINE /usr/lib/wine/wine64 CACHE FILEPATH "Wine's 64-bit loader")
set(SETUP_WINE32 /usr/lib/wine/wine CACHE FILEPATH "Wine's 32-bit loader")
set(SETUP_PROBE32_PROGRAM "" CACHE FILEPATH "A program to try instead of the 32-bit probe's own (tests of the skip)")
file(REMOVE ${CMAKE_BINARY_DIR}/wine-skipped.txt)

# Per system: SETUP_BENCH_<system> (bench folder, loader [, win32] as
# wine-bench.sh setup takes them), SETUP_SUFFIX_<system> (of its test names),
# SETUP_SKIP_<system> (why it cannot run here, or empty).
set(SETUP_CAN_RUN OFF)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(SETUP_SYSTEMS win64)
    set(SETUP_UNIT_SYSTEMS win64)
    set(SETUP_BENCH_win64 ${CMAKE_BINARY_DIR}/wine ${SETUP_WINE})
    set(SETUP_SUFFIX_win64 "")
    if(CMAKE_HOST_SYSTEM_PROCESSOR STREQUAL "x86_64" AND EXISTS ${SETUP_WINE})
        set(SETUP_CAN_RUN ON)
    endif()
else()
    set(SETUP_SYSTEMS win32 wow64)
    set(SETUP_UNIT_SYSTEMS win32)
    set(SETUP_BENCH_win32 ${CMAKE_BINARY_DIR}/wine32 ${SETUP_WINE32} win32)
    set(SETUP_BENCH_wow64 ${CMAKE_BINARY_DIR}/wow64 ${SETUP_WINE32})
    set(SETUP_SUFFIX_win32 _win32)
    set(SETUP_SUFFIX_wow64 _wow64)
    if(CMAKE_HOST_SYSTEM_PROCESSOR STREQUAL "x86_64")
        set(SETUP_CAN_RUN ON)
    endif()
    # The 32-bit probe: a program of a few bytes built for the i386. When the
    # kernel cannot start it, no x86 Wine test can run (Debian's Wine runs
    # 32-bit Windows programs only through its 32-bit loader).
    if(SETUP_CAN_RUN)
        execute_process(COMMAND ${CMAKE_SOURCE_DIR}/cmake/probe-32bit.sh ${SETUP_PROBE32_PROGRAM} RESULT_VARIABLE nProbe
                        OUTPUT_QUIET ERROR_VARIABLE szProbeError TIMEOUT 30)
        string(STRIP "${szProbeError}" szProbeError)
    endif()
    if(SETUP_CAN_RUN AND NOT nProbe EQUAL 0)
        set(SETUP_SKIP_REASON "this machine cannot run 32-bit programs (${szProbeError})")
    elseif(SETUP_CAN_RUN AND NOT EXISTS ${SETUP_WINE32})
        set(SETUP_SKIP_REASON "Wine's 32-bit loader ${SETUP_WINE32} is missing (Debian package wine32:i386)")
    elseif(SETUP_CAN_RUN)
        execute_process(COMMAND ${SETUP_WINE32} --version RESULT_VARIABLE nProbe
                        OUTPUT_QUIET ERROR_VARIABLE szProbeError TIMEOUT 30)
        if(NOT nProbe EQUAL 0)
            string(REGEX REPLACE "[\r\n]+" " " szProbeError "${nProbe} ${szProbeError}")
            string(STRIP "${szProbeError}" szProbeError)
            set(SETUP_SKIP_REASON "Wine's 32-bit loader does not start (${SETUP_WINE32} --version: ${szProbeError})")
        endif()
    endif()
    if(SETUP_CAN_RUN AND NOT SETUP_SKIP_REASON AND NOT EXISTS ${SETUP_WINE})
        # WoW64 needs the 64-bit prefix, made by the 64-bit loader.
        set(SETUP_SKIP_wow64 "Wine's 64-bit loader ${SETUP_WINE} is missing (Debian package wine64)")
    endif()
    if(SETUP_SKIP_REASON)
        set(SETUP_SKIP_win32 "${SETUP_SKIP_REASON}")
        set(SETUP_SKIP_wow64 "${SETUP_SKIP_REASON}")
        message(STATUS "x86 Wine tests skipped: ${SETUP_SKIP_REASON}")
        file(WRITE ${CMAKE_BINARY_DIR}/wine-skipped.txt "x86 Wine tests skipped: ${SETUP_SKIP_REASON}\n")
    endif()
endif()

# The default system's runner serves any test program that names no other.
list(GET SETUP_SYSTEMS 0 szDefaultSystem)
list(GET SETUP_BENCH_${szDefaultSystem} 0 SETUP_BENCH_DIR)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh ${SETUP_BENCH_DIR})

# The 64-bit system is set up, and its tests run, with Debian's Wine wrappers
# made to fail as on a machine that cannot run 32-bit programs: nothing
# 64-bit may depend on which loader a wrapper picks.
set(SETUP_WITHOUT32_win64 ${CMAKE_BINARY_DIR}/without32)
foreach(system IN LISTS SETUP_SYSTEMS)
    if(NOT SETUP_CAN_RUN OR SETUP_SKIP_${system})
        continue()
    endif()
    set(setup bench_setup${SETUP_SUFFIX_${system}})
    set(teardown bench_teardown${SETUP_SUFFIX_${system}})
    set(bench ${CMAKE_SOURCE_DIR}/cmake/wine-bench.sh setup ${SETUP_BENCH_${system}})
    if(SETUP_WITHOUT32_${system})
        add_test(NAME ${setup} COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-without32.sh ${SETUP_WITHOUT32_${system}} ${bench})
    else()
        add_test(NAME ${setup} COMMAND ${bench})
    endif()
    list(GET SETUP_BENCH_${system} 0 dir)
    add_test(NAME ${teardown} COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-bench.sh teardown ${dir})
    set_tests_properties(${setup} PROPERTIES FIXTURES_SETUP wine${SETUP_SUFFIX_${system}})
    set_tests_properties(${teardown} PROPERTIES FIXTURES_CLEANUP wine${SETUP_SUFFIX_${system}})
endforeach()

# setup_bench_test(<system> <name> <command...>): registers <name> plus the
# system's suffix, run in that system's prefix with the fixture set up, or as
# a skip that gives the reason; sets TEST_NAME, BENCH_DIR and E2E_LOCK (the
# lock of the tests that must not overlap in this prefix) in the caller.
function(setup_bench_test system name)
    set(test ${name}${SETUP_SUFFIX_${system}})
    list(GET SETUP_BENCH_${system} 0 dir)
    if(SETUP_SKIP_${system})
        add_test(NAME ${test} COMMAND ${CMAKE_COMMAND} -E echo "Skipped: ${SETUP_SKIP_${system}}")
        set_tests_properties(${test} PROPERTIES SKIP_REGULAR_EXPRESSION "Skipped: ")
    else()
        add_test(NAME ${test} COMMAND ${ARGN})
        set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine${SETUP_SUFFIX_${system}})
        if(SETUP_WITHOUT32_${system})
            set_tests_properties(${test} PROPERTIES
                ENVIRONMENT_MODIFICATION "PATH=path_list_prepend:${SETUP_WITHOUT32_${system}}/bin")
        endif()
    endif()
    set(TEST_NAME ${test} PARENT_SCOPE)
    set(BENCH_DIR ${dir} PARENT_SCOPE)
    set(E2E_LOCK wine_e2e${SETUP_SUFFIX_${system}} PARENT_SCOPE)
endfunction()

# setup_wine_test(<name>): runs an already defined test program under Wine on
# each system of the unit tests, in its own working folder.
function(setup_wine_test name)
    if(NOT SETUP_CAN_RUN)
        return()
    endif()
    foreach(system IN LISTS SETUP_UNIT_SYSTEMS)
        list(GET SETUP_BENCH_${system} 0 dir)
        set(workdir ${CMAKE_CURRENT_BINARY_DIR}/${name}${SETUP_SUFFIX_${system}}.work)
        file(MAKE_DIRECTORY ${workdir})
        setup_bench_test(${system} ${name} ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh ${dir} $<TARGET_FILE:${name}>)
        set_tests_properties(${TEST_NAME} PROPERTIES WORKING_DIRECTORY ${workdir} TIMEOUT 300)
    endforeach()
endfunction()

# setup_e2e_lock(<name>): a unit program that must not overlap the
# end-to-end scenarios of its prefix.
function(setup_e2e_lock name)
    foreach(system IN LISTS SETUP_UNIT_SYSTEMS)
        if(SETUP_CAN_RUN)
            set_tests_properties(${name}${SETUP_SUFFIX_${system}} PROPERTIES RESOURCE_LOCK wine_e2e${SETUP_SUFFIX_${system}})
        endif()
    endforeach()
endfunction()

# setup_unit_test(<name> <sources...>): a GoogleTest program over the core
# library, run under Wine.
function(setup_unit_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE setup_core gtest)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    setup_wine_test(${name})
endfunction()
