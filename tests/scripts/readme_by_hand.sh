#!/usr/bin/env bash
# The README's "Trying it by hand" lines, read from the README and run as
# written from a folder whose build/linux is this build: the simulator starts,
# and the connection test, window 1 and the parameter list succeed. Filled in
# are only the simulator's port (N) and the working directory (/tmp/kasa
# becomes a fresh folder, so that runs never share one).
set -uo pipefail
source "$(dirname "$0")/common.bash"
for f in zthost regsim libztcombo.so; do [ -e "$bld/$f" ] || skip "$f is not built in $bld"; done

scratch


# The indented lines of the section, up to the next heading.
lines="$(awk '/^## Trying it by hand/ {on = 1; next} /^## / {on = 0} on && /^    / {sub(/^    /, ""); print}' \
  "$src/README.md")"
for want in "regsim" "run -1" "window 1" " params"; do
  grep -qF -- "$want" <<<"$lines" || fail "the README's by-hand lines lack '$want'"
done

cd "$tmp"
mkdir build
ln -s "$bld" build/linux
export ZTCOMBO_VIRTUAL_TIME=1
port=""
n=0
while IFS= read -r line; do
  n=$((n + 1))
  line="${line//\/tmp\/kasa/$tmp/kasa}"
  case "$line" in
    *regsim*'&'*)
      eval "$line" > regsim.out 2>&1 < /dev/null
      sim_pid=$!
      for _ in $(seq 1 100); do grep -q '^ready' regsim.out 2>/dev/null && break; sleep 0.1; done
      port="$(awk '$1 == "port" {print $2}' regsim.out)"
      [ -n "$port" ] || { fail "the simulator did not start"; cat regsim.out; break; }
      ;;
    *)
      line="${line/ComboIpPort=N/ComboIpPort=$port}"
      eval "$line" > "out$n.txt" 2>&1 < /dev/null
      rc=$?
      [ "$rc" = 0 ] || { fail "line $n exited $rc: $line"; cat "out$n.txt"; continue; }
      if grep -q '^\[ERR' "out$n.txt"; then fail "line $n reported errors: $line"; cat "out$n.txt"; fi
      case "$line" in
        *"run -1"*) grep -q 'kasa o numerze: 1' "out$n.txt" || { fail "the connection test is incomplete"; cat "out$n.txt"; } ;;
        *"window 1"*) grep -q "window 1: result 1, operation 1" "out$n.txt" || { fail "window 1"; cat "out$n.txt"; } ;;
        *" params"*) grep -q "ComboEdiFolder" "out$n.txt" || { fail "the parameter list"; cat "out$n.txt"; } ;;
      esac
      ;;
  esac
done <<<"$lines"
ls "$tmp/kasa/log"/* > /dev/null 2>&1 || fail "no communication log in the working directory"

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "README by hand: all lines ran"
