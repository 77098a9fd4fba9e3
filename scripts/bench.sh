#!/usr/bin/env bash
# Speed against the physical limit: one table, each row the measured figure,
# the limit for the same work and their ratio (measured time / limit time).
#   bench.sh [--quick] [--goods N] [--receipts N] [--no-9600] [--rows LIST] [--no-build]
# Full sizes by default: 10 000 goods and 1 000 receipts over the paced line,
# about 25 minutes, most of it at 9600 baud. --quick: 1 000 goods and 100
# receipts. --rows picks rows by number (e.g. 1,2,3,4); --no-build runs what
# build/linux holds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
goods=10000 receipts=1000 bauds="115200 9600" rows="1,2,3,4,5" commands=20000 build=1
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) goods=1000 receipts=100 commands=10000 ;;
    --goods) goods="$2"; shift ;;
    --receipts) receipts="$2"; shift ;;
    --no-9600) bauds="115200" ;;
    --rows) rows="$2"; shift ;;
    --no-build) build=0 ;;
    *) echo "usage: bench.sh [--quick] [--goods N] [--receipts N] [--no-9600] [--rows LIST] [--no-build]" >&2; exit 2 ;;
  esac
  shift
done
want() { [[ ",$rows," == *",$1,"* ]]; }

[ "$build" = 1 ] && ZT_JOBS="${ZT_JOBS:-2}" bash "$root/scripts/build.sh" bench >/dev/null
bin="$root/build/linux"
work="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# start_sim DIR REGSIM-OPTIONS...: the simulator in the background; sets
# sim_pid, port and pty (either empty when that line is off).
start_sim() {
  local dir="$1"
  shift
  "$bin/regsim" --timeout 7200 "$@" > "$dir/regsim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 100); do grep -q '^ready' "$dir/regsim.out" 2>/dev/null && break; sleep 0.1; done
  grep -q '^ready' "$dir/regsim.out" || { echo "the register simulator did not start:" >&2; cat "$dir/regsim.out" >&2; exit 1; }
  port="$(awk '$1 == "port" {print $2}' "$dir/regsim.out")"
  pty="$(awk '$1 == "pty" {print $2}' "$dir/regsim.out")"
}

now_us() { echo $(($(date +%s%N) / 1000)); }
# Seconds dd reports for its own copy (process start not counted).
dd_s() { dd "$@" bs=4M 2>&1 >/dev/null | awk '/copied/ {for (i = 1; i <= NF; i++) if ($i ~ /^s,?$/) print $(i - 1)}'; }
read_s() { dd_s if="$1" of=/dev/null; }
write_s() { dd_s if=/dev/zero of="$work/dd.out" iflag=count_bytes count="$1"; }
fsize() { stat -c %s "$1"; }
# Stops the simulator; sim_bytes: its count of bytes it took and wrote. Not
# in a subshell: only this shell can wait for it.
stop_sim() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=""
  sim_bytes="$(awk '/^stopped,/ {print $4 + $7}' "$1/regsim.out")"
}

table=()
row() { table+=("$(printf '%-58s|%14s |%14s |%8s' "$1" "$2" "$3" "$4")"); }
ratio() { awk -v m="$1" -v l="$2" 'BEGIN {printf (l > 0 ? "%.2f" : "-"), m / l}'; }
fmt() { awk -v v="$1" -v u="$2" 'BEGIN {printf "%.3f %s", v, u}'; }

# 1. kasa.exp of 100 000 goods against a 59 000-entry register list. The
# limit: reading kasa.exp and writing wynik.exp and combo.tow as plain bytes.
if want 1; then
  mkdir -p "$work/exp"
  # Its own check of the statuses is not this table's business: the time is.
  out="$("$bin/expbench" "$work/exp" 59000 || true)"
  ms="$(awk '/^total/ {print $2}' <<<"$out")"
  lim="$(awk -v a="$(read_s "$work/exp/kasa.exp")" \
             -v b="$(write_s $(($(fsize "$work/exp/wynik.exp") + $(fsize "$work/exp/combo.tow"))))" \
             'BEGIN {print (a + b) * 1000}')"
  row "1 kasa.exp 100k goods + 59k register list + wynik.exp" "$(fmt "$ms" ms)" "$(fmt "$lim" ms)" "$(ratio "$ms" "$lim")"
  rm -rf "$work/exp"
fi

# 2. combo.imp of 100 000 receipt lines into kasa.imp; the limit: reading
# combo.imp and writing kasa.imp as plain bytes. The sleeps the file format
# prescribes are counted, not slept, and shown apart.
if want 2; then
  mkdir -p "$work/imp"
  out="$("$bin/import_bench" "$work/imp")"
  first="$(awk '/plug-in time/ {print $NF == "ms" ? $(NF - 1) : $NF; exit}' <<<"$out")"
  bytes="$(awk '/bytes of kasa.imp/ {for (i = 1; i <= NF; i++) if ($(i + 1) == "bytes") {print $i; exit}}' <<<"$out")"
  sleeps="$(awk '/pacing sleeps/ {print $(NF - 1); exit}' <<<"$out")"
  lim="$(awk -v a="$(read_s "$work/imp/combo.imp")" -v b="$(write_s "$bytes")" 'BEGIN {print (a + b) * 1000}')"
  row "2 combo.imp 100k lines -> kasa.imp (+${sleeps} ms pacing sleeps)" "$(fmt "$first" ms)" "$(fmt "$lim" ms)" \
    "$(ratio "$first" "$lim")"
  rm -rf "$work/imp"
fi

