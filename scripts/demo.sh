#!/usr/bin/env bash
# The main job: builds the Linux plug-in, bench and register simulator, starts
# the simulator and runs the connection test through the bench, printing what
# the host's message list shows; then exports a sample "kasa.exp" to the
# simulator, once clearing its goods base and once comparing with it after a
# few prices and names changed, and shows what the second export sent.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
# Only what this job uses: the compiler and CMake, the plug-in, bench and simulator.
bash scripts/setup.sh main
bash scripts/build.sh main >/dev/null
bin="$root/build/linux"
work="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The simulator stops by itself after 120 s.
source "$root/scripts/regsim.bash"
start_regsim "$bin/regsim" "$work" 120 --journal "$work/journal.txt" || exit 1
echo "== register simulator on 127.0.0.1:$port and $pty"

cat > "$work/params.txt" <<P
ComboPort=TCP/IP
ComboIpAddress=127.0.0.1
ComboIpPort=$port
ComboEdiFolder=$work/EDI
ComboDedbug=1
P
host=("$bin/zthost" --plugin "$bin/libztcombo.so" --params "$work/params.txt" --workdir "$work" --register 1)
echo "== library properties"
"${host[@]}" properties
echo
echo "== connection test (operation -1) over TCP/IP"
"${host[@]}" run -1
echo
echo "== connection test over the serial line $pty"
sed -i "s#^ComboPort=.*#ComboPort=$pty#" "$work/params.txt"
"${host[@]}" run -1
echo
echo "== communication log"
ls "$work/log"
echo
# The export: the host's transmission kind 3 lets the driver settle the
# register's goods base; the VAT order matches the register's slots A..E.
sed -i -e "s#^ComboPort=.*#ComboPort=TCP/IP#" -e "s#^ComboDedbug=.*#ComboDedbug=0#" "$work/params.txt"
cat >> "$work/params.txt" <<'P'
RodzajTransmisji=3
ComboKasTowMax=1
ComboOneAsortOnly=0
ComboExpFPlatn=1
ZT_Combo_PosortowaneStawkiVatPrec:=2300\r\n800\r\n500\r\n0\r\n-1
P
bash "$root/scripts/sample_export.sh" "$work/kasa.exp" 300
echo "== export of $(grep -c '^PLU;' "$work/kasa.exp") goods and packages (operation -2), clearing the register's goods first"
"${host[@]}" run -2 | grep -v '^\[HOST\] wynik.exp: PLU;'
echo
echo "== the same file with three prices and two names changed, comparing with the register's list"
LC_ALL=C sed -i -e 's/^\(PLU;10;[^;]*;[^;]*;[^;]*;\)[0-9]*;/\1555;/' \
       -e 's/^\(PLU;20;[^;]*;[^;]*;[^;]*;\)[0-9]*;/\1777;/' \
       -e 's/^\(PLU;9002;[^;]*;[^;]*;[^;]*;\)[0-9]*;/\11200;/' \
       -e 's/^\(PLU;30;[^;]*;[^;]*;\)[^;]*;/\1Towar po zmianie nazwy;/' \
       -e 's/^\(PLU;7;[^;]*;[^;]*;\)[^;]*;/\1Jablka z sadu;/' "$work/kasa.exp"
sed -i "s#^ComboKasTowMax=.*#ComboKasTowMax=0#" "$work/params.txt"
mark=$(wc -l < "$work/journal.txt")
"${host[@]}" run -2 | grep -v '^\[HOST\] wynik.exp: PLU;'
echo
echo "== what the second export sent (the simulator's journal)"
tail -n +"$((mark + 1))" "$work/journal.txt" |
  grep -aE ' (PLUINS|PLUPRICEUPDATE|PLUDEL|PACKINS|PACKDEL|GROUPINS|MUINS|PAYFORMINS|USERINS) ' | iconv -f WINDOWS-1250 -t UTF-8 || echo "(nothing)"
echo
echo "== wynik.exp ($(wc -l < "$work/wynik.exp") records that reached the register), first lines"
head -n 12 "$work/wynik.exp" | tr -d '\r'

# ---- the import: the register sells, the bench reads it back ----
# The simulator starts with its built-in state and sells a few receipts on
# top of it (goods, packages, discounts, a card and a currency payment, a
# voided line, a cancelled receipt, pay-in and pay-out, an order); the bench
# imports them in the receipt-buffer mode.
demo_import() {
  local dir="$work/import" imp_pid=""
  mkdir -p "$dir/EDI"
  "$bin/regsim" --dump-state > "$dir/state.txt"
  cat >> "$dir/state.txt" <<'S'
[sales]
clock;2024-05-06 16:00:00
receipt;plu 1 2000;discount 50;plu 10 1000;pack 1 1000;rebate 100 99001234567891;pay 2 500;currency 3 100;pay 1 1000;at 2024-05-06 15:10
receipt;plu 2 1000;void 4 1000;return 1 2000;plu 3 1250;at 2024-05-06 15:40
cancel;plu 4 1000;by 2
payin;10000;Wplata do kasy
payout;2000;Wyplata z kasy
order;3;1500;Jablka luz
reorder;3;2500
S
  "$bin/regsim" --state "$dir/state.txt" --timeout 60 --exit-after-client > "$dir/regsim.out" 2>&1 &
  imp_pid=$!
  for _ in $(seq 1 100); do grep -q '^ready' "$dir/regsim.out" 2>/dev/null && break; sleep 0.1; done
  local imp_port
  imp_port="$(awk '$1 == "port" {print $2}' "$dir/regsim.out")"
  [ -n "$imp_port" ] || { echo "the register simulator did not start:"; cat "$dir/regsim.out"; return 1; }
  cat > "$dir/params.txt" <<P
ComboPort=TCP/IP
ComboIpAddress=127.0.0.1
ComboIpPort=$imp_port
ComboEdiFolder=$dir/EDI
ComboImpMode=1
ComboImpReceipts=1
ComboLastReceipt=0
DataImportu=2024-05-06
P
  echo
  echo "== import from the register (operation -3): the bench shows each kasa.imp it is handed"
  "$bin/zthost" --plugin "$bin/libztcombo.so" --params "$dir/params.txt" --workdir "$dir" --register 1 run -3 |
    grep -av '^\[STAT\]'
  echo
  echo "== the parameter the host keeps: $(grep '^ComboLastReceipt' "$dir/params.txt")"
  echo "== combo.imp as the register delivered it (archived in arch.imp)"
  grep -av '^#' "$dir/arch.imp" | iconv -f CP1250 -t UTF-8
  local edi
  for edi in "$dir"/EDI/*; do
    [ -f "$edi" ] || continue
    echo "== EDI document $(basename "$edi") (code page 852)"
    iconv -f CP852 -t UTF-8 "$edi"
  done
  kill "$imp_pid" 2>/dev/null || true
}
demo_import
