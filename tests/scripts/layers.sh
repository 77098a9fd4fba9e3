#!/usr/bin/env bash
# No include points up the layers: every file of a layer (build/layers.txt,
# written by CMake) includes only files of its own layer or of layers below,
# and the register simulator only the protocol core and the platform.
set -euo pipefail
source "$(dirname "$0")/common.bash"
list="$bld/layers.txt"
[ -f "$list" ] || { echo "no $list: configure the build first"; exit 1; }
cd "$src"
awk -v src="$src" '
  /^#/ { next }
  /^--$/ { files = 1; next }
  !files { rank[$1] = n++; next }
  { layer[$2] = $1 }
  END {
    # The simulator stands on the protocol core.
    while ((("ls sim/*.cpp sim/*.h 2>/dev/null") | getline f) > 0) layer[f] = "ztproto"
    bad = 0
    for (f in layer) {
      while ((getline line < f) > 0) {
        if (line !~ /^[ \t]*#[ \t]*include[ \t]*"/) continue
        inc = line; sub(/^[^"]*"/, "", inc); sub(/".*$/, "", inc)
        if (f ~ /^sim\// && inc ~ /^sim\//) continue
        if (!(inc in layer)) continue
        if (rank[layer[inc]] > rank[layer[f]]) {
          printf "%s (%s) includes %s (%s)\n", f, layer[f], inc, layer[inc]
          bad = 1
        }
      }
      close(f)
    }
    exit bad
  }' "$list"
echo "includes point down the layers"
