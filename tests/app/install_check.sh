#!/bin/sh
# Installs the build folder $1 into a temporary prefix and checks the installed tree: the program
# through its bin/ link, the engine stand-in, the desktop entry, and that the installed program
# finds its help document beside itself ("?" > "Help" opens it).
set -eu
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
for f in bin/varnel libexec/varnel/varnel libexec/varnel/varnel_engine; do
  [ -x "$tmp/prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
[ -f "$tmp/prefix/share/applications/varnel.desktop" ] || { echo "no desktop entry"; exit 1; }
mkdir -p "$tmp/home"
printf 'run MIHelpClick\n' >"$tmp/help.vsc"
out=$(WINEPREFIX="$tmp/wine" HOME="$tmp/home" "$tmp/prefix/bin/varnel" --script "$tmp/help.vsc")
case "$out" in
  *'[Open] '*'\libexec\varnel\Varnel Hilfe.pdf') ;;
  *) echo "the installed program did not open its help document: $out"; exit 1 ;;
esac
