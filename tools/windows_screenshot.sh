#!/usr/bin/env bash
# A picture of the native Windows window: varnel.exe under Wine on a virtual display (Xvfb) with
# openbox drawing its frame, the sample dipole loaded (c:\4nec2\out\dipol.out of the first-start
# tree) and its near field analysed. Everything runs in a temporary Wine prefix of its own.
#   bash tools/windows_screenshot.sh [BUILD_DIR [PNG]]   (build-win64 and docs/windows-window.png)
# Build the Windows program first (bash dev test-windows, or the cmake line of the README).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --on-display ]; then
  root="$2" varnel="$3" png="$4"
  openbox >/dev/null 2>&1 &
  sleep 1
  wine "$varnel" --script "z:$root/shot.vsc" --window >/dev/null 2>&1 &
  program=$!
  # The start of Wine's desktop and the window, the load and the analysis.
  sleep "${VARNEL_SCREENSHOT_DELAY:-12}"
  import -window root "$root/root.png"
  kill "$program" 2>/dev/null || true
  # The window with its frame, cut out of the black screen; a palette keeps the file small.
  convert "$root/root.png" -trim +repage -colors 64 "PNG8:$png"
  exit 0
fi

build="${1:-build-win64}"
png="$(realpath -m "${2:-docs/windows-window.png}")"
varnel="$(realpath "$build/varnel.exe")"
source tools/wine_helpers.sh
install_missing_packages xvfb openbox imagemagick wine wine64
fresh_wine_prefix "$(mktemp -d "${TMPDIR:-/tmp}/varnel-screenshot-XXXXXX")"
root="$(dirname "$WINEPREFIX")"
printf '%s\n' "run LoadDipol1Click" "run AnalyseNearfield1Click" "wait 30000" >"$root/shot.vsc"
xvfb-run -a -s "-screen 0 1200x680x24" bash "$0" --on-display "$root" "$varnel" "$png"
echo "windows_screenshot: wrote $png ($(stat -c %s "$png") bytes)"
