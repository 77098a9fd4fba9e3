# Shared by the script tests: where the Windows build is, and running it under Wine.
abs() { (cd "$1" 2>/dev/null && pwd) || echo "$1"; }
src="$(abs "$1")"
bld="$(abs "$2")"
win="$(abs "${ZT_WIN32_DIR:-$src/build/win32}")"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${ZT_WINEPREFIX:-$src/build/wineprefix}"

skip() { echo "SKIP: $*"; exit 77; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A scratch folder ($tmp) removed when the script ends (kept with ZT_KEEP=1);
# first the simulator in $sim_pid and every process in $pids are stopped, the
# paths in $remove_on_exit removed, and a virtual desktop's Wine server and
# display stopped.
sim_pid=""
pids=()
remove_on_exit=()
xpid=""
scratch() {
  tmp="$(mktemp -d)"
  trap scratch_end EXIT
}
scratch_end() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  [ ${#remove_on_exit[@]} -gt 0 ] && rm -f "${remove_on_exit[@]}"
  if [ -n "$xpid" ]; then wineserver -k 2>/dev/null; kill "$xpid" 2>/dev/null; fi
  if [ -n "${ZT_KEEP:-}" ]; then echo "kept $tmp"; else rm -rf "$tmp"; fi
}

# Skips unless the Windows bench, the simulator and the Linux bench are built.
need_wine_bench() {
  wine_ready
  [ -f "$win/zthost.exe" ] || skip "no zthost.exe in $win"
  [ -x "$bld/regsim" ] || skip "regsim is not built in $bld"
  [ -x "$bld/zthost" ] || skip "zthost is not built in $bld"
}

# Creates the Wine prefix once; later runs reuse it.
wine_ready() {
  command -v wine >/dev/null || skip "wine is not installed"
  # Wine's 32-bit loader needs a kernel that runs 32-bit programs.
  wine --version >/dev/null 2>&1 || skip "wine cannot start here (no 32-bit program runs on this kernel)"
  [ -f "$win/ztcombo.dll" ] || skip "no Windows build in $win"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    flock "$WINEPREFIX/.lock" bash -c '[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 || true'
  fi
}

# A Wine virtual desktop on a virtual X display of its own, for the dialog
# tests (Wine then draws the caption and the frame itself, as Windows does):
#   wine_desktop SUFFIX
# Uses a prefix of its own (the desktop is a setting of the prefix, and its
# Wine server must talk to this display only). Works in the scratch folder
# and keeps screenshots in $artifacts; everything stops on exit.
wine_desktop() {
  export WINEPREFIX="$WINEPREFIX-$1"
  wine_ready
  wineserver -k 2>/dev/null
  [ -f "$win/zthost.exe" ] || skip "no zthost.exe in $win"
  command -v Xvfb >/dev/null || skip "Xvfb is not installed"
  command -v xdotool >/dev/null || skip "xdotool is not installed"
  scratch
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
}

# desktop_dialog WINDOW CAPTION_X CAPTION_Y SHOT KEYS...: runs zthost.exe with
# window WINDOW (parameters in p.ini, extra bench options in $bench_opts),
# waits until its dialog is up, makes it the active window by a click on its
# caption (there is no window manager), keeps a screenshot in
# $artifacts/SHOT.png and presses the keys. The bench's output is in out.txt,
# what the dialog showed in dump.txt; host_status holds the bench's exit code.
desktop_dialog() {
  local window="$1" x="$2" y="$3" shot="$4"
  shift 4
  rm -f dump.txt
  # shellcheck disable=SC2086
  ZTCOMBO_DIALOG_DUMP=dump.txt timeout 120 wine "$win/zthost.exe" --plugin "$win/ztcombo.dll" --params p.ini \
    --workdir . ${bench_opts:-} window "$window" > out.txt 2>&1 &
  local host=$! d=""
  host_status=1
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
  xdotool mousemove --window "$d" "$x" "$y" click 1 >/dev/null 2>&1
  xdotool windowfocus --sync "$d" >/dev/null 2>&1 || true
  sleep 1.5
  command -v import >/dev/null && import -window "$d" "$artifacts/$shot.png" 2>/dev/null
  xdotool key --clearmodifiers "$@"
  wait $host
  host_status=$?
}
