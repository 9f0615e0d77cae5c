#!/usr/bin/env bash
# Builds the launcher for another product with -D options alone and checks that the exe carries
# each new value and nothing of this build's own identity. The Windows-side checks then run the
# copy left in OUT_DIR.
# Usage: rebrand_build.sh SOURCE_DIR OUT_DIR 'OWN|IDENTITY|STRINGS' -DORMIX_X=value...
set -euo pipefail
src=$1
out=$2
own=$3
shift 3
. "$(dirname "$0")/host_build.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

key=
for option in "$@"; do
  case $option in -DORMIX_PRODUCT_KEY=*) key=${option#*=} ;; esac
done
[ -n "$key" ] || { echo "no -DORMIX_PRODUCT_KEY= given" >&2; exit 1; }

ormix_build "$src" "$work/build" OrmixConverter "$@"
exe=$work/build/bin/$key.exe
[ -f "$exe" ] || { echo "the build made no $key.exe" >&2; exit 1; }

# Strings in the code are bytes, those in the version resource UTF-16.
python3 - "$exe" "$own" "$@" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
def holds(text):
    return text.encode() in data or text.encode("utf-16-le") in data
bad = [f"missing {o.split('=', 1)[1]!r} ({o})" for o in sys.argv[3:]
       if not holds(o.split("=", 1)[1])]
bad += [f"still holds {text!r}" for text in sys.argv[2].split("|") if text and holds(text)]
for line in bad:
    print(line, file=sys.stderr)
sys.exit(1 if bad else 0)
PY

x86_64-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null | grep -E 'VALUE|FILEVERSION' || true
rm -rf "$out"
mkdir -p "$out"
cp "$exe" "$out/"
echo "rebranded: $out/$key.exe"
