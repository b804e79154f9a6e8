#!/usr/bin/env python3
"""Draws every picture the setup program carries into resources/art/.

Usage: make_art.py [--no-rle] [--out DIR]

Everything is drawn from code here, so the art can be changed by editing numbers and the same
bytes come out on every run. Only the standard library is used: the build machines have no
imaging packages.
"""
import argparse
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SCALES = (100, 200)  # the display scales the pictures are drawn for, in percent; the setup makes the others
DEFAULT_OUT = os.path.normpath(os.path.join(HERE, "..", "resources", "art"))

# The skin draws buttons and the banner with pure white as the see-through colour, so those
# pictures must never contain it; near-white is used wherever they want something bright.
TRANSPARENT = (255, 255, 255)
NEAR_WHITE = (254, 254, 254)

# House colours, shared by every picture so the window, the buttons and the icon belong together.
INK = (30, 39, 51)            # dark slate: panel, bottom strip, text on light buttons
INK_DEEP = (21, 29, 39)
INK_LIGHT = (46, 61, 80)
TEAL = (52, 160, 146)
TEAL_DARK = (34, 112, 103)
TEAL_LIGHT = (104, 196, 182)
GOLD = (222, 176, 92)
GOLD_DARK = (176, 128, 58)
PAPER = (246, 245, 241)
PAPER_LOW = (234, 232, 226)
RULE = (214, 210, 201)

