#!/usr/bin/env bash
# Builds a Release launcher and the benchmark programs, runs the benchmark under Wine and prints
# its table. Usage: bash bench/run.sh [ROUNDS]   (default 41 interleaved runs of each way)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset windows-release >/dev/null
cmake --build --preset windows-release --target OrmixConverter ormix_bench_hop ormix_bench_app \
  ormix_bench_runner >/dev/null
bin=build/windows-release/bin
work=build/bench
rm -rf "$work"
mkdir -p "$work/_internal" "$work/appdata"
cp "$bin/OrmixConverter.exe" "$work/"
cp "$bin/ormix_bench_hop.exe" "$work/hop.exe"
cp "$bin/ormix_bench_app.exe" "$work/_internal/python.exe"

export WINEPREFIX=$PWD/build/windows-release/wineprefix
. scripts/wine-session.sh
trap ormix_wine_session_stop EXIT
ormix_wine_session_start

exe=$work/OrmixConverter.exe
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | paste -sd, -)
echo "Ormix Converter launcher benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(uname -m), $(nproc) cores, $(wine --version)"
echo
timeout 900 wine "$bin/ormix_bench_runner.exe" "$(winepath -w "$work")" "${1:-41}" | tr -d '\r'
echo "| exe size (stripped Release) | $(stat -c %s "$exe") bytes | target under 80 KB (81920 bytes) |"
echo "| imported DLLs | $imports | system DLLs only |"
