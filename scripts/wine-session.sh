# Shared Wine set-up for the build's test programs; sourced by the scripts, not run.
#
# A session is an X display (wine-display.sh) and a persistent, booted Wine server
# (wine-server.sh), opened once per Wine prefix before any test starts and shared by every test
# program run under that prefix.

. "$(dirname "${BASH_SOURCE[0]}")/wine-display.sh"
. "$(dirname "${BASH_SOURCE[0]}")/wine-server.sh"

# Opens the session once; safe to call from parallel test runs (they serialise on a lock).
ormix_wine_session_start() {
  ormix_wine_env
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    ormix_display_start || exit 1
    ormix_wine_server_start
  ) 9>"$WINEPREFIX.lock"
  # The display was chosen in the subshell; take it over here as well.
  if [ -z "${DISPLAY:-}" ] && ormix_display_ours; then
    export DISPLAY=$ormix_display
  fi
  return 0
}

# Closes the session: the prefix's Wine processes, and the X server only if these scripts
# started it.
ormix_wine_session_stop() {
  ormix_wine_env
  ormix_wine_server_stop
  ormix_display_stop
  return 0
}
