#!/usr/bin/env bash
# The connection test with the real Windows DLL: zthost.exe and ztcombo.dll
# under Wine against the register simulator, over TCP/IP on 127.0.0.1 and over
# a Wine COM port mapped to the simulator's pseudo-terminal. The host's message
# list must match the Linux run byte for byte.
set -uo pipefail
source "$(dirname "$0")/common.bash"
need_wine_bench

scratch
com="$WINEPREFIX/dosdevices/com7"
remove_on_exit=("$com")
source "$src/scripts/regsim.bash"
start_regsim "$bld/regsim" "$tmp" 300 || exit 1

export ZTCOMBO_VIRTUAL_TIME=1

# run NAME PORT: the connection test on Linux and under Wine, outputs compared.
run() {
  local name="$1" linuxPort="$2" winPort="$3"
  mkdir -p "$tmp/$name-linux/EDI" "$tmp/$name-win/EDI"
  printf 'ComboPort=%s\nComboIpAddress=127.0.0.1\nComboIpPort=%s\nComboEdiFolder=EDI\nComboDedbug=0\n' \
    "$linuxPort" "$port" > "$tmp/$name-linux/p.ini"
  printf 'ComboPort=%s\nComboIpAddress=127.0.0.1\nComboIpPort=%s\nComboEdiFolder=EDI\nComboDedbug=0\n' \
    "$winPort" "$port" > "$tmp/$name-win/p.ini"
  (cd "$tmp/$name-linux" && "$bld/zthost" --plugin "$bld/libztcombo.so" --params p.ini --workdir . run -1 > out.txt 2>&1)
  (cd "$tmp/$name-win" && timeout 300 wine "$win/zthost.exe" --plugin "$win/ztcombo.dll" --params p.ini --workdir . run -1 \
    > out.txt 2>&1)
  # The serial port's name differs between the two runs; nothing else may.
  sed "s#$linuxPort#PORT#g" "$tmp/$name-linux/out.txt" > "$tmp/$name-linux.txt"
  sed "s#$winPort#PORT#g" "$tmp/$name-win/out.txt" > "$tmp/$name-win.txt"
  grep -q 'kasa o numerze: 1' "$tmp/$name-linux.txt" || { fail "$name: Linux run incomplete"; cat "$tmp/$name-linux.txt"; }
  grep -q '^\[ERR' "$tmp/$name-linux.txt" && { fail "$name: Linux run reported errors"; cat "$tmp/$name-linux.txt"; }
  if ! cmp -s "$tmp/$name-linux.txt" "$tmp/$name-win.txt"; then
    fail "$name: Wine run differs from Linux"
    diff "$tmp/$name-linux.txt" "$tmp/$name-win.txt" | head -40
  fi
}

run tcp "TCP/IP" "TCP/IP"
ln -sf "$pty" "$com"
run serial "$pty" "COM7"
[ $failures -eq 0 ] || exit 1
echo "connection test: Wine matches Linux over TCP/IP and over COM7 -> $pty"
