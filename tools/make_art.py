#!/usr/bin/env python3
"""Draws the program's icons, control-bar glyphs, pictures and bitmap-button faces into resources/art/.

Everything is pixel art: ASCII maps read with a one-letter palette, plus a little geometric
drawing for boxes, windows and the drawer emblem. Only the standard library is used; the
outputs are checked in and the build never runs this script.

    python3 tools/make_art.py            # writes resources/art/*.bmp and *.ico
    python3 tools/make_art.py --out DIR  # writes them somewhere else
"""
import argparse
import os
import struct

# ----------------------------------------------------------------------------- palette
# The sixteen colours of the classic VGA palette, in their usual table order; glyphs and
# button faces keep to these so they are written as 4-bit bitmaps.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

PALETTE = {
    # the VGA sixteen
    'K': (0, 0, 0), 'r': (128, 0, 0), 'e': (0, 128, 0), 'y': (128, 128, 0),
    'b': (0, 0, 128), 'm': (128, 0, 128), 'c': (0, 128, 128), 's': (192, 192, 192),
    'g': (128, 128, 128), 'R': (255, 0, 0), 'G': (0, 255, 0), 'Y': (255, 255, 0),
    'B': (0, 0, 255), 'M': (255, 0, 255), 'C': (0, 255, 255), 'W': (255, 255, 255),
    # extra shades for the icons and pictures (true-colour outputs only)
    'l': (224, 224, 224),   # light grey
    'o': (208, 152, 80),    # oak face
    'O': (240, 200, 128),   # oak highlight
    'd': (144, 88, 32),     # oak shadow
    'h': (72, 40, 16),      # drawer interior
    'p': (255, 255, 232),   # card paper
    'q': (200, 200, 176),   # card edge
    'v': (64, 160, 64),     # arrow mid green
    'n': (96, 128, 224),    # light navy
}
BACKGROUND = PALETTE['s']   # the button face colour the control bar maps to the face
CLEAR = '.'                 # transparent in maps


# ----------------------------------------------------------------------------- canvas
class Canvas:
    """A width x height grid of RGB tuples, or None where nothing was drawn."""

    def __init__(self, width, height, fill=None):
        self.width, self.height = width, height
        colour = rgb(fill) if fill is not None else None
        self.px = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = rgb(colour)

    def get(self, x, y):
        return self.px[y][x]

    def paint(self, rows, x=0, y=0):
        """Paints an ASCII map; '.' leaves the pixel as it was."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != CLEAR:
                    self.put(x + dx, y + dy, ch)
        return self

    def blit(self, other, x=0, y=0):
        for sy in range(other.height):
            for sx in range(other.width):
                colour = other.px[sy][sx]
                if colour is not None:
                    self.put(x + sx, y + sy, colour)
        return self

    def fill(self, pixels, colour):
        for x, y in pixels:
            self.put(x, y, colour)

    def rect(self, x0, y0, x1, y1, colour):
        self.fill(rect_px(x0, y0, x1, y1), colour)

    def line(self, x0, y0, x1, y1, colour):
        self.fill(line_px(x0, y0, x1, y1), colour)

    def shape(self, pixels, fill, outline='K', light=None, shade=None):
        """Fills a pixel set and rings it: outline on its border, then an optional
        highlight just inside the top/left border and shadow inside the bottom/right."""
        pixels = set(pixels)
        border = {p for p in pixels if any(n not in pixels for n in neighbours(p))}
        inner = pixels - border
        self.fill(inner, fill)
        if light or shade:
            for x, y in inner:
                if light and ((x - 1, y) in border or (x, y - 1) in border):
                    self.put(x, y, light)
                elif shade and ((x + 1, y) in border or (x, y + 1) in border):
                    self.put(x, y, shade)
        if outline:
            self.fill(border, outline)
        else:
            self.fill(border, fill)
        return self


def rgb(colour):
    return PALETTE[colour] if isinstance(colour, str) else colour


def neighbours(p):
    x, y = p
    return ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1))


def rect_px(x0, y0, x1, y1):
    return {(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)}


def line_px(x0, y0, x1, y1):
    """Bresenham's line, both ends included."""
    pts = []
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
    err = dx + dy
    while True:
        pts.append((x0, y0))
        if x0 == x1 and y0 == y1:
            return pts
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


