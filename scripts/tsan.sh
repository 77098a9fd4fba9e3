#!/usr/bin/env bash
# ThreadSanitizer run of what has threads: the register simulator and the test
# peers (pseudo-terminal and TCP/IP peers, card-server stub, modem emulator)
# against the link. Kept out of scripts/test.sh for the CI time: a separate
# Debug build (build/tsan) of the link and simulator tests only.
#   bash scripts/tsan.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
# The simulator and peer threads meet the plug-in's code over real lines here.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
status=0
for t in link_tests sim_tests; do
  echo "== $t"
  "build/tsan/$t" || status=1
done
exit $status
