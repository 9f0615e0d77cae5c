# The X display half of the tests' Wine session; sourced by wine-session.sh, not run.
#
# Message boxes and the progress window really show, and the tests read and answer them, so Wine
# needs a display. When DISPLAY is set, that display is used and nothing here starts or stops an X
# server. Otherwise one Xvfb per Wine prefix is started and recorded in "$WINEPREFIX.display" as
# "DISPLAY PID START", START being the process's start time: a process id that the system has
# given to another process since (another developer's X server, say) is then never taken for ours,
# neither to use nor to stop.

# The start time of a process in clock ticks since boot (field 22 of /proc/PID/stat), or nothing.
ormix_process_start_time() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  # The command name (field 2) may hold blanks and parentheses; the fields after it do not.
  stat=${stat##*) }
  echo "$stat" | cut -d' ' -f20
}

# Whether the state file names an Xvfb that these scripts started and that still runs; sets
# ormix_display and ormix_display_pid when it does.
ormix_display_ours() {
  local state="$WINEPREFIX.display" display pid start
  [ -f "$state" ] || return 1
  read -r display pid start <"$state" || return 1
  [ -n "$pid" ] || return 1
  # Records of the scripts before the start time was kept have only the command line to go by.
  [ -z "$start" ] || [ "$(ormix_process_start_time "$pid")" = "$start" ] || return 1
  tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "^Xvfb $display " || return 1
  ormix_display=$display
  ormix_display_pid=$pid
}

# Exports DISPLAY: the one given, the prefix's Xvfb while it runs, or a new Xvfb on the first free
# display number from :90.
ormix_display_start() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local state="$WINEPREFIX.display"
  if ormix_display_ours; then
    export DISPLAY=$ormix_display
    return 0
  fi
  rm -f "$state"
  local n pid
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # The caller's lock descriptor must not leak into the long-lived server, or it stays held.
    Xvfb ":$n" -nolisten tcp -screen 0 1280x800x24 </dev/null >/dev/null 2>&1 9>&- &
    pid=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    # Another X server may have taken the number in the meantime: then this one has ended.
    kill -0 "$pid" 2>/dev/null || continue
    echo ":$n $pid $(ormix_process_start_time "$pid")" >"$state"
    export DISPLAY=":$n"
    return 0
  done
  echo "no free X display number" >&2
  return 1
}

# Stops the prefix's Xvfb, and only that: an X server these scripts did not start is left alone.
ormix_display_stop() {
  local state="$WINEPREFIX.display"
  if ormix_display_ours; then
    kill "$ormix_display_pid" 2>/dev/null || true
  fi
  rm -f "$state"
  return 0
}
