#!/usr/bin/env bash
# Remakes the README's pictures of the two states of the setup (docs/choosing.png,
# docs/completed.png): runs it on a private display with a discovered folder, installs, shoots.
# Then builds a setup of fourteen components as a maker would and shoots it (docs/fourteen.png),
# and shoots the setup in six of its languages (docs/languages.png) and at 150 % and 200 %
# (docs/scale-150.png, docs/scale-200.png).
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/bootstrap.sh" imagemagick xdotool
arch=$(test_arch)
configure_and_build "$arch" "$root/build/$arch" >/dev/null
# Fourteen components, described and packed as a maker does.
fourteen_dir="$root/build/fourteen-$arch"
mkdir -p "$fourteen_dir"
sed -n '/^\[maker\]/,/^version/p' "$root/resources/setup.toml" >"$fourteen_dir/setup.toml"
for name in Lumen Ember Quill Tide Frost Amber Cinder Drift Fable Grove Haze Iris Jade Kelp; do
  printf '\n[[component]]\nkeyword = "%s"\ncaption = "%s Filter Plug-in"\nstatus = "Select to install %s"\n' \
    "$name" "$name" "$name" >>"$fourteen_dir/setup.toml"
  printf 'files = [{ path = "%s", name = "%s.8bf" }]\n' "$root/build/$arch/payload/MienFold.8bf" "$name" \
    >>"$fourteen_dir/setup.toml"
done
"$root/build/$arch/host-packer/setup-pack" "$fourteen_dir/setup.toml" -o "$fourteen_dir/VelmoranSetup.exe" \
  --stub "$root/build/$arch/bin/setup-stub.exe" >/dev/null
loader=wine
[ "$arch" = x86_64 ] && loader=/usr/lib/wine/wine64
export loader exe="$root/build/$arch/bin/VelmoranSetup.exe" docs="$root/docs"
export fourteen="$fourteen_dir/VelmoranSetup.exe"
export WINEPREFIX="$root/build/screenshot-prefix-$arch"
mkdir -p "$docs"
xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
  set -e
  "$loader" wineboot </dev/null >/dev/null 2>&1
  "$loader" reg add "HKCU\Software\Wine\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
  "$loader" reg add "HKCU\Software\Velmoran\Demo" /v PluginDir /d "C:\Program Files\Image Editor\Plug-Ins" /f >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/Program Files/Image Editor/Plug-Ins"
  "$loader" "$exe" & setup=$!
  sleep 4
  xdotool mousemove $((390 + 250 + 6)) $((366 + 80 + 6)); sleep 1   # over the toggle: its status text
  import -window root -crop 500x292+390+366 +repage "$docs/choosing.png"
  xdotool mousemove $((390 + 380)) $((366 + 276)) click 1; sleep 3
  import -window root -crop 500x292+390+366 +repage "$docs/completed.png"
  wineserver -k; wait $setup 2>/dev/null || true
  "$loader" "$fourteen" & setup=$!
  sleep 4
  xdotool mousemove $((390 + 222 + 6)) $((366 + 80 + 18 * 3 + 6)); sleep 1
  import -window root -crop 500x292+390+366 +repage "$docs/fourteen.png"
  wineserver -k; wait $setup 2>/dev/null || true
  # In six of its languages, the mouse over INSTALL.
  for tag in de pl ru ja zh-CN ko; do
    "$loader" "$exe" /LANG=$tag & setup=$!
    sleep 4
    xdotool mousemove $((390 + 400)) $((366 + 280)); sleep 1
    import -window root -crop 500x292+390+366 +repage "/tmp/setup-language-$tag.png"
    wineserver -k; wait $setup 2>/dev/null || true
  done
  montage /tmp/setup-language-{de,pl,ru,ja,zh-CN,ko}.png -tile 2x3 -geometry +4+4 "$docs/languages.png"
  rm -f /tmp/setup-language-*.png
  # At 150 % and 200 %: the system scale is the LogPixels value.
  for dpi in 144 192; do
    "$loader" reg add "HKCU\Control Panel\Desktop" /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1
    "$loader" reg add "HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts" \
      /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1
    "$loader" "$exe" & setup=$!
    sleep 4
    w=$((500 * dpi / 96)) h=$((292 * dpi / 96))
    import -window root -crop ${w}x${h}+$(((1280 - w) / 2))+$(((1024 - h) / 2)) +repage "$docs/scale-$((dpi * 100 / 96)).png"
    wineserver -k; wait $setup 2>/dev/null || true
  done'
rm -rf "$WINEPREFIX"
echo "saved choosing, completed, fourteen, languages, scale-150 and scale-200 in $root/docs"
