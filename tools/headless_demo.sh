#!/usr/bin/env bash
# Runs the bundled demo road headless (examples/demo.vsc) in a fresh drive picture of its own:
# WINEPREFIX and HOME point into a new temporary folder, so the user's own c: tree (the one of
# $WINEPREFIX or ~/.wine) is never read or changed. The folder is left for inspection.
#   bash tools/headless_demo.sh PATH/TO/varnel
# A step that fails (an error or warning box, an engine run that failed) stops the demo: the
# program is ended and the script exits 1 naming the step. Without the engine it exits 2 at once.
set -euo pipefail
varnel="$1"
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
if ! command -v nec2c >/dev/null 2>&1; then
  echo "The demo needs the NEC2 engine nec2c, which is not installed: bash dev run installs it" >&2
  echo "(or: apt-get install nec2c)." >&2
  exit 2
fi
root="$(mktemp -d "${TMPDIR:-/tmp}/varnel-demo.XXXXXX")"
mkdir -p "$root/home"
echo "No display: running the bundled demo road headless (examples/demo.vsc)"
echo "in a fresh drive picture of its own: $root/drive_c"

# The program's output is read line by line as it comes, so that the first failure stops it.
fifo="$root/output.fifo"
mkfifo "$fifo"
env -u USERPROFILE WINEPREFIX="$root" HOME="$root/home" "$varnel" --script "$source_dir/examples/demo.vsc" \
  >"$fifo" 2>&1 &
pid=$!
step="the start"
failure=""
while IFS= read -r line; do
  printf '%s\n' "$line"
  case "$line" in
    "=== "*) step="${line#=== }"; step="${step% ===}" ;;
    "[Error]"* | "[Warning]"* | *"......failed"* | *" decks failed"* | *"deck failed"*)
      failure="$line"
      kill -TERM "$pid" 2>/dev/null || true
      break
      ;;
  esac
done <"$fifo"
status=0
wait "$pid" || status=$?
rm -f "$fifo"
if [ -n "$failure" ]; then
  echo >&2
  echo "The demo stopped at the step \"$step\":" >&2
  echo "  $failure" >&2
  echo "Its files so far are in $root/drive_c/4nec2/" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "The demo stopped at the step \"$step\": the program ended with exit status $status." >&2
  exit "$status"
fi

c="$root/drive_c/4nec2"
cat <<DONE

The demo ran to its end. Its files (native paths):
  the decks of the test objects   $c/b_in/E_/
  the engine's outputs            $c/b_out/E_/
  the table (Save as Txt)         $c/EUT table.txt
  the field map and the CDFs      $c/EUT field map.svg
                                  $c/EUT table.svg
To see the window: run \`bash dev run\` on a desktop (a display: DISPLAY or WAYLAND_DISPLAY set),
or log in with \`ssh -X\` from one and run it there; to open it on the demo's files:
  WINEPREFIX=$root $varnel
To run the tests: \`bash dev test\`.
DONE
