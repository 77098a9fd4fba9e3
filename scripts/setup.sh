#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine, and
# only what is missing. Safe to run again.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in cmake g++ make libgtest-dev libgmock-dev g++-mingw-w64-i686 xvfb xdotool imagemagick; do
  have "$p" || need+=("$p")
done
i386=0
if ! have wine32:i386 || ! have wine; then
  need+=(wine wine32:i386)
  i386=1
fi

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  if [ $i386 -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi
