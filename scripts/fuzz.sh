#!/usr/bin/env bash
# Runs every fuzzer of the text core for longer than CI does, all at once, one core each:
#   scripts/fuzz.sh [SECONDS_EACH]        (default 600)
# What a run learns stays in build/native-asan/fuzz/<name>/corpus and is used by later runs; an
# input that breaks a property is saved in build/native-asan/fuzz/<name>/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
bash scripts/install-deps.sh
cmake --preset native-asan -DORMIX_FUZZ_SECONDS="$seconds"
cmake --build --preset native-asan
ctest --preset native-asan -R '^fuzz\.' -j"$(nproc)"
