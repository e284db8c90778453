# Cross build for 64-bit Windows with Debian's MinGW-w64 (package g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The programs are linked statically, so varnel.exe runs from any folder without extra DLLs.
# ctest runs the test programs under Wine through tools/wine_run.sh (CMAKE_CROSSCOMPILING_EMULATOR),
# which tries a run again that Wine failed to start; set WINEPREFIX and WINEDEBUG=-all around it
# (bash dev test-windows does).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VARNEL_MINGW_TRIPLET x86_64-w64-mingw32)
# The "-posix" compilers bring std::thread and std::mutex; the "-win32" ones do not.
find_program(CMAKE_C_COMPILER NAMES ${VARNEL_MINGW_TRIPLET}-gcc-posix ${VARNEL_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VARNEL_MINGW_TRIPLET}-g++-posix ${VARNEL_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VARNEL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VARNEL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(VARNEL_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(VARNEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR env VARNEL_WINE=${VARNEL_WINE} bash ${CMAKE_CURRENT_LIST_DIR}/../tools/wine_run.sh)
endif()
