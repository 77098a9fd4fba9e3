#!/usr/bin/env bash
# The one command that builds everything and runs every test on a fresh machine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh all
bash scripts/build.sh "linux win32 asan"
# The Windows artifacts are tested from the Linux test run (under Wine).
export ZT_WIN32_DIR="$root/build/win32"
status=0
echo "== tests (linux)"
(cd build/linux && ctest --output-on-failure -j 2 --timeout 600) || status=1
echo "== tests (asan)"
(cd build/asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j 2 --timeout 600 -E '^script\.') || status=1
# Every fuzz target built with clang and libFuzzer, each input of its corpus
# and every kept crash input run once: the targets cannot stop building.
echo "== fuzz targets (replay)"
bash fuzz/run.sh --replay || status=1
exit $status
