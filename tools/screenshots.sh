#!/usr/bin/env bash
# Remakes the README's pictures of the two states of the setup (docs/choosing.png,
# docs/completed.png): runs it on a private display with a discovered folder, installs, shoots.
# Then builds a setup of fourteen components as a maker would and shoots it (docs/fourteen.png).
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/bootstrap.sh" imagemagick xdotool
arch=$(test_arch)
configure_and_build "$arch" "$root/build/$arch" >/dev/null
components="" payload=""
for name in Lumen Ember Quill Tide Frost Amber Cinder Drift Fable Grove Haze Iris Jade Kelp; do
  upper=$(echo "$name" | tr a-z A-Z)
  components="$components${components:+;}$name|$name Filter Plug-in|Select to install $name"
  payload="$payload${payload:+;}$name/$upper.8BF=$root/build/$arch/payload/MIEN__FOLD.8BF"
done
configure_and_build "$arch" "$root/build/fourteen-$arch" -DSETUP_BUILD_TESTS=OFF \
  "-DSETUP_COMPONENTS=$components" "-DSETUP_PAYLOAD=$payload" >/dev/null
loader=wine
[ "$arch" = x86_64 ] && loader=/usr/lib/wine/wine64
export loader exe="$root/build/$arch/bin/VelmoranSetup.exe" docs="$root/docs"
export fourteen="$root/build/fourteen-$arch/bin/VelmoranSetup.exe"
export WINEPREFIX="$root/build/screenshot-prefix-$arch"
mkdir -p "$docs"
xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
  set -e
  "$loader" wineboot </dev/null >/dev/null 2>&1
  "$loader" reg add "HKCU\Software\Wine\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
  "$loader" reg add "HKCU\Software\Velmoran\Demo" /v PluginDir /d "C:\Program Files\Image Editor\Plug-Ins" /f >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/Program Files/Image Editor/Plug-Ins"
  "$loader" "$exe" & setup=$!
  sleep 4
  xdotool mousemove $((262 + 250 + 6)) $((238 + 80 + 6)); sleep 1   # over the toggle: its status text
  import -window root -crop 500x292+262+238 +repage "$docs/choosing.png"
  xdotool mousemove $((262 + 380)) $((238 + 276)) click 1; sleep 3
  import -window root -crop 500x292+262+238 +repage "$docs/completed.png"
  wineserver -k; wait $setup 2>/dev/null || true
  "$loader" "$fourteen" & setup=$!
  sleep 4
  xdotool mousemove $((262 + 222 + 6)) $((238 + 80 + 18 * 3 + 6)); sleep 1
  import -window root -crop 500x292+262+238 +repage "$docs/fourteen.png"
  wineserver -k; wait $setup 2>/dev/null || true'
rm -rf "$WINEPREFIX"
echo "saved $root/docs/choosing.png, $root/docs/completed.png and $root/docs/fourteen.png"
