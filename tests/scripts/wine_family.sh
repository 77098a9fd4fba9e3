#!/usr/bin/env bash
# A second driver of the family (family_driver.dll, built with the same
# toolchain) links against the classes ztcombo.dll exports and uses them under
# Wine: sorting, searching, splitting, cutting and reading an export line.
set -uo pipefail
source "$(dirname "$0")/common.bash"
wine_ready
[ -f "$win/family_driver.dll" ] && [ -f "$win/family_probe.exe" ] || skip "no family driver in $win"

scratch
cp "$win/ztcombo.dll" "$win/family_driver.dll" "$win/family_probe.exe" "$tmp/"
got="$(cd "$tmp" && timeout 120 wine family_probe.exe 2>&1 | tr -d '\r')"
want="chleb,woda 1 Chleb 1"
[ "$got" = "$want" ] || fail "family driver answered '$got', want '$want'"
[ "$failures" -eq 0 ] && echo "family driver: the exported classes work from a second DLL"
exit "$failures"
