# Sourced by the scripts that run the Windows program under Wine.

# Installs those of the named Debian packages that are missing (with sudo when not root).
install_missing_packages() {
  local missing=() p sudo_cmd=""
  for p in "$@"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
}

# A fresh Wine prefix of its own in the folder $1 (made here, removed with everything in it when
# the shell exits): WINEPREFIX and the quiet settings are exported. Its desktop is stopped once
# the prefix is made, so the next program starts it again on the display it runs on.
fresh_wine_prefix() {
  export WINEPREFIX="$1/prefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
  # shellcheck disable=SC2064  # the folder is fixed now
  trap "wineserver -k >/dev/null 2>&1 || true; rm -rf '$1'" EXIT
  wineboot --init >/dev/null 2>&1
  wineserver -w
}
