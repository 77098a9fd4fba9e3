#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/*_fuzz.cpp) with clang, libFuzzer and the
# address and undefined-behaviour sanitizers into build/fuzz, then
#   bash fuzz/run.sh [SECONDS]   runs each target for SECONDS (default 30)
#                                from its committed seeds (fuzz/corpus/<target>);
#   bash fuzz/run.sh --replay    runs each input of every corpus and every kept
#                                crash input once (the test command does this,
#                                so the targets never stop building).
# What a campaign finds stays in build/fuzz; an input that crashes a target is
# written to fuzz/regressions/<target>/ as crash-<hash>. Rename that file after
# the fault it found and commit it with the fix: the fuzz.<target> CTest
# replays the seeds and every regression file on each test run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode="run"
secs="${1:-30}"
[ "$secs" = "--replay" ] && mode="replay"
out="$root/build/fuzz"
targets=()
for t in "$root"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$t" .cpp)"); done
extra=()
if command -v ccache >/dev/null; then extra+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); export CCACHE_BASEDIR="$root"; fi
cmake -S "$root" -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DZT_TESTS=OFF -DZT_FUZZ=ON \
  "${extra[@]}" >/dev/null
echo "== fuzz targets (clang, libFuzzer): ${targets[*]}"
cmake --build "$out" -j "${ZT_JOBS:-2}" --target "${targets[@]}" >/dev/null
status=0
for name in "${targets[@]}"; do
  dirs=("$root/fuzz/corpus/$name")
  [ -d "$root/fuzz/regressions/$name" ] && dirs+=("$root/fuzz/regressions/$name")
  if [ "$mode" = replay ]; then
    if "$out/$name" -runs=0 "${dirs[@]}" > "$out/$name.replay.log" 2>&1; then
      echo "$name: $(grep -o 'INITED.*' "$out/$name.replay.log" | head -1)"
    else
      echo "FAIL: $name"; tail -30 "$out/$name.replay.log"; status=1
    fi
    continue
  fi
  mkdir -p "$out/corpus-$name" "$root/fuzz/regressions/$name"
  echo "== $name ($secs s)"
  "$out/$name" -max_total_time="$secs" -max_len=70000 -print_final_stats=1 \
    -artifact_prefix="$root/fuzz/regressions/$name/" "$out/corpus-$name" "${dirs[@]}" 2>&1 |
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==|SUMMARY)|Done [0-9]+ runs' || true
done
exit $status
