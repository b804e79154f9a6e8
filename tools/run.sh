#!/usr/bin/env bash
# Builds the setup program and launches it under Wine: on this display, or on a private Xvfb one.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/bootstrap.sh"

configure_and_build i686 "$root/build/i686"
exe="$root/build/i686/bin/VelmoranSetup.exe"
arch=$(test_arch)
if [ "$arch" != i686 ]; then
  echo "This machine cannot run 32-bit code: launching a 64-bit build of the same sources instead." >&2
  configure_and_build "$arch" "$root/build/$arch"
  exe="$root/build/$arch/bin/VelmoranSetup.exe"
  loader=/usr/lib/wine/wine64
  export WINEARCH=win64
else
  loader=wine
  export WINEARCH=win32
fi
export WINEPREFIX="$root/build/run-prefix-$arch"

export loader exe
launch='"$loader" wineboot </dev/null >/dev/null 2>&1; status=0; "$loader" "$exe" || status=$?; echo "setup exited with $status"'
if [ -n "${DISPLAY:-}" ]; then
  bash -c "$launch"
else
  xvfb-run -a -s '-screen 0 1024x768x24' bash -c "$launch"
fi
