#!/usr/bin/env bash
# Measures what a SIGKILL of the program costs a long Batch Conversion: DECKS copies of the
# sample deck are converted with --jobs JOBS by the tree's engine (the stand-in over nec2c),
# the program is killed once KILL_AT outputs are complete, and Resume Batch Conversion
# finishes the folder. Prints the decks Resume converted again beyond those never started, and
# the times. Works in a fresh drive picture of its own (WINEPREFIX and HOME in a new temporary
# folder), which it removes at the end.
#   bash tools/measure_resume.sh PATH/TO/varnel [DECKS [KILL_AT [JOBS]]]
set -euo pipefail
varnel="$1"
decks="${2:-300}"
kill_at="${3:-150}"
jobs="${4:-2}"
root="$(mktemp -d "${TMPDIR:-/tmp}/varnel-measure.XXXXXX")"
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home"
run() { env -u USERPROFILE WINEPREFIX="$root" HOME="$root/home" "$varnel" --jobs "$jobs" --script "$@"; }

# The first start lays out the tree with its sample deck and engine launchers.
printf 'echo tree\n' > "$root/tree.vsc"
run "$root/tree.vsc" > /dev/null
tree="$root/drive_c/4nec2"
mkdir -p "$tree/b_in/M_"
for i in $(seq -w 1 "$decks"); do cp "$tree/b_in/dipol.nec" "$tree/b_in/M_/M_$i.nec"; done
complete() { grep -l 'RUN TIME' "$tree/b_out/M_"/*.out 2> /dev/null | wc -l; }

printf 'answer folder "c:\\4nec2\\b_in\\M_"\nrun BatchConversion1Click\n' > "$root/convert.vsc"
start=$(date +%s.%N)
# exec: the pid is the program's own, not that of a shell around it.
(exec env -u USERPROFILE WINEPREFIX="$root" HOME="$root/home" "$varnel" --jobs "$jobs" --script "$root/convert.vsc" > /dev/null) &
pid=$!
while [ "$(complete)" -lt "$kill_at" ]; do sleep 0.05; done
kill -9 "$pid"
wait "$pid" 2> /dev/null || true
killed=$(date +%s.%N)
sleep 1
before=$(complete)
present=$(ls "$tree/b_out/M_"/*.out 2> /dev/null | wc -l)
engines=$(pgrep -fc "$root|varnel-engine-" || true)

printf 'answer folder "c:\\4nec2\\b_in\\M_"\nrun ResumeBatchConversion1Click\nprint Mout\n' > "$root/resume.vsc"
resume_start=$(date +%s.%N)
run "$root/resume.vsc" > "$root/resume.txt"
resume_end=$(date +%s.%N)
converted=$(grep -c '^Converting: ' "$root/resume.txt" || true)
after=$(complete)

echo "decks: $decks, jobs: $jobs, killed after $(echo "$killed - $start" | bc) s"
echo "complete outputs at the kill: $before (files present: $present); processes of the run left: $engines"
echo "Resume converted $converted decks, of which $((converted - (decks - present))) had a partial output"
echo "Resume took $(echo "$resume_end - $resume_start" | bc) s; complete outputs after: $after of $decks"
grep -E '^(Kept|[0-9]+ of [0-9]+ decks failed)' "$root/resume.txt" || true
