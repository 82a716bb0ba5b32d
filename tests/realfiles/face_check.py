#!/usr/bin/env python3
"""Whether a figure drawn from a plan is the plan's isometric view, decided from the
face axes alone.

  face_check.py check MANIFEST   one draw a line, a JSON object:
      {"label": "...", "plan": "plan.dxf", "result": "added.dxf", "face": 0,
       "base": [x, y], "at": [x, y], "height": 10, "sign": 1,
       "height_lines": true, "circle_lines": true}
      plan: the drawing as it was before the draw; result: what the draw added, with
      the drawing's block definitions; face 0 上左, 1 上右, 2 左, 3 右, or "none" (the
      result must be the plan itself: no face map, no raised copy, no height lines);
      "recover": true reads the plan with ezdxf's recover mode (a file of another
      program rather than one the stand-in wrote); "left_out": ["TEXT", ...] kinds the
      drawing program names as left out, compared on neither side ("mirrored TEXT":
      the texts whose placement mirrors them, which no upright text on a face can
      show); "points_and_splines": true holds the result to the plan's POINTs and
      SPLINEs too (otherwise the plan's are passed over, and any in the result are
      left over).
  face_check.py selftest         the checks on hand-made figures, right and wrong.

Exit 0 when every draw is right (counts printed); 1 otherwise, with the first few
missing and left-over pieces of each draw and the plan entity they come from. When
most stray segments of a draw lie moved by one and the same small step from expected
ones (a figure drawn whole in the wrong place, as from a base point read short of its
digits), that step is named and what remains with the figure moved back is listed too.

What the figure must hold. A plan point p (world plan coordinates) goes to

    at + (p - base).x X + (p - base).y Y + lift U

with X, Y the drawing directions of unit plan +X and +Y on the face and U that of a
height of +1 (sign +1), all of unit length:

    face  plan +X  plan +Y  height +1
      0     30°     150°      90°
      1    330°      30°      90°
      2    330°      90°     210°
      3     30°      90°     330°

The figure is the image of every visible plan entity at lift 0 and, when the height H
is not 0, again at lift sign * H (on the side faces the copy is raised by -H in the
face's own frame, whose +Y the insertion turns against U: either way a height of +1
goes along U); and, when height lines are on, one segment from the image of each foot
point at lift 0 to its image at lift sign * H. Feet, one per place and layer (places
closer than tol are one): line ends, polyline vertices, and where a circle, arc or
ellipse (a polyline's arc segments too) runs along the height direction in plan -- the
plan direction the face takes to U -- where the curve passes there; those of curves
only when circle height lines are on. Block references are followed at any depth by chaining their
placements here (an expansion into entities drops the shear a turned reference gets
inside an unevenly scaled one), array references (columns and rows) element by
element; an entity on layer "0" inside a block takes the reference's layer; layers
that are off (negative colour) or frozen (flag 1) hide what is on them, a frozen
layer of a reference the whole reference.

How it is compared. Both sides become exact curves in drawing coordinates: segments
and conic arcs c + u cos t + v sin t (every circle, arc and ellipse under any affine
map). Height lines are compared as segments, one for one. Every other curve of the
result is sampled densely and each sample must lie within tol of an expected curve;
every expected curve is sampled and each sample must lie within tol of a result curve;
so how either side is split into pieces does not matter. Texts are compared by their
insertion point (their bytes are the code page's business, not the face's), points
by their place, and splines, one for one, by their control and fit points in order: a
spline's curve is a weighted average of its control points, so a map that puts those
where the face puts them puts the whole curve there. A spatial
grid keeps the search near each sample. Nothing else is allowed for: an ellipse drawn
as a polygon through points on it, say, strays from the true curve between them.

    tol = 1e-9 * max(plan size, |H|) + 1e-13 * (largest coordinate)

The first term is the measure asked of the figure. The second allows for the drawing
holding absolute coordinates: every step between the plan and the figure (the turns
about the base point, the number text of the figure file, the block insertion, the
explosion) rounds at 1.1e-16 of the numbers it handles, and a plan far from the origin
carries that rounding; a thousand such units of its largest coordinate (of the plan,
the base point and the figure's reach from the insertion point) are allowed on top.
"""
import json
import math
import os
import sys

import ezdxf
from ezdxf.audit import AuditError
from ezdxf.entities import dxfgfx
from ezdxf.math import OCS

# AutoCAD takes layer names ezdxf refuses when it makes an entity of its own (a
# reference's SEQEND on a layer named with "\U+" escapes, as R12 files write names
# outside their code page): the names are only compared here, so let them be.
dxfgfx.acdb_entity.attribs["layer"].validator = None

# The drawing directions (degrees) of plan +X, plan +Y and a height of +1.
FACES = {0: (30.0, 150.0, 90.0), 1: (330.0, 30.0, 90.0), 2: (330.0, 90.0, 210.0), 3: (30.0, 90.0, 330.0)}
FACE_NAMES = {0: "上左", 1: "上右", 2: "左", 3: "右"}
SHOWN = 6            # faults listed per kind and draw
SAMPLES_PER_SIZE = 2000  # a sample every plan size / this along each curve ...
MIN_SAMPLES = 9          # ... but at least this many and at most
MAX_SAMPLES = 4000       # this many on one curve
GRID_CELLS = 128         # grid cells along the larger side of the drawing
TAU = 2 * math.pi
# How far a chord of the R12 export's ellipse polyline (72 points a turn) may stand off
# the ellipse, as a share of its major semi-axis: the sagitta of 5 degrees of a circle,
# 1 - cos(2.5 degrees), with room for the face map's unequal scales.
R12_ELLIPSE_CHORDS = 1.5 * (1 - math.cos(math.radians(2.5)))


