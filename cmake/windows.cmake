# The Windows build (cross-built with cmake/mingw-w64.cmake): the core, the Windows system
# (varnel_win32) in place of the POSIX one, the headless runner, and no Qt: the program runs
# command scripts (varnel --script FILE). Included by the top-level CMakeLists.txt once the core
# and the sample content are defined.
file(GLOB VARNEL_WIN32_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/win32/*.cpp)
add_library(varnel_win32 STATIC ${VARNEL_WIN32_SOURCES})
target_link_libraries(varnel_win32 PUBLIC varnel_core PRIVATE varnel_sample bcrypt)
# The wide-character API only; no min/max macros; the lean header set.
set(VARNEL_WIN32_DEFINITIONS UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
target_compile_definitions(varnel_win32 PRIVATE ${VARNEL_WIN32_DEFINITIONS})

file(GLOB VARNEL_SCRIPTED_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/scripted/*.cpp)
add_library(varnel_scripted STATIC ${VARNEL_SCRIPTED_SOURCES})
target_link_libraries(varnel_scripted PUBLIC varnel_core)

add_executable(varnel ${PROJECT_SOURCE_DIR}/src/app/main_win32.cpp)
target_link_libraries(varnel PRIVATE varnel_win32 varnel_scripted)
add_dependencies(varnel varnel_help)

# ---- The native window (platform/win32ui): the window `varnel` opens with no arguments and the
# one `varnel --script FILE --window` drives. Wide-character calls only, like varnel_win32.
file(GLOB VARNEL_WIN32UI_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/win32ui/*.cpp)
add_library(varnel_win32ui STATIC ${VARNEL_WIN32UI_SOURCES})
target_link_libraries(varnel_win32ui PUBLIC varnel_win32 varnel_scripted PRIVATE comctl32 comdlg32 shell32 ole32 windowscodecs
                      gdi32)
target_compile_definitions(varnel_win32ui PRIVATE ${VARNEL_WIN32_DEFINITIONS})
target_link_libraries(varnel PRIVATE varnel_win32ui)
# The manifest asks for the common controls of version 6 (the system's visual style).
enable_language(RC)
target_sources(varnel PRIVATE ${PROJECT_SOURCE_DIR}/src/platform/win32ui/varnel.rc)
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/platform/win32ui/varnel.rc PROPERTIES OBJECT_DEPENDS
                            ${PROJECT_SOURCE_DIR}/src/platform/win32ui/varnel.manifest)
target_compile_definitions(varnel PRIVATE ${VARNEL_WIN32_DEFINITIONS})
# ---- end of the native window

# The engine stand-in, over the Windows build of nec2c that tools/build_windows_engine.sh makes
# (nec2c.exe beside it): the tests run it as the engines of the tree under Wine.
add_library(varnel_print_layout STATIC ${PROJECT_SOURCE_DIR}/tools/print_layout.cpp)
target_include_directories(varnel_print_layout PUBLIC ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(varnel_print_layout PUBLIC varnel_core)
add_executable(varnel_engine ${PROJECT_SOURCE_DIR}/tools/varnel_engine.cpp)
target_link_libraries(varnel_engine PRIVATE varnel_print_layout)

if(VARNEL_BUILD_TESTS)
  # Debian ships GoogleTest as source (libgtest-dev); built here for the target.
  set(VARNEL_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest sources")
  if(NOT EXISTS ${VARNEL_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "The Windows tests need GoogleTest's sources (libgtest-dev) in ${VARNEL_GTEST_SOURCE}")
  endif()
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${VARNEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  enable_testing()
  include(GoogleTest)
  # Listed when ctest runs (under the emulator, in the Wine prefix of the test run), never at
  # build time, which would start Wine in the user's own prefix.
  set(VARNEL_DISCOVERY DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)

  # The core's tests, the same files as on Linux, each test over the Windows system in a private
  # drive c: of its own (tests/support/test_root.hpp), and the Windows system's own tests. Left
  # to Linux: the POSIX system's tests and its first-start tree of shell launchers, and the tests
  # that start Linux programs (the program itself, nec2c, the stand-in over it, shell scripts as
  # engines: those of conversion_test.cpp are left out there); the engine and the typical road
  # have their Windows tests in engine/win32_*.
  file(GLOB_RECURSE VARNEL_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/util/*.cpp
       ${PROJECT_SOURCE_DIR}/tests/necout/*.cpp ${PROJECT_SOURCE_DIR}/tests/mainwindow/*.cpp
       ${PROJECT_SOURCE_DIR}/tests/batch/*.cpp ${PROJECT_SOURCE_DIR}/tests/decks/*.cpp
       ${PROJECT_SOURCE_DIR}/tests/engine/*.cpp ${PROJECT_SOURCE_DIR}/tests/picture/*.cpp
       ${PROJECT_SOURCE_DIR}/tests/platform/*.cpp ${PROJECT_SOURCE_DIR}/tests/app/*.cpp
       ${PROJECT_SOURCE_DIR}/tests/tools/*.cpp ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
  list(FILTER VARNEL_TEST_SOURCES EXCLUDE REGEX
       "/(posix_[a-z_]*|sample_tree_test|runner_test|help_pdf_test|standin_test|whole_test|roads_test|nec2c_layout_test|nec2c_test|cluster_texts_test|cut_outputs_test|kill_test|win32_child|win32_ui_test)\\.cpp$")
  add_executable(varnel_tests ${VARNEL_TEST_SOURCES})
  target_include_directories(varnel_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests ${CMAKE_BINARY_DIR}/generated)
  # The version the window shows, and the source folder as Wine shows it (for the shared prints
  # beside it); the tests that start the built programs are Linux's.
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/generated/test_paths.hpp
       CONTENT "#pragma once\n#define VARNEL_PROJECT_VERSION \"${PROJECT_VERSION}\"\n#define VARNEL_SOURCE_DIR \"z:${PROJECT_SOURCE_DIR}\"\n")
  target_compile_definitions(varnel_tests PRIVATE ${VARNEL_WIN32_DEFINITIONS})
  target_link_libraries(varnel_tests PRIVATE varnel_win32 varnel_scripted varnel_print_layout gtest gtest_main)
  # The program the process tests start, and the engine, found beside the test program.
  add_executable(win32_child ${PROJECT_SOURCE_DIR}/tests/platform/win32_child.cpp)
  target_compile_definitions(win32_child PRIVATE ${VARNEL_WIN32_DEFINITIONS})
  target_link_options(win32_child PRIVATE -municode)
  add_dependencies(varnel_tests win32_child varnel_engine)
  gtest_discover_tests(varnel_tests ${VARNEL_DISCOVERY})
endif()

# ---- The native window's tests: its pieces, and the window scripts headless and with
# --window, under Wine on a virtual display in a prefix of their own.
if(VARNEL_BUILD_TESTS)
  add_executable(varnel_win32ui_tests ${PROJECT_SOURCE_DIR}/tests/platform/win32_ui_test.cpp)
  target_include_directories(varnel_win32ui_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(varnel_win32ui_tests PRIVATE ${VARNEL_WIN32_DEFINITIONS})
  target_link_libraries(varnel_win32ui_tests PRIVATE varnel_win32ui varnel_sample gtest gtest_main)
  add_test(NAME win32ui_window
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/platform/win32_window_scripts.sh $<TARGET_FILE:varnel>
                   $<TARGET_FILE:varnel_win32ui_tests> ${PROJECT_SOURCE_DIR})
  set_tests_properties(win32ui_window PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
# ---- end of the native window's tests

include(${PROJECT_SOURCE_DIR}/cmake/install.cmake)
