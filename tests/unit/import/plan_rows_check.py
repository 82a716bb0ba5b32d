"""Checks the plan reader's rows of a real DXF file against ezdxf's reading of it.

usage: plan_rows_check.py DXF ROWS

ROWS holds the rows the reader made of DXF with base point (0, 0), one a line, the
fields separated by tabs: kind (0 line, 1 circle, 2 arc, 3 ellipse), layer, X1, Y1,
X2, Y2, EndAngle, Ratio, StartParameter, as the entity table holds them.

ezdxf reads the file; the modelspace is expanded here, reference by reference, each
block placed by the product of the matrix44() of every reference above it (ezdxf's own
virtual_entities() would drop the shear of a turned reference inside an unevenly
scaled one). Polylines are split by ezdxf's virtual_entities(); circles, arcs and
ellipses are ezdxf's ConstructionEllipse, transformed by ezdxf and sampled along
their length, seen from above. What the user would not see is left out: paper space,
invisible entities, layers that are off or frozen (a frozen reference hides everything
in it), and texts, dimensions, hatches and the rest. Entities of a block on layer "0"
take the layer of the reference that places them.

Every expected curve must be matched by one row of the same kind and layer (a placed
circle stays a circle or an arc while it stays round seen from above, and becomes an
ellipse otherwise) whose outline passes through all its samples, with the same ends
counter-clockwise; and no row may be left over. Exit status 0 when they agree, 1
otherwise (each difference printed), 2 when ezdxf is missing.
"""
import math
import sys

try:
    import ezdxf
    from ezdxf.math import ConstructionEllipse, Matrix44, Vec3
except ImportError as missing:  # the check cannot run: say so, never pass
    print(f"ezdxf is missing ({missing}); install python3-ezdxf", file=sys.stderr)
    sys.exit(2)

ROUND = 1e-9
FLAT = 1e-12


def close(a, b, scale=1.0):
    return abs(a - b) <= 1e-7 * max(1.0, scale)


def close_points(p, q):
    return close(p[0], q[0], abs(q[0])) and close(p[1], q[1], abs(q[1]))


class Expected:
    def __init__(self, kind, layer, samples, centre=None, whole=False, what=""):
        self.kind, self.layer, self.samples = kind, layer, samples
        self.centre, self.whole, self.what = centre, whole, what

    def __str__(self):
        names = {0: "line", 1: "circle", 2: "arc", 3: "ellipse"}
        return f"{names[self.kind]} on '{self.layer}' from {self.what}, starting at {self.samples[0]}"


def expand(doc):
    expected = []

    def layer_state(name):
        if not doc.layers.has_entry(name):
            return False, False
        layer = doc.layers.get(name)
        return layer.is_off(), layer.is_frozen()

    def conic(tool, m, layer, round_source, whole, what):
        tool.transform(m)
        p = (tool.major_axis.x, tool.major_axis.y)
        q = (tool.minor_axis.x, tool.minor_axis.y)
        pp, qq = p[0] ** 2 + p[1] ** 2, q[0] ** 2 + q[1] ** 2
        pq, turn = p[0] * q[0] + p[1] * q[1], p[0] * q[1] - p[1] * q[0]
        size = pp + qq
        if size == 0 or abs(turn) <= FLAT * size:
            return  # seen edge-on
        if whole:
            tool.start_param, tool.end_param = 0.0, math.tau
        samples = [(v.x, v.y) for v in tool.vertices(tool.params(9))]
        if turn < 0:
            samples.reverse()  # counter-clockwise as seen from above
        round_now = abs(pp - qq) <= ROUND * size and abs(pq) <= ROUND * size
        kind = (1 if whole else 2) if round_source and round_now else 3
        centre = (tool.center.x, tool.center.y)
        expected.append(Expected(kind, layer, samples, centre, whole, what))

    def walk(entities, m, inherited, active):
        for e in entities:
            if e.dxf.get("paperspace", 0) == 1 or e.dxf.get("invisible", 0) == 1:
                continue
            layer = e.dxf.layer
            if inherited is not None and layer == "0":
                layer = inherited
            off, frozen = layer_state(layer)
            kind = e.dxftype()
            what = f"{kind} {e.dxf.get('handle', '?')}"
            if kind == "INSERT":
                name = e.dxf.name
                block = doc.blocks.get(name)
                if frozen or block is None or name.upper() in active:
                    continue
                # ezdxf cannot copy every reference (a dynamic block's data), and
                # multi_insert() copies; a single reference is its own cell.
                cells = e.multi_insert() if e.mcount > 1 else [e]
                for cell in cells:
                    walk(block, cell.matrix44() * m, layer, active | {name.upper()})
                continue
            if off or frozen:
                continue
            if kind == "LINE":
                a, b = m.transform(e.dxf.start), m.transform(e.dxf.end)
                expected.append(Expected(0, layer, [(a.x, a.y), (b.x, b.y)], what=what))
            elif kind == "CIRCLE":
                tool = ConstructionEllipse.from_arc(e.dxf.center, e.dxf.radius, e.dxf.extrusion)
                conic(tool, m, layer, True, True, what)
            elif kind == "ARC":
                whole = math.isclose((e.dxf.end_angle - e.dxf.start_angle) % 360, 0, abs_tol=1e-12)
                tool = ConstructionEllipse.from_arc(e.dxf.center, e.dxf.radius, e.dxf.extrusion,
                                                    e.dxf.start_angle, e.dxf.end_angle)
                conic(tool, m, layer, True, whole, what)
            elif kind == "ELLIPSE":
                tool = e.construction_tool()
                span = (tool.end_param - tool.start_param) % math.tau
                whole = math.isclose(span, 0, abs_tol=1e-9) or math.isclose(span, math.tau, abs_tol=1e-9)
                conic(tool, m, layer, False, whole, what)
            elif kind == "LWPOLYLINE" or (kind == "POLYLINE" and (e.is_2d_polyline or e.is_3d_polyline)):
                for piece in e.virtual_entities():
                    part = f"{what} ({piece.dxftype()})"
                    if piece.dxftype() == "LINE":
                        a, b = m.transform(piece.dxf.start), m.transform(piece.dxf.end)
                        if piece.dxf.start.isclose(piece.dxf.end, abs_tol=0):
                            continue  # a segment of no length draws nothing
                        expected.append(Expected(0, layer, [(a.x, a.y), (b.x, b.y)], what=part))
                    elif piece.dxftype() == "ARC":
                        tool = ConstructionEllipse.from_arc(piece.dxf.center, piece.dxf.radius, piece.dxf.extrusion,
                                                            piece.dxf.start_angle, piece.dxf.end_angle)
                        conic(tool, m, layer, True, False, part)

    walk(doc.modelspace(), Matrix44(), None, frozenset())
    return expected


