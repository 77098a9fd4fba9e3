#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, address and undefined-behaviour
# sanitizers) against the project's static libraries and runs each for a while.
#   bash fuzz/run.sh [SECONDS]
# Each target starts from its committed seeds (fuzz/corpus/<target>); what it
# finds stays in the build folder, and an input that crashes it is written to
# fuzz/regressions/<target>/ as crash-<hash>. Rename that file after the fault
# it found and commit it with the fix: the fuzz.<target> CTest replays the
# seeds and every regression file on each test run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
secs="${1:-30}"
out="$root/build/fuzz"
cmake -S "$root" -B "$out/lib" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DZT_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
cmake --build "$out/lib" -j2 --target ztlink >/dev/null
# The link and the layers below it, highest first: each only uses those after it.
libs=("$out/lib/libztlink.a" "$out/lib/libztproto.a" "$out/lib/libzttools.a" "$out/lib/libztplatform.a")
for target in "$root"/fuzz/*_fuzz.cpp; do
  name="$(basename "$target" .cpp)"
  clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I"$root" "$target" \
    "${libs[@]}" -ldl -o "$out/$name"
  mkdir -p "$out/corpus-$name" "$root/fuzz/regressions/$name"
  echo "== $name ($secs s)"
  "$out/$name" -max_total_time="$secs" -max_len=70000 -artifact_prefix="$root/fuzz/regressions/$name/crash-" \
    "$out/corpus-$name" "$root/fuzz/corpus/$name" 2>&1 | tail -2
done
