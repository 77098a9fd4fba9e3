#!/usr/bin/env bash
# Window 6 as a user meets it: zthost.exe under Wine, inside a Wine virtual
# desktop on a virtual X display (Wine then draws the caption and the frame
# itself, as Windows does), opens "Import towarów z kasy". Space ticks the first
# box and F2 stores both options; Esc stores nothing. A screenshot of the
# desktop with the dialog is kept as build artifact.
set -uo pipefail
source "$(dirname "$0")/common.bash"
wine_desktop desktop

# run_dialog SHOT KEYS...: window 6; the dialog is centred on the 640x400
# desktop, its caption at y 141.
run_dialog() { desktop_dialog 6 320 141 "goods-dialog-$1" "${@:2}"; }

mkdir EDI
printf 'ComboPort=PLIK\nComboEdiFolder=EDI\nComboImportOverWrite=FALSE\nComboImportLogSave=TRUE\n' > p.ini
run_dialog f2 space F2
has_shown="$(tr -d '\r' < dump.txt 2>/dev/null)"
[ "$has_shown" = "== Import towarów z kasy == overwrite 0 log 1" ] || fail "the dialog showed: $has_shown"
grep -qx 'ComboImportOverWrite=TRUE' p.ini || { fail "F2 did not store the ticked box"; cat p.ini out.txt; }
grep -qx 'ComboImportLogSave=TRUE' p.ini || { fail "F2 did not store the log option"; cat p.ini; }
grep -q "window 6: result 1, operation 6" out.txt || { fail "window 6 did not answer 1 on F2"; cat out.txt; }
# The file transport then refuses the import the host runs.
grep -q "Ustaw port komunikacyjny" out.txt || { fail "the import did not run after F2"; cat out.txt; }

cp p.ini before.ini
run_dialog esc space Escape
grep -q "window 6: result 0, operation 6, name 'Import towarów do programu'" out.txt || { fail "Esc did not answer 0"; cat out.txt; }
cmp -s p.ini before.ini || { fail "Esc changed the stored options"; diff before.ini p.ini; }
grep -q "operation -8" out.txt && fail "Esc ran the import"
[ -f "$artifacts/goods-dialog-f2.png" ] && echo "screenshot: $artifacts/goods-dialog-f2.png"
[ $failures -eq 0 ] || exit 1
echo "goods dialog: F2 stores both options, Esc keeps them"