# ---------------------------------------------------------------------------------
# Affine maps of the plane: (a, b, c, d, tx, ty) is p -> (a x + b y + tx, c x + d y + ty)
# ---------------------------------------------------------------------------------

IDENTITY = (1.0, 0.0, 0.0, 1.0, 0.0, 0.0)


def apply(m, p):
    return (m[0] * p[0] + m[1] * p[1] + m[4], m[2] * p[0] + m[3] * p[1] + m[5])


def linear(m, v):
    return (m[0] * v[0] + m[1] * v[1], m[2] * v[0] + m[3] * v[1])


def chain(outer, inner):
    """outer after inner."""
    a, b, c, d, tx, ty = outer
    e, f, g, h, ux, uy = inner
    return (a * e + b * g, a * f + b * h, c * e + d * g, c * f + d * h,
            a * ux + b * uy + tx, c * ux + d * uy + ty)


def ocs_axes(extrusion):
    """The plan images of an entity's object X and Y axes and of its Z axis."""
    ocs = OCS(extrusion)
    return (ocs.ux.x, ocs.ux.y), (ocs.uy.x, ocs.uy.y), (ocs.uz.x, ocs.uz.y)


def ocs_map(entity, elevation=0.0):
    """Object coordinates (x, y at the given elevation) to world plan coordinates."""
    extrusion = entity.dxf.get("extrusion", (0, 0, 1))
    (xx, xy), (yx, yy), (zx, zy) = ocs_axes(extrusion)
    return (xx, yx, xy, yy, zx * elevation, zy * elevation)


# ---------------------------------------------------------------------------------
# Curves: exact segments and conic arcs, with where they came from
# ---------------------------------------------------------------------------------

class Segment:
    __slots__ = ("a", "b", "what", "layer")

    def __init__(self, a, b, what, layer):
        self.a, self.b, self.what, self.layer = a, b, what, layer

    def mapped(self, m, what=None):
        return Segment(apply(m, self.a), apply(m, self.b), what or self.what, self.layer)

    def length(self):
        return math.dist(self.a, self.b)

    def point(self, s):
        return (self.a[0] + (self.b[0] - self.a[0]) * s, self.a[1] + (self.b[1] - self.a[1]) * s)

    def samples(self, n):
        return [self.point(i / (n - 1)) for i in range(n)]

    def distance(self, q):
        ax, ay = self.a
        dx, dy = self.b[0] - ax, self.b[1] - ay
        length = dx * dx + dy * dy
        s = 0.0 if length == 0 else max(0.0, min(1.0, ((q[0] - ax) * dx + (q[1] - ay) * dy) / length))
        return math.hypot(q[0] - ax - s * dx, q[1] - ay - s * dy)

    def describe(self):
        return f"segment ({self.a[0]:.10g}, {self.a[1]:.10g})-({self.b[0]:.10g}, {self.b[1]:.10g})"


