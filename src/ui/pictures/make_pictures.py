#!/usr/bin/env python3
"""Draws the three help pictures the palette shows and writes them as Windows BMPs.

    make_pictures.py OUTDIR

writes OUTDIR/dimension.bmp (324 x 640, 2 colours), OUTDIR/two_face.bmp (800 x 600,
2 colours) and OUTDIR/existing_axis.bmp (800 x 600, 16 colours).

The pictures are kept as this script rather than as bitmaps so that a change is a
readable diff. Everything is drawn into a palette ("P") image, where Pillow draws
lines and text without anti-aliasing, and the palette indices are packed into the BMP
by hand: Pillow cannot write 4-bit BMPs, and the palette window wants small files with
exactly 2 or 16 colours. Nothing depends on the clock, so the same font file always
gives the same bytes.
"""

import math
import os
import re
import struct
import subprocess
import sys

try:
    from PIL import Image, ImageDraw, ImageFont
except ImportError:
    sys.exit("make_pictures.py: Pillow is missing; scripts/setup installs Debian's python3-pil")

# --------------------------------------------------------------------------------------
# Colours

# The standard Windows 16-colour palette, in its usual order, so that a 4-bit picture
# looks the same on any display mode the palette window may meet.
PALETTE16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
PALETTE2 = [(0x00, 0x00, 0x00), (0xFF, 0xFF, 0xFF)]


class Colours:
    """Palette indices of the colours a picture draws with."""

    def __init__(self, palette):
        self.palette = palette

    def _index(self, rgb, name):
        # A two-colour picture has no red or blue; asking for them there is a mistake
        # that must stop the build rather than come out black.
        if rgb not in self.palette:
            raise ValueError("%s is not in this picture's %d-colour palette" % (name, len(self.palette)))
        return self.palette.index(rgb)

    black = property(lambda self: self._index((0x00, 0x00, 0x00), "black"))
    white = property(lambda self: self._index((0xFF, 0xFF, 0xFF), "white"))
    red = property(lambda self: self._index((0xFF, 0x00, 0x00), "red"))
    blue = property(lambda self: self._index((0x00, 0x00, 0xFF), "blue"))
    dark_grey = property(lambda self: self._index((0x80, 0x80, 0x80), "dark grey"))


# --------------------------------------------------------------------------------------
# Font

FONT_FAMILY = "IPAPGothic"
FONT_FALLBACK = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"


def find_font_file():
    """The IPA P Gothic file. fc-match always answers with some font, so its answer is
    only taken when the family really is IPA P Gothic."""
    try:
        answer = subprocess.run(
            ["fc-match", "-f", "%{family}\n%{file}", FONT_FAMILY],
            capture_output=True, text=True, check=True, timeout=30).stdout
        families, path = answer.split("\n", 1)
        if FONT_FAMILY in families.split(",") and os.path.isfile(path):
            return path
    except (OSError, subprocess.SubprocessError, ValueError):
        pass
    if os.path.isfile(FONT_FALLBACK):
        return FONT_FALLBACK
    raise SystemExit("make_pictures.py: the Japanese font IPA P Gothic (" + FONT_FALLBACK +
                     ") was not found; install fonts-ipafont-gothic")


class Fonts:
    """The font at the few sizes the pictures use, each created once."""

    def __init__(self, path):
        self.path = path
        self._cache = {}
        # What the font draws for a character it lacks; compared against below.
        self._missing = self._render("\U0010FFFD")
        self._checked = set()

    def get(self, size):
        if size not in self._cache:
            self._cache[size] = ImageFont.truetype(self.path, size)
        return self._cache[size]

    def _render(self, ch):
        image = Image.new("1", (32, 32), 0)
        ImageDraw.Draw(image).text((4, 4), ch, font=self.get(20), fill=1)
        return image.tobytes()

    def check_glyphs(self, text):
        """Fails when the font lacks a character, rather than drawing an empty box."""
        for ch in sorted(set(text) - self._checked):
            self._checked.add(ch)
            if ch.isspace():
                continue
            if self._render(ch) == self._missing:
                raise SystemExit("make_pictures.py: the font %s has no glyph for %r (U+%04X)"
                                 % (self.path, ch, ord(ch)))


# --------------------------------------------------------------------------------------
# Geometry

