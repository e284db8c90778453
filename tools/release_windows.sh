#!/usr/bin/env bash
# bash dev release-windows: builds the Windows release into dist/ (DIST_DIR):
#   varnel-<version>-win64.zip        varnel.exe, "Varnel Hilfe.pdf", ReadMe.txt
#   varnel-<version>-win64-setup.exe  the installer (into c:\4nec2\Varnel, Start-menu entry)
# and then checks both under Wine in a temporary prefix of their own: the installer installs
# silently, the installed program runs the sample dipole, and the uninstaller removes exactly
# what was installed (a file of the user's in the folder stays).
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/wine_helpers.sh
install_missing_packages cmake ninja-build ccache g++ g++-mingw-w64-x86-64-posix nsis zip unzip wine wine64

version="$(sed -n 's/^project(Varnel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
[ -n "$version" ] || { echo "release-windows: no version in CMakeLists.txt" >&2; exit 1; }
name="varnel-$version-win64"
build="${VARNEL_WINDOWS_RELEASE_DIR:-build-win64-release}"
dist="${DIST_DIR:-dist}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"

cmake --no-warn-unused-cli -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DVARNEL_BUILD_TESTS=OFF -DVARNEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target varnel varnel_help

# The folder of the zip is made afresh; only the release's own names in dist/ are replaced.
mkdir -p "$dist"
stage="$dist/$name"
rm -rf -- "$stage" "$dist/$name.zip" "$dist/$name-setup.exe"
cmake --install "$build" --prefix "$stage" --strip >/dev/null
expected=("ReadMe.txt" "Varnel Hilfe.pdf" "varnel.exe")
actual=()
while IFS= read -r -d '' f; do actual+=("$(basename "$f")"); done < <(find "$stage" -type f -print0 | sort -z)
if [ "${actual[*]}" != "${expected[*]}" ]; then
  echo "release-windows: the release folder holds '${actual[*]}', expected '${expected[*]}'" >&2
  exit 1
fi

# The same bytes from the same commit: file times are the commit's time, the order is fixed.
epoch="$(git log -1 --format=%ct 2>/dev/null || date +%s)"
touch -d "@$epoch" "${expected[@]/#/$stage/}"
(cd "$stage" && TZ=UTC zip -X -q -9 "../$name.zip" "${expected[@]}")
makensis -V2 -DVERSION="$version" -DSOURCE="$PWD/$stage" -DOUTFILE="$PWD/$dist/$name-setup.exe" tools/windows/varnel.nsi
echo "release-windows: $dist/$name.zip and $dist/$name-setup.exe"

# ---- The check under Wine -------------------------------------------------------------------
fresh_wine_prefix "$(mktemp -d "${TMPDIR:-/tmp}/varnel-release-XXXXXX")"
prefix="$WINEPREFIX"
fail() { echo "release-windows: check failed: $*" >&2; exit 1; }

unzip -tq "$dist/$name.zip" >/dev/null || fail "the zip does not test whole"
wine "$dist/$name-setup.exe" /S >/dev/null 2>&1
wineserver -w
installed="$prefix/drive_c/4nec2/Varnel"
for f in "${expected[@]}" "Uninstall Varnel.exe"; do
  [ -f "$installed/$f" ] || fail "the installer did not put $f into c:\\4nec2\\Varnel"
done
cmp -s "$installed/varnel.exe" "$stage/varnel.exe" || fail "the installed varnel.exe differs from the zip's"
menu="$(find "$prefix/drive_c" -path '*Start Menu/Programs/Varnel/Varnel.lnk' | head -n 1)"
[ -n "$menu" ] || fail "no Start-menu entry Varnel"

# The installed program makes its tree on the first start and reads the sample dipole.
script="$prefix/road.vsc"
printf '%s\r\n' 'answer open "c:\4nec2\out\dipol.out"' 'run Load1Click' 'run AnalyseMain1Click' 'print fields' >"$script"
fields="$(wine 'c:\4nec2\Varnel\varnel.exe' --script "$(winepath -w "$script")" 2>/dev/null | tr -d '\r')"
grep -q '^EditFrequency=[0-9]' <<<"$fields" || fail "the installed program did not analyse the sample dipole: $fields"

echo "a file of the user's" >"$installed/mine.txt"
wine "$installed/Uninstall Varnel.exe" /S >/dev/null 2>&1
wineserver -w
left="$(cd "$installed" && ls)"
[ "$left" = "mine.txt" ] || fail "after the uninstaller the folder holds: $left"
[ -z "$(find "$prefix/drive_c" -path '*Start Menu/Programs/Varnel*')" ] || fail "the Start-menu entry stayed"
echo "release-windows: checked under Wine: silent install, the sample dipole, uninstall"
