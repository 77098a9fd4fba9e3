#!/usr/bin/env bash
# One whole import with the real Windows DLL: zthost.exe and ztcombo.dll under
# Wine against a register simulator that has sold receipts, and the same on
# Linux against a simulator in the same state. The host's message list, every
# kasa.imp it was handed and the EDI document must match byte for byte.
set -uo pipefail
source "$(dirname "$0")/common.bash"
need_wine_bench

scratch
export ZTCOMBO_VIRTUAL_TIME=1

"$bld/regsim" --dump-state > "$tmp/state.txt"
cat >> "$tmp/state.txt" <<'S'
[sales]
clock;2024-05-06 16:00:00
receipt;plu 1 2000;discount 50;plu 10 1000;pack 1 1000;rebate 100 99001234567891;pay 2 500;currency 3 100;pay 1 1000;at 2024-05-06 15:10
receipt;plu 2 1000;void 4 1000;return 1 2000;plu 3 1250;at 2024-05-07 09:40
cancel;plu 4 1000;by 2
payin;10000;Wplata do kasy
payout;2000
order;3;1500;Jablka luz
reorder;3;2500
S

# run NAME HOST PLUGIN: a simulator of its own, then the import through the bench.
run() {
  local name="$1" d="$tmp/$1"
  shift
  mkdir -p "$d/EDI"
  "$bld/regsim" --state "$tmp/state.txt" --timeout 300 --exit-after-client > "$d/regsim.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do grep -q '^ready' "$d/regsim.out" 2>/dev/null && break; sleep 0.1; done
  local port
  port="$(awk '$1 == "port" {print $2}' "$d/regsim.out")"
  [ -n "$port" ] || { fail "$name: the simulator did not start"; cat "$d/regsim.out"; return; }
  printf 'ComboPort=TCP/IP\nComboIpAddress=127.0.0.1\nComboIpPort=%s\nComboEdiFolder=EDI\nComboImpMode=1\nComboImpReceipts=1\nDataImportu=2024-05-06\n' \
    "$port" > "$d/p.ini"
  (cd "$d" && timeout 300 "$@" --params p.ini --workdir . --register 1 run -3 > out.txt 2>&1)
}

run linux "$bld/zthost" --plugin "$bld/libztcombo.so"
run win wine "$win/zthost.exe" --plugin "$win/ztcombo.dll"

grep -q '^\[ERR' "$tmp/linux/out.txt" && { fail "the Linux import reported errors"; cat "$tmp/linux/out.txt"; }
grep -q 'kasa.imp \[STAN_KASY\]' "$tmp/linux/out.txt" || { fail "the Linux import is incomplete"; cat "$tmp/linux/out.txt"; }
cmp -s "$tmp/linux/out.txt" "$tmp/win/out.txt" || { fail "the Wine run's messages differ"; diff "$tmp/linux/out.txt" "$tmp/win/out.txt" | head -40; }
n=0
for f in "$tmp/linux/results"/kasa-*.imp; do
  [ -f "$f" ] || continue
  n=$((n + 1))
  cmp -s "$f" "$tmp/win/results/$(basename "$f")" || fail "$(basename "$f") differs under Wine"
done
[ "$n" = 2 ] || fail "$n kasa.imp stored, one per sale day expected"
docs=0
for f in "$tmp/linux/EDI"/*.txt; do
  [ -f "$f" ] || continue
  docs=$((docs + 1))
  cmp -s "$f" "$tmp/win/EDI/$(basename "$f")" || fail "EDI document $(basename "$f") differs under Wine"
done
[ "$docs" = 1 ] || fail "$docs EDI documents, one expected"
# Each run has its own simulator: the port is the one line that differs.
cmp -s <(grep -v '^ComboIpPort=' "$tmp/linux/p.ini") <(grep -v '^ComboIpPort=' "$tmp/win/p.ini") ||
  { fail "the kept parameters differ"; diff "$tmp/linux/p.ini" "$tmp/win/p.ini"; }
grep -q '^ComboLastReceipt=3304$' "$tmp/linux/p.ini" || { fail "ComboLastReceipt not kept"; cat "$tmp/linux/p.ini"; }
[ $failures -eq 0 ] || exit 1
echo "import: Wine matches Linux byte for byte ($n kasa.imp)"
