#!/bin/sh
# A maker's own pictures: a build with a replaced install button carries it in place of the
# default one; a build with a tick box of the wrong size is refused with a message that names the
# picture and what is wrong.   usage: check_art_build.sh SOURCE_DIR
set -eu
src=${1:?usage: check_art_build.sh SOURCE_DIR}
work=$(mktemp -d /tmp/setup-art.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

# A 24-bit bitmap of one colour, width x height.
bitmap() {
  python3 - "$@" <<'PY'
import struct, sys
path, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
row = bytes([40, 160, 90]) * width + bytes((-3 * width) % 4)
pixels = row * height
header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
open(path, "wb").write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54) + header + pixels)
PY
}

configure() {
  cmake -S "$src" -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw-i686.cmake" \
        -DSETUP_BUILD_TESTS=OFF -DSETUP_ART_DIR="$2" >"$1.log" 2>&1
}

mkdir -p "$work/wrong" "$work/own"
bitmap "$work/wrong/toggle.bmp" 40 13
if configure "$work/wrong-build" "$work/wrong"; then fail "a tick box of 40 x 13 pixels was taken"; fi
said=$(tr -s ' \n' '  ' <"$work/wrong-build.log")  # CMake wraps its messages
case $said in
  *"toggle.bmp ("*") is 40 x 13 pixels; it must be 52 x 13"*) echo "refused: the tick box of 40 x 13 pixels" ;;
  *) cat "$work/wrong-build.log"; fail "the refusal does not say what is wrong" ;;
esac

bitmap "$work/own/begin.bmp" 60 19
configure "$work/own-build" "$work/own" || { cat "$work/own-build.log"; fail "configure with the maker's button"; }
cmake --build "$work/own-build" --target VelmoranSetup >"$work/own-build.log" 2>&1 ||
  { cat "$work/own-build.log"; fail "build with the maker's button"; }
# The setup carries its pictures compressed in one stream: the maker's button is in it, and an
# LZMA decoder of its own (Python's) turns it back into the bitmap (the file without its header).
python3 - "$work/own/begin.bmp" "$work/own-build/VelmoranSetup_art/pictures.lz" "$work/own-build/bin/VelmoranSetup.exe" <<'PY' ||
import lzma, struct, sys
own, packed, exe = (open(p, "rb").read() for p in sys.argv[1:])
count = struct.unpack_from("<I", packed, 0)[0]
entries = [struct.unpack_from("<II", packed, 4 + 8 * i) for i in range(count)]
offset = sum(size for _, size in entries[:[i for i, _ in entries].index(219)])
size = dict(entries)[219]
props, dictionary = struct.unpack_from("<BI", packed, 4 + 8 * count)
filters = [{"id": lzma.FILTER_LZMA1, "dict_size": dictionary, "lc": props % 9, "lp": props // 9 % 5, "pb": props // 45}]
stream = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=filters).decompress(packed[9 + 8 * count:], offset + size)
sys.exit(0 if packed in exe and stream[offset:offset + size] == own[14:] else 1)
PY
  fail "the built setup does not carry the maker's button"
echo "built: the setup carries the maker's install button"