class Conic:
    """c + u cos t + v sin t for t from t0 to t1 (t1 > t0, at most a turn more).

    `chords` is how far, as a share of the larger semi-axis, the figure may draw the
    curve off its true place: 0 for curves the figure carries exactly, more for an
    ellipse, which an R12 export (the figure file's format, as AutoCAD writes it)
    can only hold as a polyline through points of it."""
    __slots__ = ("c", "u", "v", "t0", "t1", "what", "layer", "chords")

    def __init__(self, c, u, v, t0, t1, what, layer, chords=0.0):
        self.c, self.u, self.v, self.t0, self.t1, self.what, self.layer = c, u, v, t0, t1, what, layer
        self.chords = chords

    def mapped(self, m, what=None):
        return Conic(apply(m, self.c), linear(m, self.u), linear(m, self.v), self.t0, self.t1,
                     what or self.what, self.layer, self.chords)

    def allowance(self):
        """How far off its true place the figure may draw this curve."""
        return self.chords * max(math.hypot(*self.u), math.hypot(*self.v))

    def whole(self):
        return self.t1 - self.t0 >= TAU - 1e-12

    def point(self, t):
        ct, st = math.cos(t), math.sin(t)
        return (self.c[0] + self.u[0] * ct + self.v[0] * st, self.c[1] + self.u[1] * ct + self.v[1] * st)

    def length(self):
        return (math.hypot(*self.u) + math.hypot(*self.v)) / 2 * (self.t1 - self.t0)

    def samples(self, n):
        return [self.point(self.t0 + (self.t1 - self.t0) * i / (n - 1)) for i in range(n)]

    def covers(self, t, slack):
        """Whether parameter t (any turn) lies on the arc, `slack` radians beyond its ends allowed."""
        if self.whole():
            return True
        off = (t - self.t0) % TAU
        return off <= self.t1 - self.t0 + slack or off >= TAU - slack

    def _newton(self, q, t):
        for _ in range(40):
            ct, st = math.cos(t), math.sin(t)
            px = self.c[0] + self.u[0] * ct + self.v[0] * st - q[0]
            py = self.c[1] + self.u[1] * ct + self.v[1] * st - q[1]
            dx = -self.u[0] * st + self.v[0] * ct
            dy = -self.u[1] * st + self.v[1] * ct
            g = px * dx + py * dy
            # g' = |P'|^2 + (P - q).P'' with P'' = -(P - c)
            h = dx * dx + dy * dy - (px * (px + q[0] - self.c[0]) + py * (py + q[1] - self.c[1]))
            if h <= 0:
                h = dx * dx + dy * dy
            if h == 0:
                break
            step = g / h
            t -= step
            if abs(step) < 1e-16:
                break
        return t

    def _distance_from(self, q, starts):
        best = min(math.dist(q, self.point(self.t0)), math.dist(q, self.point(self.t1)))
        for start in starts:
            t = self._newton(q, start)
            if self.covers(t, 0.0):
                best = min(best, math.dist(q, self.point(t)))
        return best

    def distance(self, q, near=None):
        """The distance from q; exact where q lies near the curve, an upper bound else."""
        (ux, uy), (vx, vy) = self.u, self.v
        det = ux * vy - vx * uy
        wx, wy = q[0] - self.c[0], q[1] - self.c[1]
        starts = []
        if det != 0:
            # The parameter q has in the conic's own frame: the nearest point's for a
            # point on the curve, a close start for one near it.
            starts.append(math.atan2((-uy * wx + ux * wy) / det, (vy * wx - vx * wy) / det))
        best = self._distance_from(q, starts)
        if best <= self.allowance():
            return best  # within what the figure may be off: no closer look needed
        if near is not None and near < best < 1000 * near:
            # Close but not within: make sure of it from starts all along the curve.
            n = 256
            ts = [self.t0 + (self.t1 - self.t0) * i / n for i in range(n + 1)]
            ts.sort(key=lambda t: math.dist(q, self.point(t)))
            best = min(best, self._distance_from(q, ts[:4]))
        return best

    def describe(self):
        kind = "ellipse" if self.whole() else "elliptical arc"
        if abs(math.hypot(*self.u) - math.hypot(*self.v)) < 1e-12 * math.hypot(*self.u) and \
                abs(self.u[0] * self.v[0] + self.u[1] * self.v[1]) < 1e-12 * (self.u[0] ** 2 + self.u[1] ** 2):
            kind = "circle" if self.whole() else "arc"
        a, b = self.point(self.t0), self.point(self.t1)
        if self.whole():
            return f"{kind} about ({self.c[0]:.10g}, {self.c[1]:.10g}) axis ({self.u[0]:.6g}, {self.u[1]:.6g})"
        return f"{kind} about ({self.c[0]:.10g}, {self.c[1]:.10g}) from ({a[0]:.10g}, {a[1]:.10g}) " \
               f"to ({b[0]:.10g}, {b[1]:.10g})"


def bulge_arc(a, b, bulge, what, layer):
    """The arc of a polyline segment from a to b with `bulge`, counter-clockwise."""
    sweep = 4 * math.atan(bulge)
    chord = math.dist(a, b)
    radius = chord / (2 * abs(math.sin(sweep / 2)))
    offset = chord / 2 / math.tan(sweep / 2)
    dx, dy = (b[0] - a[0]) / chord, (b[1] - a[1]) / chord
    c = ((a[0] + b[0]) / 2 - dy * offset, (a[1] + b[1]) / 2 + dx * offset)
    start = math.atan2(a[1] - c[1], a[0] - c[0])
    end = math.atan2(b[1] - c[1], b[0] - c[0])
    if sweep < 0:
        start, end = end, start
    while end <= start:
        end += TAU
    return Conic(c, (radius, 0.0), (0.0, radius), start, end, what, layer)


# ---------------------------------------------------------------------------------
# A drawing as curves, texts and feet
# ---------------------------------------------------------------------------------

class Picture:
    def __init__(self):
        self.curves = []      # Segment / Conic, world coordinates
        self.texts = []       # ((x, y), text, what)
        self.corners = []     # (point, layer, what): line ends and polyline vertices
        self.tangents = []    # (conic, layer, what): curves whose tangent points are feet
        self.marks = []       # (kind, [points], what): POINTs and SPLINEs' control and fit points
        self.skipped = {}     # entity kinds not drawn: count


def hidden_layers(doc):
    off, frozen = set(), set()
    for layer in doc.layers:
        name = layer.dxf.name.upper()
        if layer.dxf.get("color", 7) < 0:
            off.add(name)
        if layer.dxf.get("flags", 0) & 1:
            frozen.add(name)
    return off, frozen


def placements(insert, block_base):
    """The maps of a block reference, one per array element: object placement, then
    the reference's extrusion into the world."""
    dxf = insert.dxf
    sx, sy = dxf.get("xscale", 1.0), dxf.get("yscale", 1.0)
    r = math.radians(dxf.get("rotation", 0.0))
    cr, sr = math.cos(r), math.sin(r)
    at = dxf.get("insert", (0, 0, 0))
    own = (cr * sx, -sr * sy, sr * sx, cr * sy, 0.0, 0.0)
    own = chain(own, (1.0, 0.0, 0.0, 1.0, -block_base[0], -block_base[1]))
    world = ocs_map(insert, at[2])
    out = []
    columns, rows = max(1, dxf.get("column_count", 1)), max(1, dxf.get("row_count", 1))
    cs, rs = dxf.get("column_spacing", 0.0), dxf.get("row_spacing", 0.0)
    for row in range(rows):
        for column in range(columns):
            ox, oy = column * cs, row * rs
            # The array's spacing runs along the reference's own turned axes.
            tx = at[0] + cr * ox - sr * oy
            ty = at[1] + sr * ox + cr * oy
            m = chain((1.0, 0.0, 0.0, 1.0, tx, ty), own)
            out.append(chain(world, m))
    return out


def picture(doc, left_out=(), marks=False):
    """Every visible entity of the modelspace, block references followed; kinds in
    `left_out` (which the drawing program says it leaves out) are passed over."""
    pic = Picture()
    off, frozen = hidden_layers(doc)

    def visible(layer):
        return layer.upper() not in off and layer.upper() not in frozen

    def walk(entities, m, parent_layer, path, depth):
        for entity in entities:
            kind = entity.dxftype()
            layer = entity.dxf.get("layer", "0")
            if layer == "0" and parent_layer is not None:
                layer = parent_layer
            handle = entity.dxf.get("handle", "?")
            what = f"{kind} {handle} on {layer}" + (f" in {path}" if path else "")
            if kind == "INSERT":
                if layer.upper() in frozen or depth > 32:
                    continue
                block = doc.blocks.get(entity.dxf.name)
                if block is None:
                    continue
                base = block.block.dxf.get("base_point", (0, 0, 0))
                inner_path = f"{entity.dxf.name} ({what})"
                for placement in placements(entity, base):
                    walk(block, chain(m, placement), layer, inner_path, depth + 1)
                continue
            if kind == "DIMENSION" and "DIMENSION" not in left_out:
                # A dimension shows its block: the pieces AutoCAD drew for it, placed
                # unscaled and unturned at its group 12 in its own plane.
                block = doc.blocks.get(entity.dxf.get("geometry", ""))
                if block is None or layer.upper() in frozen or depth > 32:
                    continue
                at = entity.dxf.get("insert", (0, 0, 0))
                placement = chain(ocs_map(entity, at[2]), (1.0, 0.0, 0.0, 1.0, at[0], at[1]))
                walk(block, chain(m, placement), layer, f"{entity.dxf.get('geometry', '')} ({what})", depth + 1)
                continue
            if not visible(layer) or kind in left_out:
                continue
            add_entity(pic, entity, kind, m, layer, what, left_out, marks)

    walk(doc.modelspace(), IDENTITY, None, "", 0)
    return pic


def add_polyline(pic, points, closed, o, layer, what):
    """A chain of (x, y, bulge) points under `o`: straight segments and bulged arcs."""
    n = len(points)
    for i in range(n if closed else n - 1):
        a, b, bulge = points[i][:2], points[(i + 1) % n][:2], points[i][2]
        if a == b:
            continue
        if bulge:
            conic = bulge_arc(a, b, bulge, what, layer).mapped(o)
            pic.curves.append(conic)
            pic.tangents.append((conic, layer, what))
        else:
            # A polyline is a chain of lines and arcs: its corners are the ends of its
            # straight segments; where two arcs meet the outline runs on.
            seg = Segment(a, b, what, layer).mapped(o)
            pic.curves.append(seg)
            pic.corners += [(seg.a, layer, what), (seg.b, layer, what)]


