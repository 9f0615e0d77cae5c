# Helpers of the host-side release checks; sourced, not run.

# Copies the source tree that git knows of (committed, changed and new files, never a build
# folder) to a fresh folder, so a build there sees nothing of this one.
ormix_copy_source() {
  local src=$1 dest=$2
  mkdir -p "$dest"
  if git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$src" && git ls-files -z --cached --others --exclude-standard |
      tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -xf - -C "$dest"
  else
    (cd "$src" && tar --exclude=./build --exclude=./out -cf - .) | tar -xf - -C "$dest"
  fi
}

# Configures a clean Release build of the exe alone, as a packager would, and builds TARGET.
# Usage: ormix_build SRC BUILD TARGET [CMAKE OPTIONS...]
ormix_build() {
  local src=$1 build=$2 target=$3
  shift 3
  mkdir -p "$(dirname "$build")"
  (cd "$src" && cmake --preset windows-release -B "$build" -DORMIX_BUILD_TESTS=OFF "$@") \
    >"$build.log" 2>&1 &&
    cmake --build "$build" --target "$target" >>"$build.log" 2>&1 || {
    echo "build in $build failed:" >&2
    tail -30 "$build.log" >&2
    return 1
  }
}