def poly_px(points):
    """Pixels whose centre lies inside the polygon, plus its edges, so that thin
    diagonals stay connected. Vertices are pixel coordinates."""
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    inside = set()
    for y in range(min(ys), max(ys) + 1):
        for x in range(min(xs), max(xs) + 1):
            if point_in_poly(x, y, points):
                inside.add((x, y))
    for a, b in zip(points, points[1:] + points[:1]):
        inside.update(line_px(*a, *b))
    return inside


def point_in_poly(x, y, points):
    hit = False
    n = len(points)
    for i in range(n):
        (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
        if (ya > y) != (yb > y):
            cross = xa + (y - ya) * (xb - xa) / (yb - ya)
            if x < cross:
                hit = not hit
    return hit


def round_rect_px(x0, y0, x1, y1, radius):
    """A rectangle whose corners are rounded off with the given radius."""
    out = set()
    for x, y in rect_px(x0, y0, x1, y1):
        cx = min(max(x + 0.5, x0 + radius), x1 + 1 - radius)
        cy = min(max(y + 0.5, y0 + radius), y1 + 1 - radius)
        if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= radius * radius:
            out.add((x, y))
    return out


def ellipse_px(x0, y0, x1, y1):
    """Pixels of the ellipse inscribed in the box x0..x1, y0..y1 (inclusive)."""
    cx, cy = (x0 + x1 + 1) / 2, (y0 + y1 + 1) / 2
    rx, ry = (x1 - x0 + 1) / 2, (y1 - y0 + 1) / 2
    return {(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)
            if ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0}


def sprite(rows):
    """A canvas from an ASCII map, transparent where the map has '.'."""
    width = max(len(r) for r in rows)
    assert all(len(r) == width for r in rows), rows
    return Canvas(width, len(rows)).paint(rows)


# ----------------------------------------------------------------------------- file writers
def bmp_bytes(canvas):
    """A bottom-up BMP: 4-bit when the picture keeps to the VGA sixteen, 8-bit when it has
    at most 256 colours, 24-bit otherwise. Undrawn pixels become the button face colour."""
    pixels = [[c if c is not None else BACKGROUND for c in row] for row in canvas.px]
    used = sorted({c for row in pixels for c in row})
    if set(used) <= set(VGA16):
        bits, table = 4, VGA16
    elif len(used) <= 256:
        bits, table = 8, used
    else:
        bits, table = 24, []
    index = {c: i for i, c in enumerate(table)}
    stride = (canvas.width * bits + 31) // 32 * 4
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        if bits == 24:
            for r, g, b in row:
                line += bytes((b, g, r))
        elif bits == 8:
            line += bytes(index[c] for c in row)
        else:
            for i in range(0, len(row), 2):
                hi = index[row[i]]
                lo = index[row[i + 1]] if i + 1 < len(row) else 0
                line.append(hi << 4 | lo)
        body += line + bytes(stride - len(line))
    colour_table = b''.join(bytes((b, g, r, 0)) for r, g, b in table)
    info = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, bits, 0,
                       len(body), 2835, 2835, len(table), 0)
    offset = 14 + len(info) + len(colour_table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(body), 0, 0, offset)
    return header + info + colour_table + bytes(body)


def ico_bytes(images):
    """An icon file with one 32-bit image (alpha plus AND mask) per canvas."""
    entries, blobs = [], []
    for img in images:
        w, h = img.width, img.height
        xor = bytearray()
        for row in reversed(img.px):
            for c in row:
                xor += bytes((c[2], c[1], c[0], 255)) if c is not None else bytes(4)
        mask_stride = (w + 31) // 32 * 4
        mask = bytearray()
        for row in reversed(img.px):
            bits = bytearray(mask_stride)
            for x, c in enumerate(row):
                if c is None:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blobs.append(info + bytes(xor) + bytes(mask))
        entries.append((w, h))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (w, h), blob in zip(entries, blobs):
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b''.join(blobs)


# ----------------------------------------------------------------------------- shape helpers
def stroke(canvas, pixels, fill, outline='K'):
    """Paints a pixel set with a one-pixel outline laid around it (outside the set)."""
    pixels = set(pixels)
    ring = {n for p in pixels for n in neighbours(p)} - pixels
    canvas.fill(ring, outline)
    canvas.fill(pixels, fill)


def thick_line(points, width):
    """A polyline drawn with a square pen of the given width."""
    pen = [(dx, dy) for dx in range(width) for dy in range(width)]
    out = set()
    for a, b in zip(points, points[1:]):
        for x, y in line_px(*a, *b):
            out.update((x + dx, y + dy) for dx, dy in pen)
    return out


