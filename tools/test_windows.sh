#!/usr/bin/env bash
# bash dev test-windows: installs what the Windows build needs, cross-builds it with MinGW-w64
# into build-win64/ (VARNEL_WINDOWS_BUILD_DIR), builds the Windows engine for the tests and runs
# the Windows test suite under Wine, in one new temporary Wine prefix for the whole run (removed
# at its end; the user's own prefix is never used).
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/wine_helpers.sh
install_missing_packages cmake ninja-build ccache libgtest-dev dpkg-dev g++-mingw-w64-x86-64-posix wine wine64 xvfb

seconds() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(seconds)" 'BEGIN { printf "%.1f s", b - a }'; }

build="${VARNEL_WINDOWS_BUILD_DIR:-build-win64}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
start=$(seconds)
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
bash tools/build_windows_engine.sh "$build"
echo "test-windows: built in $(elapsed "$start")"

start=$(seconds)
# No Mono or Gecko in the prefix (WINEDLLOVERRIDES): nothing here needs them.
fresh_wine_prefix "$(mktemp -d "${TMPDIR:-/tmp}/varnel-wine-XXXXXX")"
echo "test-windows: Wine prefix $WINEPREFIX ready in $(elapsed "$start")"
start=$(seconds)
status=0
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" || status=$?
echo "test-windows: tests under Wine in $(elapsed "$start")"
exit $status
