#!/usr/bin/env python3
"""Checks the pictures a setup carries before they are built in. Each picture has a fixed role and
size: the dialog's layout and the buttons' places are made for them.

usage: check_art.py NAME=FILE...   (NAME: one of the names in PICTURES)
Prints one line per fault, naming the picture and what is wrong; exits 1 if there is any."""
import struct
import sys

# name: (kind, width, height, role)
PICTURES = {
    "background.bmp": ("bitmap", 500, 292, "the whole window; the left card (6,6)-(214,198) shows through until the banner covers it"),
    "banner.bmp": ("bitmap", 208, 204, "shown at (6,6) once the plug-ins are installed"),
    "toggle.bmp": ("bitmap", 52, 13, "a component's tick box: four 13 x 13 frames, clear, clear pressed, ticked, ticked pressed"),
    "exit.bmp": ("bitmap", 58, 19, "the exit button; pure white is transparent"),
    "begin.bmp": ("bitmap", 60, 19, "the install button; pure white is transparent"),
    "finish.bmp": ("bitmap", 60, 19, "the finish button; pure white is transparent"),
    "hand.cur": ("cursor", 32, 32, "the pointer over the link and the buttons"),
    "app.ico": ("icon", 32, 32, "the program's icon; a 16 x 16 image besides is welcome"),
}

BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS = 0, 1, 2, 3


def scaled(length, percent):
    """A length of the 100 % picture at the percent, rounded half up as the setup rounds."""
    return (length * percent + 50) // 100


# The bitmaps at 150 % and 200 %, "name-150.bmp" and "name-200.bmp": each as large as the scale
# makes it; a strip of square frames stays one of whole square frames.
for name, (kind, width, height, role) in list(PICTURES.items()):
    if kind != "bitmap":
        continue
    for percent in (150, 200):
        side = scaled(height, percent)
        wide = width // height * side if width % height == 0 else scaled(width, percent)
        PICTURES[name.replace(".bmp", "-%d.bmp" % percent)] = (kind, wide, side, "%s, at %d %%" % (role, percent))


def check_bitmap(data, width, height):
    if len(data) < 26 or data[:2] != b"BM":
        return "is no Windows bitmap (.bmp): it does not start with \"BM\""
    offset = struct.unpack_from("<I", data, 10)[0]
    header = struct.unpack_from("<I", data, 14)[0]
    if header not in (40, 52, 56, 108, 124) or len(data) < 14 + header:
        return "has a bitmap header of %d bytes, which Windows does not load; save it as a Windows BMP" % header
    w, h, planes, bits, compression, image_size = struct.unpack_from("<iiHHII", data, 18)
    if (w, abs(h)) != (width, height):
        return "is %d x %d pixels; it must be %d x %d" % (w, abs(h), width, height)
    if planes != 1 or bits not in (1, 4, 8, 16, 24, 32):
        return "has %d bits per pixel; it must have 1, 4, 8, 16, 24 or 32" % bits
    allowed = {BI_RGB: True, BI_RLE8: bits == 8, BI_RLE4: bits == 4, BI_BITFIELDS: bits in (16, 32)}
    if not allowed.get(compression, False):
        return "is compressed in a way Windows does not load in a program (compression %d)" % compression
    if compression in (BI_RGB, BI_BITFIELDS):
        needed = ((w * bits + 31) // 32) * 4 * abs(h)
    elif image_size == 0:
        return "is compressed but does not say how many bytes its pixels take"
    else:
        needed = image_size
    if offset + needed > len(data):
        return "ends before its pixels do: the file is cut short"
    return None


def check_icon(data, kind, width, height):
    want = 2 if kind == "cursor" else 1
    if len(data) < 6:
        return "is cut short"
    reserved, found, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or found != want:
        return "is no Windows %s (.%s)" % (kind, "cur" if kind == "cursor" else "ico")
    if count == 0 or len(data) < 6 + 16 * count:
        return "holds no image"
    sizes = []
    for i in range(count):
        w, h = data[6 + 16 * i], data[7 + 16 * i]
        size, at = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        if at + size > len(data):
            return "ends before its image %d does: the file is cut short" % (i + 1)
        sizes.append((w or 256, h or 256))
    if (width, height) not in sizes:
        return "holds images of %s pixels; it needs one of %d x %d" % (
            ", ".join("%d x %d" % s for s in sizes), width, height)
    return None


def main(arguments):
    faults = []
    for argument in arguments:
        name, _, path = argument.partition("=")
        if name not in PICTURES:
            faults.append("%s: names no picture of the setup; the pictures are %s" % (path, ", ".join(PICTURES)))
            continue
        kind, width, height, _ = PICTURES[name]
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError as error:
            faults.append("%s (%s): cannot be read: %s" % (name, path, error.strerror))
            continue
        fault = check_bitmap(data, width, height) if kind == "bitmap" else check_icon(data, kind, width, height)
        if fault:
            faults.append("%s (%s) %s" % (name, path, fault))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
