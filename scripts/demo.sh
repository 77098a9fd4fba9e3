#!/usr/bin/env bash
# The main job: builds the Linux plug-in, bench and register simulator, starts
# the simulator and runs the connection test through the bench, printing what
# the host's message list shows; then exports a sample "kasa.exp" to the
# simulator, once clearing its goods base and once comparing with it after a
# few prices and names changed, and shows what the second export sent.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh linux >/dev/null
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
