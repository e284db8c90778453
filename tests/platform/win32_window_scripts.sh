#!/usr/bin/env bash
# The native window under Wine on a virtual display (xvfb-run, wide enough for a picture window
# beside the main one), in a Wine prefix of its own so that its c:\4nec2\ meets no other
# test's: the window's unit tests, then every script of
# tests/scripts/window run headless and with --window, each in a fresh c:\4nec2\ laid out alike.
# The two outputs must be the same (but for durations) and hold the script's "#= " lines in
# that order. Then the screenshot directive's pictures.
#   win32_window_scripts.sh VARNEL_EXE WIN32UI_TESTS_EXE SOURCE_DIR
# Exit 77 (skipped) when there is no xvfb-run.
set -euo pipefail
export LC_ALL=C
if [ "${1:-}" != --on-display ]; then
  command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb): skipped"; exit 77; }
  root="$(mktemp -d "${TMPDIR:-/tmp}/varnel-win32ui-XXXXXX")"
  source "$(dirname "$0")/../../tools/wine_helpers.sh"
  fresh_wine_prefix "$root"
  status=0
  xvfb-run -a -s "-screen 0 2100x1050x24" bash "$0" --on-display "$root" "$@" || status=$?
  exit $status
fi
root="$2" varnel="$3" unit_tests="$4" scripts="$5/tests/scripts/window"
drive="$WINEPREFIX/drive_c"

wine "$unit_tests"

# Three copies of the sample output, a folder without output files, a file with a byte above 127.
lay_out() {
  local name
  rm -rf "$drive/4nec2"
  : >"$root/empty.vsc"
  wine "$varnel" --script "z:$root/empty.vsc" >/dev/null
  mkdir -p "$drive/4nec2/b_out/three" "$drive/4nec2/b_out/none"
  for name in a b c; do cp "$drive/4nec2/out/dipol.out" "$drive/4nec2/b_out/three/$name.out"; done
  echo "no output here" >"$drive/4nec2/b_out/none/readme.txt"
  printf 'Temperature 20\xb0C\r\nsecond line\r\n' >"$drive/4nec2/b_out/degree.out"
}

# The output without its CRs; durations ("in 0:01") read alike however loaded the machine is.
run() {
  local status=0 output
  output="$(wine "$varnel" --script "z:$1" $2 2>/dev/null | tr -d '\r' | sed -E 's/ in [0-9]+:[0-9]{2}/ in M:SS/')" ||
    status=$?
  printf '%s\n[exit %s]' "$output" "$status"
}

failures=0
for script in "$scripts"/*.vsc; do
  name="$(basename "$script" .vsc)"
  lay_out
  headless="$(run "$script" "")"
  lay_out
  window="$(run "$script" --window)"
  must="$(grep '^#= ' "$script" | cut -c4- | sed -E 's/ in [0-9]+:[0-9]{2}/ in M:SS/' || true)"
  if [ "$headless" != "$window" ]; then
    echo "FAIL $name: the window printed otherwise than headless"
    diff <(echo "$headless") <(echo "$window") || true
    failures=$((failures + 1))
  elif [[ "$window" != *"$must"* ]]; then
    echo "FAIL $name: the output lacks"
    echo "$must"
    echo "--- it was:"
    echo "$window"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
done

# The screenshot directive with --window writes PNG pictures: now, and once the batch has begun
# its second file, both in the folder the script started in (the batch changes the current one).
lay_out
printf '%s\n' "screenshot now.png" 'answer folder c:\4nec2\b_out\three' "screenshot second.png 2" "run Button1" \
  >"$root/shots.vsc"
(cd "$root" && wine "$varnel" --script "z:$root/shots.vsc" --window >/dev/null 2>&1)
for shot in now second; do
  if [ "$(head -c 8 "$root/$shot.png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; then
    echo "ok   screenshot $shot.png"
  else
    echo "FAIL screenshot $shot.png: no PNG written"
    failures=$((failures + 1))
  fi
done
exit $((failures > 0))