# A 5 x 7 pixel font, drawn for this program. Only capitals: every label we draw is upper case.
FONT = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "B": ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    "C": [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "F": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    "G": [" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"],
    "H": ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "I": [" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "J": ["  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "],
    "K": ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "N": ["#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "P": ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    "Q": [" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "W": ["#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "],
    "X": ["#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"],
    "Y": ["#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "],
    "Z": ["#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"],
    "0": [" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "],
    "1": ["  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "2": [" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"],
    "3": ["#### ", "    #", "    #", " ### ", "    #", "    #", "#### "],
    "4": ["   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "],
    "5": ["#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "],
    "6": [" ### ", "#    ", "#    ", "#### ", "#   #", "#   #", " ### "],
    "7": ["#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "],
    "8": [" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "],
    "9": [" ### ", "#   #", "#   #", " ####", "    #", "    #", " ### "],
    "-": ["     ", "     ", "     ", " ### ", "     ", "     ", "     "],
    ".": ["     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "],
    " ": ["     "] * 7,
}
GLYPH_W, GLYPH_H = 5, 7


def text_width(text, scale=1, gap=1):
    return len(text) * (GLYPH_W + gap) * scale - gap * scale


def mix(a, b, t):
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


def at_scale(v, scale):
    """A length or place of the 100 % picture at the scale, rounded half up as the setup rounds."""
    return int(math.floor(v * scale + 0.5))


class Canvas:
    """An RGB picture kept as a flat list of tuples, top row first.

    Drawn in the coordinates of the 100 % picture (rect, frame, bands, text, cell, shapes), which
    the scale maps to pixels: the same drawing at 100, 150 and 200 %. A line one unit thick stays
    whole pixels thick at every scale. get and put work on pixels.
    """

    def __init__(self, width, height, colour, scale=1):
        self.scale = scale
        self.width, self.height = at_scale(width, scale), at_scale(height, scale)
        self.px = [colour] * (self.width * self.height)

    def get(self, x, y):
        return self.px[y * self.width + x]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y * self.width + x] = colour

    def span(self, at, length, line=True):
        start = at_scale(at, self.scale)
        if length == 1 and line:  # a line: whole pixels at every scale
            return start, start + max(1, int(self.scale))
        return start, at_scale(at + length, self.scale)

    def rect(self, x, y, w, h, colour, line=True):
        x0, x1 = self.span(x, w, line)
        y0, y1 = self.span(y, h, line)
        for yy in range(max(y0, 0), min(y1, self.height)):
            row = yy * self.width
            for xx in range(max(x0, 0), min(x1, self.width)):
                self.px[row + xx] = colour

    def cell(self, x, y, colour):
        """One pixel of pixel art, a square of pixels at a larger scale."""
        x0, y0 = at_scale(x, self.scale), at_scale(y, self.scale)
        for yy in range(y0, at_scale(y + 1, self.scale)):
            for xx in range(x0, at_scale(x + 1, self.scale)):
                self.put(xx, yy, colour)

    def frame(self, x, y, w, h, colour):
        self.rect(x, y, w, 1, colour)
        self.rect(x, y + h - 1, w, 1, colour)
        self.rect(x, y, 1, h, colour)
        self.rect(x + w - 1, y, 1, h, colour)

    def bands(self, x, y, w, h, top, bottom, steps):
        # Stepped rather than smooth: a handful of flat bands reads as a gradient at this size
        # and keeps every row a single run for RLE8.
        x0, x1 = self.span(x, w)
        y0, y1 = self.span(y, h)
        rows = y1 - y0
        for i in range(rows):
            k = min(steps - 1, i * steps // rows)
            colour = mix(top, bottom, k / max(steps - 1, 1))
            for xx in range(max(x0, 0), min(x1, self.width)):
                self.put(xx, y0 + i, colour)

    def text(self, x, y, text, colour, scale=1, gap=1):
        for n, ch in enumerate(text):
            glyph = FONT[ch]
            gx = x + n * (GLYPH_W + gap) * scale
            for row, bits in enumerate(glyph):
                for col, bit in enumerate(bits):
                    if bit == "#":
                        self.rect(gx + col * scale, y + row * scale, scale, scale, colour, line=False)

    def shapes(self, shapes, box=None):
        """Paints polygons, later ones on top, smoothing only the pixels an edge runs through.

        Each shape is (points, paint) where paint(x, y) gives the colour at a point, so a shape
        can carry stepped shading. A pixel whose four corners all agree takes that colour; one
        that straddles an edge is sampled 4 x 4 and blended in quarter steps between its two
        commonest colours, which smooths the edges while keeping the palette small.
        """
        k = self.scale
        x0, y0, x1, y1 = [at_scale(v, k) for v in box] if box else (0, 0, self.width, self.height)
        shapes = [([(px * k, py * k) for px, py in points], paint) for points, paint in shapes]

        def colour_at(px, py):
            for points, paint in reversed(shapes):
                if inside(points, px, py):
                    return paint(px / k, py / k)
            return None

        corners = [[colour_at(x, y) for x in range(x0, x1 + 1)] for y in range(y0, y1 + 1)]
        for y in range(y0, y1):
            for x in range(x0, x1):
                c = corners[y - y0][x - x0]
                if (c == corners[y - y0][x - x0 + 1] == corners[y - y0 + 1][x - x0]
                        == corners[y - y0 + 1][x - x0 + 1]):
                    if c is not None:
                        self.put(x, y, c)
                    continue
                under = self.get(x, y)
                counts = {}
                for sy in range(4):
                    for sx in range(4):
                        s = colour_at(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4)
                        s = under if s is None else s
                        counts[s] = counts.get(s, 0) + 1
                ranked = sorted(counts.items(), key=lambda kv: (-kv[1], kv[0]))
                if len(ranked) == 1:
                    self.put(x, y, ranked[0][0])
                    continue
                (a, na), (b, nb) = ranked[0], ranked[1]
                quarter = round(4 * nb / (na + nb)) / 4
                self.put(x, y, mix(a, b, quarter))


def inside(points, x, y):
    hit = False
    j = len(points) - 1
    for i in range(len(points)):
        (xi, yi), (xj, yj) = points[i], points[j]
        if (yi > y) != (yj > y) and x < xi + (y - yi) * (xj - xi) / (yj - yi):
            hit = not hit
        j = i
    return hit


def ribbon(path, width):
    """Cuts a paper strip folded flat along a path into one quadrilateral per leg.

    At a fold the strip is mirrored across the crease, so the crease runs along the sum of the
    two leg directions; both legs end on that line, which gives the sharp folded-paper corner
    rather than the bevelled joint of a thick pen stroke. Returns (quad, start, end) per leg.
    """
    dirs = []
    for (ax, ay), (bx, by) in zip(path, path[1:]):
        d = math.hypot(bx - ax, by - ay)
        dirs.append(((bx - ax) / d, (by - ay) / d))
    cuts = []
    for i, p in enumerate(path):
        if i == 0 or i == len(path) - 1:
            dx, dy = dirs[0] if i == 0 else dirs[-1]
            cuts.append((p, (-dy, dx)))  # square ends: they lie outside the picture anyway
        else:
            (ax, ay), (bx, by) = dirs[i - 1], dirs[i]
            cx, cy = ax + bx, ay + by
            d = math.hypot(cx, cy)
            cuts.append((p, (cx / d, cy / d)))
    legs = []
    half = width / 2
    for i, (d, start, end) in enumerate(zip(dirs, path, path[1:])):
        n = (-d[1], d[0])
        quad = []
        for (cp, cd), side in ((cuts[i], -1), (cuts[i], 1), (cuts[i + 1], 1), (cuts[i + 1], -1)):
            # The strip's edge through start + side * half * n meets the crease line cp + s * cd.
            ex, ey = start[0] + side * half * n[0], start[1] + side * half * n[1]
            den = d[0] * cd[1] - d[1] * cd[0]
            t = ((cp[0] - ex) * cd[1] - (cp[1] - ey) * cd[0]) / den
            quad.append((ex + t * d[0], ey + t * d[1]))
        legs.append((quad, start, end))
    return legs


def shaded(start, end, near, far, steps):
    """Paint that steps from near to far along a leg, as light falling across a fold."""
    dx, dy = end[0] - start[0], end[1] - start[1]
    span = dx * dx + dy * dy

    def paint(x, y):
        t = ((x - start[0]) * dx + (y - start[1]) * dy) / span
        k = min(steps - 1, max(0, int(t * steps)))
        return mix(near, far, k / (steps - 1))

    return paint


def ribbon_shapes(path, width, front, back, steps=5):
    """The strip's legs, alternating between its two faces as it folds over."""
    shapes = []
    for i, (quad, start, end) in enumerate(ribbon(path, width)):
        near, far = front if i % 2 == 0 else back
        shapes.append((quad, shaded(start, end, near, far, steps)))
    return shapes


# ---------------------------------------------------------------------------------------------
# The pictures


def draw_background(scale):
    w, h = 500, 292
    c = Canvas(w, h, PAPER, scale)
    c.bands(1, 1, w - 2, 260, PAPER, PAPER_LOW, 8)

    # The left card: the banner takes exactly this place once the filter is installed, so the
    # window keeps its shape from the first page to the last. It stops short of the folder prompt
    # at y 206, which needs the light paper under it.
    px, py, pw, ph = 6, 6, 208, 192
    c.bands(px, py, pw, ph, INK_LIGHT, INK, 6)
    # The narrow gold strip goes first so it passes behind the teal one, as in the banner.
    c.shapes(
        ribbon_shapes([(-30, 120), (120, 86), (250, 126)], 12,
                      ((196, 156, 84), (160, 120, 64)), ((122, 94, 56), (150, 116, 66))) +
        ribbon_shapes([(-40, 58), (150, 22), (40, 96), (250, 70)], 26,
                      ((58, 150, 138), (42, 116, 108)), ((33, 88, 86), (44, 110, 104))),
        box=(px, py, px + pw, py + ph))
    c.frame(px, py, pw, ph, INK_DEEP)
    c.rect(px + 1, py + 1, pw - 2, 1, (70, 88, 110))  # a lit top edge lifts the card off the paper

    logo = "VELMORAN"
    lw = text_width(logo, 3)
    lx, ly = px + (pw - lw) // 2, 142
    c.text(lx + 2, ly + 2, logo, INK_DEEP, 3)
    c.text(lx, ly, logo, (242, 239, 230), 3)
    c.rect(lx, ly + 27, lw, 1, TEAL)
    sub = "MIEN FOLD FILTER"
    c.text(px + (pw - text_width(sub, 1, 2)) // 2, ly + 34, sub, (150, 170, 192), 1, 2)

    # A hairline between the folder prompt and the list of editors, clear of both.
    c.rect(16, 225, 469, 1, RULE)
    c.rect(16, 226, 469, 1, (252, 251, 248))

    # Bottom strip: dark, because the status line is drawn in white and the buttons sit on it.
    c.rect(1, 261, w - 2, 1, TEAL_DARK)
    c.rect(1, 262, w - 2, h - 263, INK)

    # Window edge: a dark outline with a light inner line reads as a raised panel.
    c.frame(0, 0, w, h, INK_DEEP)
    c.rect(1, 1, w - 2, 1, (252, 251, 248))
    c.rect(1, 1, 1, 260, (252, 251, 248))
    return c


def draw_banner(scale):
    w, h = 208, 204
    c = Canvas(w, h, NEAR_WHITE, scale)
    c.bands(0, 0, w, h, (222, 233, 242), (243, 233, 226), 12)
    c.shapes(
        ribbon_shapes([(-30, 150), (110, 112), (238, 168)], 18,
                      ((232, 186, 104), (206, 150, 80)), ((170, 120, 62), (198, 146, 82))) +
        ribbon_shapes([(-40, 44), (166, 26), (30, 96), (184, 134), (128, 240)], 34,
                      ((86, 186, 170), (46, 140, 128)), ((30, 96, 92), (44, 124, 116))))
    label = "MIEN FOLD"
    c.text(10, h - 24, label, INK, 2)  # bottom left, the one corner the ribbon leaves empty
    c.frame(0, 0, w, h, (150, 162, 176))
    return c


def draw_toggle(scale):
    """Four square frames side by side: clear, clear pressed, ticked, ticked pressed."""
    tick = ["        ##",
            "       ###",
            "      ### ",
            "#    ###  ",
            "##  ###   ",
            "######    ",
            " ####     ",
            "  ##      "]
    frames = []
    for frame in range(4):
        c = Canvas(13, 13, NEAR_WHITE, scale)  # each frame alone: frames stay square and whole
        pressed, ticked = frame in (1, 3), frame >= 2
        c.rect(0, 0, 13, 13, (214, 219, 225) if pressed else (251, 251, 249))
        c.frame(0, 0, 13, 13, (74, 85, 99))
        # The inner top-left shadow makes the box look sunk into the page; pressed, it deepens.
        shade = (160, 168, 178) if pressed else (216, 220, 226)
        c.rect(1, 1, 11, 1, shade)
        c.rect(1, 1, 1, 11, shade)
        if ticked:
            for ty, bits in enumerate(tick):
                for tx, bit in enumerate(bits):
                    if bit == "#":
                        c.cell(2 + tx, 3 + ty, (31, 150, 72) if not pressed else (24, 122, 58))
        frames.append(c)
    side = frames[0].width
    strip = Canvas(4 * side, side, NEAR_WHITE)
    for n, c in enumerate(frames):
        for y in range(side):
            for x in range(side):
                strip.put(n * side + x, y, c.get(x, y))
    return strip


def draw_button(scale, width, label, face_top, face_bottom, ink, shadow):
    h = 19
    c = Canvas(width, h, INK, scale)  # corners keep the strip's colour so the button looks rounded
    c.bands(1, 1, width - 2, h - 2, face_top, face_bottom, 4)
    edge = INK_DEEP
    c.rect(1, 0, width - 2, 1, edge)
    c.rect(1, h - 1, width - 2, 1, edge)
    c.rect(0, 1, 1, h - 2, edge)
    c.rect(width - 1, 1, 1, h - 2, edge)
    c.rect(1, 1, width - 2, 1, mix(face_top, NEAR_WHITE, 0.45))
    c.rect(1, 2, 1, h - 4, mix(face_top, NEAR_WHITE, 0.25))
    c.rect(1, h - 2, width - 2, 1, mix(face_bottom, INK_DEEP, 0.35))
    c.rect(width - 2, 2, 1, h - 4, mix(face_bottom, INK_DEEP, 0.25))
    if label:  # the setup draws the word in the user's language; a plate alone by default
        tw = text_width(label)
        tx, ty = (width - tw) // 2, (h - GLYPH_H) // 2
        c.text(tx + 1, ty + 1, label, shadow)
        c.text(tx, ty, label, ink)
    return c


def draw_buttons(scale):
    grey = ((226, 229, 233), (184, 191, 200), INK, (236, 238, 241))
    teal = ((92, 186, 172), (38, 128, 117), (250, 249, 244), (24, 78, 72))
    return {
        "exit.bmp": draw_button(scale, 58, "", *grey),
        "begin.bmp": draw_button(scale, 60, "", *teal),
        "finish.bmp": draw_button(scale, 60, "", *teal),
    }


def hand_shape():
    """The pointing hand as rows of text: '#' black, '.' white, blank shows the screen through.

    Only the white inside is laid out by hand; the outline is every pixel that touches it
    side-on, so the fingertips come out rounded and the outline never doubles up.
    """
    fill = set()

    def block(x0, x1, y0, y1):
        fill.update((x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1))

    block(6, 7, 1, 13)      # index finger, pointing
    block(9, 10, 7, 13)     # the three curled fingers, each a knuckle lower
    block(12, 13, 8, 13)
    block(15, 16, 10, 13)
    block(6, 16, 12, 17)    # palm
    block(7, 15, 18, 20)
    block(8, 14, 21, 21)
    for y, (x0, x1) in {11: (2, 3), 12: (2, 4), 13: (3, 5), 14: (3, 5), 15: (4, 5),
                        16: (4, 5), 17: (5, 6)}.items():
        block(x0, x1, y, y)  # thumb, coming in from the lower left
    rows = []
    for y in range(23):
        row = ""
        for x in range(18):
            if (x, y) in fill:
                row += "."
            elif any(n in fill for n in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1))):
                row += "#"
            else:
                row += " "
        rows.append(row.rstrip())
    return rows


def draw_cursor():
    """A 32 x 32 monochrome cursor: '#' black, '.' white, blank shows the screen through."""
    size = 32
    left, top = 2, 1  # the whole hand, outline included, must stay inside the 32 x 32 cell
    grid = [[" "] * size for _ in range(size)]
    hand = hand_shape()
    for y, row in enumerate(hand):
        for x, ch in enumerate(row):
            grid[top + y][left + x] = ch
    hot_x, hot_y = left + hand[0].index("#"), top  # the fingertip
    xor_rows, and_rows = [], []
    for y in reversed(range(size)):  # DIB rows run bottom-up
        xor_bits = and_bits = 0
        for x in range(size):
            ch = grid[y][x]
            bit = 1 << (31 - x)
            if ch == " ":
                and_bits |= bit
            elif ch == ".":
                xor_bits |= bit
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    image = (struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
             + bytes((0, 0, 0, 0, 255, 255, 255, 0)) + b"".join(xor_rows) + b"".join(and_rows))
    head = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hot_x, hot_y, len(image), 6 + 16)
    return head + entry + image


def draw_icon_image(size):
    """The application icon at one size: a folded strip on a dark rounded tile."""
    s = size / 32
    c = Canvas(size, size, None)
    r = 6 * s
    for y in range(size):
        for x in range(size):
            # Round the tile's corners: a pixel is kept if its centre is within the corner radius.
            cx = min(max(x + 0.5, r), size - r)
            cy = min(max(y + 0.5, r), size - r)
            if math.hypot(x + 0.5 - cx, y + 0.5 - cy) <= r:
                c.put(x, y, INK)
    for y in range(size):
        for x in range(size):
            if c.get(x, y) is not None and (x == 0 or y == 0 or x == size - 1 or y == size - 1
                                            or c.get(x - 1, y) is None or c.get(x + 1, y) is None
                                            or c.get(x, y - 1) is None or c.get(x, y + 1) is None):
                c.put(x, y, INK_DEEP)
    legs = ribbon([(5 * s, -4 * s), (16 * s, 26 * s), (27 * s, -4 * s)], 9 * s)
    for i, (quad, _start, _end) in enumerate(legs):
        for y in range(size):
            for x in range(size):
                if c.get(x, y) not in (None, INK_DEEP) and inside(quad, x + 0.5, y + 0.5):
                    c.put(x, y, TEAL_LIGHT if i == 0 else TEAL_DARK)
    return c


def ico_entry(c, size):
    """A 4-bit icon image: sixteen colours are plenty for a flat design and keep the file small."""
    colours = sorted({p for p in c.px if p is not None})
    assert len(colours) <= 16, "icon uses %d colours" % len(colours)
    palette = colours + [(0, 0, 0)] * (16 - len(colours))
    index = {col: i for i, col in enumerate(colours)}
    xor_stride = (size * 4 + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(size)):
        row = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x in range(size):
            p = c.get(x, y)
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                continue
            row[x // 2] |= index[p] << (4 if x % 2 == 0 else 0)
        xor += row
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 16, 0)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + pal + bytes(xor) + bytes(mask)


def draw_icon():
    images = [(size, ico_entry(draw_icon_image(size), size)) for size in (32, 16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _size, data in images)


# ---------------------------------------------------------------------------------------------
# BMP writing, and reading it back to prove the file says what we drew


def rle8_row(row):
    out = bytearray()
    i, n = 0, len(row)

    def runs(chunk):
        # Fewer than three loose pixels cannot use absolute mode, which starts at three.
        k = 0
        while k < len(chunk):
            r = 1
            while k + r < len(chunk) and chunk[k + r] == chunk[k]:
                r += 1
            out.extend((r, chunk[k]))
            k += r

    while i < n:
        run = 1
        while i + run < n and run < 255 and row[i + run] == row[i]:
            run += 1
        if run >= 2:
            out.extend((run, row[i]))
            i += run
            continue
        # Gather loose pixels until a run of three or more begins: shorter runs cost no more
        # inside the literal than they would cost breaking it.
        j = i
        while j < n and j - i < 255:
            if j + 2 < n and row[j] == row[j + 1] == row[j + 2]:
                break
            j += 1
        chunk = row[i:j]
        if len(chunk) < 3:
            runs(chunk)
        else:
            out.extend((0, len(chunk)))
            out.extend(chunk)
            if len(chunk) % 2:
                out.append(0)  # absolute runs end on a 16-bit boundary
        i = j
    return out


def rle8_encode(rows):
    """rows: bottom row first. Each line ends with 00 00 and the picture with 00 01."""
    out = bytearray()
    for row in rows:
        out += rle8_row(row)
        out += b"\x00\x00"
    out += b"\x00\x01"
    return bytes(out)


def rle8_decode(data, width, height):
    rows = [bytearray(width) for _ in range(height)]
    filled = [bytearray(width) for _ in range(height)]
    x = y = i = 0
    while True:
        count, value = data[i], data[i + 1]
        i += 2
        if count:
            assert y < height and x + count <= width, "run past the edge at row %d" % y
            rows[y][x:x + count] = bytes((value,)) * count
            filled[y][x:x + count] = b"\x01" * count
            x += count
        elif value == 0:
            x, y = 0, y + 1
        elif value == 1:
            break
        elif value == 2:
            x, y = x + data[i], y + data[i + 1]
            i += 2
        else:
            assert y < height and x + value <= width, "literal past the edge at row %d" % y
            rows[y][x:x + value] = data[i:i + value]
            filled[y][x:x + value] = b"\x01" * value
            x += value
            i += value + (value & 1)
    assert i == len(data), "bytes after the end-of-bitmap mark"
    assert all(all(f) for f in filled), "pixels the RLE8 stream never set"
    return [bytes(r) for r in rows]


def bmp_bytes(c, allow_rle, forbid_white):
    colours = sorted(set(c.px))
    assert len(colours) <= 256, "%d colours" % len(colours)
    if forbid_white:
        assert TRANSPARENT not in colours, "pure white would show through"
    index = {col: i for i, col in enumerate(colours)}
    w, h = c.width, c.height
    rows = [bytes(index[c.px[y * w + x]] for x in range(w)) for y in reversed(range(h))]
    stride = (w + 3) // 4 * 4
    plain = b"".join(r + b"\x00" * (stride - w) for r in rows)
    data, compression = plain, 0
    if allow_rle:
        rle = rle8_encode(rows)
        assert rle8_decode(rle, w, h) == rows, "RLE8 round trip differs"
        if len(rle) < len(plain):
            data, compression = rle, 1
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, compression, len(data),
                       2835, 2835, len(colours), 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return head + info + palette + data


def read_bmp(blob):
    """Decodes an 8-bit BMP as written above into rows of RGB tuples, top row first."""
    magic, size, _r1, _r2, offset = struct.unpack_from("<2sIHHI", blob, 0)
    assert magic == b"BM" and size == len(blob)
    (hsize, w, h, planes, bits, compression, image_size, _xr, _yr, used,
     _imp) = struct.unpack_from("<IiiHHIIiiII", blob, 14)
    assert hsize == 40 and planes == 1 and bits == 8 and h > 0 and compression in (0, 1)
    used = used or 256
    pal = [tuple(reversed(blob[54 + 4 * k:54 + 4 * k + 3])) for k in range(used)]
    assert offset == 54 + 4 * used
    data = blob[offset:]
    assert len(data) == image_size
    if compression == 1:
        rows = rle8_decode(data, w, h)
    else:
        stride = (w + 3) // 4 * 4
        rows = [data[y * stride:y * stride + w] for y in range(h)]
    return w, h, [[pal[v] for v in row] for row in reversed(rows)]


# ---------------------------------------------------------------------------------------------


def write(path, data):
    # Leave an unchanged file alone so its timestamp does not make the resources rebuild.
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--no-rle", action="store_true",
                        help="write every bitmap uncompressed, for loaders without RLE8")
    parser.add_argument("--out", default=DEFAULT_OUT, help="folder to write into")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)

    sizes = {"background.bmp": (500, 292), "banner.bmp": (208, 204), "toggle.bmp": (52, 13),
             "exit.bmp": (58, 19), "begin.bmp": (60, 19), "finish.bmp": (60, 19)}
    total = 0
    # At 100 % under their own names; larger, as "name-150.bmp" and "name-200.bmp".
    for percent in SCALES:
        scale = percent / 100
        bitmaps = [("background.bmp", draw_background(scale), True, False),
                   ("banner.bmp", draw_banner(scale), True, True),
                   ("toggle.bmp", draw_toggle(scale), False, True)]
        bitmaps += [(name, c, False, True) for name, c in draw_buttons(scale).items()]
        for name, canvas, rle, no_white in bitmaps:
            w100, h100 = sizes[name]
            side = at_scale(h100, scale)
            expected = (4 * side, side) if name == "toggle.bmp" else (at_scale(w100, scale), side)
            assert (canvas.width, canvas.height) == expected, name
            blob = bmp_bytes(canvas, rle and not args.no_rle, no_white)
            w, h, rows = read_bmp(blob)
            assert (w, h) == expected
            assert [p for row in rows for p in row] == canvas.px, name + " does not read back"
            file_name = name if percent == 100 else name.replace(".bmp", "-%d.bmp" % percent)
            write(os.path.join(args.out, file_name), blob)
            kind = "RLE8" if blob[30] == 1 else "RGB"
            print("%-19s %6d bytes  %3dx%-3d %s" % (file_name, len(blob), w, h, kind))
            total += len(blob)
    for name, blob in (("hand.cur", draw_cursor()), ("app.ico", draw_icon())):
        write(os.path.join(args.out, name), blob)
        print("%-15s %6d bytes" % (name, len(blob)))
        total += len(blob)
    print("%-15s %6d bytes" % ("total", total))


if __name__ == "__main__":
    sys.exit(main())
