#!/usr/bin/env bash
# Cluster Conversion and Export Cluster Job against a real single-node Slurm started here (and
# stopped by pid at the end), in a temporary drive picture:
#   1. 40 test-object decks through Cluster Conversion give the outputs of Batch Conversion
#      (apart from the engine's run-time lines);
#   2. a job ended with scancel part-way, then a second Cluster Conversion converts only the rest
#      and leaves every complete output as it was;
#   3. a deck whose engine run fails is named with its reason;
#   4. an exported job run by sbatch and by GNU parallel gives the same outputs;
#   5. without sbatch on PATH the command says so.
#   bash tests/engine/cluster_test.sh BUILD_DIR
# Exit status 77 (skipped) when not root or Slurm, munge or GNU parallel is missing.
set -euo pipefail
build="$(cd "${1:?usage: cluster_test.sh BUILD_DIR}" && pwd)"
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
[ "$(id -u)" -eq 0 ] || { echo "skipped: a Slurm of its own needs root"; exit 77; }
for program in slurmctld slurmd munged sbatch parallel; do
  command -v "$program" >/dev/null || { echo "skipped: $program is not installed (bash dev test-cluster installs it)"; exit 77; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/varnel-cluster-XXXXXX")"
cleanup() {
  bash "$source_dir/tools/slurm_cluster.sh" stop "$work/slurm" || true
  [ -n "${VARNEL_KEEP_CLUSTER_TEST:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# munged runs as its own user and must reach its folder.
chmod 755 "$work"
cluster_env="$(bash "$source_dir/tools/slurm_cluster.sh" start "$work/slurm")" || fail "Slurm did not start"
eval "$cluster_env"
export WINEPREFIX="$work/prefix" HOME="$work/home"
mkdir -p "$WINEPREFIX" "$HOME"
export PATH="$build:$PATH"
c="$WINEPREFIX/drive_c/4nec2"

run() {  # run NAME: the script $work/NAME.vsc, its output into $work/NAME.txt
  "$build/varnel" --script "$work/$1.vsc" >"$work/$1.txt" 2>&1 || { cat "$work/$1.txt"; fail "$1 ended with an error"; }
}
cluster_script() {  # cluster_script NAME ENGINE: a Cluster Conversion of b_in\E_ with 2 tasks at once
  printf '%s\n' 'answer folder "c:\4nec2\b_in\E_"' 'answer ask ""' 'answer ask 2' "answer ask \"$2\"" \
    'run ClusterConversion1Click' 'print Mout' >"$work/$1.vsc"
}
# The print without the lines that say how long the engine took.
timeless() { grep -v -i -E 'time|elapsed|msec' "$1"; }
same_outputs() {  # same_outputs DIR REFERENCE
  local n=0
  for reference in "$2"/*.out; do
    n=$((n + 1))
    diff <(timeless "$reference") <(timeless "$1/$(basename "$reference")") >&2 ||
      fail "$1/$(basename "$reference") differs from Batch Conversion's"
  done
  [ "$n" -eq 40 ] || fail "$n reference outputs, not 40"
}

# 10 test objects over a range file of 4 frequencies: 40 decks.
"$build/varnel" --script /dev/null >/dev/null  # makes the tree
printf '7,01\r\n14,2\r\n21\r\n30\r\n' >"$c/b_in/Ranges/four.txt"
cat >"$work/generate.vsc" <<'EOF'
decimal ,
seed 20261209
answer open "c:\4nec2\b_in\Ranges\four.txt"
answer ask 10
answer ask 3
answer ask 1,5
answer ask 1
answer ask 1
answer ask E_
answer ask default
run MIGenerateEUTsClick
answer folder "c:\4nec2\b_in\E_"
run BatchConversion1Click
EOF
run generate
[ "$(ls "$c/b_in/E_"/*.nec | wc -l)" -eq 40 ] || fail "the generator wrote no 40 decks"
cp -r "$c/b_out/E_" "$work/reference"

# 1. The same outputs as Batch Conversion.
rm -rf "$c/b_out/E_"
cluster_script convert "$build/varnel_engine"
run convert
grep -qx '40 complete, 0 failed, 0 missing outputs.' "$work/convert.txt" || { cat "$work/convert.txt"; fail "case 1 summary"; }
grep -q '^Cluster job [0-9]* submitted: 40 decks' "$work/convert.txt" || fail "case 1 names no job id"
same_outputs "$c/b_out/E_" "$work/reference"

# 2. scancel part-way: a slow engine, the job ended once some outputs exist; the second run
#    converts only the rest and leaves the complete outputs untouched.
rm -rf "$c/b_out/E_"
printf '#!/bin/sh\nsleep 1\nexec %q "$@"\n' "$build/varnel_engine" >"$work/slow_engine"
chmod +x "$work/slow_engine"
cluster_script slow "$work/slow_engine"
"$build/varnel" --script "$work/slow.vsc" >"$work/slow.txt" 2>&1 &
varnel_pid=$!
for _ in $(seq 600); do
  [ "$(ls "$c/b_out/E_"/*.out 2>/dev/null | wc -l)" -ge 4 ] && break
  sleep 0.1
done
scancel --name=varnel-E_
wait "$varnel_pid" || fail "the cancelled run ended with an error"
grep -q ' missing outputs\.$' "$work/slow.txt" || { cat "$work/slow.txt"; fail "case 2 summary"; }
before="$(ls "$c/b_out/E_"/*.out | wc -l)"
[ "$before" -lt 40 ] || fail "scancel came too late to test anything"
for f in "$c/b_out/E_"/*.out; do
  "$build/varnel" --output-complete "$f" || fail "an incomplete output $f was left after scancel"
done
stat -c '%n %Y %s' "$c/b_out/E_"/*.out >"$work/kept_before"
cluster_script resume "$build/varnel_engine"
run resume
grep -qx "Kept $before complete outputs." "$work/resume.txt" || { cat "$work/resume.txt"; fail "case 2 kept count"; }
grep -q "^Cluster job [0-9]* submitted: $((40 - before)) decks" "$work/resume.txt" || fail "case 2 converted more than the rest"
stat -c '%n %Y %s' $(cut -d' ' -f1 "$work/kept_before") | diff - "$work/kept_before" >/dev/null ||
  fail "case 2 touched a complete output"
same_outputs "$c/b_out/E_" "$work/reference"

# 3. One deck whose engine fails is named, the others are converted.
rm -rf "$c/b_out/E_"
printf '#!/bin/sh\ncase "$1" in E_003_002.nec) exit 3 ;; esac\nexec %q "$@"\n' "$build/varnel_engine" >"$work/bad_engine"
chmod +x "$work/bad_engine"
cluster_script failing "$work/bad_engine"
run failing
grep -q '^  E_003_002.nec ......failed (exit status 3; task-[0-9]*.log).$' "$work/failing.txt" ||
  { cat "$work/failing.txt"; fail "case 3 does not name the failed deck"; }
grep -qx '39 complete, 1 failed, 0 missing outputs.' "$work/failing.txt" || fail "case 3 summary"

# 4. An exported job, run by sbatch and by GNU parallel.
mkdir -p "$c/jobs"
printf '%s\n' 'answer folder "c:\4nec2\b_in\E_"' 'answer folder "c:\4nec2\jobs"' 'answer ask 4' 'answer ask varnel_engine' \
  'run ExportClusterJob1Click' 'print Mout' >"$work/export.vsc"
run export
job="$c/jobs/varnel-job-E_"
[ -f "$job/varnel-job.sbatch" ] && [ -f "$job/E_000_000.nec" ] || { cat "$work/export.txt"; fail "case 4 wrote no job folder"; }
cp -r "$job" "$work/parallel-job"
(cd "$job" && sbatch --wait varnel-job.sbatch >/dev/null)
same_outputs "$job" "$work/reference"
sh "$work/parallel-job/varnel-job.parallel" --will-cite
same_outputs "$work/parallel-job" "$work/reference"
# Run again, the job converts nothing: every output is kept.
sh "$work/parallel-job/varnel-job.parallel" --will-cite
[ "$(cat "$work/parallel-job/progress"/chunk-*.txt | grep -c '^kept ')" -eq 40 ] || fail "case 4 converted again"

# 5. Without sbatch.
PATH="$build:/usr/bin/missing" "$build/varnel" --script "$work/convert.vsc" >"$work/nosbatch.txt" 2>&1 || true
grep -q 'sbatch was not found on PATH' "$work/nosbatch.txt" || { cat "$work/nosbatch.txt"; fail "case 5"; }
echo "cluster: all cases passed"
