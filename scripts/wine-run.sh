#!/usr/bin/env bash
# Runs one Windows program under Wine in the build's own session; ctest's emulator.
# Usage: wine-run.sh PREFIX PROGRAM.exe [ARGS...]
set -u
export WINEPREFIX=$1
shift
. "$(dirname "$0")/wine-session.sh"
ormix_wine_session_start
exec timeout --kill-after=10 "${ORMIX_WINE_TIMEOUT:-600}" wine "$@"