class Row:
    def __init__(self, fields):
        self.kind = int(fields[0])
        self.layer = fields[1]
        self.x1, self.y1, self.x2, self.y2, self.end, self.ratio, self.start = map(float, fields[2:9])

    def __str__(self):
        return (f"row kind {self.kind} '{self.layer}' {self.x1} {self.y1} {self.x2} {self.y2} end {self.end} "
                f"ratio {self.ratio} start {self.start}")

    # The curve's parameter of a point on it (degrees), and how far the point lies
    # off the curve (0 on it), for the circle, arc and ellipse rows.
    def locate(self, point):
        dx, dy = point[0] - self.x1, point[1] - self.y1
        if self.kind in (1, 2):
            r = self.x2
            return math.degrees(math.atan2(dy, dx)) % 360, math.hypot(dx, dy) - r, r
        mx, my = self.x2, self.y2
        major = math.hypot(mx, my)
        u = (dx * mx + dy * my) / (major * major)
        v = (-dx * my + dy * mx) / (major * major * self.ratio)
        return math.degrees(math.atan2(v, u)) % 360, (math.hypot(u, v) - 1) * major, major

    def point_at(self, degrees):
        t = math.radians(degrees)
        if self.kind in (1, 2):
            return self.x1 + self.x2 * math.cos(t), self.y1 + self.x2 * math.sin(t)
        mx, my = self.x2, self.y2
        return (self.x1 + math.cos(t) * mx - math.sin(t) * self.ratio * my,
                self.y1 + math.cos(t) * my + math.sin(t) * self.ratio * mx)

    def range(self):
        if self.kind == 2:
            return self.start_angle(), self.end
        return self.start, self.end

    def start_angle(self):
        return self.y2


def within(angle, start, end):
    sweep = (end - start) % 360 or 360
    return (angle - start) % 360 <= sweep + 1e-7 or (angle - start) % 360 >= 360 - 1e-7


def matches(want, row):
    if row.kind != want.kind or row.layer != want.layer:
        return False
    if want.kind == 0:
        return close_points((row.x1, row.y1), want.samples[0]) and close_points((row.x2, row.y2), want.samples[1])
    if not close_points((row.x1, row.y1), want.centre):
        return False
    if row.kind == 3 and not (0 < row.ratio <= 1):
        return False
    for sample in want.samples:
        angle, off, size = row.locate(sample)
        if not close(off, 0, size):
            return False
        if not want.whole and not within(angle, *row.range()):
            return False
    if want.whole:
        return row.kind == 1 or (row.start == 0 and row.end == 360)
    start, end = row.range()
    return close_points(row.point_at(start), want.samples[0]) and close_points(row.point_at(end), want.samples[-1])


def main():
    dxf_path, rows_path = sys.argv[1:3]
    doc = ezdxf.readfile(dxf_path)
    expected = expand(doc)
    with open(rows_path, encoding="cp932") as f:
        rows = [Row(line.rstrip("\n").split("\t")) for line in f if line.strip()]
    failures = []
    left = list(rows)
    for want in expected:
        found = next((row for row in left if matches(want, row)), None)
        if found is None:
            failures.append(f"no row for {want}")
        else:
            left.remove(found)
    failures += [f"unexpected {row}" for row in left]
    print(f"{dxf_path}: {len(expected)} expected, {len(rows)} rows, {len(failures)} differences")
    for failure in failures:
        print("  " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
