# Shared by the script tests: where the Windows build is, and running it under Wine.
abs() { (cd "$1" 2>/dev/null && pwd) || echo "$1"; }
src="$(abs "$1")"
bld="$(abs "$2")"
win="$(abs "${ZT_WIN32_DIR:-$src/build/win32}")"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${ZT_WINEPREFIX:-$src/build/wineprefix}"

skip() { echo "SKIP: $*"; exit 77; }

# Creates the Wine prefix once; later runs reuse it.
wine_ready() {
  command -v wine >/dev/null || skip "wine is not installed"
  [ -f "$win/ztcombo.dll" ] || skip "no Windows build in $win"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    flock "$WINEPREFIX/.lock" bash -c '[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 || true'
  fi
}
