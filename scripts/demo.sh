#!/usr/bin/env bash
# The main job: builds the Linux plug-in, bench and register simulator, starts
# the simulator and runs the connection test through the bench, printing what
# the host's message list shows.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh linux >/dev/null
bin="$root/build/linux"
work="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The simulator stops by itself after 120 s.
source "$root/scripts/regsim.bash"
start_regsim "$bin/regsim" "$work" 120 || exit 1
echo "== register simulator on 127.0.0.1:$port and $pty"

cat > "$work/params.txt" <<P
ComboPort=TCP/IP
ComboIpAddress=127.0.0.1
ComboIpPort=$port
ComboEdiFolder=$work/EDI
ComboDedbug=1
P
host=("$bin/zthost" --plugin "$bin/libztcombo.so" --params "$work/params.txt" --workdir "$work" --register 1)
echo "== library properties"
"${host[@]}" properties
echo
echo "== connection test (operation -1) over TCP/IP"
"${host[@]}" run -1
echo
echo "== connection test over the serial line $pty"
sed -i "s#^ComboPort=.*#ComboPort=$pty#" "$work/params.txt"
"${host[@]}" run -1
echo
echo "== communication log"
ls "$work/log"
