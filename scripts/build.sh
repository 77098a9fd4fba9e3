#!/usr/bin/env bash
# Builds the Linux plug-in, bench and simulator with the tests (build/linux),
# the 32-bit Windows DLL and bench (build/win32) and the sanitizer build
# (build/asan). "main" builds only what the main job runs: the Linux plug-in,
# bench and simulator, without the tests (into build/linux as well); "bench"
# what scripts/bench.sh runs: those and the speed benchmarks.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="${ZT_JOBS:-2}"
targets="${1:-linux win32 asan}"
# ccache speeds a rebuild where it is installed; nothing needs it.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$root"
fi
for t in $targets; do
  case "$t" in
    main)  cmake -S . -B build/linux -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZT_TESTS=OFF "${launcher[@]}" >/dev/null
           echo "== build main"
           cmake --build build/linux -j "$jobs" --target ztcombo zthost regsim
           continue ;;
    bench) cmake -S . -B build/linux -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZT_TESTS=ON "${launcher[@]}" >/dev/null
           echo "== build bench"
           cmake --build build/linux -j "$jobs" --target ztcombo zthost regsim expbench import_bench link_bench
           continue ;;
    linux) cmake -S . -B build/linux -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZT_TESTS=ON "${launcher[@]}" >/dev/null ;;
    win32) cmake -S . -B build/win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DZT_TESTS=OFF "${launcher[@]}" >/dev/null ;;
    asan)  cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DZT_SANITIZE=ON -DZT_TESTS=ON "${launcher[@]}" >/dev/null ;;
  esac
  echo "== build $t"
  cmake --build "build/$t" -j "$jobs"
done
