# The Wine server half of the tests' Wine session; sourced by wine-session.sh, not run.
#
# Wine's first process in a session starts background services (services.exe, explorer.exe...)
# that inherit its standard handles. When that first process is a test run by ctest, the services
# keep ctest's output pipes open and ctest waits forever. So a persistent wineserver is started and
# the prefix booted with their standard handles on /dev/null, before any test starts.

ormix_wine_env() {
  export WINEPREFIX=${WINEPREFIX:?WINEPREFIX must name the build folder\'s private prefix}
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko install prompts: the tests need neither.
  # No crash debugger either: a crashing program should end with its exception code, as it does
  # on Windows without a debugger, not wait in winedbg.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}
  # Wine honours http_proxy; the tests talk to 127.0.0.1 only.
  export no_proxy=127.0.0.1,localhost NO_PROXY=127.0.0.1,localhost
  export WINEARCH=win64
}

# Whether the prefix's server runs, by its socket. The layout is that of Debian's Wine 8.0
# (package 8.0~repack, "wine-8.0"), checked on the build machine: the prefix holds a file
# "wineserver" naming a private folder under the temporary directory ("wine-XXXXXX"), and the
# socket is <that folder>/server-<device>-<inode>/socket, with the prefix's device and inode
# numbers in hex. Upstream Wine 8 keeps the same server-<device>-<inode> folder in
# /tmp/.wine-<uid>/ instead; that place is looked at too. With another layout the server is
# never seen running, and every test run boots the prefix again: slower, but still correct.
ormix_wine_server_running() {
  local dev ino tmp=${TMPDIR:-/tmp} folders=()
  dev=$(stat -c '%D' "$WINEPREFIX") || return 1
  ino=$(printf '%x' "$(stat -c '%i' "$WINEPREFIX")")
  [ -f "$WINEPREFIX/wineserver" ] && folders+=("$tmp/$(cat "$WINEPREFIX/wineserver")")
  folders+=("/tmp/.wine-$(id -u)")
  local folder
  for folder in "${folders[@]}"; do
    [ -S "$folder/server-$dev-$ino/socket" ] && return 0
  done
  return 1
}

# Starts the server and boots the prefix, unless the server runs already. Needs DISPLAY.
ormix_wine_server_start() {
  if ! ormix_wine_server_running; then
    # The caller's lock descriptor must not leak into the long-lived processes, or it stays held.
    DISPLAY=$DISPLAY wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
    DISPLAY=$DISPLAY timeout 300 wine wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
  fi
}

# Ends the prefix's server and every Wine process of the prefix.
ormix_wine_server_stop() {
  # Callers run under set -e: a server that is gone already is no failure.
  timeout 60 wineserver -k </dev/null >/dev/null 2>&1 || true
}