# 3. The plug-in alone: its CPU per command over a line in memory that hands
# back the simulator's recorded answers (no kernel time in it). The limit is
# the goal of 10 us a command. 3b, 4. Over loopback TCP against the simulator
# without pacing; the limit: a bare blocking client sending the same requests
# and reading each answer to its end (one send and one receive a command).
if want 3 || want 4; then
  start_sim "$work" --no-pty
  out="$("$bin/link_bench" "$port" "$commands")"
  stop_sim "$work"
  alone_cpu="$(awk '/^alone:/ {print $4}' <<<"$out")"
  read -r link_cpu link_rate <<<"$(awk '/^link:/ {print $4, $7}' <<<"$out")"
  read -r bare_cpu bare_rate <<<"$(awk '/^bare:/ {print $4, $7}' <<<"$out")"
  if want 3; then
    row "3 plug-in CPU per command, line in memory (vs goal)" "$(fmt "$alone_cpu" us)" "$(fmt 10 us)" \
      "$(ratio "$alone_cpu" 10)"
    row "3 CPU per command, loopback TCP (vs a bare client's)" "$(fmt "$link_cpu" us)" "$(fmt "$bare_cpu" us)" \
      "$(ratio "$link_cpu" "$bare_cpu")"
  fi
  want 4 && row "4 commands per second, loopback TCP, unpaced simulator" "$link_rate /s" "$bare_rate /s" \
    "$(ratio "$bare_rate" "$link_rate")"
fi

# 5. An export and an import against the simulator keeping the line's pace on
# its pseudo-terminal, with no processing time. The limit: the bytes both ways
# at 10 bits a byte, one after the other as on a half-duplex exchange.
speed_code() { case "$1" in 115200) echo 7 ;; 57600) echo 6 ;; 38400) echo 5 ;; 19200) echo 4 ;; *) echo 3 ;; esac; }
paced() {  # paced KIND BAUD
  local kind="$1" baud="$2" dir="$work/$1-$2"
  mkdir -p "$dir/EDI"
  if [ "$kind" = export ]; then
    bash "$root/scripts/sample_export.sh" "$dir/kasa.exp" "$goods"
    "$bin/regsim" --dump-state > "$dir/state.txt"
    cat > "$dir/params.txt" <<P
RodzajTransmisji=3
ComboKasTowMax=1
ComboOneAsortOnly=0
ComboExpFPlatn=1
ZT_Combo_PosortowaneStawkiVatPrec:=2300\r\n800\r\n500\r\n0\r\n-1
P
    op=-2
  else
    { "$bin/regsim" --dump-state
      echo "[sales]"
      echo "clock;2024-05-06 23:30:00"
      # A receipt a minute from 06:00, two goods each.
      awk -v n="$receipts" 'BEGIN {
        for (i = 0; i < n; i++)
          printf "receipt;plu %d 1000;plu %d 2000;pay 1 100000;at 2024-05-06 %02d:%02d\n",
                 i % 3 + 1, (i + 1) % 3 + 1, 6 + int(i / 60) % 17, i % 60
      }'
    } > "$dir/state.txt"
    cat > "$dir/params.txt" <<P
ComboImpMode=1
ComboImpReceipts=1
ComboLastReceipt=0
DataImportu=2024-05-06
P
    op=-3
  fi
  # No processing time: neither per command nor in the two-part answers of reports.
  start_sim "$dir" --no-tcp --state "$dir/state.txt" --baud "$baud" --complex-delay 0
  cat >> "$dir/params.txt" <<P
ComboPort=$pty
ComboSpeed=$(speed_code "$baud")
ComboEdiFolder=$dir/EDI
P
  local t0 t1 rc=0
  t0="$(now_us)"
  # The bench's own CPU time beside the wall time, where GNU time is there.
  local timer=()
  echo "0 0" > "$dir/cpu"
  [ -x /usr/bin/time ] && timer=(/usr/bin/time -f "%U %S" -o "$dir/cpu")
  "${timer[@]}" "$bin/zthost" --plugin "$bin/libztcombo.so" --params "$dir/params.txt" --workdir "$dir" --register 1 run "$op" \
    > "$dir/host.out" 2>&1 || rc=$?
  t1="$(now_us)"
  stop_sim "$dir"
  local wire_bytes="$sim_bytes"
  if [ "$rc" != 0 ] || grep -q '^\[ERR \]' "$dir/host.out"; then
    echo "the $kind at $baud failed:" >&2
    grep -a '^\[ERR \]' "$dir/host.out" >&2 || tail -5 "$dir/host.out" >&2
  fi
  local s wire what
  s="$(awk -v a="$t0" -v b="$t1" 'BEGIN {print (b - a) / 1e6}')"
  wire="$(awk -v n="$wire_bytes" -v b="$baud" 'BEGIN {print n * 10 / b}')"
  if [ "$kind" = export ]; then what="$goods goods"; else what="$receipts receipts"; fi
  local cpu
  cpu="$(awk '{printf "%.2f", $1 + $2}' "$dir/cpu")"
  row "5 $kind of $what at $baud ($wire_bytes B, cpu ${cpu} s)" "$(fmt "$s" s)" "$(fmt "$wire" s)" "$(ratio "$s" "$wire")"
}
if want 5; then
  for baud in $bauds; do
    paced export "$baud"
    paced import "$baud"
  done
fi

echo
printf '%-58s|%14s |%14s |%8s\n' "work" "measured" "limit" "ratio"
printf '%s\n' "$(printf -- '-%.0s' $(seq 100))"
printf '%s\n' "${table[@]}"
echo
echo "Limits: rows 1-2 the same bytes read and written through the page cache (dd);"
echo "row 3 the goal of 10 us, then a bare blocking client sending the same requests, as"
echo "in row 4; row 5 the wire time"
echo "of the bytes both ways at 8N1 (bytes x 10 / baud) over the simulator's pseudo-terminal,"
echo "with the bench's own CPU time (plug-in and host) in the row. Ratio: measured time / limit time."
