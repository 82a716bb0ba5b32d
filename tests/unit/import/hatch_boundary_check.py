"""Checks the boundary shapes read from the HATCHes of a DXF file against ezdxf's reading.

usage: hatch_boundary_check.py check DXF SHAPES
       hatch_boundary_check.py make DXF VERSION

check: SHAPES holds, for every HATCH the reader found, a line "H handle" and then one
line per shape, fields separated by blanks, in the hatch's object coordinates:
  L x1 y1 x2 y2                       a line
  E cx cy mx my ratio sx sy ex ey     an ellipse arc run counter-clockwise, with the
                                      points at its start and end parameters
  S degree flags n x1 y1 ... xn yn k knots... w weights... f fit-x fit-y ...
ezdxf reads the file; each hatch's paths give the expected shapes in order: a polyline
path's segments (zero-length ones left out), bulged ones as the arc ezdxf's
bulge_to_arc() makes of them; an edge path's edges as ezdxf holds them (arcs and
ellipses counter-clockwise). Points within 1e-9 (relative to their size); no hatch or
shape left over on either side. Exit status 0 when they agree, 1 otherwise (each
difference printed), 2 when ezdxf is missing.

make: writes a DXF of the given version (R2000, R2010 ...) holding HATCHes whose edge
paths have lines, clockwise and counter-clockwise arcs and elliptic arcs, splines
(rational and not, with fit points) and bulged polyline paths, with a pattern fill.
"""
import math
import sys

try:
    import ezdxf
    from ezdxf.math import Vec2, bulge_to_arc
except ImportError as missing:  # the check cannot run: say so, never pass
    print(f"ezdxf is missing ({missing}); install python3-ezdxf", file=sys.stderr)
    sys.exit(2)

TOLERANCE = 1e-9


def close(a, b):
    return abs(a - b) <= TOLERANCE * max(1.0, abs(a), abs(b))


def close_points(p, q):
    return close(p[0], q[0]) and close(p[1], q[1])


def polar(c, r, angle_deg):
    a = math.radians(angle_deg)
    return (c[0] + r * math.cos(a), c[1] + r * math.sin(a))


def expected_shapes(hatch):
    shapes = []
    for path in hatch.paths:
        if hasattr(path, "vertices"):  # a polyline path
            vs = list(path.vertices)
            n = len(vs)
            count = n if path.is_closed else n - 1
            for i in range(max(count, 0) if n >= 2 else 0):
                x1, y1, b = vs[i][0], vs[i][1], vs[i][2] if len(vs[i]) > 2 else 0.0
                x2, y2 = vs[(i + 1) % n][0], vs[(i + 1) % n][1]
                if x1 == x2 and y1 == y2:
                    continue
                if b == 0:
                    shapes.append(("L", (x1, y1), (x2, y2)))
                else:
                    c, sa, ea, r = bulge_to_arc((x1, y1), (x2, y2), b)
                    shapes.append(("E", (c.x, c.y), (r, 0.0), 1.0, polar(c, r, math.degrees(sa)),
                                   polar(c, r, math.degrees(ea))))
        else:
            for edge in path.edges:
                kind = type(edge).__name__
                if kind == "LineEdge":
                    shapes.append(("L", tuple(edge.start), tuple(edge.end)))
                elif kind == "ArcEdge":
                    c = edge.center
                    shapes.append(("E", (c.x, c.y), (edge.radius, 0.0), 1.0,
                                   polar(c, edge.radius, edge.start_angle), polar(c, edge.radius, edge.end_angle)))
                elif kind == "EllipseEdge":
                    shapes.append(("E", tuple(edge.center), tuple(edge.major_axis), edge.ratio,
                                   tuple(edge.start_point), tuple(edge.end_point)))
                elif kind == "SplineEdge":
                    shapes.append(("S", int(edge.degree), [tuple(p)[:2] for p in edge.control_points],
                                   list(edge.knot_values), list(edge.weights),
                                   [tuple(p)[:2] for p in edge.fit_points]))
                else:
                    shapes.append(("?", kind))
    return shapes


