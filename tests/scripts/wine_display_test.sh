#!/usr/bin/env bash
# The display half of the Wine session stops the X server it started, and nothing else: not a
# process that took over a recorded process id, not a display it was given.
# Usage: wine_display_test.sh SOURCE_DIR
set -uo pipefail
. "$1/scripts/wine-display.sh"
work=$(mktemp -d)
export WINEPREFIX=$work/wineprefix
others=()
cleanup() {
  for pid in "${others[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {
  if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

# A process that is not ours, under a recorded id: with its own start time and with another.
sleep 300 &
other=$!
others+=("$other")
for start in "$(ormix_process_start_time "$other")" 1 ""; do
  echo ":99 $other $start" >"$WINEPREFIX.display"
  unset DISPLAY
  ormix_display_stop
  check "a recorded process that is no Xvfb of ours (start $start) keeps running" \
    'kill -0 "$other" 2>/dev/null'
  check "its stale record is gone" '[ ! -e "$WINEPREFIX.display" ]'
done

# A display that was given: nothing is started, nothing recorded, nothing stopped.
DISPLAY=:77 ormix_display_start
check "a given display starts nothing" '[ ! -e "$WINEPREFIX.display" ]'

# The prefix's own Xvfb: started once, used again while it runs, then stopped.
unset DISPLAY
if ! command -v Xvfb >/dev/null; then
  echo "skipped: no Xvfb on this machine"
else
  ormix_display_start
  read -r display pid _ <"$WINEPREFIX.display"
  others+=("$pid")
  check "a new Xvfb runs on the display it exported" \
    '[ "$DISPLAY" = "$display" ] && kill -0 "$pid" 2>/dev/null'
  unset DISPLAY
  ormix_display_start
  check "the next start takes the same one" \
    '[ "$DISPLAY" = "$display" ] && [ "$(cut -d" " -f2 "$WINEPREFIX.display")" = "$pid" ]'
  ormix_display_stop
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  check "stopping ends it" '! kill -0 "$pid" 2>/dev/null'
fi
exit $((failures > 0))
