#!/usr/bin/env bash
# Installs what is missing on a fresh Debian machine, and only that. Safe to
# run again.
#   setup.sh main   what the main job uses: the Linux compiler and CMake
#   setup.sh all    everything the build and the tests use (the default):
#                   GoogleTest, clang for the fuzz targets, mingw-w64 for the
#                   DLL, Wine with wine32 and Xvfb for testing it
set -euo pipefail
profile="${1:-all}"

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

want=(cmake g++ make)
if [ "$profile" = all ]; then
  want+=(libgtest-dev libgmock-dev clang libclang-rt-14-dev g++-mingw-w64-i686 xvfb xdotool imagemagick wine
         wine32:i386)
fi
need=()
for p in "${want[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
apt_get() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o Acquire::Retries=3 "$@"; }

echo "setup: installing ${need[*]}"
if printf '%s\n' "${need[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi

# An index that fails to download (a mirror caught mid-sync) stops nothing by
# itself: apt keeps the old one, and only the install tells whether the
# packages we need were in it. When one architecture's security index is
# missing, the two halves of a library (amd64 and i386) get different
# candidate versions and nothing resolves; preferring the release's own suite
# gives both the same version. Every step is tried a few times with a pause.
codename="$(. /etc/os-release 2>/dev/null; echo "${VERSION_CODENAME:-}")"
for attempt in 1 2 3 4; do
  if ! apt_get update -qq; then
    echo "setup: apt-get update reported a failing index (attempt $attempt); trying the install anyway" >&2
  fi
  if apt_get install -y -qq "${need[@]}" >/dev/null; then
    exit 0
  fi
  if [ -n "$codename" ] && apt_get install -y -qq -t "$codename" "${need[@]}" >/dev/null; then
    exit 0
  fi
  [ $attempt -lt 4 ] && { echo "setup: install failed (attempt $attempt), retrying" >&2; sleep $((attempt * 10)); }
done
echo "setup: could not install ${need[*]}" >&2
exit 1
