#!/usr/bin/env bash
# Window 0 as a user meets it: zthost.exe under Wine, inside a Wine virtual
# desktop on a virtual X display (Wine then draws the caption and the frame
# itself, as Windows does), opens the dialog "Stawki VAT na kasie"; the test
# changes slot A, presses OK, and finds the new order stored through the host's
# parameter callback; Cancel changes nothing. A screenshot of the desktop with
# the dialog is kept as build artifact.
set -uo pipefail
source "$(dirname "$0")/common.bash"
# A prefix of its own: the virtual desktop is a setting of the prefix, and its
# Wine server must talk to this test's display only.
export WINEPREFIX="$WINEPREFIX-vatdesktop"
wine_ready
wineserver -k 2>/dev/null
[ -f "$win/zthost.exe" ] || skip "no zthost.exe in $win"
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
command -v xdotool >/dev/null || skip "xdotool is not installed"

tmp="$(mktemp -d)"
xpid=""
cleanup() {
  wineserver -k 2>/dev/null
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 1 50); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || skip "the virtual display did not start"
export DISPLAY=":$(head -1 "$tmp/display")"
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d ztcombo /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v ztcombo /d 640x400 /f >/dev/null 2>&1

artifacts="$bld/artifacts"
mkdir -p "$artifacts"
cd "$tmp"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run_dialog KEYS...: opens window 0, waits for the dialog, presses the keys.
run_dialog() {
  rm -f dump.txt
  ZTCOMBO_DIALOG_DUMP=dump.txt timeout 60 wine "$win/zthost.exe" --plugin "$win/ztcombo.dll" --params p.ini \
    --workdir . --vat 23,8,5,0 window 0 > out.txt 2>&1 &
  local host=$! d=""
  for _ in $(seq 1 300); do
    [ -s dump.txt ] && d="$(xdotool search --name 'Wine desktop' 2>/dev/null | head -1)"
    [ -n "$d" ] && break
    kill -0 $host 2>/dev/null || break
    sleep 0.2
  done
  if [ -z "$d" ]; then
    fail "the dialog did not appear"; cat out.txt; kill $host 2>/dev/null; return
  fi
  grep -q "Stawki VAT na kasie" dump.txt || fail "the dialog's caption is not \"Stawki VAT na kasie\""
  sleep 1
  # No window manager: a click on the caption makes the dialog the active
  # window (it is centred on the 640x400 desktop, its caption at y 89).
  xdotool mousemove --window "$d" 300 89 click 1 >/dev/null 2>&1
  xdotool windowfocus --sync "$d" >/dev/null 2>&1 || true
  sleep 1.5
  command -v import >/dev/null && import -window "$d" "$artifacts/vat-dialog-$1.png" 2>/dev/null
  shift
  xdotool key --clearmodifiers "$@"
  wait $host || fail "zthost.exe exited $?"
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
