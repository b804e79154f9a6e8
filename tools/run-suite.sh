#!/usr/bin/env bash
# Runs ctest in a build tree, inside the display that test.sh started for it.
# One Wine session serves the whole run, bound to this display. Its service processes are started
# here, away from ctest's output pipes, and the server is kept alive until the end.
set -uo pipefail
tests=${1:?usage: run-suite.sh BUILD_DIR [ctest options...]}
shift
export WINEPREFIX="$tests/wineprefix"
wineserver -k 2>/dev/null
"$tests/wine-run.sh" wineboot </dev/null >/dev/null 2>&1
wineserver -p </dev/null >/dev/null 2>&1

# The prefix belongs to this build tree. Whatever a test killed by a time-out could not remove is
# removed here, so that no test finds it and skips.
for key in 'HKCU\Software\Velmoran' 'HKLM\Software\Velmoran' 'HKU\.default\Software\Velmoran' \
           'HKLM\Software\adobe' 'HKLM\Software\corel' 'HKCU\Software\jasc' 'HKLM\Software\xara' \
           'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\fireworks.exe' \
           'HKCR\PI3.Image' 'HKCR\PainterFile' \
           'HKCU\Software\Wine\AppDefaults\setup.exe' 'HKCU\Software\Wine\AppDefaults\control.exe'; do
  "$tests/wine-run.sh" reg delete "$key" /f </dev/null >/dev/null 2>&1
done
rm -rf "$WINEPREFIX/drive_c/planted-markers" "$WINEPREFIX"/drive_c/Testfolder* "$WINEPREFIX/drive_c/velmoran"

ctest --test-dir "$tests" -j2 --output-on-failure "$@"
status=$?
wineserver -k 2>/dev/null
"$(dirname "$0")/../tests/faults/small_disk.sh" unmount "$tests/small-disk" >/dev/null
exit $status
