#!/usr/bin/env bash
# Window 6 through the host bench against the register simulator: the dialog
# answered by a script stores both options, the import hands the register's
# packages and goods to the bench, which answers from its rule and writes every
# record to goods.csv; Esc runs nothing. With a Windows build and Wine, the same
# import by zthost.exe with ztcombo.dll must give the same messages, the same
# goods.csv (the prices' ten bytes included) and the same import.log.
set -uo pipefail
source "$(dirname "$0")/common.bash"
host="$bld/zthost"
[ -x "$host" ] || skip "zthost is not built in $bld"
[ -x "$bld/regsim" ] || skip "regsim is not built in $bld"
[ -f "$bld/libztcombo.so" ] || skip "the plug-in is not built in $bld"

scratch
source "$src/scripts/regsim.bash"
start_regsim "$bld/regsim" "$tmp" 300 || exit 1
export ZTCOMBO_VIRTUAL_TIME=1

has() { grep -qF -- "$2" "$1" || { fail "$1 lacks: $2"; cat "$1"; }; }
rule="1=update,3=skip,4=error,p2=error"
params() {
  mkdir -p "$1/EDI"
  printf 'ComboPort=TCP/IP\nComboIpAddress=127.0.0.1\nComboIpPort=%s\nComboEdiFolder=EDI\nComboDedbug=0\n' "$port" > "$1/p.ini"
}

lin="$tmp/linux"
params "$lin"
cd "$lin"
ZTCOMBO_DIALOG_SCRIPT="overwrite 1;f2" "$host" --params p.ini --workdir . --goods-answer "$rule" window 6 \
  < /dev/null > out.txt 2>&1 || { fail "window 6 failed"; cat out.txt; }
has p.ini "ComboImportOverWrite=TRUE"
has p.ini "ComboImportLogSave=TRUE"
has out.txt "window 6: result 1, operation 6, name 'Import towarów do programu'"
has out.txt "$(printf '[STAT] Odczytano towarów:\t4')"
has out.txt "$(printf '[STAT]  - pominiętych (w tym 1 z błędem):\t2')"
has out.txt "$(printf '[STAT]  - dodanych:\t1')"
has out.txt "$(printf '[STAT]  - zaktualizowanych:\t1')"
[ "$(grep -c 'odczyt towarów kontynuowany' out.txt)" = 2 ] || fail "not one continuation line per skipped or failed record"
want='name,plu,codes,overwrite,group,unit,vat,price1,price2,price3,price4,open_price,package,package_code,answer,price1_x80
"Butelka 0,5 l",1,1,1,OPAKOWANIA,opak,-1,0.5,0.5,0.5,0.5,0,1,,1,3FFE8000000000000000
Skrzynka,2,2,1,OPAKOWANIA,opak,-1,15,15,15,15,0,1,,-1,4002F000000000000000
Chleb żytni,1,5900000000017,1,Pieczywo,szt.,500,4.5,4.5,4.5,4.5,0,0,,2,40019000000000000000
"Mleko 3,2% 1 l",2,5900000000024;5900000000031,1,Nabiał,litr,500,3.29,3.29,3.29,3.29,0,0,1,1,4000D28F5C28F5C28F5C
Jabłka luz,3,2800003,1,Owoce i warzywa,kg,500,3.99,3.99,3.99,3.99,1,0,,0,4000FF5C28F5C28F5C29
"Piwo jasne 0,5 l",4,5900000000048,1,Nabiał,szt.,2300,3.99,3.99,3.99,3.99,0,0,1,-1,4000FF5C28F5C28F5C29'
[ "$(cat goods.csv)" = "$want" ] || { fail "goods.csv differs"; diff <(echo "$want") goods.csv; }
grep -q "Skrzynka,2,2,OPAKOWANIA,opak,-1,15.00,Nie,Tak,BRAK,BLAD" import.log || { fail "import.log"; cat import.log; }

# Esc: nothing stored, nothing run.
cp p.ini before.ini
cp goods.csv before.csv
ZTCOMBO_DIALOG_SCRIPT="log 0;esc" "$host" --params p.ini --workdir . --goods-answer "$rule" window 6 \
  < /dev/null > esc.txt 2>&1
has esc.txt "window 6: result 0, operation 6, name 'Import towarów do programu'"
grep -q "operation -8" esc.txt && fail "a cancelled window 6 ran the import"
cmp -s p.ini before.ini || fail "Esc changed the stored options"
cmp -s goods.csv before.csv || fail "Esc handed goods to the host"

# The same import by the Windows build: what the host receives must not differ.
if command -v wine >/dev/null && [ -f "$win/zthost.exe" ] && (wine_ready) > /dev/null; then
  rm -f goods.csv import.log
  "$host" --params p.ini --workdir . --goods-answer "$rule" run -8 6 > run.txt 2>&1 || fail "run -8 6 failed"
  w="$tmp/win"
  params "$w"
  cp p.ini "$w/p.ini"
  (cd "$w" && timeout 300 wine "$win/zthost.exe" --plugin "$win/ztcombo.dll" --params p.ini --workdir . \
    --goods-answer "$rule" run -8 6 > run.txt 2>&1) || fail "zthost.exe run -8 6 failed"
  norm() { sed -e 's/\r$//' -e 's/^\(\[INFO\] Zapis logu importu do pliku: \).*/\1LOG/' "$1"; }
  cmp -s <(norm run.txt) <(norm "$w/run.txt") || { fail "Wine messages differ"; diff <(norm run.txt) <(norm "$w/run.txt") | head; }
  cmp -s goods.csv "$w/goods.csv" || { fail "Wine goods.csv differs"; diff goods.csv "$w/goods.csv" | head; }
  undate() { sed 's/DNIA: [0-9: -]*\]/DNIA: @]/' "$1"; }
  cmp -s <(undate import.log) <(undate "$w/import.log") || { fail "Wine import.log differs"; diff <(undate import.log) <(undate "$w/import.log") | head; }
  [ "$(grep -c . "$w/goods.csv")" = 7 ] || { fail "zthost.exe received no goods"; cat "$w/run.txt"; }
  echo "Windows build: the same records, prices to the bit, and log"
else
  echo "note: no zthost.exe with ztcombo.dll in $win, or no Wine: Windows run not compared"
fi

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "goods import bench: rule answers counted, goods.csv and import.log as received"
