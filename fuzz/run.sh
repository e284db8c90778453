#!/usr/bin/env bash
# The fuzz run: builds the harnesses with clang (libFuzzer, AddressSanitizer, UndefinedBehavior-
# Sanitizer) in their own build folder, has the test suite write its real engine outputs, range
# files, format cases and scripts as seeds, runs each harness for a bounded time and fails on
# any crash, leak, sanitizer report or broken promise. Prints the executions of each harness.
#   bash fuzz/run.sh [seconds per harness]        (default 30; VARNEL_FUZZ_SECONDS also works)
# The seeds come from the normal build's test program (VARNEL_BUILD_DIR, default build), which
# is built when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-${VARNEL_FUZZ_SECONDS:-30}}"
build="${VARNEL_BUILD_DIR:-build}"
fuzz_build="${VARNEL_FUZZ_BUILD_DIR:-build-fuzz}"
harnesses=(reader numbers format range script pictures)

sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
install() {
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y "$@"
}

# clang, and the libFuzzer runtime of its version (a package of its own on Debian).
command -v clang++ >/dev/null 2>&1 || install clang
major="$(clang++ -dumpversion | cut -d. -f1)"
runtime_dir="$(clang++ -print-runtime-dir 2>/dev/null || true)"
if ! ls "$runtime_dir"/libclang_rt.fuzzer*.a >/dev/null 2>&1 &&
   ! ls /usr/lib/llvm-"$major"/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  install "libclang-rt-$major-dev" || install "libclang-common-$major-dev"
fi

export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
CC=clang CXX=clang++ cmake -S . -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNEL_FUZZ=ON -DVARNEL_BUILD_WINDOW=OFF -DVARNEL_BUILD_BENCHMARKS=OFF -DVARNEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$fuzz_build" --target varnel_fuzz -j"$(nproc)"

# Seeds, made fresh by the tests (nec2c through the engine stand-in) and from the examples.
seeds="$fuzz_build/corpus/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"
if [ ! -x "$build/tests/varnel_tests" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target varnel_tests -j"$(nproc)"
fi
VARNEL_FUZZ_CORPUS="$PWD/$seeds" "$build/tests/varnel_tests" \
  --gtest_filter='StandInTest.*:RoadTest.*:RunnerTest.*:NecOutRange.*:Format*.*:TextToReal.*' >/dev/null
mkdir -p "$seeds/script" && cp examples/*.vsc "$seeds/script/"
for h in "${harnesses[@]}"; do mkdir -p "$seeds/$h"; done

findings="$fuzz_build/findings"
mkdir -p "$findings"
passed=0; failed=0
for h in "${harnesses[@]}"; do
  work="$fuzz_build/corpus/work/$h"
  mkdir -p "$work"
  log="$fuzz_build/fuzz_$h.log"
  options=(-max_total_time="$seconds" -timeout=20 -max_len=4096 -print_final_stats=1 -artifact_prefix="$findings/$h-")
  [ -f "fuzz/$h.dict" ] && options+=(-dict="fuzz/$h.dict")
  status=0
  "$fuzz_build/fuzz/fuzz_$h" "${options[@]}" "$work" "$seeds/$h" >"$log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  seedCount="$(ls "$seeds/$h" | wc -l)"
  if [ "$status" -eq 0 ] && ! grep -q -E "ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:" "$log"; then
    echo "fuzz_$h: ${runs:-0} executions in ${seconds} s from $seedCount seeds, no finding"
    passed=$((passed + 1))
  else
    echo "fuzz_$h: FINDING after ${runs:-?} executions (exit $status); the input is in $findings, the report:"
    grep -a -E "finding:|ERROR:|runtime error:|SUMMARY:|^    #[0-9]+ " "$log" | head -40
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
