#!/usr/bin/env bash
# The host bench against the built plug-in: its commands, the message list of a
# failing operation, parameters written back by the plug-in, command-line
# errors; and, when a Windows build and Wine are there, the same bytes from
# zthost.exe with ztcombo.dll.
set -uo pipefail
source "$(dirname "$0")/common.bash"
host="$bld/zthost"
[ -x "$host" ] || skip "zthost is not built in $bld"
[ -f "$bld/libztcombo.so" ] || skip "the plug-in is not built in $bld"

scratch
cd "$tmp"
mkdir edi
printf '# register 1\nComboPort=PLIK\nComboEdiFolder=edi\nOpis=zażółć\n' > p.ini

# expect_rc RC OUTFILE COMMAND...: runs the command, stdout+stderr to OUTFILE.
expect_rc() {
  local want="$1" out="$2"; shift 2
  "$@" > "$out" 2>&1
  local rc=$?
  [ "$rc" = "$want" ] || { fail "'$*' exited $rc, expected $want"; cat "$out"; }
}
has() { grep -qF -- "$2" "$1" || { fail "$1 lacks: $2"; cat "$1"; }; }

expect_rc 0 help.out "$host" --help
has help.out "Usage: zthost"
has help.out "run OP [EXTRA]"

expect_rc 0 prop.out "$host" properties
has prop.out "library type: 1"
has prop.out "property 2: ZT_Combo"
has prop.out "            NEO XL 3.01"
has prop.out "property 105: 1"

expect_rc 0 params.out "$host" params
has params.out "$(printf '101\t4\t4\t0\tComboModemTimeout\t60\t1\t255\tModem - timeout połączenia (sek.)')"
has params.out "$(printf '\t\t[5] 8xRS232 - Kanał 1')"
has params.out "$(printf '107\t4\t7\t1\tComboFiscalReport\t0')"
grep -q "^106" params.out && fail "group 106 should be empty"

expect_rc 0 windows.out "$host" windows
has windows.out "$(printf 'window 6: 1\tImport towarów do programu')"

expect_rc 1 run17.out "$host" --params p.ini run 17
errors="$(grep '^\[ERR \] ' run17.out)"
want="[ERR ] Podczas wykonywania operacji 'operacja [17]' wystąpił błąd:
[ERR ] Urządzenie nie obsługuje zleconego typu operacji"
[ "$errors" = "$want" ] || { fail "run 17 errors differ"; cat run17.out; }
has run17.out "result: 0"

# The host's texts reach the plug-in through the lookup of kind 34.
for m in zttools_ZTLib zttools_ZTAction; do
  echo "$m|TZTActioOperacjaExceptio|Operacja nieobsługiwana (tłumaczenie)"
done > texts.txt
expect_rc 1 texts.out "$host" --params p.ini --translations texts.txt run 17
has texts.out "[ERR ] Operacja nieobsługiwana (tłumaczenie)"

# A window name translated longer than the host's buffer is cut at 300 characters.
long="$(printf 'N%.0s' $(seq 400))"
echo "ztcombo_cbaction|boPokazOknstrcpyop_nazwa|$long" > long.txt
expect_rc 1 long.out "$host" --params p.ini --translations long.txt window 1
has long.out "window 1: result 1, operation 1, name '${long:0:300}'"
grep -q "wrote past" long.out && { fail "QORDLLSerKasPokazOkno wrote past the name buffer"; cat long.out; }

# A session of another type is not run; the bench's session name goes with it.
expect_rc 0 type.out "$host" --params p.ini --session-type 2 --session 4 run 17
has type.out "[INFO] Oczekiwanie na zamknięcie sesji 'sesja 4'"
has type.out "result: 1"

expect_rc 0 resource.out "$host" --params p.ini --workdir "$tmp" resource
has resource.out "resource: $tmp/combo.exp"

# The VAT slot dialog confirmed: the plug-in stores its order, the file keeps the rest.
ZTCOMBO_DIALOG_SCRIPT=ok expect_rc 0 win0.out "$host" --params p.ini window 0 < /dev/null
has win0.out "[HOST] stored parameter ZT_Combo_PosortowaneStawkiVat"
has p.ini "Opis=zażółć"
has p.ini "ComboEdiFolder=edi"
grep -q "^ZT_Combo_PosortowaneStawkiVat" p.ini || fail "the stored order is not in p.ini"
[ "$(grep -c . p.ini)" -le 6 ] || { fail "p.ini holds stray lines"; cat p.ini; }
cp p.ini before.ini
# Read back and stored again unchanged: the multi-line value survives the file.
ZTCOMBO_DIALOG_SCRIPT=ok expect_rc 0 win0b.out "$host" --params p.ini window 0 < /dev/null
cmp -s p.ini before.ini || { fail "the stored order changed on the round trip"; diff before.ini p.ini; }
ZTCOMBO_DIALOG_SCRIPT=ok expect_rc 1 refuse.out "$host" --params p.ini --refuse-store window 0 < /dev/null
has refuse.out "[HOST] refused to store parameter"
has refuse.out "[ERR ] "
cmp -s p.ini before.ini || fail "a refused store changed p.ini"

# An import over the file transport: the bench shows each kasa.imp it is handed
# and keeps the parameters of its [OPERACJE] section in the parameter file.
mkdir imp
printf '\r\nSPT;7;500;1000;0;05-05-2024\r\nKAS;0\r\n' > imp/combo.imp
printf 'ComboPort=PLIK\nComboEdiFolder=edi\nDataImportu=2024-05-06\n' > imp.ini
expect_rc 0 imp.out "$host" --params imp.ini --workdir "$tmp/imp" run -3
has imp.out "[HOST] kasa.imp [TOWAROWE]"
has imp.out "[HOST]   PLU;7;;1000;500"
has imp.out "[HOST]   KAS_NUMER;0"
has imp.out "[HOST] stored parameter ComboLastReceipt=0"
has imp.ini "ComboLastReceipt=0"
[ -e imp/combo.imp ] && fail "combo.imp stays after the import"

expect_rc 2 bad.out "$host" --bogus properties
has bad.out "unknown option '--bogus'"
expect_rc 2 bad2.out "$host" run
expect_rc 1 noplugin.out "$host" --plugin "$tmp/none.so" properties
has noplugin.out "cannot load the plug-in"
has noplugin.out "No such file"
expect_rc 1 noparams.out "$host" --params "$tmp/none.ini" run 17
has noparams.out "cannot read the parameter file"

# The Windows build under Wine prints the same bytes.
if command -v wine >/dev/null && [ -f "$win/zthost.exe" ] && (wine_ready) > /dev/null; then
  wine "$win/zthost.exe" --help > w.out 2>&1 || fail "zthost.exe --help failed"
  cmp -s w.out help.out || fail "zthost.exe --help differs"
  for c in properties params windows "run 17" find-receipt; do
    wine "$win/zthost.exe" --params p.ini $c > w.out 2>&1; echo "rc=$?" >> w.out
    "$host" --params p.ini $c > l.out 2>&1; echo "rc=$?" >> l.out
    cmp -s w.out l.out || { fail "zthost.exe $c differs"; diff l.out w.out | head -20; }
  done
  wine "$win/zthost.exe" --bogus > /dev/null 2>&1
  [ $? = 2 ] || fail "zthost.exe --bogus should exit 2"
else
  echo "note: no zthost.exe with ztcombo.dll in $win, or no Wine: Windows bench not run"
fi

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "host bench: all checks passed"
