#!/usr/bin/env bash
# Window 0 as a user meets it: zthost.exe under Wine, inside a Wine virtual
# desktop on a virtual X display (Wine then draws the caption and the frame
# itself, as Windows does), opens the dialog "Stawki VAT na kasie"; the test
# changes slot A, presses OK, and finds the new order stored through the host's
# parameter callback; Cancel changes nothing. A screenshot of the desktop with
# the dialog is kept as build artifact.
set -uo pipefail
source "$(dirname "$0")/common.bash"
wine_desktop vatdesktop
bench_opts="--vat 23,8,5,0"

# run_dialog SHOT KEYS...: window 0; the dialog is centred on the 640x400
# desktop, its caption at y 89.
run_dialog() {
  desktop_dialog 0 300 89 "vat-dialog-$1" "${@:2}"
  [ -f dump.txt ] && ! grep -q "Stawki VAT na kasie" dump.txt && fail "the dialog's caption is not \"Stawki VAT na kasie\""
  [ "$host_status" -eq 0 ] || fail "zthost.exe exited $host_status"
}

printf 'ComboPort=PLIK\n' > p.ini
# Slot A starts at the highest host rate (23.00); one step up selects 8.00.
run_dialog ok Up Return
want='ZT_Combo_PosortowaneStawkiVatPrec:=800\r\n800\r\n500\r\n0\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999'
grep -qF "$want" p.ini || { fail "order not stored"; cat p.ini out.txt; }
cp p.ini before.ini
run_dialog cancel Down Escape
cmp -s p.ini before.ini || { fail "Cancel changed the stored order"; diff before.ini p.ini; }
grep -q 'result 0' out.txt || { fail "window 0 did not return 0"; cat out.txt; }
[ -f "$artifacts/vat-dialog-ok.png" ] && echo "screenshot: $artifacts/vat-dialog-ok.png"
[ $failures -eq 0 ] || exit 1
echo "vat dialog: OK stores the order, Cancel keeps it"
