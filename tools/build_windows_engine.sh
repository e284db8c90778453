#!/usr/bin/env bash
# Builds nec2c.exe, the Windows build of Debian's nec2c, into the folder OUT:
#   bash tools/build_windows_engine.sh OUT
# The source comes from Debian's source package at build time (apt-get source; a deb-src entry
# for the system's own Debian archive is added when there is none) and is never kept in the
# repository. nec2c is plain C with a few POSIX calls; two small headers made here stand in for
# them (process times from clock(), signal handlers through signal()).
set -euo pipefail
out="$(cd "${1:?usage: build_windows_engine.sh OUT}" && pwd)"
[ -f "$out/nec2c.exe" ] && exit 0

compiler="$(command -v x86_64-w64-mingw32-gcc-posix || command -v x86_64-w64-mingw32-gcc || true)"
[ -n "$compiler" ] || { echo "build_windows_engine: the MinGW-w64 compiler is missing (g++-mingw-w64-x86-64-posix)" >&2; exit 1; }
sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

work="$(mktemp -d "${TMPDIR:-/tmp}/varnel-nec2c-XXXXXX")"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"   # apt's download user reads and writes here
cd "$work"

if ! apt-get source --download-only --print-uris nec2c >/dev/null 2>&1; then
  # A deb-src entry beside the system's own: the same archive and release.
  . /etc/os-release
  uri="$(grep -rhoE '(URIs:|^deb) +https?://[^ ]*debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null \
        | grep -v security | head -1 | awk '{print $2}' || true)"
  uri="${uri:-http://deb.debian.org/debian}"
  printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$uri" "$VERSION_CODENAME" | $sudo_cmd tee /etc/apt/sources.list.d/varnel-deb-src.sources >/dev/null
  $sudo_cmd apt-get update -qq
fi
command -v dpkg-source >/dev/null || DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq dpkg-dev
apt-get source -qq nec2c >/dev/null 2>&1
source_dir="$(find . -maxdepth 1 -type d -name 'nec2c-*' | head -1)"
[ -n "$source_dir" ] || { echo "build_windows_engine: apt-get source nec2c gave no source folder" >&2; exit 1; }

mkdir -p shim/sys
cat > shim/sys/times.h <<'H'
/* Process times for nec2c's timing lines, from clock(). */
#pragma once
#include <time.h>
struct tms { clock_t tms_utime, tms_stime, tms_cutime, tms_cstime; };
static inline clock_t times(struct tms* t) {
  t->tms_utime = clock();
  t->tms_stime = t->tms_cutime = t->tms_cstime = 0;
  return t->tms_utime;
}
#define _SC_CLK_TCK 2
#define sysconf(name) ((long)CLOCKS_PER_SEC)
H
cat > shim/signals.h <<'H'
/* sigaction over signal(): nec2c only installs handlers. */
#pragma once
#include <signal.h>
struct sigaction { void (*sa_handler)(int); int sa_mask; int sa_flags; };
#define sigemptyset(set) (*(set) = 0)
static inline int sigaction(int sig, const struct sigaction* act, struct sigaction* old) {
  (void)old;
  if (act) signal(sig, act->sa_handler);
  return 0;
}
H
version="$(basename "$source_dir" | sed 's/^nec2c-//')"
"$compiler" -O2 -std=gnu99 -w -Ishim -include shim/signals.h "-DPACKAGE_STRING=\"nec2c $version\"" \
  -static -o nec2c.exe "$source_dir"/*.c -lm
mv nec2c.exe "$out/nec2c.exe"
echo "build_windows_engine: $out/nec2c.exe (nec2c $version)"