def add_entity(pic, entity, kind, m, layer, what, left_out=(), marks=False):
    dxf = entity.dxf
    if kind == "LINE":
        a, b = dxf.start, dxf.end
        seg = Segment((a.x, a.y), (b.x, b.y), what, layer).mapped(m)
        pic.curves.append(seg)
        pic.corners += [(seg.a, layer, what), (seg.b, layer, what)]
    elif kind in ("CIRCLE", "ARC"):
        o = chain(m, ocs_map(entity, dxf.center.z))
        r = dxf.radius
        c = (dxf.center.x, dxf.center.y)
        if kind == "CIRCLE":
            t0, t1 = 0.0, TAU
        else:
            t0 = math.radians(dxf.start_angle)
            sweep = (dxf.end_angle - dxf.start_angle) % 360.0
            t1 = t0 + math.radians(sweep if sweep > 0 else 360.0)
        conic = Conic(c, (r, 0.0), (0.0, r), t0, t1, what, layer).mapped(o)
        pic.curves.append(conic)
        pic.tangents.append((conic, layer, what))
    elif kind == "ELLIPSE":
        c, major = dxf.center, dxf.major_axis
        z = dxf.get("extrusion", (0, 0, 1))
        minor = ezdxf.math.Vec3(z).cross(major).normalize(major.magnitude * dxf.ratio)
        t0, t1 = dxf.get("start_param", 0.0), dxf.get("end_param", TAU)
        while t1 <= t0 + 1e-12:
            t1 += TAU
        if t1 - t0 > TAU:
            t1 = t0 + TAU
        # The R12 export writes an ellipse as a polyline through 72 points a turn: its
        # chords stand off the curve by up to 1 - cos(2.5 degrees) of the major semi-axis.
        conic = Conic((c.x, c.y), (major.x, major.y), (minor.x, minor.y), t0, t1, what, layer,
                      R12_ELLIPSE_CHORDS).mapped(m)
        pic.curves.append(conic)
        pic.tangents.append((conic, layer, what))
    elif kind in ("LWPOLYLINE", "POLYLINE"):
        if kind == "LWPOLYLINE":
            points = [(x, y, b) for x, y, b in entity.get_points("xyb")]
            closed = entity.closed
            o = chain(m, ocs_map(entity, dxf.get("elevation", 0.0)))
        else:
            if entity.is_poly_face_mesh or entity.is_polygon_mesh:
                pic.skipped[kind + " mesh"] = pic.skipped.get(kind + " mesh", 0) + 1
                return
            points = [(v.dxf.location.x, v.dxf.location.y, v.dxf.get("bulge", 0.0)) for v in entity.vertices]
            closed = entity.is_closed
            if entity.is_3d_polyline:
                o, points = m, [(x, y, 0.0) for x, y, _ in points]
            else:
                o = chain(m, ocs_map(entity, dxf.get("elevation", (0, 0, 0))[2]))
        add_polyline(pic, points, closed, o, layer, what)
    elif kind in ("SOLID", "TRACE"):
        o = chain(m, ocs_map(entity, dxf.vtx0.z))
        p = [(v.x, v.y) for v in (dxf.vtx0, dxf.vtx1, dxf.get("vtx2", dxf.vtx1), dxf.get("vtx3", dxf.vtx2))]
        # The corners run 1 2 4 3 round the outline; a triangle repeats its third.
        outline = [p[0], p[1], p[3], p[2]] if p[2] != p[3] else [p[0], p[1], p[2]]
        for a, b in zip(outline, outline[1:] + outline[:1]):
            if a != b:
                pic.curves.append(Segment(a, b, what, layer).mapped(o))
    elif kind == "TEXT":
        o = chain(m, ocs_map(entity, dxf.insert.z))
        if "mirrored TEXT" in left_out and o[0] * o[3] - o[1] * o[2] < 0:
            pic.skipped["mirrored TEXT"] = pic.skipped.get("mirrored TEXT", 0) + 1
            return
        pic.texts.append((apply(o, (dxf.insert.x, dxf.insert.y)), dxf.get("text", ""), what))
    elif kind == "HATCH":
        # Its boundary: every path's lines, arcs and elliptic arcs in its object
        # coordinates at its elevation; the pattern is not drawn. ezdxf holds arcs and
        # elliptic arcs counter-clockwise; an elliptic arc's ends are taken from its end
        # points, whatever convention its angles follow.
        o = chain(m, ocs_map(entity, dxf.get("elevation", (0, 0, 0))[2]))

        def add_segment(a, b):
            seg = Segment(a, b, what, layer).mapped(o)
            pic.curves.append(seg)
            pic.corners += [(seg.a, layer, what), (seg.b, layer, what)]

        def add_conic(c, u, v, t0, t1):
            while t1 <= t0 + 1e-12:
                t1 += TAU
            conic = Conic(c, u, v, t0, t1, what, layer).mapped(o)
            pic.curves.append(conic)
            pic.tangents.append((conic, layer, what))

        for path in entity.paths:
            if hasattr(path, "vertices"):
                points = [(v[0], v[1], v[2] if len(v) > 2 else 0.0) for v in path.vertices]
                add_polyline(pic, points, path.is_closed, o, layer, what)
                continue
            for edge in path.edges:
                edge_kind = type(edge).__name__
                if edge_kind == "LineEdge":
                    add_segment(tuple(edge.start)[:2], tuple(edge.end)[:2])
                elif edge_kind == "ArcEdge":
                    c, r = (edge.center[0], edge.center[1]), edge.radius
                    add_conic(c, (r, 0.0), (0.0, r), math.radians(edge.start_angle), math.radians(edge.end_angle))
                elif edge_kind == "EllipseEdge":
                    c = (edge.center[0], edge.center[1])
                    u = (edge.major_axis[0], edge.major_axis[1])
                    v = (-u[1] * edge.ratio, u[0] * edge.ratio)
                    uu, vv = u[0] ** 2 + u[1] ** 2, v[0] ** 2 + v[1] ** 2

                    def param(p):
                        d = (p[0] - c[0], p[1] - c[1])
                        return math.atan2((d[0] * v[0] + d[1] * v[1]) / vv, (d[0] * u[0] + d[1] * u[1]) / uu)

                    add_conic(c, u, v, param(tuple(edge.start_point)), param(tuple(edge.end_point)))
                elif marks:
                    points = [(p[0], p[1]) for p in edge.control_points] + [(p[0], p[1]) for p in edge.fit_points]
                    pic.marks.append((f"SPLINE of {len(edge.control_points)} control points",
                                      [apply(o, p) for p in points], what))
                else:
                    pic.skipped["SPLINE"] = pic.skipped.get("SPLINE", 0) + 1
    elif kind == "MTEXT":
        # Its lines, each hanging from its place in the paragraph by the attachment point:
        # top, middle or bottom of the block, a pitch of 5/3 the height apart. The
        # insertion point and direction are the world's (the block's).
        lines = entity.plain_text(split=True)
        n = len(lines)
        h = dxf.get("char_height", 1.0)
        pitch = 5.0 / 3.0 * h * dxf.get("line_spacing_factor", 1.0)
        # The direction (11) first, else the rotation (50, in degrees as files hold it).
        a = math.radians(entity.get_rotation())
        row = (max(1, min(9, dxf.get("attachment_point", 1))) - 1) // 3
        down = (math.sin(a), -math.cos(a))
        at = dxf.insert
        for i, line in enumerate(lines):
            if not line:
                continue
            below = i * pitch if row == 0 else (i - (n - 1) / 2) * pitch if row == 1 else (i - (n - 1)) * pitch
            p = (at.x + below * down[0], at.y + below * down[1])
            pic.texts.append((apply(m, p), line, what))
    elif kind in ("POINT", "SPLINE") and not marks:
        pic.skipped[kind] = pic.skipped.get(kind, 0) + 1
    elif kind == "POINT":
        # Its place is the world's (the block's): the extrusion only directs a thickness.
        pic.marks.append(("POINT", [apply(m, (dxf.location.x, dxf.location.y))], what))
    elif kind == "SPLINE":
        # Control and fit points are the world's (the block's) too.
        points = [(p[0], p[1]) for p in entity.control_points] + [(p[0], p[1]) for p in entity.fit_points]
        pic.marks.append((f"SPLINE of {len(entity.control_points)} control points",
                          [apply(m, p) for p in points], what))
    else:
        pic.skipped[kind] = pic.skipped.get(kind, 0) + 1


