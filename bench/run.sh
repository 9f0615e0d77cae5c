#!/usr/bin/env bash
# Builds a Release launcher and the benchmark programs, runs the benchmark under Wine and prints
# its table. Usage: bash bench/run.sh [ROUNDS] [OTHER.exe...]
#   ROUNDS   interleaved runs of each way (default 41)
#   OTHER    other builds of the launcher (an older commit's, say), timed in the same rounds and
#            set against the same bare hop; each is copied beside the launcher under its own name
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-41}
shift || true
bash scripts/install-deps.sh
hop_adds="user32 shell32 job suspended log probes environment kernel_work"
hop_targets="ormix_bench_hop_no_crt"
for thing in $hop_adds; do hop_targets="$hop_targets ormix_bench_hop_$thing"; done
cmake --preset windows-release >/dev/null
# shellcheck disable=SC2086
cmake --build --preset windows-release --target OrmixConverter ormix_bench_hop ormix_bench_app \
  ormix_bench_runner $hop_targets >/dev/null
bin=build/windows-release/bin
work=build/bench
rm -rf "$work"
mkdir -p "$work/_internal" "$work/appdata"
cp "$bin/OrmixConverter.exe" "$work/"
cp "$bin/ormix_bench_hop.exe" "$work/hop.exe"
cp "$bin/ormix_bench_app.exe" "$work/_internal/python.exe"
cp "$bin/ormix_bench_hop_no_crt.exe" "$work/hop-crt.exe"
names=(hop-crt)
for thing in $hop_adds; do
  cp "$bin/ormix_bench_hop_$thing.exe" "$work/hop+$thing.exe"
  names+=("hop+$thing")
done
for other in "$@"; do
  name=$(basename "$other" .exe)
  cp "$other" "$work/$name.exe"
  names+=("$name")
done

export WINEPREFIX=$PWD/build/windows-release/wineprefix
. scripts/wine-session.sh
trap ormix_wine_session_stop EXIT
ormix_wine_session_start

exe=$work/OrmixConverter.exe
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | paste -sd, -)
echo "Ormix Converter launcher benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(uname -m), $(nproc) cores, $(wine --version)"
echo
timeout 3600 wine "$bin/ormix_bench_runner.exe" "$(winepath -w "$work")" "$rounds" "${names[@]}" |
  tr -d '\r'
echo "| exe size (stripped Release) | $(stat -c %s "$exe") bytes | budget 40,960 bytes |"
echo "| imported DLLs | $imports | KERNEL32 and the C runtime only |"
