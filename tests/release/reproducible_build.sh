#!/usr/bin/env bash
# Two clean Release builds of the same sources, in two folders with different paths, must give
# the same exe to the byte: nothing of the time, the machine's paths or the build order in it.
# Usage: reproducible_build.sh SOURCE_DIR
set -euo pipefail
src=$1
. "$(dirname "$0")/host_build.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Paths of different lengths, so a path that leaks in also shifts everything after it.
a=$work/a/src
b=$work/second-checkout/of/the/same/src
ormix_copy_source "$src" "$a"
ormix_copy_source "$src" "$b"
ormix_build "$a" "$a/build" OrmixConverter
ormix_build "$b" "$b/build" OrmixConverter

exe_a=$(find "$a/build/bin" -maxdepth 1 -name '*.exe' | head -1)
exe_b=$b/build/bin/$(basename "$exe_a")
hash_a=$(sha256sum <"$exe_a" | cut -d' ' -f1)
hash_b=$(sha256sum <"$exe_b" | cut -d' ' -f1)
echo "$hash_a  $exe_a"
echo "$hash_b  $exe_b"
if [ "$hash_a" != "$hash_b" ]; then
  echo "the two builds differ (offset, byte in one, byte in the other; first 20):" >&2
  cmp -l "$exe_a" "$exe_b" | head -20 >&2 || true
  exit 1
fi
# Neither build's folder may appear in the exe, in bytes or in UTF-16.
for path in "$a" "$b" "$work"; do
  if python3 - "$exe_a" "$path" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
text = sys.argv[2]
sys.exit(0 if text.encode() in data or text.encode("utf-16-le") in data else 1)
PY
  then
    echo "the exe holds the build path $path" >&2
    exit 1
  fi
done
echo "identical: $(stat -c %s "$exe_a") bytes"
