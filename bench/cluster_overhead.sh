#!/usr/bin/env bash
# The scheduler's overhead: the same 200 test-object decks converted by Cluster Conversion with
# 2 tasks at once on a single-node Slurm of this machine, and by Batch Conversion with --jobs 2,
# each timed on the wall clock in a fresh drive picture; printed side by side with their ratio.
#   bash bench/cluster_overhead.sh BUILD_DIR
# Needs root and slurm-wlm, munge (bash dev test-cluster installs them).
set -euo pipefail
build="$(cd "${1:?usage: cluster_overhead.sh BUILD_DIR}" && pwd)"
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/varnel-cluster-bench-XXXXXX")"
chmod 755 "$work"
trap 'bash "$source_dir/tools/slurm_cluster.sh" stop "$work/slurm" || true; rm -rf "$work"' EXIT
eval "$(bash "$source_dir/tools/slurm_cluster.sh" start "$work/slurm")"
export WINEPREFIX="$work/prefix" HOME="$work/home"
mkdir -p "$WINEPREFIX" "$HOME"
c="$WINEPREFIX/drive_c/4nec2"
"$build/varnel" --script /dev/null >/dev/null
printf '7,01\r\n14,2\r\n21\r\n30\r\n' >"$c/b_in/Ranges/four.txt"
printf '%s\n' 'decimal ,' 'seed 1' 'answer open "c:\4nec2\b_in\Ranges\four.txt"' 'answer ask 50' 'answer ask 3' \
  'answer ask 1,5' 'answer ask 1' 'answer ask 1' 'answer ask E_' 'answer ask default' 'run MIGenerateEUTsClick' >"$work/generate.vsc"
"$build/varnel" --script "$work/generate.vsc" >/dev/null
printf '%s\n' 'answer folder "c:\4nec2\b_in\E_"' 'run BatchConversion1Click' >"$work/batch.vsc"
printf '%s\n' 'answer folder "c:\4nec2\b_in\E_"' 'answer ask ""' 'answer ask 2' "answer ask \"$build/varnel_engine\"" \
  'run ClusterConversion1Click' 'print Mout' >"$work/cluster.vsc"
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }
batch=$(seconds "$build/varnel" --jobs 2 --script "$work/batch.vsc")
rm -rf "$c/b_out/E_"
cluster=$(seconds "$build/varnel" --script "$work/cluster.vsc")
[ "$(ls "$c/b_out/E_"/*.out | wc -l)" -eq 200 ] || { echo "the cluster run left no 200 outputs" >&2; exit 1; }
printf 'decks 200  batch --jobs 2: %.1f s  cluster, 2 at once: %.1f s  ratio %.2f\n' "$batch" "$cluster" \
  "$(echo "$cluster / $batch" | bc -l)"
