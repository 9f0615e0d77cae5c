#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when something is missing.
set -euo pipefail
need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
command -v x86_64-w64-mingw32-windres >/dev/null || need+=(binutils-mingw-w64-x86-64)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v wine >/dev/null || need+=(wine wine64)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v python3 >/dev/null || need+=(python3)
command -v g++ >/dev/null || need+=(g++)
command -v git >/dev/null || need+=(git)
command -v openssl >/dev/null || need+=(openssl)
command -v osslsigncode >/dev/null || need+=(osslsigncode)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# The native sanitizer build of the text core: clang with its sanitizer and libFuzzer runtimes.
command -v clang++ >/dev/null || need+=(clang)
if ! command -v clang++ >/dev/null ||
  [ ! -f "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a)" ]; then
  need+=(libclang-rt-dev)
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
