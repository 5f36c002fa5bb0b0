# GoogleTest for the Windows test programs, built from the sources the
# distribution ships (Debian's googletest package, which the host build's
# libgtest-dev depends on) with the same compiler and options as the programs.
# A static library under the name the host build finds (GTest::gtest), so
# a test program reads and links the same on both sides. Only the test
# programs link it; the product never does.

# ordavi_wine_test(NAME SOURCES...): a console test program on the Win32
# adapters, statically linked like Ordavi.exe, run under Wine by the host
# build's ctest. A program with a main() of its own keeps it: the linker takes
# the shared main (store/win32/testing/wine_test_main.cpp) from the library
# only when none is defined.
function(ordavi_wine_test name)
  if(NOT TARGET ordavi_wine_testing)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ordavi_wine_testing ${ORDAVI_STATIC_LINK})
endfunction()

set(ORDAVI_GOOGLETEST_SOURCE /usr/src/googletest/googletest
    CACHE PATH "GoogleTest's source folder (the one holding src/gtest-all.cc)")
if(NOT EXISTS ${ORDAVI_GOOGLETEST_SOURCE}/src/gtest-all.cc)
  set(_missing "GoogleTest's sources are not in ${ORDAVI_GOOGLETEST_SOURCE}: install the googletest package "
               "(tools/install-deps.sh) or set ORDAVI_GOOGLETEST_SOURCE")
  # The cross build on Linux makes the programs the Wine tests run; a build
  # on Windows itself runs no tests and goes on without them.
  if(CMAKE_HOST_UNIX)
    message(FATAL_ERROR "${_missing}.")
  endif()
  message(STATUS "${_missing}; the Win32 test programs are not built.")
  return()
endif()

# gtest-all.cc includes every other source file of the framework.
add_library(ordavi_gtest STATIC EXCLUDE_FROM_ALL ${ORDAVI_GOOGLETEST_SOURCE}/src/gtest-all.cc)
target_include_directories(ordavi_gtest PRIVATE ${ORDAVI_GOOGLETEST_SOURCE})
# SYSTEM: the framework's headers take no part in the tests' warnings.
target_include_directories(ordavi_gtest SYSTEM PUBLIC ${ORDAVI_GOOGLETEST_SOURCE}/include)
add_library(GTest::gtest ALIAS ordavi_gtest)

# What the test programs share: readable failures and their main().
add_library(ordavi_wine_testing STATIC EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/store/testing/readable_failures.cpp
                                                        ${CMAKE_SOURCE_DIR}/store/win32/testing/wine_test_main.cpp)
target_link_libraries(ordavi_wine_testing PUBLIC ordavi_win32 GTest::gtest)
