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

  # The core's tests that need no drive picture of their own.
  set(VARNEL_PORTABLE_TESTS util/format_test.cpp util/numbers_test.cpp util/text_test.cpp
      necout/nearfield_test.cpp necout/reader_equivalence_test.cpp necout/reader_test.cpp necout/sections_test.cpp
      batch/table_test.cpp decks/cards_test.cpp tools/print_layout_test.cpp)
  list(TRANSFORM VARNEL_PORTABLE_TESTS PREPEND ${PROJECT_SOURCE_DIR}/tests/)
  add_executable(varnel_tests ${VARNEL_PORTABLE_TESTS})
  target_include_directories(varnel_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(varnel_tests PRIVATE varnel_core varnel_print_layout gtest gtest_main)
  gtest_discover_tests(varnel_tests ${VARNEL_DISCOVERY})

  # The Windows system, the tree's engine and the typical road, under Wine.
  add_executable(varnel_win32_tests ${PROJECT_SOURCE_DIR}/tests/platform/win32_system_test.cpp
      ${PROJECT_SOURCE_DIR}/tests/engine/win32_engine_test.cpp ${PROJECT_SOURCE_DIR}/tests/engine/win32_road_test.cpp)
  target_include_directories(varnel_win32_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(varnel_win32_tests PRIVATE ${VARNEL_WIN32_DEFINITIONS})
  target_link_libraries(varnel_win32_tests PRIVATE varnel_win32 varnel_scripted gtest gtest_main)
  # The program the process tests start, and the engine, found beside the test program.
  add_executable(win32_child ${PROJECT_SOURCE_DIR}/tests/platform/win32_child.cpp)
  target_compile_definitions(win32_child PRIVATE ${VARNEL_WIN32_DEFINITIONS})
  target_link_options(win32_child PRIVATE -municode)
  add_dependencies(varnel_win32_tests win32_child varnel_engine)
  gtest_discover_tests(varnel_win32_tests ${VARNEL_DISCOVERY})
endif()

# ---- The native window's tests: its pieces, and the window scripts headless and with
# --window, under Wine on a virtual display in a prefix of their own.
if(VARNEL_BUILD_TESTS)
  add_executable(varnel_win32ui_tests ${PROJECT_SOURCE_DIR}/tests/platform/win32_ui_test.cpp)
  target_include_directories(varnel_win32ui_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(varnel_win32ui_tests PRIVATE ${VARNEL_WIN32_DEFINITIONS})
  target_link_libraries(varnel_win32ui_tests PRIVATE varnel_win32ui gtest gtest_main)
  add_test(NAME win32ui_window
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/platform/win32_window_scripts.sh $<TARGET_FILE:varnel>
                   $<TARGET_FILE:varnel_win32ui_tests> ${PROJECT_SOURCE_DIR})
  set_tests_properties(win32ui_window PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
# ---- end of the native window's tests

include(${PROJECT_SOURCE_DIR}/cmake/install.cmake)