def extent(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs), min(ys), max(xs), max(ys)) if xs else (0.0, 0.0, 0.0, 0.0)


def curve_points(pic):
    out = []
    for curve in pic.curves:
        out += curve.samples(17)
    out += [t[0] for t in pic.texts]
    out += [p for _, points, _ in pic.marks for p in points]
    return out


# ---------------------------------------------------------------------------------
# The spatial grid
# ---------------------------------------------------------------------------------

class Grid:
    def __init__(self, box, cell):
        self.x0, self.y0 = box[0], box[1]
        self.cell = cell
        self.cells = {}

    def key(self, p):
        return (math.floor((p[0] - self.x0) / self.cell), math.floor((p[1] - self.y0) / self.cell))

    def add(self, index, points):
        seen = set()
        for p in points:
            k = self.key(p)
            if k not in seen:
                seen.add(k)
                self.cells.setdefault(k, []).append(index)

    def near(self, p):
        i, j = self.key(p)
        found = set()
        for di in (-1, 0, 1):
            for dj in (-1, 0, 1):
                found.update(self.cells.get((i + di, j + dj), ()))
        return found


def sample_count(curve, spacing):
    return max(MIN_SAMPLES, min(MAX_SAMPLES, int(curve.length() / spacing) + 2))


def grid_of(curves, box, cell):
    grid = Grid(box, cell)
    for index, curve in enumerate(curves):
        # Points along the curve a quarter cell apart: any point within a cell of the
        # curve finds it in its own cell or a neighbour.
        grid.add(index, curve.samples(max(2, min(200000, int(curve.length() / (cell / 4)) + 2))))
    return grid


def nearest(grid, curves, p, tol, exclude=None):
    best, which = math.inf, None
    for index in grid.near(p):
        if exclude is not None and index in exclude:
            continue
        curve = curves[index]
        d = curve.distance(p, tol) if isinstance(curve, Conic) else curve.distance(p)
        if d < best:
            best, which = d, index
            if best <= tol:
                break
    return best, which


def on_chorded_conic(grid, curves, p):
    """Whether p lies within its allowance of a conic the figure may draw as chords: any
    near one, not only the nearest curve (a height line can pass closer to a chord's
    middle than the ellipse it stands on)."""
    for index in grid.near(p):
        c = curves[index]
        if isinstance(c, Conic) and c.chords and c.distance(p, c.allowance()) <= c.allowance():
            return True
    return False


# ---------------------------------------------------------------------------------
# Checking one draw
# ---------------------------------------------------------------------------------

def face_axes(face):
    if face == "none":
        return (1.0, 0.0), (0.0, 1.0), (0.0, 0.0)
    x, y, up = (math.radians(a) for a in FACES[face])
    return (math.cos(x), math.sin(x)), (math.cos(y), math.sin(y)), (math.cos(up), math.sin(up))


def tangent_params(conic, d):
    """The parameters where the conic runs along the plan direction d."""
    cross = lambda a, b: a[0] * b[1] - a[1] * b[0]
    t = math.atan2(cross(conic.v, d), cross(conic.u, d))
    return (t, t + math.pi)


def expected_figure(plan, draw, tol):
    """Expected curves, texts and height segments in drawing coordinates."""
    X, Y, U = face_axes(draw["face"])
    base, at = draw["base"], draw["at"]
    none = draw["face"] == "none"
    height = 0.0 if none else draw["height"] * draw["sign"]

    def face_map(lift):
        return (X[0], Y[0], X[1], Y[1],
                at[0] - X[0] * base[0] - Y[0] * base[1] + lift * U[0],
                at[1] - X[1] * base[0] - Y[1] * base[1] + lift * U[1])

    lifts = [("plan", 0.0)] + ([("raised", height)] if height != 0 else [])
    curves, texts, marks = [], [], []
    for name, lift in lifts:
        m = face_map(lift)
        for kind, points, what in plan.marks:
            marks.append((kind, [apply(m, p) for p in points], f"{what}, {name}"))
        for curve in plan.curves:
            curves.append(curve.mapped(m, f"{curve.what}, {name}"))
        for p, text, what in plan.texts:
            texts.append((apply(m, p), text, f"{what}, {name}"))

    heights = []
    if height != 0 and draw["height_lines"]:
        # The plan direction the face takes along the height: [X Y] d = U.
        det = X[0] * Y[1] - Y[0] * X[1]
        d = ((Y[1] * U[0] - Y[0] * U[1]) / det, (-X[1] * U[0] + X[0] * U[1]) / det)
        feet = []
        for p, layer, what in plan.corners:
            feet.append((p, layer, what))
        if draw["circle_lines"]:
            for conic, layer, what in plan.tangents:
                radius = max(math.hypot(*conic.u), math.hypot(*conic.v))
                slack = tol / radius if radius > 0 else 0.0
                for t in tangent_params(conic, d):
                    if conic.covers(t, slack):
                        feet.append((conic.point(t), layer, f"{what}, tangent"))
        # One foot per place and layer.
        grid = Grid((0.0, 0.0), max(tol * 4, 1e-300))
        kept = []
        for p, layer, what in feet:
            if any(math.dist(p, kept[i][0]) <= tol and kept[i][1] == layer for i in grid.near(p)):
                continue
            grid.add(len(kept), [p])
            kept.append((p, layer, what))
        low, high = face_map(0.0), face_map(height)
        for p, layer, what in kept:
            heights.append(Segment(apply(low, p), apply(high, p), f"height line at ({p[0]:.10g}, {p[1]:.10g}) "
                                   f"from {what}", layer))
    return curves, texts, heights, marks


