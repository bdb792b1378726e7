# Test helpers shared by every tests/ folder.
#
# velloran_test(NAME SOURCES ... LIBS ... [TIMEOUT s] [WIN32_ONLY] [DESKTOP])
#   A GoogleTest executable registered as one ctest test. In the cross build ctest runs it under Wine
#   through CMAKE_CROSSCOMPILING_EMULATOR. Not built in the fuzz configuration. DESKTOP: the test shows
#   windows, so it never runs beside another such test (focus and foreground are shared).
# velloran_fuzz(NAME SOURCES ... LIBS ... [SECONDS s])
#   A libFuzzer target, built only in the fuzz configuration, run by ctest for a few seconds.

if(NOT VELLORAN_FUZZ)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

function(velloran_test name)
    cmake_parse_arguments(T "WIN32_ONLY;DESKTOP" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(VELLORAN_FUZZ OR (T_WIN32_ONLY AND NOT WIN32))
        return()
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_DESKTOP)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
    endif()
endfunction()

function(velloran_fuzz name)
    cmake_parse_arguments(F "" "SECONDS" "SOURCES;LIBS" ${ARGN})
    if(NOT VELLORAN_FUZZ)
        return()
    endif()
    if(NOT F_SECONDS)
        set(F_SECONDS 5)
    endif()
    add_executable(${name} ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    # Starts from the kept corpus; what the short run finds goes to the build tree, not the sources.
    set(found ${CMAKE_CURRENT_BINARY_DIR}/${name}-found)
    file(MAKE_DIRECTORY ${found})
    add_test(NAME ${name} COMMAND ${name} -max_total_time=${F_SECONDS} -rss_limit_mb=2048 -print_final_stats=1
             ${found} ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${name})
    math(EXPR limit "${F_SECONDS} + 60")
    set_tests_properties(${name} PROPERTIES TIMEOUT ${limit})
endfunction()
