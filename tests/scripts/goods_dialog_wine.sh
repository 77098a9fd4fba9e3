#!/usr/bin/env bash
# Window 6 as a user meets it: zthost.exe under Wine, inside a Wine virtual
# desktop on a virtual X display (Wine then draws the caption and the frame
# itself, as Windows does), opens "Import towarów z kasy". Space ticks the first
# box and F2 stores both options; Esc stores nothing. A screenshot of the
# desktop with the dialog is kept as build artifact.
set -uo pipefail
source "$(dirname "$0")/common.bash"
# A prefix of its own: the virtual desktop is a setting of the prefix.
export WINEPREFIX="$WINEPREFIX-desktop"
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

# run_dialog NAME KEYS...: opens window 6, waits until the dialog is up, takes
# the screenshot NAME, presses the keys.
run_dialog() {
  local shot="$1"; shift
  rm -f dump.txt
  ZTCOMBO_DIALOG_DUMP=dump.txt timeout 120 wine "$win/zthost.exe" --plugin "$win/ztcombo.dll" --params p.ini \
    --workdir . window 6 > out.txt 2>&1 &
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
  sleep 1
  # No window manager: a click on the caption makes the dialog the active
  # window (it is centred on the 640x400 desktop, its caption at y 141).
  xdotool mousemove --window "$d" 320 141 click 1 >/dev/null 2>&1
  xdotool windowfocus --sync "$d" >/dev/null 2>&1 || true
  sleep 1.5
  command -v import >/dev/null && import -window "$d" "$artifacts/goods-dialog-$shot.png" 2>/dev/null
  xdotool key --clearmodifiers "$@"
  wait $host
}

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
