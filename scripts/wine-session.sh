# Shared Wine set-up for the build's test programs; sourced by the scripts, not run.
#
# Wine's first process in a session starts background services (services.exe, explorer.exe...)
# that inherit its standard handles. When that first process is a test run by ctest, the services
# keep ctest's output pipes open and ctest waits forever. So a session is opened here: an X display
# (message boxes then really show and wait, which the tests rely on), a persistent wineserver and a
# booted prefix, all with their standard handles on /dev/null, before any test starts.

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

# Wine keeps the server's socket in /tmp/<folder named in the prefix's "wineserver" file>/,
# under a name made of the prefix's device and inode numbers in hex.
ormix_wine_server_running() {
  [ -f "$WINEPREFIX/wineserver" ] || return 1
  local folder dev ino
  folder=$(cat "$WINEPREFIX/wineserver")
  dev=$(stat -c '%D' "$WINEPREFIX")
  ino=$(printf '%x' "$(stat -c '%i' "$WINEPREFIX")")
  [ -S "${TMPDIR:-/tmp}/$folder/server-$dev-$ino/socket" ]
}

ormix_display_start() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local state="$WINEPREFIX.display"
  if [ -f "$state" ] && kill -0 "$(cut -d' ' -f2 "$state")" 2>/dev/null; then
    export DISPLAY=$(cut -d' ' -f1 "$state")
    return 0
  fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -nolisten tcp -screen 0 1280x800x24 </dev/null >/dev/null 2>&1 9>&- &
    local pid=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    echo ":$n $pid" >"$state"
    export DISPLAY=":$n"
    return 0
  done
  echo "no free X display number" >&2
  return 1
}

# Opens the session once; safe to call from parallel test runs (they serialise on a lock).
ormix_wine_session_start() {
  ormix_wine_env
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    ormix_display_start || exit 1
    if ! ormix_wine_server_running; then
      # The lock's descriptor must not leak into the long-lived processes, or it stays held.
      DISPLAY=$DISPLAY wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
      DISPLAY=$DISPLAY timeout 300 wine wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
    fi
  ) 9>"$WINEPREFIX.lock"
  local state="$WINEPREFIX.display"
  [ -f "$state" ] && export DISPLAY=$(cut -d' ' -f1 "$state")
  return 0
}

ormix_wine_session_stop() {
  ormix_wine_env
  # Callers run under set -e: a server that is gone already is no failure.
  timeout 60 wineserver -k </dev/null >/dev/null 2>&1 || true
  local state="$WINEPREFIX.display"
  if [ -f "$state" ]; then
    kill "$(cut -d' ' -f2 "$state")" 2>/dev/null || true
    rm -f "$state"
  fi
  return 0
}
