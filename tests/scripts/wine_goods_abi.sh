#!/usr/bin/env bash
# The 80-bit prices of the goods callback as a host built by a plain C compiler
# receives them: the same C host, for 32-bit Windows (prices declared as long
# double, stdcall) running ztcombo.dll under Wine and for Linux running the .so,
# imports the simulator's goods; both must print the same records and the same
# ten bytes of every price.
set -uo pipefail
source "$(dirname "$0")/common.bash"
wine_ready
command -v i686-w64-mingw32-gcc >/dev/null || skip "no i686-w64-mingw32-gcc"
command -v gcc >/dev/null || skip "no gcc"
[ -x "$bld/regsim" ] || skip "regsim is not built in $bld"
[ -f "$bld/libztcombo.so" ] || skip "the plug-in is not built in $bld"

scratch
source "$src/scripts/regsim.bash"
start_regsim "$bld/regsim" "$tmp" 300 || exit 1
export ZTCOMBO_VIRTUAL_TIME=1

host_c="$(dirname "$0")/c_goods_host.c"
gcc -std=c11 -O1 -Wall -Werror -o "$tmp/c_host" "$host_c" -ldl || exit 1
i686-w64-mingw32-gcc -std=c11 -O1 -Wall -Werror -o "$tmp/c_host.exe" "$host_c" || exit 1

mkdir -p "$tmp/lin/EDI" "$tmp/win/EDI"
(cd "$tmp/lin" && "$tmp/c_host" "$bld/libztcombo.so" "$tmp/lin/" "$port" > out.txt 2>&1) || fail "the Linux host failed"
windir="$(winepath -w "$tmp/win" 2>/dev/null)\\"
(cd "$tmp/win" && timeout 300 wine "$tmp/c_host.exe" "$win/ztcombo.dll" "$windir" "$port" > out.txt 2>&1) \
  || fail "the Windows host failed"
tr -d '\r' < "$tmp/win/out.txt" > "$tmp/win.txt"
grep -q 'error' "$tmp/lin/out.txt" && { fail "the Linux run reported errors"; cat "$tmp/lin/out.txt"; }
# Two packages and four goods; the bottle's 0.50 as its ten bytes.
[ "$(grep -c '|' "$tmp/lin/out.txt")" = 6 ] || { fail "not six records"; cat "$tmp/lin/out.txt"; }
grep -q '^Butelka 0,5 l|1|1|0|OPAKOWANIA|opak|-1|0|1|| 3FFE8000000000000000 3FFE8000000000000000 3FFE8000000000000000 3FFE8000000000000000$' \
  "$tmp/lin/out.txt" || { fail "the bottle's record"; cat "$tmp/lin/out.txt"; }
cmp -s "$tmp/lin/out.txt" "$tmp/win.txt" || { fail "the Windows host received other values"; diff "$tmp/lin/out.txt" "$tmp/win.txt"; }
[ $failures -eq 0 ] || exit 1
echo "goods callback: a C host on 32-bit Windows receives the same 80-bit prices as on Linux"