def read(path, recovering):
    """A DXF file by ezdxf: strictly, or with its recover mode for files of other
    programs that bend the rules (what it cannot mend raises)."""
    if not recovering:
        return ezdxf.readfile(path)
    from ezdxf import recover
    doc, _ = recover.readfile(path)
    return doc


def first_point(points):
    return f"({points[0][0]:.12g}, {points[0][1]:.12g})" if points else "no point"


def compare(plan, result, draw, tol, scale):
    """What is missing from the result and what is left over in it."""
    curves, texts, heights, marks = expected_figure(plan, draw, tol)
    everything = [c.samples(2)[0] for c in curves + heights] + [t[0] for t in texts] + curve_points(result)
    area = extent(everything) if everything else (0.0, 0.0, 1.0, 1.0)
    cell = max(area[2] - area[0], area[3] - area[1], scale) / GRID_CELLS
    spacing = scale / SAMPLES_PER_SIZE

    missing, left = [], []
    # Height lines, one for one, as segments.
    drawn = result.curves
    segment_ends = Grid(area, cell)
    for index, c in enumerate(drawn):
        if isinstance(c, Segment):
            segment_ends.add(index, [c.a, c.b])
    used = set()
    for h in heights:
        match = None
        for index in segment_ends.near(h.a):
            c = drawn[index]
            if index in used:
                continue
            if (math.dist(c.a, h.a) <= tol and math.dist(c.b, h.b) <= tol) or \
                    (math.dist(c.b, h.a) <= tol and math.dist(c.a, h.b) <= tol):
                match = index
                break
        if match is None:
            missing.append(f"{h.what}: {h.describe()}")
        else:
            used.add(match)
    rest = [c for i, c in enumerate(drawn) if i not in used]

    # Every other result curve on an expected curve ...
    expected_grid = grid_of(curves, area, cell)
    strays = []
    for c in rest:
        for p in c.samples(sample_count(c, spacing)):
            d, which = nearest(expected_grid, curves, p, tol)
            if d > tol and which is not None and isinstance(curves[which], Conic) and \
                    d <= curves[which].allowance():
                continue
            if d > tol and on_chorded_conic(expected_grid, curves, p):
                continue
            if d > tol:
                near = f", {d:.3g} from {curves[which].what}" if which is not None else ""
                left.append(f"{c.what}: {c.describe()}, its point ({p[0]:.12g}, {p[1]:.12g}) on nothing "
                            f"expected{near}")
                strays.append(c)
                break
    # ... and every expected curve covered by result curves.
    result_grid = grid_of(rest, area, cell)
    for c in curves:
        allowed = max(tol, c.allowance()) if isinstance(c, Conic) else tol
        for p in c.samples(sample_count(c, spacing)):
            d, which = nearest(result_grid, rest, p, allowed)
            if d > allowed:
                near = f" (nearest result {d:.3g} away: {rest[which].what})" if which is not None else ""
                missing.append(f"image of {c.what}: {c.describe()}, at ({p[0]:.12g}, {p[1]:.12g}){near}")
                break
    # Texts, one for one, by their insertion point.
    free = list(result.texts)
    for p, text, what in texts:
        match = next((i for i, t in enumerate(free) if math.dist(t[0], p) <= tol), None)
        if match is None:
            missing.append(f"text {text!r} of {what} at ({p[0]:.12g}, {p[1]:.12g})")
        else:
            free.pop(match)
    for p, text, what in free:
        left.append(f"text {text!r}, {what}, at ({p[0]:.12g}, {p[1]:.12g}): no expected text there")
    # Points and splines, one for one, every point of each in its place.
    free = list(result.marks)
    for kind, points, what in marks:
        match = next((i for i, (k, q, _) in enumerate(free) if k == kind and len(q) == len(points) and
                      all(math.dist(a, b) <= tol for a, b in zip(q, points))), None)
        if match is None:
            missing.append(f"{kind} of {what} at {first_point(points)}")
        else:
            free.pop(match)
    for kind, points, what in free:
        left.append(f"{kind}, {what}, at {first_point(points)}: nothing expected there")
    for kind, n in sorted(result.skipped.items()):
        left.append(f"{n} {kind} in the result, which no plan entity makes")
    counts = (f"{len(curves)} curves, {len(heights)} height lines, {len(texts)} texts, {len(marks)} points and "
              f"splines expected; {len(drawn)} curves, {len(result.texts)} texts and {len(result.marks)} points and "
              f"splines drawn")
    return missing, left, counts, strays, curves + heights


