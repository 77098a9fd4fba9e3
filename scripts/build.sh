#!/usr/bin/env bash
# Builds the Linux plug-in, bench and simulator (build/linux), the 32-bit
# Windows DLL and bench (build/win32) and the sanitizer build (build/asan).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="${ZT_JOBS:-2}"
targets="${1:-linux win32 asan}"
for t in $targets; do
  case "$t" in
    linux) cmake -S . -B build/linux -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ;;
    win32) cmake -S . -B build/win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DZT_TESTS=OFF >/dev/null ;;
    asan)  cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DZT_SANITIZE=ON >/dev/null ;;
  esac
  echo "== build $t"
  cmake --build "build/$t" -j "$jobs"
done
