# Helpers to declare tests, one CTest entry per test executable.
#
#   qz_unit_test(NAME name SOURCES ... LIBS ...)   native GoogleTest, TZ=Europe/Berlin
#   qz_wine_test(NAME name SOURCES ... LIBS ...)   GoogleTest cross-built, run under Wine
#
# Native tests are built only in the native preset, Wine tests only in the
# windows preset; each call is a no-op in the other build.

if(WIN32)
    # Debian's googletest sources, cross-built with the program's own flags.
    if(NOT TARGET gtest)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
        set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
        add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
        foreach(t gtest gtest_main gmock gmock_main)
            if(TARGET ${t})
                target_compile_options(${t} PRIVATE -w)
            endif()
        endforeach()
    endif()
else()
    find_package(GTest REQUIRED)
endif()

function(qz_unit_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    if(WIN32)
        return()
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "TZ=Europe/Berlin" TIMEOUT 300)
endfunction()

function(qz_wine_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT WIN32)
        return()
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 600)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest gmock gtest_main)
    # Console subsystem, so that GoogleTest's output reaches CTest.
    target_link_options(${T_NAME} PRIVATE -mconsole)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
