#!/usr/bin/env bash
# The export with the real Windows DLL: zthost.exe and ztcombo.dll under Wine
# export the sample "kasa.exp" to a fresh register simulator, clearing its
# goods base, then again comparing after prices and names changed; the same on
# Linux with its own fresh simulator. "wynik.exp" of both exports, "combo.tow"
# and the host's message list must match byte for byte.
set -uo pipefail
source "$(dirname "$0")/common.bash"
need_wine_bench

scratch
source "$src/scripts/regsim.bash"
export ZTCOMBO_VIRTUAL_TIME=1

# export_twice NAME HOST...: both exports against a simulator of its own.
export_twice() {
  local name="$1"
  shift
  local dir="$tmp/$name"
  mkdir -p "$dir/EDI"
  start_regsim "$bld/regsim" "$dir" 300 --complex-delay 0 || { fail "$name: no simulator"; return; }
  cat > "$dir/p.ini" <<P
ComboPort=TCP/IP
ComboIpAddress=127.0.0.1
ComboIpPort=$port
ComboEdiFolder=EDI
ComboDedbug=0
RodzajTransmisji=3
ComboKasTowMax=1
ComboOneAsortOnly=0
ComboExpFPlatn=1
ZT_Combo_PosortowaneStawkiVatPrec:=2300\r\n800\r\n500\r\n0\r\n-1
P
  bash "$src/scripts/sample_export.sh" "$dir/kasa.exp" 300
  (cd "$dir" && timeout 300 "$@" --params p.ini --workdir . run -2 > out1.txt 2>&1)
  cp "$dir/wynik.exp" "$dir/wynik1.exp"
  LC_ALL=C sed -i -e 's/^\(PLU;10;[^;]*;[^;]*;[^;]*;\)[0-9]*;/\1555;/' \
                  -e 's/^\(PLU;7;[^;]*;[^;]*;\)[^;]*;/\1Jablka z sadu;/' \
                  -e 's/^PLU;12;.*//' "$dir/kasa.exp"
  sed -i "s#^ComboKasTowMax=.*#ComboKasTowMax=0#" "$dir/p.ini"
  (cd "$dir" && timeout 300 "$@" --params p.ini --workdir . run -2 > out2.txt 2>&1)
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  sim_pid=""
}

export_twice linux "$bld/zthost" --plugin "$bld/libztcombo.so"
export_twice win wine "$win/zthost.exe" --plugin "$win/ztcombo.dll"

l="$tmp/linux" w="$tmp/win"
grep -q 'result: 0' "$l/out2.txt" || { fail "Linux export incomplete"; cat "$l/out2.txt"; }
grep -q '^\[ERR' "$l/out1.txt" "$l/out2.txt" && fail "Linux export reported errors"
[ "$(wc -l < "$l/wynik1.exp")" -eq 303 ] || fail "the first export did not transfer every record"
grep -q '^TOW;12;' "$l/combo.tow" || fail "combo.tow lacks the register's goods"
for f in wynik1.exp wynik.exp combo.tow out1.txt out2.txt; do
  if ! cmp -s "$l/$f" "$w/$f"; then
    fail "$f: Wine differs from Linux"
    diff <(tr -d '\r' < "$l/$f") <(tr -d '\r' < "$w/$f") | head -20
  fi
done
[ $failures -eq 0 ] || exit 1
echo "export: wynik.exp, combo.tow and the messages of Wine match Linux"
