#!/usr/bin/env bash
# Runs the bundled demo road headless (examples/demo.vsc) in a fresh drive picture of its own:
# WINEPREFIX and HOME point into a new temporary folder, so the user's own c: tree (the one of
# $WINEPREFIX or ~/.wine) is never read or changed. The folder is left for inspection.
#   bash tools/headless_demo.sh PATH/TO/varnel
set -euo pipefail
varnel="$1"
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
root="$(mktemp -d "${TMPDIR:-/tmp}/varnel-demo.XXXXXX")"
mkdir -p "$root/home"
echo "No display: running the bundled demo road headless (examples/demo.vsc)"
echo "in a fresh drive picture of its own: $root/drive_c"
status=0
env -u USERPROFILE WINEPREFIX="$root" HOME="$root/home" "$varnel" --script "$source_dir/examples/demo.vsc" || status=$?
echo "The demo's files are left in $root/drive_c/4nec2/"
exit "$status"
