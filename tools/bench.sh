#!/usr/bin/env bash
# Builds the benchmarks and the peer installer, runs them under Wine on a private display and
# prints the figures. ROUNDS=N sets the interleaved rounds (default 20). Not part of the tests.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/bootstrap.sh" nsis bc
arch=$(test_arch)
tree="$root/build/$arch"
configure_and_build "$arch" "$tree" -DSETUP_BUILD_TESTS=ON >/dev/null
configure_and_build i686 "$root/build/i686" -DSETUP_BUILD_TESTS=ON >/dev/null  # its EmptySetup: no payload
bin="$tree/bin"
payload="$tree/payload/MienFold.8bf"
target=x86-unicode
[ "$arch" = x86_64 ] && target=amd64-unicode
makensis -V1 -DTARGET="$target" -DOUTFILE="$bin/peer-nsis.exe" -DPAYLOAD="$payload" "$root/bench/nsis/peer.nsi"

# A maker's real setup: fourteen components of two filters each, 28 PE DLLs of 150-600 KB that
# the machine has (Wine's own, standing in for filters), described and packed as the README says,
# beside the peer installer's default (zlib) and solid LZMA builds of the same files, and their
# empty stubs.
dlls=$( { find /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/wine/i386-windows -name '*.dll' -size +150k \
          -size -600k 2>/dev/null || true; } | sort | sed -n 1,28p)
many="$root/build/bench-many"
mkdir -p "$many"
files="$many/files.nsh" description="$many/many.toml"
: >"$files"
sed -n '/^\[maker\]/,/^version/p' "$root/resources/setup.toml" >"$description"
i=0
for dll in $dlls; do
  name=$(printf 'Filter%02d' $((i / 2)))
  file=$(printf 'Filter%02d%s.8bf' $((i / 2)) "$([ $((i % 2)) = 1 ] && echo 64)")
  [ $((i % 2)) = 0 ] && printf '\n[[component]]\nkeyword = "%s"\ncaption = "%s Plug-in"\nstatus = "Select to install %s"\nfiles = [' \
    "$name" "$name" "$name" >>"$description"
  printf '{ path = "%s", name = "%s" }%s' "$dll" "$file" "$([ $((i % 2)) = 1 ] && echo ']' || echo ', ')" >>"$description"
  echo "  File \"/oname=$file\" \"$dll\"" >>"$files"
  i=$((i + 1))
done
echo >>"$description"
packer="$tree/host-packer/setup-pack" stub="$tree/bin/setup-stub.exe"
ours="$many/VelmoranSetup.exe"
: >"$many/none.nsh"
for build in "solid-stub:/SOLID lzma:$many/none.nsh" "zlib-stub:zlib:$many/none.nsh" "zlib:zlib:$files"; do
  IFS=: read -r out compressor list <<<"$build"
  makensis -V1 -DTARGET="$target" -DOUTFILE="$many/nsis-$out.exe" "-DCOMPRESSOR=$compressor" -DFILES="$list" \
    "$root/bench/nsis/many.nsi"
done
# Packing time, paired: the packer and makensis /SOLID lzma over the same 28 files, in turn; and the
# packer over the one placeholder filter.
seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N); echo "$end - $start" | bc -l; }
echo "packing time, 3 paired rounds (28 files, $(cat $dlls | wc -c) bytes; one filter):"
for round in 1 2 3; do
  a=$(seconds "$packer" "$description" -o "$ours" --stub "$stub")
  b=$(seconds makensis -V1 -DTARGET="$target" -DOUTFILE="$many/nsis-solid.exe" "-DCOMPRESSOR=/SOLID lzma" -DFILES="$files" \
        "$root/bench/nsis/many.nsi")
  c=$(seconds "$packer" "$root/resources/setup.toml" -o "$many/one.exe" --stub "$stub" --base "$tree")
  printf '  round %d: setup-pack %.2f s, makensis %.2f s (%.2f of it); one filter %.3f s\n' "$round" "$a" "$b" \
    "$(echo "$a / $b" | bc -l)" "$c"
done
echo
export many ours

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
echo
files_size=$(cat $dlls | wc -c)
echo "size of a setup of the 28 files ($(echo $dlls | wc -w) DLLs, $files_size bytes):"
stub=$(size "$tree/bin/EmptySetup.exe")
for exe in "$ours" "$many/nsis-solid.exe" "$many/nsis-zlib.exe"; do
  printf '  %-45s %9d bytes, %.3f of NSIS /SOLID lzma\n' "${exe#$root/}" "$(size "$exe")" \
    "$(echo "$(size "$exe") / $(size "$many/nsis-solid.exe")" | bc -l)"
done
echo "size without payload:"
printf '  ours (a setup that carries none)              %9d bytes, %.3f of the NSIS lzma stub\n' "$stub" \
  "$(echo "$stub / $(size "$many/nsis-solid-stub.exe")" | bc -l)"
printf '  NSIS stub, lzma                               %9d bytes\n' "$(size "$many/nsis-solid-stub.exe")"
printf '  NSIS stub, zlib                               %9d bytes\n' "$(size "$many/nsis-zlib-stub.exe")"
# Where the bytes of the shipped 32-bit setup without payload go, object by object, into RESULTS.md.
python3 "$root/tools/size_table.py" "$root/build/i686/bin/EmptySetup.exe" "$root/build/i686/SetupStub.map" \
  "$root/bench/RESULTS.md"
echo "  the 32-bit setup without payload, object by object: bench/RESULTS.md, \"Where the bytes go\""
echo
xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
  loader=wine; [ "$arch" = x86_64 ] && loader=/usr/lib/wine/wine64
  "$loader" wineboot </dev/null >/dev/null 2>&1
  "$loader" reg add "HKCU\Software\Wine\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
  "$loader" "$bin/bench_launch.exe" "$ROUNDS" "$bin/VelmoranSetup.exe" "$bin/peer-nsis.exe" "$bin/bench_bare_dialog.exe"
  echo
  "$loader" "$bin/bench_setup.exe" "$ROUNDS"
  echo
  "$loader" "$bin/bench_record.exe" "$("$loader" winepath.exe -w "$bin/FullSetup.exe")" "C:\\record-bench" 3
  rm -rf "$WINEPREFIX/drive_c/record-bench"
  echo
  "$loader" "$bin/bench_payload.exe" "$("$loader" winepath.exe -w "$ours")" "$("$loader" winepath.exe -w "$many/nsis-solid.exe")" \
    "$("$loader" winepath.exe -w "$many/nsis-zlib.exe")" "C:\\payload-bench" 3
  rm -rf "$WINEPREFIX/drive_c/payload-bench"
  echo
  "$loader" "$bin/bench_large.exe" "$("$loader" winepath.exe -w "$bin/LargeSetup.exe")" \
    "$("$loader" winepath.exe -w "$bin/../fixtures/model")" "$("$loader" winepath.exe -w "$bin/bench_bare_dialog.exe")" \
    "C:\\large-bench" 5
  rm -rf "$WINEPREFIX/drive_c/large-bench"
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