def common_move(strays, expected, tol, scale):
    """The move most stray result segments share with an expected segment of the same
    length and direction nearby: a figure drawn whole in the wrong place (a base point
    read short of its digits) tells itself by it. None when no move is shared by at
    least half of them."""
    votes = {}
    segments = [e for e in expected if isinstance(e, Segment)]
    reach = 1e-3 * scale
    for c in strays:
        if not isinstance(c, Segment):
            continue
        for e in segments:
            for a, b in ((e.a, e.b), (e.b, e.a)):
                dx, dy = c.a[0] - a[0], c.a[1] - a[1]
                if abs(dx) > reach or abs(dy) > reach:
                    continue
                if math.dist((c.b[0] - dx, c.b[1] - dy), b) <= tol:
                    key = (round(dx / (10 * tol)), round(dy / (10 * tol)))
                    votes.setdefault(key, []).append((dx, dy))
    if not votes:
        return None
    key, moves = max(votes.items(), key=lambda item: len(item[1]))
    straight = sum(1 for c in strays if isinstance(c, Segment))
    if len(moves) * 2 < straight:
        return None
    return (sum(m[0] for m in moves) / len(moves), sum(m[1] for m in moves) / len(moves)), len(moves), straight


def check_draw(draw):
    """The faults of one draw (a list of texts) and a summary."""
    label = draw.get("label", draw["result"])
    try:
        plan_doc = read(draw["plan"], draw.get("recover", False))
        result_doc = read(draw["result"], False)
    except (IOError, ezdxf.DXFError) as error:
        return [f"{label}: ezdxf cannot read it: {error}"], ""
    face_name = "itself" if draw["face"] == "none" else f"face {draw['face']} {FACE_NAMES[draw['face']]}"
    head = f"{label} ({face_name})"
    out = []
    # ezdxf's audit, but for its rule on layer names, which is stricter than the
    # files it reads (a name that keeps an R12 file's "\U+" escapes).
    errors = [e for e in result_doc.audit().errors if e.code != AuditError.INVALID_LAYER_NAME]
    if errors:
        out.append(f"{head}: ezdxf's audit of the result: {[str(e.message) for e in errors][:SHOWN]}")

    marks = draw.get("points_and_splines", False)
    plan = picture(plan_doc, draw.get("left_out", ()), marks)
    result = picture(result_doc, draw.get("left_out", ()), marks)
    # What the program names as left out is compared on neither side: in the result it
    # is not counted as left over either.
    for kind in draw.get("left_out", ()):
        result.skipped.pop(kind, None)
    # The plan's size and the largest coordinate anywhere, for the tolerance.
    plan_points = curve_points(plan) + [p for p, _, _ in plan.corners]
    if not plan_points:
        return [f"{head}: the plan holds nothing visible"], ""
    box = extent(plan_points)
    size = math.hypot(box[2] - box[0], box[3] - box[1])
    height = 0.0 if draw["face"] == "none" else abs(draw["height"])
    scale = max(size, height)
    # The figure lies within its plan size and height of the insertion point.
    largest = max([abs(v) for p in plan_points + [draw["base"]] for v in p] +
                  [abs(v) + size + height for v in draw["at"]])
    tol = 1e-9 * scale + 1e-13 * largest

    missing, left, counts, strays, expected = compare(plan, result, draw, tol, scale)
    if missing:
        out.append(f"{head}: {len(missing)} missing")
        out += [f"  missing: {m}" for m in missing[:SHOWN]]
    if left:
        out.append(f"{head}: {len(left)} left over")
        out += [f"  left over: {m}" for m in left[:SHOWN]]
    if missing or left:
        move = common_move(strays, expected, tol, scale)
        if move:
            (dx, dy), agree, straight = move
            moved = dict(draw, at=[draw["at"][0] + dx, draw["at"][1] + dy])
            again = compare(plan, result, moved, tol, scale)
            out.append(f"{head}: {agree} of {straight} stray segments lie moved by ({dx:.6g}, {dy:.6g}) from "
                       f"their images; the figure moved so: {len(again[0])} missing, {len(again[1])} left over")
            out += [f"  moved, missing: {m}" for m in again[0][:SHOWN]]
            out += [f"  moved, left over: {m}" for m in again[1][:SHOWN]]
    return out, f"{head}: {counts}; tol {tol:.3g}"


def check(manifest):
    draws = [json.loads(line) for line in open(manifest, encoding="utf-8") if line.strip()]
    if not draws:
        print("the manifest lists no draw")
        return 1
    failed = 0
    for draw in draws:
        try:
            faults, summary = check_draw(draw)
        except Exception as error:  # a file ezdxf chokes on is a failed draw, not a crash
            faults, summary = [f"{draw.get('label', draw['result'])}: {type(error).__name__}: {error}"], ""
        if faults:
            failed += 1
            print("\n".join(faults))
        else:
            print(f"ok {summary}")
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2]))
    if len(sys.argv) == 2 and sys.argv[1] == "selftest":
        sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
        import face_check_selftest
        sys.exit(face_check_selftest.main())
    sys.exit(__doc__)