def arrow_down_px(left, top, head_width, shaft_width, shaft_height):
    """A down arrow whose head is head_width wide at its base and narrows by one pixel a side per row."""
    inset = (head_width - shaft_width) // 2
    out = rect_px(left + inset, top, left + inset + shaft_width - 1, top + shaft_height - 1)
    y, lo, hi = top + shaft_height, left, left + head_width - 1
    while lo <= hi:
        out |= rect_px(lo, y, hi, y)
        lo, hi, y = lo + 1, hi - 1, y + 1
    return out


def arrow_right_px(left, top, head_height, shaft_thickness, shaft_length):
    """The down arrow turned to point right."""
    return {(left + (y - top), top + (x - left))
            for x, y in arrow_down_px(left, top, head_height, shaft_thickness, shaft_length)}


def window(canvas, x, y, w, h, active=True):
    """A small application window: black frame, title bar, white client area."""
    canvas.rect(x, y, x + w - 1, y + h - 1, 'K')
    canvas.rect(x + 1, y + 1, x + w - 2, y + 2, 'b' if active else 'g')
    canvas.rect(x + 1, y + 3, x + w - 2, y + h - 2, 'W')


# ----------------------------------------------------------------------------- shared sprites
DOCUMENT = [               # a page with a folded corner and a few lines of text
    "KKKKKKKKK...",
    "KWWWWWWWKK..",
    "KWgggggWKWK.",
    "KWWWWWWWKKKK",
    "KWggggggWWWK",
    "KWWWWWWWWWWK",
    "KWgggggggWWK",
    "KWWWWWWWWWWK",
    "KWggggggggWK",
    "KWWWWWWWWWWK",
    "KWgggggggWWK",
    "KWWWWWWWWWWK",
    "KWgggggWWWWK",
    "KWWWWWWWWWWK",
    "KKKKKKKKKKKK",
]

FOLDER = [                 # a closed yellow folder
    ".KKKKK.......",
    "KYWYYYKKKKKK.",
    "KWYYYYYYYYYYK",
    "KYYYYYYYYYYyK",
    "KYYYYYYYYYYyK",
    "KYYYYYYYYYYyK",
    "KYYYYYYYYYYyK",
    "KYyyyyyyyyyyK",
    "KKKKKKKKKKKKK",
]

MAGNIFIER = [              # a lens with a glint and a wooden handle
    "..KKKKK.....",
    ".KWWCCCK....",
    "KWWCCCCCK...",
    "KWCCCCCCK...",
    "KCCCCCCCK...",
    "KCCCCCCCK...",
    "KCCCCCCcK...",
    ".KCCCCcKK...",
    "..KKKKKKrK..",
    ".......KrrK.",
    "........KrrK",
    ".........KK.",
]

QUESTION = [               # the mark printed on the help book
    ".####.",
    "##..##",
    "....##",
    "...##.",
    "..##..",
    "..##..",
    "......",
    "..##..",
    "..##..",
]


def mask(rows, x=0, y=0, ink='#'):
    """The pixels of a one-colour map (ink where drawn), placed at (x, y)."""
    return {(x + dx, y + dy) for dy, row in enumerate(rows) for dx, ch in enumerate(row) if ch == ink}


# ----------------------------------------------------------------------------- control-bar glyphs (20 x 20)
def glyph_exit():
    return sprite([
        "....................",
        "....KKKKKKKK........",
        "...KKbbbbbbK........",
        "..KrKbbbbbbK........",
        ".KrrKbbbbbbK........",
        ".KrrKbbbbbbK.K......",
        ".KrrKbbbbbbK.KK.....",
        ".KrrKbbbbbbK.KGK....",
        ".KrrKbbKKKKKKKGGK...",
        ".KYrKbbKGGGGGGGGGK..",
        ".KYrKbbKGGGGGGGGGGK.",
        ".KrrKbbKGGGGGGGGGGK.",
        ".KrrKbbKeeeeeeeeeK..",
        ".KrrKbbKKKKKKKeeK...",
        ".KrrKbbbbbbK.KeK....",
        ".KrrKbbbbbbK.KK.....",
        ".KrrKbbbbbbK.K......",
        ".KrrKbbbbbbK........",
        "..KrKKKKKKKK........",
        "...KK...............",
    ])


