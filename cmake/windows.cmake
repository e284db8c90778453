# The Windows build (cross-built with cmake/mingw-w64.cmake, or native with MinGW-w64): the core,
# the Windows system half and their tests. No Qt on Windows.
set(VARNEL_CORE_DIRS util necout mainwindow batch decks engine)
set(VARNEL_CORE_SOURCES)
foreach(dir ${VARNEL_CORE_DIRS})
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${dir}/*.cpp)
  list(APPEND VARNEL_CORE_SOURCES ${found})
endforeach()
add_library(varnel_core STATIC ${VARNEL_CORE_SOURCES})
target_include_directories(varnel_core PUBLIC ${PROJECT_SOURCE_DIR}/src)

file(GLOB VARNEL_WIN32_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/win32/*.cpp)
add_library(varnel_win32 STATIC ${VARNEL_WIN32_SOURCES} ${PROJECT_SOURCE_DIR}/src/platform/listing.cpp)
target_link_libraries(varnel_win32 PUBLIC varnel_core bcrypt)
# Unicode (wide) API only; no min/max macros, the lean header set.
target_compile_definitions(varnel_win32 PRIVATE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)

# The engine stand-in, over the Windows build of nec2c that tools/build_windows_engine.sh makes
# (nec2c.exe beside it): the tests run it as the engines of the tree under Wine.
add_executable(varnel_engine ${PROJECT_SOURCE_DIR}/tools/varnel_engine.cpp)
target_link_libraries(varnel_engine PRIVATE varnel_core)

if(VARNEL_BUILD_TESTS)
  # Debian ships GoogleTest as source (libgtest-dev); built here for the target.
  set(VARNEL_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest sources")
  if(NOT EXISTS ${VARNEL_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "The Windows tests need GoogleTest's sources (libgtest-dev) in ${VARNEL_GTEST_SOURCE}")
  endif()
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VARNEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  enable_testing()
  include(GoogleTest)
  add_executable(varnel_win32_tests ${PROJECT_SOURCE_DIR}/tests/platform/win32_system_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/engine/win32_engine_test.cpp)
  target_include_directories(varnel_win32_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(varnel_win32_tests PRIVATE varnel_win32 gtest gtest_main)
  # The core's tests that need no file system picture of their own.
  set(VARNEL_PORTABLE_TESTS util/format_test.cpp util/numbers_test.cpp util/text_test.cpp
      necout/nearfield_test.cpp necout/reader_equivalence_test.cpp necout/reader_test.cpp necout/sections_test.cpp
      batch/table_test.cpp decks/cards_test.cpp engine/print_layout_test.cpp)
  list(TRANSFORM VARNEL_PORTABLE_TESTS PREPEND ${PROJECT_SOURCE_DIR}/tests/)
  add_executable(varnel_tests ${VARNEL_PORTABLE_TESTS})
  target_include_directories(varnel_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(varnel_tests PRIVATE varnel_core gtest gtest_main)
  gtest_discover_tests(varnel_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
  # The program the process tests start, found beside the test program.
  add_executable(win32_child ${PROJECT_SOURCE_DIR}/tests/platform/win32_child.cpp)
  target_compile_definitions(win32_child PRIVATE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
  target_link_options(win32_child PRIVATE -municode)
  add_dependencies(varnel_win32_tests win32_child varnel_engine)
  # Listed when ctest runs (under the emulator, in the Wine prefix of the test run), not at build time.
  gtest_discover_tests(varnel_win32_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
endif()