def parse_shapes(lines):
    hatches = {}
    order = []
    current = None
    for line in lines:
        f = line.split()
        if not f:
            continue
        if f[0] == "H":
            current = []
            hatches[f[1].upper()] = current
            order.append(f[1].upper())
        elif f[0] == "L":
            v = [float(x) for x in f[1:5]]
            current.append(("L", (v[0], v[1]), (v[2], v[3])))
        elif f[0] == "E":
            v = [float(x) for x in f[1:10]]
            current.append(("E", (v[0], v[1]), (v[2], v[3]), v[4], (v[5], v[6]), (v[7], v[8])))
        elif f[0] == "S":
            degree, flags, n = int(f[1]), int(f[2]), int(f[3])
            pts = [(float(f[4 + 2 * i]), float(f[5 + 2 * i])) for i in range(n)]
            rest = f[4 + 2 * n:]
            knots, weights, fits = [], [], []
            target = None
            for x in rest:
                if x in ("k", "w", "f"):
                    target = {"k": knots, "w": weights, "f": fits}[x]
                else:
                    target.append(float(x))
            fit_points = [(fits[2 * i], fits[2 * i + 1]) for i in range(len(fits) // 2)]
            current.append(("S", degree, pts, knots, weights, fit_points))
    return hatches, order


def compare(want, got):
    """The differences between one expected shape and one read shape."""
    if want[0] != got[0]:
        return [f"kind {got[0]}, expected {want[0]}"]
    faults = []
    if want[0] == "L":
        for name, a, b in (("start", got[1], want[1]), ("end", got[2], want[2])):
            if not close_points(a, b):
                faults.append(f"{name} {a}, expected {b}")
    elif want[0] == "E":
        for name, a, b in (("centre", got[1], want[1]), ("major axis", got[2], want[2]),
                           ("start point", got[4], want[4]), ("end point", got[5], want[5])):
            if not close_points(a, b):
                faults.append(f"{name} {a}, expected {b}")
        if not close(got[3], want[3]):
            faults.append(f"ratio {got[3]}, expected {want[3]}")
    elif want[0] == "S":
        if got[1] != want[1]:
            faults.append(f"degree {got[1]}, expected {want[1]}")
        for name, a, b in (("control points", got[2], want[2]), ("fit points", got[5], want[5])):
            if len(a) != len(b) or not all(close_points(p, q) for p, q in zip(a, b)):
                faults.append(f"{name} {a}, expected {b}")
        for name, a, b in (("knots", got[3], want[3]), ("weights", got[4], want[4])):
            if len(a) != len(b) or not all(close(p, q) for p, q in zip(a, b)):
                faults.append(f"{name} {a}, expected {b}")
    return faults


def check(dxf, shapes_file):
    doc = ezdxf.readfile(dxf)
    with open(shapes_file) as f:
        got, order = parse_shapes(f.read().splitlines())
    faults = []
    expected = {}
    for layout in [doc.modelspace()] + [b for b in doc.blocks]:
        for h in layout.query("HATCH"):
            expected[h.dxf.handle.upper()] = h
    for handle in order:
        if handle not in expected:
            faults.append(f"HATCH {handle}: read, but ezdxf knows no such hatch")
    for handle, hatch in expected.items():
        if handle not in got:
            faults.append(f"HATCH {handle}: ezdxf reads it, the reader did not")
            continue
        want = expected_shapes(hatch)
        mine = got[handle]
        if len(want) != len(mine):
            faults.append(f"HATCH {handle}: {len(mine)} shapes, ezdxf gives {len(want)}")
        for i, (w, g) in enumerate(zip(want, mine)):
            for fault in compare(w, g):
                faults.append(f"HATCH {handle} shape {i + 1}: {fault}")
    shapes = sum(len(v) for v in got.values())
    print(f"{dxf}: {len(expected)} hatches, {shapes} shapes compared with ezdxf")
    for fault in faults:
        print(fault)
    return 0 if not faults else 1


def make(dxf, version):
    doc = ezdxf.new(version)
    msp = doc.modelspace()
    # Edge path: lines, a counter-clockwise and a clockwise arc, and an island circle.
    h = msp.add_hatch(color=1)
    h.set_pattern_fill("ANSI31", scale=0.5)
    h.dxf.elevation = (0, 0, 3.25)
    ep = h.paths.add_edge_path(flags=1)
    ep.add_line((12.34567890123456, 1.234567890123456), (22.34567890123456, 1.234567890123456))
    ep.add_arc((22.34567890123456, 6.234567890123456), 5, 270, 90, ccw=True)
    ep.add_line((22.34567890123456, 11.23456789012346), (12.34567890123456, 11.23456789012346))
    ep.add_arc((12.34567890123456, 6.234567890123456), 5, 90, 270, ccw=False)
    island = h.paths.add_edge_path(flags=16)
    island.add_arc((17.34567890123456, 6.234567890123456), 1.5, 0, 360, ccw=True)
    # Elliptic arcs both ways, and a spline closing the path.
    h2 = msp.add_hatch(color=2)
    ep = h2.paths.add_edge_path()
    ep.add_ellipse((-40.71234567890123, 18.5), major_axis=(6.123456789012345, 2.5), ratio=0.4375,
                   start_angle=10, end_angle=200, ccw=True)
    ep.add_ellipse((-40.71234567890123, 18.5), major_axis=(6.123456789012345, 2.5), ratio=0.4375,
                   start_angle=30, end_angle=300, ccw=False)
    ep.add_spline(control_points=[(1.5, 2.25), (3.75, 6.125), (7.0625, 5.5), (9.03125, 0.5)],
                  knot_values=[0, 0, 0, 0, 1, 1, 1, 1], degree=3)
    ep.add_spline(control_points=[(9.03125, 0.5), (10.5, -2.0), (12.25, 1.0)],
                  knot_values=[0, 0, 0, 1, 1, 1], weights=[1.0, 0.7071067811865476, 1.0], degree=2)
    ep.add_spline(fit_points=[(12.25, 1.0), (14.0, 3.0), (16.5, 2.0), (18.0, 4.5)], degree=3)
    # A pie whose arc runs clockwise from 75 down to 20 degrees.
    h4 = msp.add_hatch(color=4)
    ep = h4.paths.add_edge_path()
    c, r = (104.5678901234568, -33.21098765432109), 7.654321098765432
    ep.add_line(c, (c[0] + r * math.cos(math.radians(75)), c[1] + r * math.sin(math.radians(75))))
    ep.add_arc(c, r, 20, 75, ccw=False)
    ep.add_line((c[0] + r * math.cos(math.radians(20)), c[1] + r * math.sin(math.radians(20))), c)
    # Polyline paths with bulges both ways, open and closed.
    h3 = msp.add_hatch(color=3)
    h3.paths.add_polyline_path([(0.1234567890123456, 0.0, 0.4142135623730950), (10.0, 0.0, 0.0),
                                (10.0, 5.0, -1.0), (5.0, 5.0, 0.0)], is_closed=True)
    h3.paths.add_polyline_path([(2.0, 1.0), (4.0, 1.0), (4.0, 3.0)], is_closed=False)
    doc.saveas(dxf)
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2], sys.argv[3]))
    if len(sys.argv) == 4 and sys.argv[1] == "make":
        sys.exit(make(sys.argv[2], sys.argv[3]))
    print(__doc__, file=sys.stderr)
    sys.exit(2)
