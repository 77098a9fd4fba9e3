#!/usr/bin/env bash
# The main job: builds the Linux plug-in and bench and shows what the host sees.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh linux >/dev/null
bin="$root/build/linux"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cat > "$work/params.txt" <<P
ComboPort=TCP/IP
ComboEdiFolder=$work/EDI
ComboDedbug=0
P
echo "== library properties"
"$bin/zthost" --plugin "$bin/libztcombo.so" properties
echo "== windows"
"$bin/zthost" --plugin "$bin/libztcombo.so" windows
echo "== operation -1 (connection test)"
"$bin/zthost" --plugin "$bin/libztcombo.so" --params "$work/params.txt" --workdir "$work" run -1
