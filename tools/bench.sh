#!/usr/bin/env bash
# Builds the benchmarks and the peer installer, runs them under Wine on a private display and
# prints the figures. ROUNDS=N sets the interleaved rounds (default 20). Not part of the tests.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/bootstrap.sh" nsis
arch=$(test_arch)
tree="$root/build/$arch"
configure_and_build "$arch" "$tree" -DSETUP_BUILD_TESTS=ON >/dev/null
configure_and_build i686 "$root/build/i686" >/dev/null
bin="$tree/bin"
payload="$tree/payload/MIEN__FOLD.8BF"
target=x86-unicode
[ "$arch" = x86_64 ] && target=amd64-unicode
makensis -V1 -DTARGET="$target" -DOUTFILE="$bin/peer-nsis.exe" -DPAYLOAD="$payload" "$root/bench/nsis/peer.nsi"

export WINEPREFIX="$tree/bench-prefix" ROUNDS=${ROUNDS:-20} bin arch
echo "machine: $(nproc) cores, $(uname -m) kernel $(uname -r), $( (/usr/lib/wine/wine64 --version || wine --version) 2>/dev/null | head -1), $(date -u +%F)"
echo "builds: $arch (the shipped setup is i686; this machine's kernel runs ${arch} code)"
echo
size() { stat -c %s "$1"; }
payload_size=$(size "$payload")
echo "size (payload $payload_size bytes):"
for exe in "$root/build/i686/bin/VelmoranSetup.exe" "$bin/VelmoranSetup.exe" "$bin/peer-nsis.exe"; do
  printf '  %-60s %8d bytes, %7d without the payload\n' "${exe#$root/}" "$(size "$exe")" $(( $(size "$exe") - payload_size ))
done
printf '  art: %d bytes in %s\n' "$(cat "$root"/resources/art/* | wc -c)" "resources/art"
i686-w64-mingw32-objdump -h "$root/build/i686/bin/VelmoranSetup.exe" | awk '$2 ~ /^\./ {print $2, $3}' |
  while read -r section hex; do printf '  i686 section %-8s %6d bytes\n' "$section" $((16#$hex)); done
echo
xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
  loader=wine; [ "$arch" = x86_64 ] && loader=/usr/lib/wine/wine64
  "$loader" wineboot </dev/null >/dev/null 2>&1
  "$loader" reg add "HKCU\Software\Wine\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
  "$loader" "$bin/bench_launch.exe" "$ROUNDS" "$bin/VelmoranSetup.exe" "$bin/peer-nsis.exe" "$bin/bench_bare_dialog.exe"
  echo
  "$loader" "$bin/bench_setup.exe" "$ROUNDS"
  echo
  "$loader" "$bin/bench_record.exe" "$bin/FullSetup.exe" "C:\\record-bench" 3
  rm -rf "$WINEPREFIX/drive_c/record-bench"
  echo
  echo "discovery walk against a walk that holds its key handles:"
  "$loader" "$bin/bench_discovery.exe"
  wineserver -k'
if [ "$arch" = i686 ]; then
  echo
  echo "the whole discovery sequence of the 32-bit build, in a 32-bit prefix and under WOW64:"
  "$tree/wine-run.sh" "$bin/bench_discovery.exe" | tail -1
  "$tree/wine-run-win64.sh" "$bin/bench_discovery.exe" | tail -1
fi
