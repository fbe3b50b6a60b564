# Warnings as errors on our own code only; third-party headers come in as system includes.
function(zeb_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()

# A library of the core: sources, warnings, the src/ include root, and membership of zeb_core.
function(zeb_core_library name)
    add_library(${name} STATIC ${ARGN})
    zeb_warnings(${name})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(zeb_core INTERFACE ${name})
endfunction()

# A GoogleTest executable registered with CTest. Tests are listed when ctest runs, not at
# build time, so sanitizer builds and missing displays never break the build.
# Usage: zeb_test(name sources... [LABELS label...])
function(zeb_test name)
    cmake_parse_arguments(PARSE_ARGV 1 ZEB_TEST "" "" "LABELS")
    add_executable(${name} ${ZEB_TEST_UNPARSED_ARGUMENTS})
    zeb_warnings(${name})
    target_link_libraries(${name} PRIVATE GTest::gmock_main)
    set(properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    if(ZEB_TEST_LABELS)
        list(APPEND properties LABELS "${ZEB_TEST_LABELS}")
    endif()
    include(GoogleTest)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${properties})
endfunction()
