# SPDX-License-Identifier: GPL-3.0-or-later
# Unit tests run on the host (native preset); Windows tests run under Wine (win64 preset).
# The win32 preset builds the deliverables only: this kernel cannot run 32-bit programs.
enable_testing()

set(TAVREL_RUN_WINDOWS_TESTS OFF)
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TAVREL_RUN_WINDOWS_TESTS ON)
endif()

if(NOT WIN32)
    find_package(GTest REQUIRED)
    find_package(benchmark QUIET)
elseif(TAVREL_RUN_WINDOWS_TESTS)
    # Debian ships the GoogleTest sources; build them with the cross compiler.
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Newer GoogleTest releases define these aliases themselves.
    if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
endif()

# tavrel_add_test(<name> SOURCES ... LIBS ... [NATIVE] [WINDOWS])
# NATIVE: built and run on the host. WINDOWS: built and run under Wine in the win64 preset.
function(tavrel_add_test name)
    cmake_parse_arguments(T "NATIVE;WINDOWS" "" "SOURCES;LIBS" ${ARGN})
    if(T_NATIVE AND NOT WIN32)
        set(build ON)
    elseif(T_WINDOWS AND TAVREL_RUN_WINDOWS_TESTS)
        set(build ON)
    else()
        return()
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name})
    if(WIN32)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "WINEDEBUG=-all")
    endif()
endfunction()

# tavrel_add_benchmark(<name> SOURCES ... LIBS ...): host only; never part of the test run.
function(tavrel_add_benchmark name)
    cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
    if(WIN32 OR NOT benchmark_FOUND)
        return()
    endif()
    add_executable(${name} ${B_SOURCES})
    target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()

# tavrel_add_scenarios(<name prefix> SCRIPT <file.py> LABEL <label> TIMEOUT <s> [CLASS <Class>]
#                      [ENVIRONMENT <var=value>] [ARGS ...] SCENARIOS <name or Class.test_name> ...)
# One test per scenario of an end-to-end script, each a fresh run: named <prefix><name>, run
# as "python3 SCRIPT ARGS Class.test_name", skipped when the script exits with 77.
function(tavrel_add_scenarios prefix)
    cmake_parse_arguments(S "" "SCRIPT;LABEL;TIMEOUT;CLASS;ENVIRONMENT" "ARGS;SCENARIOS" ${ARGN})
    foreach(scenario ${S_SCENARIOS})
        if(scenario MATCHES "\\.test_")
            set(selected ${scenario})
            string(REGEX REPLACE ".*\\.test_" "" name ${scenario})
        else()
            set(selected ${S_CLASS}.test_${scenario})
            set(name ${scenario})
        endif()
        add_test(NAME ${prefix}${name}
            COMMAND ${Python3_EXECUTABLE} ${S_SCRIPT} ${S_ARGS} ${selected})
        set_tests_properties(${prefix}${name} PROPERTIES
            TIMEOUT ${S_TIMEOUT} SKIP_RETURN_CODE 77 LABELS ${S_LABEL})
        if(S_ENVIRONMENT)
            set_tests_properties(${prefix}${name} PROPERTIES ENVIRONMENT "${S_ENVIRONMENT}")
        endif()
    endforeach()
endfunction()
