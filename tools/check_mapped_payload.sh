#!/bin/sh
# Checks that a setup's resources of a megabyte and more (a payload) start at a page boundary of
# the file, so that the loader maps them as they lie instead of reading all of them before the
# setup starts. For the 32-bit and the 64-bit builds alike.
exe=${1:?usage: check_mapped_payload.sh SETUP.EXE}
for objdump in i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump; do
  sections=$($objdump -h "$exe" 2>/dev/null) && break
done
set -- $(echo "$sections" | awk '$2 == ".rsrc" { print $3, $6 }')
[ $# -eq 2 ] || { echo "no resource section in $exe"; exit 1; }
if [ $((0x$1)) -ge 1048576 ] && [ $((0x$2 % 4096)) -ne 0 ]; then
  echo "the resources ($((0x$1)) bytes) start at $((0x$2)), not at a page boundary"
  exit 1
fi
echo "ok: $((0x$1)) bytes of resources at $((0x$2))"