COS30 = math.cos(math.radians(30))
SIN30 = 0.5


def rounded(v):
    """Half-up rounding to a pixel, the same on every platform."""
    return int(math.floor(v + 0.5))


def add(p, q):
    return (p[0] + q[0], p[1] + q[1])


def sub(p, q):
    return (p[0] - q[0], p[1] - q[1])


def mul(p, k):
    return (p[0] * k, p[1] * k)


def length(v):
    return math.hypot(v[0], v[1])


def unit(v):
    n = length(v)
    return (v[0] / n, v[1] / n)


def mid(p, q):
    return ((p[0] + q[0]) / 2, (p[1] + q[1]) / 2)


class Iso:
    """Isometric mapping as the program draws it: plan +X goes to 30 degrees, plan +Y
    (depth, away from the viewer) to 150 degrees and height straight up. A length
    along any of the three axes keeps its size on screen, so world units are pixels.
    (x0, y0) is where the world origin lands in the image (image y grows downwards).
    """

    def __init__(self, x0, y0, scale=1.0):
        self.x0, self.y0, self.scale = x0, y0, scale

    def vec(self, x, y, z):
        s = self.scale
        return ((x - y) * COS30 * s, -(x + y) * SIN30 * s - z * s)

    def pt(self, x, y, z):
        return add((self.x0, self.y0), self.vec(x, y, z))


# --------------------------------------------------------------------------------------
# Drawing helpers

DASH = (6, 4)              # hidden and reference lines
DASH_DOT = (14, 3, 2, 3)   # centre lines: long dash, gap, dot, gap
ARROW_LENGTH = 9
ARROW_HALF_WIDTH = 3


