#!/usr/bin/env bash
# An exported cluster job run with GNU parallel (no Slurm needed): a deck folder, a job folder
# and an engine path with blanks, quotes, $(...), backticks, a newline and UTF-8 in their names
# run nothing of their names and convert every deck; two copies of the job at once leave every
# output whole and report no failure. The engine is the stand-in over nec2c behind a launcher.
#   bash parallel_job_test.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
for program in parallel nec2c; do
  command -v "$program" >/dev/null || { echo "skipped: $program is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
export WINEPREFIX="$work/prefix" HOME="$work/home" PATH="$build:$PATH"
mkdir -p "$HOME"
hostile="My 'Set' \$(touch pwned1) \`touch pwned2\` Ärger"
decks="$work/$hostile"
engine="$work/engine $hostile/engine.sh"
mkdir -p "$decks" "$(dirname "$engine")" "$work/place"
printf '#!/bin/sh\nsleep 0.5\nexec %s "$@"\n' "'$build/varnel_engine'" >"$engine"
chmod +x "$engine"
for wire in 2 3 4; do
  printf 'CM\nCE\nGW 1 9 0 0 -%s 0 0 %s 0.01\nGE 0\nEX 0 1 5 0 1 0\nFR 0 1 0 0 30 0\nNE 0 3 1 3 0 0 0 .1 0 .1\nEN\n' \
    "$wire" "$wire" >"$decks/deck$wire.nec"
done
printf '%s\n' "answer folder \"$decks\"" "answer folder \"$work/place\"" "answer ask 2" \
  "answer ask \"$engine\"" "run ExportClusterJob1Click" "print Mout" |
  (cd "$work" && varnel --script -) >"$work/export.log" 2>&1 || fail "export: $(cat "$work/export.log")"
job="$work/place/varnel-job-$hostile"
[ -f "$job/varnel-job.parallel" ] || fail "no job folder: $(cat "$work/export.log")"

# Each place runs its own copy of the job; the first runs two copies at once.
i=0
for name in 'My Set' "it's" 'X $(touch pwned7) Y' 'a"b`touch pwned8`' $'new\nline' 'Ärger €'; do
  i=$((i + 1))
  copy="$work/$i $name/job"
  mkdir -p "$copy" && cp -r "$job/." "$copy/"
  if [ "$i" -eq 1 ]; then
    (cd "$work" && sh "$copy/varnel-job.parallel" >/dev/null 2>&1) &
    (cd "$work" && sh "$copy/varnel-job.parallel" >/dev/null 2>&1)
    wait
  else
    (cd "$work" && sh "$copy/varnel-job.parallel" >/dev/null 2>&1) || fail "the job in '$copy' failed"
  fi
  for wire in 2 3 4; do
    varnel --output-complete "$copy/deck$wire.nec" "$copy/deck$wire.out" || fail "no whole deck$wire.out in '$copy'"
  done
  ! grep -q failed "$copy"/progress/*.txt || fail "a task of '$copy' failed: $(cat "$copy"/progress/*.txt)"
  [ -z "$(ls "$copy" | grep partial)" ] || fail "a partial output stayed in '$copy'"
done
[ -z "$(find "$work" -name 'pwned*' | head -1)" ] || fail "a name was run as a command"
echo "1 passed, 0 failed"
