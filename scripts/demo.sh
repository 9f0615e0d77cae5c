#!/usr/bin/env bash
# Builds the launcher, lays out a demo portable install beside it and launches it under Wine:
#   build/demo/OrmixConverter.exe
#   build/demo/_internal/python.exe   a stand-in application that prints what it was given
#   build/demo/data/                  makes the install portable; the launch log goes in here
# Then shows the launcher's exit code and the launch log. Extra arguments go to the application.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset windows-release
cmake --build --preset windows-release --target OrmixConverter ormix_fixture_app
demo=build/demo
rm -rf "$demo"
mkdir -p "$demo/_internal" "$demo/data"
cp build/windows-release/bin/OrmixConverter.exe "$demo/"
cp build/windows-release/bin/ormix_fixture_app.exe "$demo/_internal/python.exe"

export WINEPREFIX=$PWD/build/windows-release/wineprefix
. scripts/wine-session.sh
trap ormix_wine_session_stop EXIT
ormix_wine_session_start
export ORMIX_FIXTURE_SCRIPT='out:Hello from the stand-in application.%0A|echo|err:(this line went to standard error)%0A'
[ $# -gt 0 ] || set -- "report.orx" "with space" 'quote"inside'
echo "Launching: $demo/OrmixConverter.exe $*"
set +e
timeout 60 wine "$demo/OrmixConverter.exe" "$@"
code=$?
set -e
echo "Exit code: $code"
echo "Launch log ($demo/data/logs/launch.log):"
sed 's/^/  | /' "$demo/data/logs/launch.log"
echo