def tray_20():
    """The in-tray of the Files Downloaded glyph, in its lower half."""
    return Canvas(20, 20).paint([
        "....KKKKKKKKKKKK....",
        "...KggggggggggggK...",
        "..KggggggggggggggK..",
        ".KKKKKKKKKKKKKKKKKK.",
        ".KWWWWWWWWWWWWWWWgK.",
        ".KWssssssssssssssgK.",
        ".KWssssssssssssssgK.",
        ".KggggggggggggggggK.",
        ".KKKKKKKKKKKKKKKKKK.",
    ], 0, 10)


def glyph_downloaded():
    c = tray_20()
    c.shape(arrow_down_px(3, 0, 14, 6, 5), 'G', shade='e')
    return c


def cabinet(c, x, y, w, h, d, drawers):
    """A filing cabinet of oak in oblique view: front w x h at (x, y + d), drawers stacked on it."""
    fx1, fy0, fy1 = x + w - 1, y + d, y + d + h - 1
    c.shape(poly_px([(x, fy0), (x + d, y), (fx1 + d, y), (fx1, fy0)]), 'O')
    c.shape(poly_px([(fx1, fy0), (fx1 + d, y), (fx1 + d, fy1 - d), (fx1, fy1)]), 'd')
    c.shape(rect_px(x, fy0, fx1, fy1), 'o')
    pitch = (h - 1) // drawers
    for i in range(drawers):
        top = fy0 + 1 + i * pitch
        c.shape(rect_px(x + 1, top, fx1 - 1, top + pitch - 1), 'o', outline=None, light='O', shade='d')
        c.shape(rect_px(x + w // 2 - 2, top + 1, x + w // 2 + 1, top + 3), 'W')
        c.rect(x + w // 2 - 1, top + 5, x + w // 2, top + 5, 'K')


def glyph_stored():
    c = Canvas(20, 20)
    cabinet(c, 0, 1, 12, 16, 3, 2)
    c.blit(sprite(MAGNIFIER), 8, 8)
    return c


def glyph_areas():
    c = Canvas(20, 20)
    c.blit(sprite(FOLDER), 0, 3)
    c.blit(sprite(FOLDER), 6, 10)
    stroke(c, thick_line([(10, 5), (12, 7), (17, 2)], 2), 'G')
    return c


def glyph_assistants():
    return sprite([
        "..............KK....",
        ".............KBbK...",
        "............KBBbK...",
        "...........KBBbK....",
        "..........KBBBbK....",
        ".........KBBYBbK....",
        ".........KBBBBbK....",
        "........KBBBBBbbK...",
        "........KBYBBBBbK...",
        ".......KBBBBBYBbK...",
        ".......KBBBBBBBbbK..",
        "......KBBBYBBBBBbK..",
        "......KBBBBBBBBBbK..",
        "...KKKKBBBBBBBBBbKKK",
        "..KBBKKKKKKKKKKKKKbK",
        ".KBBBBBBBBBBBBBBBbbK",
        ".KbBBBBBBBBBBBBBBbbK",
        "..KbbbbbbbbbbbbbbbK.",
        "...KKKKKKKKKKKKKKK..",
        "....................",
    ])


def glyph_cascade():
    c = Canvas(20, 20)
    window(c, 1, 1, 12, 11, active=False)
    window(c, 4, 4, 12, 11, active=False)
    window(c, 7, 7, 12, 11)
    return c


def glyph_arrange():
    c = Canvas(20, 20)
    window(c, 0, 1, 20, 18)
    for x in (2, 8, 14):
        c.rect(x, 13, x + 4, 16, 'K')
        c.rect(x + 1, 14, x + 3, 14, 'b')
        c.rect(x + 1, 15, x + 3, 15, 'W')
    return c


def glyph_close_all():
    c = Canvas(20, 20)
    window(c, 0, 1, 13, 11, active=False)
    window(c, 4, 5, 13, 11)
    stroke(c, thick_line([(10, 11), (17, 18)], 2) | thick_line([(17, 11), (10, 18)], 2), 'R')
    return c


def glyph_help():
    """A closed book, its pages showing at the right and bottom, a question mark on the cover."""
    c = Canvas(20, 20)
    c.shape(rect_px(5, 3, 17, 18), 'W', shade='s')
    c.shape(rect_px(3, 1, 15, 16), 'b', light='B')
    c.rect(4, 2, 5, 15, 'c')
    c.rect(6, 2, 6, 15, 'K')
    stroke(c, mask(QUESTION, 8, 4), 'Y')
    return c


# ----------------------------------------------------------------------------- the drawer emblem
OAK = dict(face='o', light='O', shade='d', inside='h', card='p', edge='q', label='W', handle='K')


def drawer(c, x, y, w, h, d, scheme, card_rise, tabs=()):
    """A card drawer drawn in oblique view: its front face is w x h at (x, y + d), its open
    top runs d pixels up and to the right, and cards stand in it every other pixel of depth.
    tabs maps a card's depth to (colour, distance from the card's right end) of an index
    tab standing up from it.
    Returns a function that draws the drawer's front (face and side), so that something
    may first be drawn among the cards."""
    fx0, fx1, fy0, fy1 = x, x + w - 1, y + d, y + d + h - 1

    def at(u, v):                       # a point on the drawer's top plane
        return (fx0 + u + v, fy0 - v)

    rim = max(1, w // 12)
    c.shape(poly_px([at(0, 0), at(0, d), at(w - 1, d), at(w - 1, 0)]), scheme['light'])
    c.fill(poly_px([at(rim + 1, 1), at(rim + 1, d - 1), at(w - 2 - rim, d - 1), at(w - 2 - rim, 1)]),
           scheme['inside'])
    for v in range(d - 2, 0, -2):
        left, right = fx0 + rim + 2 + v, fx0 + w - 3 - rim + v
        top = fy0 - v - card_rise
        if v in tabs:
            colour, from_right = tabs[v]
            tab_left = right - from_right
            c.shape(rect_px(tab_left, top - 2, tab_left + 3, top), colour)
        c.shape(rect_px(left, top, right, fy0 - 1), scheme['card'], shade=scheme['edge'])

    def front():
        c.shape(poly_px([at(w - 1, 0), at(w - 1, d), (fx1 + d, fy1 - d), (fx1, fy1)]), scheme['shade'])
        c.shape(rect_px(fx0, fy0, fx1, fy1), scheme['face'], light=scheme['light'], shade=scheme['shade'])
        # label holder and pull handle, centred on the front
        lw, lh = max(4, w // 3), max(2, h // 4)
        lx = fx0 + (w - lw) // 2
        ly = fy0 + max(2, h // 5)
        c.shape(rect_px(lx, ly, lx + lw - 1, ly + lh), scheme['label'])
        hw = max(2, w // 4)
        hx = fx0 + (w - hw) // 2
        hy = ly + lh + max(2, h // 6)
        if hy < fy1 - 1:
            c.rect(hx, hy, hx + hw - 1, hy + (1 if h > 12 else 0), scheme['handle'])
    return front


# size: (drawer x, y, w, h, depth, card rise, tab colours, arrow head width, shaft width, arrow top)
EMBLEM = {
    16: (0, 6, 12, 6, 4, 2, {}, 8, 4, 0),
    32: (1, 11, 21, 10, 9, 4, {5: ('R', 5)}, 12, 6, 0),
    48: (2, 17, 30, 15, 12, 5, {8: ('R', 6), 4: ('B', 5)}, 18, 8, 1),
}


def emblem(size):
    """The program's emblem: a drawer of index cards with a green arrow filing into it."""
    c = Canvas(size, size)
    x, y, w, h, d, rise, tabs, head, shaft, top = EMBLEM[size]
    front = drawer(c, x, y, w, h, d, OAK, rise, tabs)
    fy0 = y + d
    tip = fy0 - 2
    centre = x + (w + d) // 2 - size // 16
    c.shape(arrow_down_px(centre - head // 2, top, head, shaft, tip - head // 2 + 1 - top),
            'G', shade='e' if size == 16 else 'v')
    front()
    return c


# ----------------------------------------------------------------------------- icons
def tray(c, left, right, top, depth, front, scheme=('g', 's', 'W', 'g')):
    """An in-tray: the dark inside seen from above, then its bevelled front lip."""
    inside, face, light, shade = scheme
    c.shape(poly_px([(left + depth, top), (right - depth, top), (right, top + depth), (left, top + depth)]), inside)
    return lambda: c.shape(rect_px(left, top + depth, right, top + depth + front), face, light=light, shade=shade)


def download_icon(size):
    c = Canvas(size, size)
    if size == 16:
        front = tray(c, 0, 15, 8, 2, 4)
        c.shape(arrow_down_px(3, 0, 10, 4, 4), 'G', shade='e')
    else:
        front = tray(c, 1, 30, 16, 5, 9, ('g', 'l', 'W', 'g'))
        c.shape(arrow_down_px(6, 0, 20, 8, 10), 'G', shade='v')
    front()
    return c


def index_card(c, x0, y0, x1, y1, lines=True):
    c.shape(rect_px(x0, y0, x1, y1), 'p', shade='q')
    if not lines:
        return
    step = 3 if (y1 - y0) >= 15 else 2
    c.rect(x0 + 2, y0 + step + 1, x1 - 2, y0 + step + 1, 'R')
    y = y0 + 2 * step + 1
    while y < y1 - 1:
        c.rect(x0 + 2, y, x1 - 2, y, 'n')
        y += step


def record_icon(size):
    c = Canvas(size, size)
    if size == 16:
        c.rect(2, 4, 15, 14, 'g')
        index_card(c, 0, 2, 14, 13)
        c.rect(2, 3, 6, 3, 'K')
    else:
        c.rect(3, 7, 31, 28, 'g')
        index_card(c, 0, 4, 29, 26)
        for x0, x1 in ((3, 10), (12, 16)):
            c.rect(x0, 6, x1, 6, 'K')
        for y, (x0, x1) in ((13, (3, 20)), (16, (3, 24)), (19, (3, 15))):
            c.rect(x0, y - 1, x1, y - 1, 'b')
    return c


def lens(c, x, y, d, handle):
    """A magnifying glass: lens of diameter d at (x, y), handle running down-right."""
    thick = 2 if d < 10 else 3
    end = x + d - 2 + handle
    stroke(c, thick_line([(x + d - 2, y + d - 2), (end, end - x + y)], thick), 'r')
    c.shape(ellipse_px(x, y, x + d - 1, y + d - 1), 'C', light='W', shade='c')
    if d >= 12:
        inner = ellipse_px(x + 1, y + 1, x + d - 2, y + d - 2)
        ring = ellipse_px(x, y, x + d - 1, y + d - 1) - inner
        c.fill(ring - {p for p in ring if p[0] + p[1] < 2 * x + d - 1}, 'K')


def search_icon(size):
    c = Canvas(size, size)
    if size == 16:
        index_card(c, 3, 0, 15, 7, lines=False)
        index_card(c, 0, 3, 12, 11)
        lens(c, 6, 6, 7, 3)
    else:
        index_card(c, 9, 0, 31, 13)
        index_card(c, 5, 4, 27, 18)
        index_card(c, 0, 8, 22, 23)
        lens(c, 11, 11, 14, 6)
    return c


# ----------------------------------------------------------------------------- bitmap-button faces (32 x 32)
def button_face(content, pressed):
    """A raised push-button face around a picture; pressed, the picture moves one pixel
    right and down inside a dark, sunken frame."""
    c = Canvas(32, 32, 's')
    shift = 1 if pressed else 0
    c.blit(content, 4 + shift, 4 + shift)
    if pressed:
        c.rect(0, 0, 31, 0, 'K'); c.rect(0, 0, 0, 31, 'K')
        c.rect(1, 1, 30, 1, 'g'); c.rect(1, 1, 1, 30, 'g')
        c.rect(0, 31, 31, 31, 'W'); c.rect(31, 0, 31, 31, 'W')
        c.rect(1, 30, 30, 30, 's'); c.rect(30, 1, 30, 30, 's')
    else:
        c.rect(0, 0, 30, 0, 'W'); c.rect(0, 0, 0, 30, 'W')
        c.rect(0, 31, 31, 31, 'K'); c.rect(31, 0, 31, 31, 'K')
        c.rect(1, 30, 30, 30, 'g'); c.rect(30, 1, 30, 30, 'g')
    return c


def content_store():
    c = Canvas(24, 24)

    front = drawer(c, 0, 10, 17, 8, 5, OAK, 3)
    c.blit(sprite(DOCUMENT), 5, 0)
    front()
    c.shape(arrow_down_px(16, 1, 8, 4, 4), 'G', shade='e')
    return c


def content_examine():
    c = Canvas(24, 24)
    c.blit(sprite(DOCUMENT), 1, 0)
    lens(c, 7, 6, 12, 5)
    return c


def content_copy():
    c = Canvas(24, 24)
    c.blit(sprite(DOCUMENT), 1, 0)
    c.blit(sprite(DOCUMENT), 10, 8)
    return c


def content_move():
    c = Canvas(24, 24)
    c.blit(sprite(DOCUMENT), 0, 0)
    c.blit(sprite(FOLDER), 10, 14)
    c.shape(arrow_right_px(12, 3, 8, 4, 5), 'G', shade='e')
    return c


def content_relink():
    """Two chain links; each passes over the other at one crossing, so they interlock."""
    c = Canvas(24, 24)
    first = round_rect_px(1, 9, 15, 21, 4) - round_rect_px(5, 13, 11, 17, 1)
    second = round_rect_px(8, 2, 22, 14, 4) - round_rect_px(12, 6, 18, 10, 1)
    top = Canvas(24, 24)
    top.shape(first, 's', light='W', shade='g')
    c.blit(top)
    c.shape(second, 's', light='W', shade='g')
    for x, y in first & second:
        if x < 12:
            c.put(x, y, top.get(x, y))
    return c


def content_delete():
    c = Canvas(24, 24)
    body = poly_px([(4, 6), (19, 6), (17, 22), (6, 22)])
    c.shape(body, 's', light='W', shade='g')
    for x in (8, 11, 14):
        c.line(x, 9, x, 20, 'g')
    c.shape(rect_px(2, 3, 21, 6), 's', light='W', shade='g')
    c.shape(rect_px(9, 0, 14, 3), 's')
    return c


BUTTONS = {
    'store': content_store, 'examine': content_examine, 'copy': content_copy,
    'move': content_move, 'relink': content_relink, 'delete': content_delete,
}


# ----------------------------------------------------------------------------- date edit button and calendar arrows
def calendar_button(pressed):
    """The 23 x 25 face of the date edit's drop-down button: a black arrow over a bar, centred so that the
    middle band still shows it when the edit is shorter than the face; pressed, the content moves one pixel
    right and down inside a sunken frame."""
    c = Canvas(23, 25, 's')
    shift = 1 if pressed else 0
    for row, half in enumerate((3, 2, 1, 0)):
        c.rect(11 - half + shift, 9 + row + shift, 11 + half + shift, 9 + row + shift, 'K')
    c.rect(8 + shift, 14 + shift, 14 + shift, 14 + shift, 'K')
    if pressed:
        c.rect(0, 0, 22, 0, 'g'); c.rect(0, 0, 0, 24, 'g')
        c.rect(0, 24, 22, 24, 'W'); c.rect(22, 0, 22, 24, 'W')
    else:
        c.rect(0, 0, 21, 0, 'W'); c.rect(0, 0, 0, 23, 'W')
        c.rect(0, 24, 22, 24, 'K'); c.rect(22, 0, 22, 24, 'K')
        c.rect(1, 23, 21, 23, 'g'); c.rect(21, 1, 21, 23, 'g')
    return c


def calendar_arrow(pointing_left):
    """A 7 x 11 black triangle on the calendar's grey: tip in column 1 (left) or 5 (right)."""
    c = Canvas(7, 11, 's')
    for step in range(6):
        x = 1 + step if pointing_left else 5 - step
        if 0 <= x < 7:
            c.rect(x, 5 - step, x, 5 + step, 'K')
    return c


# ----------------------------------------------------------------------------- the banner
FONT = {   # a bold block font: capitals 11 rows, small letters 8 rows sitting on the same base line
    'K': ["##.....##", "##....##.", "##...##..", "##..##...", "##.##....", "#####....",
          "##.##....", "##..##...", "##...##..", "##....##.", "##.....##"],
    'R': ["#######.", "##....##", "##....##", "##....##", "#######.", "##.##...",
          "##..##..", "##..##..", "##...##.", "##...##.", "##....##"],
    'e': [".######.", "##....##", "##....##", "########", "##......", "##......", "##....##", ".######."],
    's': [".######.", "##....##", "##......", ".######.", "......##", "......##", "##....##", ".######."],
    't': [".##....", ".##....", "######.", ".##....", ".##....", ".##....", ".##....", ".##....",
          ".##..##", "..####."],
    'u': ["##....##", "##....##", "##....##", "##....##", "##....##", "##....##", "##...###", ".####.##"],
    'm': ["#########.", "##..##..##", "##..##..##", "##..##..##", "##..##..##", "##..##..##",
          "##..##..##", "##..##..##"],
    '3': [".######.", "##....##", "......##", "......##", "..#####.", "......##", "......##",
          "......##", "......##", "##....##", ".######."],
    '2': [".######.", "##....##", "......##", "......##", ".....##.", "....##..", "...##...",
          "..##....", ".##.....", "##......", "########"],
}
CAP_ROWS = 11


def text_mask(text, scale, gap=1):
    """Pixels of the text in the block font, base line at CAP_ROWS * scale; returns the
    pixels and, for each character, its pixel set (for colouring parts differently)."""
    x = 0
    parts = []
    for ch in text:
        rows = FONT[ch]
        top = CAP_ROWS - len(rows)
        px = set()
        for ry, row in enumerate(rows):
            for rx, cell in enumerate(row):
                if cell == '#':
                    for sy in range(scale):
                        for sx in range(scale):
                            px.add((x + rx * scale + sx, (top + ry) * scale + sy))
        parts.append(px)
        x += (len(rows[0]) + gap) * scale
    return parts, x - gap * scale


def gradient(top_colour, bottom_colour, y, height):
    t = y / max(1, height - 1)
    return tuple(round(a + (b - a) * t) for a, b in zip(top_colour, bottom_colour))


def banner():
    c = Canvas(330, 44, 's')
    c.blit(emblem(32), 6, 6)
    scale = 3
    parts, width = text_mask("KestRum32", scale)
    ox, oy = 52, 4
    height = CAP_ROWS * scale
    letters = set().union(*parts[:7])
    digits = set().union(*parts[7:])
    everything = letters | digits
    shadow = {(x + 2, y + 2) for x, y in everything}
    c.fill({(x + ox, y + oy) for x, y in shadow}, 'g')
    ring = {n for p in everything for n in neighbours(p)} - everything
    c.fill({(x + ox, y + oy) for x, y in ring}, 'K')
    for group, colours in ((letters, ((80, 120, 240), (0, 0, 112))), (digits, ((255, 96, 64), (128, 0, 0)))):
        for x, y in group:
            c.put(x + ox, y + oy, gradient(*colours, y, height))
    # an etched rule under the name
    rule_y = oy + height + 4
    c.rect(ox, rule_y, ox + width + 10, rule_y, 'g')
    c.rect(ox + 1, rule_y + 1, ox + width + 11, rule_y + 1, 'W')
    return c


def logo():
    c = Canvas(48, 48, 's')
    c.blit(emblem(48), 0, 0)
    return c


# ----------------------------------------------------------------------------- output
def outputs():
    """Every file this script writes, with the canvas (or canvases, for icons) it holds."""
    files = {
        'main.ico': [emblem(32), emblem(16)],
        'download.ico': [download_icon(32), download_icon(16)],
        'search.ico': [search_icon(32), search_icon(16)],
        'record.ico': [record_icon(32), record_icon(16)],
        'glyph_exit.bmp': glyph_exit(),
        'glyph_downloaded.bmp': glyph_downloaded(),
        'glyph_stored.bmp': glyph_stored(),
        'glyph_areas.bmp': glyph_areas(),
        'glyph_assistants.bmp': glyph_assistants(),
        'glyph_cascade.bmp': glyph_cascade(),
        'glyph_arrange.bmp': glyph_arrange(),
        'glyph_close_all.bmp': glyph_close_all(),
        'glyph_help.bmp': glyph_help(),
        'picture_logo.bmp': logo(),
        'picture_banner.bmp': banner(),
        'calendar_button_up.bmp': calendar_button(pressed=False),
        'calendar_button_down.bmp': calendar_button(pressed=True),
        'calendar_arrow_left.bmp': calendar_arrow(pointing_left=True),
        'calendar_arrow_right.bmp': calendar_arrow(pointing_left=False),
    }
    for name, draw in BUTTONS.items():
        content = draw()
        files['button_%s_up.bmp' % name] = button_face(content, pressed=False)
        files['button_%s_down.bmp' % name] = button_face(content, pressed=True)
    return files


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--out', default=os.path.join(here, '..', 'resources', 'art'))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for name, art in sorted(outputs().items()):
        data = ico_bytes(art) if name.endswith('.ico') else bmp_bytes(art)
        with open(os.path.join(args.out, name), 'wb') as f:
            f.write(data)
    print('wrote %d files to %s' % (len(outputs()), os.path.normpath(args.out)))


if __name__ == '__main__':
    main()
