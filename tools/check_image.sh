#!/bin/sh
# Checks the setup executable's image: 32-bit x86 PE, GUI subsystem, imports from system DLLs only,
# a manifest that asks for administrator rights, names the supported systems, declares per-monitor
# DPI awareness (v2, and the older entry for Windows 8.1 and 7) and the themed common controls, and
# a version resource with the maker and the version.
exe=${1:?usage: check_image.sh SETUP.EXE [VERSION]}
version=${2:-}
dump=$(i686-w64-mingw32-objdump -p "$exe") || exit 1
fail=0
echo "$dump" | grep -q 'file format pei-i386' || { echo "not a PE32 i386 image: $exe"; fail=1; }
echo "$dump" | grep -Eq '^Subsystem[[:space:]]+0+2[[:space:]]' || { echo "not a GUI subsystem image"; fail=1; }
imports=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $imports
for dll in $imports; do
  case $dll in
    kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|ole32.dll|comctl32.dll|comdlg32.dll|msvcrt.dll|ntdll.dll) ;;
    *) echo "imports a non-system DLL: $dll"; fail=1 ;;
  esac
done
[ -n "$imports" ] || { echo "no import table found"; fail=1; }
grep -q -a 'level="requireAdministrator"' "$exe" || { echo "the manifest asks for no administrator rights"; fail=1; }
grep -q -a 'supportedOS' "$exe" || { echo "the manifest names no supported system"; fail=1; }
for entry in '>true/pm</dpiAware>' '>PerMonitorV2, PerMonitor</dpiAwareness>' \
             'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'; do
  grep -q -a -F "$entry" "$exe" || { echo "the manifest lacks $entry"; fail=1; }
done
texts=$(i686-w64-mingw32-strings -el "$exe")  # the version resource's texts are UTF-16
for text in Velmoran VelmoranSetup.exe $version; do
  printf "%s\n" "$texts" | grep -qx -F "$text" || { echo "the version resource lacks \"$text\""; fail=1; }
done
[ $fail -eq 0 ] && echo "ok: $(stat -c %s "$exe") bytes"
exit $fail
