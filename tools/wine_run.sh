#!/usr/bin/env bash
# ctest's runner for the Windows test programs: runs "$@" under Wine ($VARNEL_WINE, else wine).
# Now and then Wine fails to start a program at all: it ends at once, non-zero, with nothing
# printed. Such a run is tried once more (and says so on standard error), so a test fails for
# what the program does, never for Wine's start. A program that prints anything, or that ends
# with 0, is taken as it ran. The output is kept in files and printed at the end, not passed
# through a pipe: a pipe stays open while any process that the test started under Wine lives,
# and a test of the engine then waited 182 s instead of 1 s.
set -u
wine="${VARNEL_WINE:-wine}"
out=$(mktemp "${TMPDIR:-/tmp}/varnel-wine-run-XXXXXX")
err="$out.err"
trap 'rm -f "$out" "$err"' EXIT
for try in 1 2; do
  "$wine" "$@" >"$out" 2>"$err"
  status=$?
  if [ "$status" -eq 0 ] || [ -s "$out" ] || [ -s "$err" ] || [ "$try" -eq 2 ]; then break; fi
  echo "wine_run: Wine ended $1 at once with status $status and no output; trying once more" >&2
done
cat "$out"
cat "$err" >&2
exit "$status"
