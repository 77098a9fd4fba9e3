# Starts the register simulator in the background for a script.
#   start_regsim REGSIM DIR SECONDS [REGSIM OPTIONS...]
# Sets sim_pid, port (TCP on 127.0.0.1) and pty (the serial line); the
# simulator stops by itself after SECONDS. Returns 1 when it did not start.
start_regsim() {
  local regsim="$1" dir="$2" secs="$3"
  shift 3
  "$regsim" --timeout "$secs" "$@" > "$dir/regsim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 100); do grep -q '^ready' "$dir/regsim.out" 2>/dev/null && break; sleep 0.1; done
  port="$(awk '$1 == "port" {print $2}' "$dir/regsim.out")"
  pty="$(awk '$1 == "pty" {print $2}' "$dir/regsim.out")"
  if [ -z "$port" ] || [ -z "$pty" ]; then
    echo "the register simulator did not start:"
    cat "$dir/regsim.out"
    return 1
  fi
}
