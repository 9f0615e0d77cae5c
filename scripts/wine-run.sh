#!/usr/bin/env bash
# Runs one Windows program under Wine in the build's own session; ctest's emulator.
# Usage: wine-run.sh PREFIX PROGRAM.exe [ARGS...]
set -u
export WINEPREFIX=$1
shift
. "$(dirname "$0")/wine-session.sh"
ormix_wine_session_start
# The program's output goes to files first, passed on when it has ended. A Wine process that it
# starts without handles of its own keeps the Unix descriptors it was born with: the desktop
# process that Wine starts for the first window, which lives on while other tests use it, would
# otherwise hold ctest's pipes open, and ctest would wait for them until the test's time-out.
out=$(mktemp) err=$(mktemp)
timeout --kill-after=10 "${ORMIX_WINE_TIMEOUT:-600}" wine "$@" >"$out" 2>"$err"
code=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $code
