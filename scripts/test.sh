#!/usr/bin/env bash
# Builds the launcher and every test program, then runs all tests under Wine (with its own X
# display); then builds the text core natively with AddressSanitizer and UBSan and runs its tests
# again and each fuzzer for a few seconds, ending with the test runner's summary. Installs what is
# missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset windows-release
cmake --build --preset windows-release
export WINEPREFIX=$PWD/build/windows-release/wineprefix
. scripts/wine-session.sh
trap ormix_wine_session_stop EXIT
ormix_wine_session_start
# A Wine process on a loaded machine can miss a deadline now and then; a test that fails is run
# once more on its own, and only a second failure fails the run. Both results stay in the log.
if ! ctest --preset windows-release -j2; then
  echo "Running the failed tests once more, one at a time:"
  ctest --preset windows-release --rerun-failed --output-on-failure
fi
ormix_wine_session_stop
trap - EXIT

cmake --preset native-asan
cmake --build --preset native-asan
ctest --preset native-asan -j2
