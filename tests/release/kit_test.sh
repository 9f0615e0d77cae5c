#!/usr/bin/env bash
# The kit target of a clean build makes the zip a packager starts from: the launcher, exactly as
# built, the sample app version file and the packaging notes, and nothing else.
# Usage: kit_test.sh SOURCE_DIR
set -euo pipefail
src=$1
. "$(dirname "$0")/host_build.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ormix_build "$src" "$work/build" kit
zips=("$work"/build/kit/*-win64.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || {
  echo "expected one zip in $work/build/kit, found: ${zips[*]}" >&2
  exit 1
}
zip=${zips[0]}
name=$(basename "$zip" .zip)
echo "kit: $name.zip"
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip")

fail() {
  echo "$*" >&2
  exit 1
}
exe=$(basename "$(find "$work/build/bin" -maxdepth 1 -name '*.exe')")
listing=$(cd "$work/unpacked" && find . -type f | sort)
expected=$(printf './%s/%s\n' "$name" "$exe" "$name" PACKAGING.md "$name" ormix-app-version.ini |
  sort)
[ "$listing" = "$expected" ] || fail "the zip holds:"$'\n'"$listing"$'\n'"instead of:"$'\n'"$expected"
kit=$work/unpacked/$name
cmp "$kit/$exe" "$work/build/bin/$exe" || fail "the zipped $exe is not the one built"

# The notes are filled in for this product.
! grep -n '@[A-Z_]*@' "$kit/PACKAGING.md" || fail "PACKAGING.md has unfilled placeholders"
grep -q "$exe" "$kit/PACKAGING.md" || fail "PACKAGING.md does not name $exe"
# The sample names the runtime section and, as shipped, no slot (or the series one).
grep -qx '\[runtime\]' "$kit/ormix-app-version.ini" || fail "no [runtime] section in the sample"
slots=$(grep -i '^[[:space:]]*slot=' "$kit/ormix-app-version.ini" || true)
[ -z "$slots" ] || [ "$slots" = "slot=3.13" ] || fail "the sample sets a slot: $slots"
echo "ok: $(echo "$listing" | wc -l) files"
