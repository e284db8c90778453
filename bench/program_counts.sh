#!/usr/bin/env bash
# Load + Analyse Nearfield of the 128 000-row classic output file (the file of bench_process)
# by whole programs (`varnel --script`, start-up included), each beside `wc -l` of the same
# file: the instructions of all threads as callgrind counts them, which a busy machine does not
# change, and the median wall time of many runs, each program's runs alternating with those of
# the others and of `wc -l`. Every figure stands beside the anchor's as a ratio; the wall times
# of a later program also beside those of the first one (the median of the rounds' ratios).
#   bash bench/program_counts.sh [--runs N] [--no-callgrind] VARNEL [VARNEL ...]
# For builds of variants of the program: copy each build's varnel aside and name all copies.
# N (default 30) wall runs of each; --runs 0 skips the wall times.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
runs=30
callgrind=1
programs=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --no-callgrind) callgrind=0; shift ;;
    *) programs+=("$(realpath "$1")"); shift ;;
  esac
done
if [ ${#programs[@]} -eq 0 ]; then
  echo "usage: bash bench/program_counts.sh [--runs N] [--no-callgrind] VARNEL [VARNEL ...]" >&2
  exit 2
fi
[ "$callgrind" = 0 ] || command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 2; }

root="$(mktemp -d "${TMPDIR:-/tmp}/varnel-counts.XXXXXX")"
trap 'rm -rf "$root"' EXIT
mkdir -p "$root"/drive_c/4nec2/{b_in/Ranges,b_out,exe,out} "$root/home/DeskTop/add"
file="$root/drive_c/4nec2/out/big.out"

# The file as bench_process writes it.
g++ -std=c++20 -O1 -I "$source_dir" -x c++ -o "$root/write_file" - <<'EOF'
#include <fstream>
#include "tests/support/classic_output.hpp"
int main(int, char** argv) {
  varnel::ClassicOutput run;
  run.nearField = varnel::ClassicGrid(80, 80, 20, -40, -40, 0, 1.0, varnel::ClassicDipoleField);
  std::ofstream(argv[1], std::ios::binary) << varnel::ClassicOutputText(run);
}
EOF
"$root/write_file" "$file"
printf 'answer open "c:\\4nec2\\out\\big.out"\nrun Load1Click\nrun AnalyseNearfield1Click\n' >"$root/load.vsc"

in_tree() { env -u USERPROFILE WINEPREFIX="$root" HOME="$root/home" "$@"; }
program() { in_tree "$1" --script "$root/load.vsc" >/dev/null; }
anchor() { wc -l "$file" >/dev/null; }
# Instructions of the command, all threads.
instructions() {
  in_tree valgrind --tool=callgrind --callgrind-out-file="$root/callgrind.out" "$@" >/dev/null 2>&1
  awk '/^(summary|totals):/ { print $2; exit }' "$root/callgrind.out"
}
# Milliseconds of wall time of the command.
wall() {
  local start="$EPOCHREALTIME"
  "$@"
  echo "$start $EPOCHREALTIME" | awk '{ printf "%.3f\n", ($2 - $1) * 1000 }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for p in "${programs[@]}"; do program "$p"; done  # the first start makes the sample tree
echo "file: $(wc -c <"$file") bytes, $(wc -l <"$file") lines"

anchorIr=0
if [ "$callgrind" = 1 ]; then
  anchorIr="$(instructions wc -l "$file")"
  echo "wc -l: $anchorIr instructions"
fi
count=${#programs[@]}
for ((r = 0; r < runs; ++r)); do
  for ((k = 0; k < count; ++k)); do
    i=$(((k + r) % count))  # each round starts with the next program
    wall program "${programs[$i]}" >>"$root/program.$i"
    wall anchor >>"$root/anchor.$i"
  done
done
for ((i = 0; i < count; ++i)); do
  line="${programs[$i]}:"
  if [ "$callgrind" = 1 ]; then
    ir="$(instructions "${programs[$i]}" --script "$root/load.vsc")"
    line+="$(awk -v ir="$ir" -v a="$anchorIr" 'BEGIN { printf " %d instructions (%.1f x wc -l)", ir, ir / a }')"
  fi
  if [ "$runs" -gt 0 ]; then
    ms="$(median <"$root/program.$i")"
    anchorMs="$(median <"$root/anchor.$i")"
    line+="$(awk -v p="$ms" -v a="$anchorMs" -v n="$runs" \
      'BEGIN { printf " wall median of %d: %.1f ms, wc -l %.2f ms (%.1f x wc -l)", n, p, a, p / a }')"
    if [ "$i" -gt 0 ]; then
      line+="$(paste "$root/program.$i" "$root/program.0" | awk '{ print $1 / $2 }' | median |
        awk '{ printf ", %.3f x the first program", $1 }')"
    fi
  fi
  echo "$line"
done
