#!/usr/bin/env bash
# No include points up: a file's folder is the deepest folder of the ranked
# list in build/layers.txt (written by CMake) that holds it, and it includes
# only files of its own folder or of folders of a lower rank; folders of one
# rank do not include each other. The register simulator stands on the
# protocol core and the platform alone, the bench on the platform and the
# host interface header.
set -euo pipefail
source "$(dirname "$0")/common.bash"
list="$bld/layers.txt"
[ -f "$list" ] || { echo "no $list: configure the build first"; exit 1; }
cd "$src"
{
  cat "$list"
  ls sim/*.cpp sim/*.h host/*.cpp host/*.h 2>/dev/null | sed 's/^/outside /'
} | awk '
  /^#/ { next }
  /^--$/ { files = 1; next }
  !files {
    n = split($1, same, "+")
    for (i = 1; i <= n; i++) rank[same[i]] = r
    r++
    next
  }
  { file[$2] = 1 }
  # The deepest ranked folder holding path p, "" for none.
  function folder(p,    d) {
    d = p
    while (sub(/\/[^\/]*$/, "", d)) if (d in rank) return d
    return ""
  }
  function allowed_outside(f, inc) {
    if (f ~ /^sim\//) return inc ~ /^(sim|proto|platform)\//
    return inc ~ /^(host|platform)\// || inc == "action/qordll.h"
  }
  END {
    bad = 0
    for (f in file) {
      ff = folder(f)
      while ((getline line < f) > 0) {
        if (line !~ /^[ \t]*#[ \t]*include[ \t]*"/) continue
        inc = line; sub(/^[^"]*"/, "", inc); sub(/".*$/, "", inc)
        if (f ~ /^(sim|host)\//) {
          if (inc ~ /\// && !allowed_outside(f, inc)) { printf "%s includes %s\n", f, inc; bad = 1 }
          continue
        }
        fi = folder(inc)
        if (fi == "" || fi == ff) continue
        if (ff == "" || rank[fi] >= rank[ff]) {
          printf "%s (%s) includes %s (%s)\n", f, ff, inc, fi
          bad = 1
        }
      }
      close(f)
    }
    exit bad
  }'
echo "includes point down the layers"
