#!/usr/bin/env bash
# Runs ctest in a build tree, inside the display that test.sh started for it.
# One Wine session serves the whole run, bound to this display. Its service processes are started
# here, away from ctest's output pipes, and the server is kept alive until the end.
set -uo pipefail
tests=${1:?usage: run-suite.sh BUILD_DIR [ctest options...]}
shift
export WINEPREFIX="$tests/wineprefix"
wineserver -k 2>/dev/null
WINEPREFIX="$tests/wineprefix64" wineserver -k 2>/dev/null  # the 32-bit build's 64-bit prefix
"$tests/wine-run.sh" wineboot </dev/null >/dev/null 2>&1
wineserver -p </dev/null >/dev/null 2>&1

# The prefix belongs to this build tree. Whatever a test killed by a time-out could not remove is
# removed here, so that no test finds it and skips.
for key in 'HKCU\Software\Velmoran' 'HKLM\Software\Velmoran' 'HKU\.default\Software\Velmoran' \
           'HKLM\Software\adobe' 'HKLM\Software\paint.net' 'HKLM\Software\corel' 'HKCU\Software\jasc' 'HKLM\Software\xara' \
           'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\fireworks.exe' \
           'HKCR\PI3.Image' 'HKCR\PainterFile' \
           'HKCU\Software\Wine\AppDefaults\setup.exe' 'HKCU\Software\Wine\AppDefaults\control.exe' \
           'HKCU\Software\Wine\WineBrowser' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmoran Plugins'; do
  "$tests/wine-run.sh" reg delete "$key" /f </dev/null >/dev/null 2>&1
done
# The 64-bit prefix's keys of the view tests are under the same names.
if [ -x "$tests/wine-run-win64.sh" ] && [ -f "$tests/wineprefix64/.ready" ]; then
  for key in 'HKLM\Software\Adobe' 'HKLM\Software\paint.net' 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\fireworks.exe'; do
    for view in 32 64; do "$tests/wine-run-win64.sh" reg delete "$key" /f /reg:$view </dev/null >/dev/null 2>&1; done
  done
fi
rm -rf "$WINEPREFIX/drive_c/Program Files/Velmoran Plugins" "$WINEPREFIX/drive_c/Program Files (x86)/Velmoran Plugins" "$WINEPREFIX/drive_c/planted-markers" "$WINEPREFIX"/drive_c/Testfolder* "$tests"/wineprefix64/drive_c/Testfolder*

ctest --test-dir "$tests" -j2 --output-on-failure "$@"
status=$?
wineserver -k 2>/dev/null
WINEPREFIX="$tests/wineprefix64" wineserver -k 2>/dev/null
exit $status
