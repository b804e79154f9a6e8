#!/usr/bin/env bash
# Builds the setup program and launches it under Wine: on this display, or, without one, on a
# private Xvfb display, where it saves a screenshot (build/screenshot.png) and closes the setup.
set -euo pipefail
source "$(dirname "$0")/common.sh"
if [ -n "${DISPLAY:-}" ]; then "$root/tools/bootstrap.sh"; else "$root/tools/bootstrap.sh" imagemagick; fi

configure_and_build i686 "$root/build/i686" -DSETUP_BUILD_TESTS=OFF
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
export WINEPREFIX="$root/build/run-prefix-$arch" loader exe
screenshot="$root/build/screenshot.png"
export screenshot

if [ -n "${DISPLAY:-}" ]; then
  "$loader" wineboot </dev/null >/dev/null 2>&1
  status=0
  "$loader" "$exe" || status=$?
  echo "setup exited with $status"
else
  xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
    "$loader" wineboot </dev/null >/dev/null 2>&1
    "$loader" reg add "HKCU\Software\Wine\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
    "$loader" "$exe" & setup=$!
    sleep 4
    # The dialog is 500 x 292, centred on the 1024 x 768 screen.
    import -window root -crop 500x292+262+238 +repage "$screenshot"
    echo "no display: screenshot of the running setup saved to $screenshot"
    wineserver -k; wait $setup 2>/dev/null || true'
fi