class Canvas:
    """A palette image with the handful of drafting strokes the pictures are made of.
    Points are (x, y) floats in image pixels; they are rounded only when drawn."""

    def __init__(self, width, height, palette, fonts):
        self.colours = Colours(palette)
        self.fonts = fonts
        self.image = Image.new("P", (width, height), self.colours.white)
        flat = [c for rgb in palette for c in rgb]
        self.image.putpalette(flat + [0] * (768 - len(flat)))
        self.draw = ImageDraw.Draw(self.image)
        # A "P" image already gets un-smoothed text; say so in case Pillow changes it.
        self.draw.fontmode = "1"
        self.ink = self.colours.black

    # Lines ------------------------------------------------------------------------

    def line(self, p, q, colour=None, width=1):
        colour = self.ink if colour is None else colour
        x0, y0, x1, y1 = rounded(p[0]), rounded(p[1]), rounded(q[0]), rounded(q[1])
        if width == 1:
            self.draw.line([(x0, y0), (x1, y1)], fill=colour)
            return
        # A wide line is the thin line repeated side by side across its run. Pillow's
        # own wide lines come out a pixel thicker at 60 degrees than at 30, which shows
        # on an isometric drawing where both meet.
        offsets = range(-((width - 1) // 2), width - (width - 1) // 2)
        across_y = abs(x1 - x0) >= abs(y1 - y0)
        for o in offsets:
            if across_y:
                self.draw.line([(x0, y0 + o), (x1, y1 + o)], fill=colour)
            else:
                self.draw.line([(x0 + o, y0), (x1 + o, y1)], fill=colour)
        # Square ends, so that the corners of a wide polyline have no notches.
        lo, hi = offsets[0], offsets[-1]
        for x, y in ((x0, y0), (x1, y1)):
            self.draw.rectangle([x + lo, y + lo, x + hi, y + hi], fill=colour)

    def polyline(self, points, colour=None, width=1, closed=False):
        pts = list(points) + ([points[0]] if closed else [])
        for p, q in zip(pts, pts[1:]):
            self.line(p, q, colour, width)

    def patterned(self, p, q, pattern, colour=None, width=1):
        """A line drawn as the dash lengths in `pattern` (on, off, on, off, ...),
        starting with a full first dash at p."""
        total = length(sub(q, p))
        if total == 0:
            return
        d = unit(sub(q, p))
        pos, i = 0.0, 0
        while pos < total:
            run = pattern[i % len(pattern)]
            end = min(pos + run, total)
            if i % 2 == 0:
                self.line(add(p, mul(d, pos)), add(p, mul(d, end)), colour, width)
            pos, i = end, i + 1

    def dashed(self, p, q, colour=None, width=1):
        self.patterned(p, q, DASH, colour, width)

    def dash_dot(self, p, q, colour=None, width=1):
        """A centre line, laid out from both ends towards its middle so that it starts
        and ends with a long dash, as drafters draw it."""
        m = mid(p, q)
        self.patterned(p, m, DASH_DOT, colour, width)
        self.patterned(q, m, DASH_DOT, colour, width)

    def arrowhead(self, tip, towards, colour=None, size=ARROW_LENGTH, half_width=ARROW_HALF_WIDTH):
        """A filled drafting arrowhead with its point at `tip`, pointing along `towards`."""
        colour = self.ink if colour is None else colour
        d = unit(towards)
        n = (-d[1], d[0])
        back = sub(tip, mul(d, size))
        corners = [tip, add(back, mul(n, half_width)), sub(back, mul(n, half_width))]
        self.draw.polygon([(rounded(x), rounded(y)) for x, y in corners], fill=colour, outline=colour)

    def dot(self, centre, radius, colour=None):
        colour = self.ink if colour is None else colour
        x, y = rounded(centre[0]), rounded(centre[1])
        self.draw.ellipse([x - radius, y - radius, x + radius, y + radius], fill=colour, outline=colour)

    # Text -------------------------------------------------------------------------

    def text_size(self, text, size):
        """Advance width and ink height of one line of text."""
        font = self.fonts.get(size)
        box = self.draw.textbbox((0, 0), text, font=font, anchor="ls")
        return font.getlength(text), box[3] - box[1]

    def text(self, xy, text, size, colour=None, anchor="la"):
        """Text at xy with one of Pillow's anchors (default: left, top of the ascender)."""
        colour = self.ink if colour is None else colour
        self.fonts.check_glyphs(text)
        self.draw.text((rounded(xy[0]), rounded(xy[1])), text, font=self.fonts.get(size),
                       fill=colour, anchor=anchor)

    def centred_ink(self, centre, text, size, colour=None):
        """Text whose inked pixels are centred on `centre`; for labels inside circles
        and boxes, where the font's ascent would otherwise push the text down."""
        colour = self.ink if colour is None else colour
        self.fonts.check_glyphs(text)
        font = self.fonts.get(size)
        box = self.draw.textbbox((0, 0), text, font=font, anchor="ls")
        x = centre[0] - (box[0] + box[2]) / 2
        y = centre[1] - (box[1] + box[3]) / 2
        self.draw.text((rounded(x), rounded(y)), text, font=font, fill=colour, anchor="ls")

    def circled(self, centre, label, radius=9, size=12, colour=None):
        """A letter or digit in a drawn circle, so that no circled glyph is needed."""
        colour = self.ink if colour is None else colour
        x, y = rounded(centre[0]), rounded(centre[1])
        self.draw.ellipse([x - radius, y - radius, x + radius, y + radius], outline=colour)
        self.centred_ink((x + 0.5, y + 0.5), label, size, colour)

    def button_size(self, caption, size):
        w, _ = self.text_size(caption, size)
        return rounded(w) + 10, size + 7

    def button(self, centre, caption, size=13):
        """A palette button: the caption in a box with a shadow on its lower right."""
        w, h = self.button_size(caption, size)
        x0 = rounded(centre[0] - w / 2)
        y0 = rounded(centre[1] - h / 2)
        x1, y1 = x0 + w - 1, y0 + h - 1
        self.draw.rectangle([x0, y0, x1, y1], fill=self.colours.white, outline=self.ink)
        self.draw.line([(x0 + 1, y1 + 1), (x1 + 1, y1 + 1), (x1 + 1, y0 + 1)], fill=self.ink)
        self.centred_ink((x0 + w / 2, y0 + h / 2), caption, size)

    # Rich text: one line mixing plain text, circled labels, buttons and colour.
    #   {c:1}      a circled "1"
    #   {b:上面}   a button captioned 上面
    #   {red:赤}   text in red (likewise {blue:...})
    _MARKUP = re.compile(r"\{(c|b|red|blue):([^}]*)\}")

    def rich_line(self, xy, markup, size):
        """Draws one line of markup with its top-left at xy; returns its width."""
        x, top = xy
        font = self.fonts.get(size)
        ascent, _ = font.getmetrics()
        baseline = top + ascent
        # Circles and buttons are centred on the middle of the CJK glyphs.
        box = self.draw.textbbox((0, 0), "中", font=font, anchor="ls")
        middle = baseline + (box[1] + box[3]) / 2
        pos = 0
        for m in list(self._MARKUP.finditer(markup)) + [None]:
            plain = markup[pos:m.start() if m else len(markup)]
            if plain:
                self.text((x, baseline), plain, size, anchor="ls")
                x += font.getlength(plain)
            if m is None:
                break
            kind, value = m.group(1), m.group(2)
            if kind == "c":
                r = rounded(size * 0.62)
                self.circled((x + r + 1, middle), value, radius=r, size=size - 3)
                x += 2 * r + 3
            elif kind == "b":
                w, _ = self.button_size(value, size - 1)
                self.button((x + 2 + w / 2, middle), value, size - 1)
                x += w + 5
            else:
                colour = self.colours.red if kind == "red" else self.colours.blue
                self.text((x, baseline), value, size, colour=colour, anchor="ls")
                x += font.getlength(value)
            pos = m.end()
        return x - xy[0]

    def rich_lines(self, xy, lines, size, spacing):
        for i, line in enumerate(lines):
            self.rich_line((xy[0], xy[1] + i * spacing), line, size)

    # Dimensions -------------------------------------------------------------------

    def dimension(self, a, b, out, offset, caption=None, caption_size=13,
                  gap=3, overshoot=4):
        """A drafting dimension of the edge a-b (screen points): two extension lines
        along the unit screen vector `out`, a dimension line `offset` pixels out with an
        arrowhead at each end, and the button caption just beyond the dimension line."""
        for p in (a, b):
            self.line(add(p, mul(out, gap)), add(p, mul(out, offset + overshoot)))
        qa, qb = add(a, mul(out, offset)), add(b, mul(out, offset))
        self.line(qa, qb)
        self.arrowhead(qa, sub(qa, qb))
        self.arrowhead(qb, sub(qb, qa))
        if caption:
            # Push the caption out along the extension lines until its box clears the
            # dimension line by a few pixels, measured square to the dimension line.
            w, h = self.button_size(caption, caption_size)
            d = unit(sub(qb, qa))
            n = (-d[1], d[0])
            if n[0] * out[0] + n[1] * out[1] < 0:
                n = (-n[0], -n[1])
            reach = (w / 2 + 1) * abs(n[0]) + (h / 2 + 1) * abs(n[1]) + 4
            t = reach / (n[0] * out[0] + n[1] * out[1])
            self.button(add(mid(qa, qb), mul(out, t)), caption, caption_size)


# --------------------------------------------------------------------------------------
# BMP output


def bmp_bytes(image, palette):
    """A bottom-up BI_RGB Windows bitmap of a "P" image: 1 bit per pixel for a
    two-colour palette, 4 bits for sixteen, the colour table holding exactly them."""
    colours = len(palette)
    bits = {2: 1, 16: 4}[colours]
    width, height = image.size
    pixels = image.tobytes()
    if max(pixels) >= colours:
        raise ValueError("palette index %d used in a %d-colour picture" % (max(pixels), colours))
    row_bytes = (width * bits + 31) // 32 * 4
    rows = []
    for y in range(height - 1, -1, -1):
        row = pixels[y * width:(y + 1) * width]
        if bits == 4:
            padded = row + b"\0" * (len(row) % 2)
            packed = bytes((padded[i] << 4) | padded[i + 1] for i in range(0, len(padded), 2))
        else:
            padded = row + b"\0" * (-len(row) % 8)
            packed = bytes(
                (padded[i] << 7) | (padded[i + 1] << 6) | (padded[i + 2] << 5) | (padded[i + 3] << 4)
                | (padded[i + 4] << 3) | (padded[i + 5] << 2) | (padded[i + 6] << 1) | padded[i + 7]
                for i in range(0, len(padded), 8))
        rows.append(packed + b"\0" * (row_bytes - len(packed)))
    image_data = b"".join(rows)
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(colour_table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(image_data), 0, 0, offset)
    # 3780 pixels per metre is 96 dpi, the resolution the pictures are drawn for.
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(image_data),
                              3780, 3780, colours, 0)
    return file_header + info_header + colour_table + image_data


def save_bmp(canvas, path):
    data = bmp_bytes(canvas.image, canvas.colours.palette)
    # Written beside and renamed, so that a failed run never leaves a half picture
    # that a later build would link into the program.
    temporary = path + ".tmp"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


# --------------------------------------------------------------------------------------
# Picture 1: dimension.bmp, the 寸法 kind
#
# Two cubes, one seen from above and one from below, with a dimension on every visible
# edge direction, each labelled with the direction button that draws it. The caption
# follows from the plane the dimension lies in (the edge and its extension lines):
# horizontal with the edge at 30 degrees is 上左, horizontal with the edge at
# 150 degrees is 上右, vertical through 150 degrees is 左, vertical through 30 degrees
# is 右.

X, Y, Z = 0, 1, 2


def button_for_plane(edge_axis, out_axis):
    """The direction button whose plane holds an edge along `edge_axis` with its
    extension lines along `out_axis` (world axes X, Y, Z)."""
    normal = ({X, Y, Z} - {edge_axis, out_axis}).pop()
    if normal == Z:
        return "上左" if edge_axis == X else "上右"
    return "左" if normal == X else "右"


def cube_with_dimensions(cv, iso, a, from_below, near, far):
    """A cube of edge `a` with its corner at the world origin. From above the faces
    x = 0, y = 0 and z = a face the viewer; from below x = a, y = a and z = 0 do, and
    the picture is the one from above turned upside down."""
    def P(x, y, z):
        return iso.pt(x, y, z)

    if not from_below:
        faces = {X: 0, Y: 0, Z: a}
        edges = [[(0, 0, a), (a, 0, a), (a, a, a), (0, a, a), (0, 0, a)],   # top rhombus
                 [(0, a, a), (0, a, 0), (0, 0, 0), (a, 0, 0), (a, 0, a)],   # sides' outline
                 [(0, 0, 0), (0, 0, a)]]                                     # front vertical
        # (edge end, edge end, outward axis, outward sign, offset)
        dims = [((0, a, a), (a, a, a), Y, +1, near),   # top face, edge at 30 degrees
                ((a, 0, a), (a, a, a), X, +1, near),   # top face, edge at 150 degrees
                ((0, 0, 0), (0, a, 0), Z, -1, near),   # left face, lower edge
                ((0, 0, 0), (a, 0, 0), Z, -1, near),   # right face, lower edge
                ((0, a, 0), (0, a, a), Y, +1, far),    # left outer vertical, left face
                ((a, 0, 0), (a, 0, a), X, +1, far)]    # right outer vertical, right face
    else:
        faces = {X: a, Y: a, Z: 0}
        edges = [[(0, 0, 0), (a, 0, 0), (a, a, 0), (0, a, 0), (0, 0, 0)],   # bottom rhombus
                 [(0, a, 0), (0, a, a), (a, a, a), (a, 0, a), (a, 0, 0)],   # sides' outline
                 [(a, a, 0), (a, a, a)]]                                     # vertical up from the centre
        dims = [((0, 0, 0), (0, a, 0), X, -1, near),   # bottom face, edge at 330 degrees
                ((0, 0, 0), (a, 0, 0), Y, -1, near),   # bottom face, edge at 30 degrees
                ((0, a, a), (a, a, a), Z, +1, near),   # left face (y = a), upper edge
                ((a, 0, a), (a, a, a), Z, +1, near),   # right face (x = a), upper edge
                ((0, a, 0), (0, a, a), X, -1, far),    # left outer vertical, left face
                ((a, 0, 0), (a, 0, a), Y, -1, far)]    # right outer vertical, right face

    for chain in edges:
        cv.polyline([P(*p) for p in chain], width=2)

    centre = (a / 2, a / 2, a / 2)
    for e0, e1, out_axis, sign, offset in dims:
        axes = [i for i in range(3) if e0[i] != e1[i]]
        if len(axes) != 1 or axes[0] == out_axis:
            raise ValueError("a dimensioned edge runs along one axis, square to its extension lines")
        edge_axis = axes[0]
        normal = ({X, Y, Z} - {edge_axis, out_axis}).pop()
        # The dimension must lie on a face the viewer sees, one holding the edge...
        if e0[normal] != faces[normal]:
            raise ValueError("dimension of %r-%r off the visible faces" % (e0, e1))
        # ...and stand off the cube, not over it.
        if (e0[out_axis] - centre[out_axis]) * sign <= 0:
            raise ValueError("dimension of %r-%r pointing into the cube" % (e0, e1))
        out = [0, 0, 0]
        out[out_axis] = sign
        cv.dimension(P(*e0), P(*e1), unit(iso.vec(*out)), offset,
                     button_for_plane(edge_axis, out_axis))


def draw_dimension(fonts):
    cv = Canvas(324, 640, PALETTE2, fonts)
    # The points are asked for after the button, as the draw command runs.
    cv.rich_lines((10, 8), ["図のボタンを押し、辺の両端を１点目・２点目、",
                            "寸法線の側を３点目に指示します。"], 14, 19)
    cv.line((8, 50), (316, 50))

    a = 100          # cube edge
    near, far = 22, 46
    cx = 162         # the hexagons' centre line
    # The hexagon's centre is iso(0, 0, a), so the origin sits a below it.
    # Each cube with its dimensions and captions reaches about 130 px either side
    # of its centre; the lower one starts clear of its heading.
    top_centre, bottom_centre = 199, 510

    cv.text((10, 58), "上から見た場合", 15)
    cube_with_dimensions(cv, Iso(cx, top_centre + a), a, False, near, far)

    cv.patterned((8, 341), (316, 341), (2, 3))
    cv.text((10, 349), "下から見た場合", 15)
    cube_with_dimensions(cv, Iso(cx, bottom_centre + a), a, True, near, far)
    return cv


# --------------------------------------------------------------------------------------
# Picture 2: two_face.bmp, the ２面選択 kind
#
# A block cut by a sloping plane from its front bottom edge to its back top edge. The
# plane's corners are picked as 1-4 in the top view and as A-D in the front view, in
# the same order, and come out as a closed chain in the projection.

BLOCK_W, BLOCK_D, BLOCK_H = 160, 80, 70      # plan X, plan depth Y, height
# The chain: plan points 1-4 and the front-view points A-D belonging to them.
CHAIN = [((0, 0, 0), "1", "A"),
         ((BLOCK_W, 0, 0), "2", "B"),
         ((BLOCK_W, BLOCK_D, BLOCK_H), "3", "C"),
         ((0, BLOCK_D, BLOCK_H), "4", "D")]


def block_edges(size):
    """The twelve edges of a box from the origin to `size`, as 3-D point pairs."""
    w, d, h = size
    corners = [(x, y, z) for x in (0, w) for y in (0, d) for z in (0, h)]
    return [(p, q) for i, p in enumerate(corners) for q in corners[i + 1:]
            if sum(1 for k in range(3) if p[k] != q[k]) == 1]


def iso_block(cv, iso, reference):
    """The block in isometric, thin. As a `reference` behind the chain all of it is
    dotted; otherwise the three edges at the one corner hidden from view are dashed."""
    hidden_corner = (BLOCK_W, BLOCK_D, 0)   # back right bottom
    for p, q in block_edges((BLOCK_W, BLOCK_D, BLOCK_H)):
        if reference:
            cv.patterned(iso.pt(*p), iso.pt(*q), (2, 3))
        elif hidden_corner in (p, q):
            cv.dashed(iso.pt(*p), iso.pt(*q))
        else:
            cv.line(iso.pt(*p), iso.pt(*q))


def iso_chain(cv, iso):
    """The closed chain through the picked points, bold; returns its corners."""
    corners = [iso.pt(*p) for p, _, _ in CHAIN]
    cv.polyline(corners, width=3, closed=True)
    return corners


def draw_two_face(fonts):
    cv = Canvas(800, 600, PALETTE2, fonts)
    W, D, H = BLOCK_W, BLOCK_D, BLOCK_H

    # Third-angle views: the top view above the front view, their X in line.
    left, right = 90, 90 + BLOCK_W
    top_view_back, top_view_front = 72, 72 + D          # image y of the back and front edges
    front_view_top, front_view_bottom = 232, 232 + H

    cv.text((16, (top_view_back + top_view_front) / 2), "上面図", 15, anchor="lm")
    cv.draw.rectangle([left, top_view_back, right, top_view_front], outline=cv.ink, width=2)
    cv.text((16, (front_view_top + front_view_bottom) / 2), "正面図", 15, anchor="lm")
    cv.draw.rectangle([left, front_view_top, right, front_view_bottom], outline=cv.ink, width=2)
    # Thin projection lines carry the corners from one view to the other.
    for x in (left, right):
        cv.patterned((x, top_view_front + 6), (x, front_view_top - 6), (3, 3))

    def top_view(p):
        return (left + p[0], top_view_front - p[1])

    def front_view(p):
        return (left + p[0], front_view_bottom - p[2])

    # The labels sit diagonally off each corner, outside the outline.
    def beside(pt, centre):
        return (pt[0] + (-15 if pt[0] < centre[0] else 15), pt[1] + (-15 if pt[1] < centre[1] else 15))

    top_centre = ((left + right) / 2, (top_view_back + top_view_front) / 2)
    front_centre = ((left + right) / 2, (front_view_top + front_view_bottom) / 2)
    for p, number, letter in CHAIN:
        t, f = top_view(p), front_view(p)
        cv.dot(t, 2)
        cv.dot(f, 2)
        cv.circled(beside(t, top_centre), number, radius=10, size=13)
        cv.circled(beside(f, front_centre), letter, radius=10, size=13)

    # A smaller picture of the block as a solid, the face to be drawn bold.
    sketch = Iso(352, 192, 0.6)
    iso_block(cv, sketch, reference=False)
    iso_chain(cv, sketch)
    cv.text((352, 206), "立体図", 14, anchor="ma")
    cv.text((352, 226), "（太線：描かれる線）", 13, anchor="ma")

    # A bold arrow from the views to what comes of them.
    cv.line((316, 266), (384, 266), width=3)
    cv.arrowhead((400, 266), (1, 0), size=16, half_width=7)

    # The projection, drawn as 上左 draws it: plan X to 30 degrees, depth to 150,
    # at the size of the views.
    proj = Iso(592, 346)
    top = proj.pt(W, D, H)
    cv.text((proj.x0, 56), "投影図（上左）", 15, anchor="ma")
    iso_block(cv, proj, reference=True)
    corners = iso_chain(cv, proj)
    start = corners[0]
    cv.dot(start, 4)
    cv.rich_line((start[0] - 24, start[1] + 10), "{c:1}{c:A} 始点", 14)
    # The other corners tell which pair of picks each came from.
    cv.rich_line((corners[1][0] + 10, corners[1][1] - 9), "{c:2}{c:B}", 14)
    cv.rich_line((top[0] + 8, top[1] - 24), "{c:3}{c:C}", 14)
    cv.rich_line((corners[3][0] - 56, corners[3][1] - 12), "{c:4}{c:D}", 14)

    cv.line((20, 414), (780, 414))
    cv.rich_lines((30, 430), [
        "１．{b:上面} ボタンを押し、上面図の点を順に指示（{c:1}〜{c:4}）",
        "２．{b:正面} ボタンを押し、正面図の点を同じ順に指示（{c:A}〜{c:D}）",
        "３．{b:上左} または {b:上右} ボタンを押し、始点を指示",
        "　　→ {c:1}{c:A} の点を始点として、閉じた線が描かれます",
    ], 15, 34)
    return cv


# --------------------------------------------------------------------------------------
# Picture 3: existing_axis.bmp, the 既存軸 kind
#
# A stepped shaft in plan, once lying and once standing. Only the outline on one side
# of the centre line is used, so that half is red; the centre line is blue and the
# rest, which may be caught in the selection without harm, black.

SHAFT = [(80, 30), (130, 50), (90, 38)]   # (length, radius) of each step, from one end
CHAMFER = 6


def shaft_profile():
    """The outline on one side of the centre line as (along, across) points from one
    end to the other, both ends on the centre line, and the lines across the shaft
    where its outline turns (chamfer edges and shoulders) as (along, half-length)."""
    profile = [(0, 0), (0, SHAFT[0][1] - CHAMFER), (CHAMFER, SHAFT[0][1])]
    across = [(CHAMFER, SHAFT[0][1])]
    at = 0
    for i, (run, r) in enumerate(SHAFT):
        at += run
        if i + 1 < len(SHAFT):
            r_next = SHAFT[i + 1][1]
            profile += [(at, r), (at, r_next)]
            across.append((at, min(r, r_next)))
        else:
            profile += [(at - CHAMFER, r), (at, r - CHAMFER), (at, 0)]
            across.append((at - CHAMFER, r))
    return profile, across, at


def shaft(cv, to_image, total, outline_width=3):
    """Draws the shaft through `to_image(along, across)`, where positive `across` is
    the side whose outline is picked."""
    profile, across, _ = shaft_profile()
    # The whole shaft in black first, the red outline on top of it. The end faces stay
    # black: a line that reaches the centre line is not wholly on the outline's side,
    # so the palette passes it over (the end circles come from the chamfers' ends).
    for side in (1, -1):
        cv.polyline([to_image(a, side * c) for a, c in profile], cv.ink, width=2)
    for a, half in across:
        cv.line(to_image(a, -half), to_image(a, half), cv.ink, width=2)
    cv.polyline([to_image(a, c) for a, c in profile[1:-1]], cv.colours.red, width=outline_width)
    cv.dash_dot(to_image(-16, 0), to_image(total + 16, 0), cv.colours.blue)


def draw_existing_axis(fonts):
    cv = Canvas(800, 600, PALETTE16, fonts)
    _, _, total = shaft_profile()

    # Lying shaft: along = image x, the picked side is above the centre line.
    cv.text((16, 12), "横向きの軸", 16)
    x0, yc = 50, 160
    shaft(cv, lambda a, c: (x0 + a, yc - c), total)
    # Name the two lines the steps speak of, in their colours.
    cv.text((x0 + total + 8, yc - 6), "中心線", 14, cv.colours.blue, anchor="lb")
    cv.text((x0 + SHAFT[0][0] + SHAFT[1][0] / 2, yc - SHAFT[1][1] - 8), "外形線", 14,
            cv.colours.red, anchor="mb")
    steps_x = 430
    cv.rich_lines((steps_x, 44), [
        "１．{b:中心線} を押し、中心線（{blue:青}）を選択",
        "２．{b:外形線} を押し、中心線より上の",
        "　　外形線（{red:赤}）を選択",
        "　　※他の線（{blue:青}・黒）が選択に含まれても",
        "　　　構いません",
        "３．{b:左} または {b:右} ボタンを押す",
    ], 15, 34)

    cv.line((12, 296), (788, 296), cv.colours.dark_grey)

    # Standing shaft: along = image y downwards, the picked side right of the centre.
    cv.text((16, 308), "縦向きの軸", 16)
    xc, y0 = 200, 346
    scale = 0.75  # shorter steps, to fit the lower half
    shaft(cv, lambda a, c: (xc + c, y0 + a * scale), total)
    cv.text((xc - 6, y0 - 6), "中心線", 14, cv.colours.blue, anchor="rb")
    cv.text((xc + SHAFT[1][1] + 8, y0 + (SHAFT[0][0] + SHAFT[1][0] / 2) * scale), "外形線", 14,
            cv.colours.red, anchor="lm")
    cv.rich_lines((steps_x, 344), [
        "１．{b:中心線} を押し、中心線（{blue:青}）を選択",
        "２．{b:外形線} を押し、中心線より右の",
        "　　外形線（{red:赤}）を選択",
        "　　※他の線（{blue:青}・黒）が選択に含まれても",
        "　　　構いません",
        "３．{b:上左} または {b:上右} ボタンを押す",
    ], 15, 34)
    return cv


# --------------------------------------------------------------------------------------

PICTURES = [
    ("dimension.bmp", draw_dimension, (324, 640), 2),
    ("two_face.bmp", draw_two_face, (800, 600), 2),
    ("existing_axis.bmp", draw_existing_axis, (800, 600), 16),
]


def main(argv=None):
    argv = sys.argv[1:] if argv is None else argv
    if len(argv) != 1:
        print("usage: make_pictures.py OUTDIR", file=sys.stderr)
        return 2
    outdir = argv[0]
    fonts = Fonts(find_font_file())
    os.makedirs(outdir, exist_ok=True)
    for name, draw, size, colours in PICTURES:
        cv = draw(fonts)
        if cv.image.size != size or len(cv.colours.palette) != colours:
            raise SystemExit("make_pictures.py: %s came out %r with %d colours, not %r with %d"
                             % (name, cv.image.size, len(cv.colours.palette), size, colours))
        save_bmp(cv, os.path.join(outdir, name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
