#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/*_fuzz.cpp) with clang, libFuzzer and the
# address and undefined-behaviour sanitizers into build/fuzz, then
#   bash fuzz/run.sh [SECONDS] [TARGET...]   runs each target (all by default)
#                                for SECONDS (default 30) from its committed
#                                seeds (fuzz/corpus/<target>); ZT_FUZZ_RUNS=N
#                                ends a campaign after N executions as well,
#                                ZT_FUZZ_MAX_LEN=N sets the longest input;
#   bash fuzz/run.sh --replay [TARGET...]    runs each input of every corpus and
#                                every kept crash input once (the test command
#                                does this, so the targets never stop building);
#   bash fuzz/run.sh --merge [TARGET...]     adds to fuzz/corpus/<target> the
#                                inputs of the campaigns that reach code the
#                                committed seeds do not (edges only, hit counts
#                                aside, so the kept corpus stays small).
# What a campaign finds stays in build/fuzz; an input that crashes a target is
# written to fuzz/regressions/<target>/ as crash-<hash> (leak-, timeout-). Rename
# that file after the fault it found and commit it with the fix: the
# fuzz.<target> CTest replays the seeds and every regression file on each test run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode="run"
secs=30
case "${1:-}" in
  --replay) mode="replay"; shift ;;
  --merge) mode="merge"; shift ;;
  '' | *[!0-9]*) ;;
  *) secs="$1"; shift ;;
esac
out="$root/build/fuzz"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in "$root"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$t" .cpp)"); done
fi
extra=()
if command -v ccache >/dev/null; then extra+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); export CCACHE_BASEDIR="$root"; fi
cmake -S "$root" -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DZT_TESTS=OFF -DZT_FUZZ=ON \
  "${extra[@]}" >/dev/null
echo "== fuzz targets (clang, libFuzzer): ${targets[*]}"
cmake --build "$out" -j "${ZT_JOBS:-2}" --target "${targets[@]}" >/dev/null
# The longest input a campaign makes: whole frames for the targets that read
# the line (a frame reaches 64 KiB), less for the files, whose parsers work a
# line at a time; the shorter the inputs, the more of them a campaign runs.
max_len() {
  [ -n "${ZT_FUZZ_MAX_LEN:-}" ] && { echo "$ZT_FUZZ_MAX_LEN"; return; }
  case "$1" in
    frame_fuzz | link_answer_fuzz) echo 70000 ;;
    kasa_exp_fuzz | combo_imp_fuzz | receipt_tmp_fuzz) echo 16384 ;;
    *) echo 8192 ;;
  esac
}
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
  if [ "$mode" = merge ]; then
    mkdir -p "$root/fuzz/corpus/$name" "$out/corpus-$name"
    "$out/$name" -merge=1 -use_counters=0 -use_value_profile=0 "$root/fuzz/corpus/$name" "$out/corpus-$name" > "$out/$name.merge.log" 2>&1 || {
      echo "FAIL: $name"; tail -30 "$out/$name.merge.log"; status=1; continue; }
    echo "$name: $(ls "$root/fuzz/corpus/$name" | wc -l) seeds"
    continue
  fi
  mkdir -p "$out/corpus-$name" "$root/fuzz/regressions/$name"
  runs=()
  [ -n "${ZT_FUZZ_RUNS:-}" ] && runs=(-runs="$ZT_FUZZ_RUNS")
  echo "== $name ($secs s${ZT_FUZZ_RUNS:+, at most $ZT_FUZZ_RUNS runs})"
  start=$(date +%s)
  set +e
  "$out/$name" -max_total_time="$secs" "${runs[@]}" -max_len="$(max_len "$name")" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$root/fuzz/regressions/$name/" "$out/corpus-$name" "${dirs[@]}" > "$out/$name.run.log" 2>&1
  rc=$?
  set -e
  grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb|==[0-9]+==|SUMMARY)|Done [0-9]+ runs' \
    "$out/$name.run.log" || true
  echo "wall: $(($(date +%s) - start)) s; result: $([ $rc -eq 0 ] && echo clean || echo "FAILED (exit $rc, see $out/$name.run.log)")"
  [ $rc -eq 0 ] || status=1
done
exit $status
