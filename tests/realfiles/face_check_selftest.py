"""The checks of face_check.py on figures made by hand, right and wrong.

The right figure is built the other way round from the check: the plan turned about
the base point by the face angle, a copy raised along +Y by sqrt(2) * e * sign * H,
the height lines from the feet found by the tangent rule of the turned frame (a circle
of centre c and radius r stands on c + r (cos t, sin t) for t = -F and t = -F + 180),
all in one block inserted at the insertion point with the scales sqrt(1.5), sqrt(0.5)
and the face's side turn. The check works from the face axes alone, so a fault in
either way of working would show. Then faults are put in one at a time (a height line
left out, a line moved by 1e-6, an entity too many, a height line twice, a text moved,
a point moved, a spline's control point moved)
and each must be found; pieces split differently and hidden layers must not matter.
"""
import math
import os
import tempfile

import ezdxf

import face_check

# face code: face angle F, height factor e, side turn
FACE_FRAMES = {0: (45.0, 1, 0.0), 1: (-45.0, 1, 0.0), 2: (45.0, -1, -60.0), 3: (-45.0, -1, 60.0)}

# The plan lies far from the origin with all its digits, as real drawings do.
OX, OY = 1234.5678901234567, -987.65432109876543
BULGE_HALF = 1.0  # a half circle


def shifted(x, y):
    return (OX + x, OY + y)


def define_blocks(doc):
    bolt = doc.blocks.new("BOLT", base_point=(1, 1))
    bolt.add_line((0, 1), (2, 1))
    bolt.add_circle((1, 1), 0.5)
    mark = doc.blocks.new("MARK")
    mark.add_line((0, 0), (3, 0))                     # takes the reference's layer: off
    mark.add_line((0, 1), (3, 1), {"layer": "A"})     # keeps its own: shown


def write_plan(path):
    doc = ezdxf.new("R2000")
    doc.layers.add("A")
    doc.layers.add("B")
    doc.layers.add("OFF", color=3).off()
    frozen = doc.layers.add("FROZEN")
    frozen.dxf.flags = 1
    msp = doc.modelspace()
    A = {"layer": "A"}
    msp.add_line(shifted(0, 0), shifted(30.25, 0), A)
    msp.add_line(shifted(30.25, 0), shifted(30.25, 20.125), A)
    msp.add_line(shifted(30.25, 20.125), shifted(0, 20.125), {"layer": "B"})
    msp.add_circle(shifted(10.5, 10.75), 4.0625, A)
    msp.add_arc(shifted(20.125, 10.5), 3.25, 30.0, 160.0, dxfattribs=A)
    msp.add_lwpolyline([(*shifted(40, 0), 0), (*shifted(50, 0), BULGE_HALF), (*shifted(50, 10), 0),
                        (*shifted(40, 10), 0)], format="xyb", close=True, dxfattribs=A)
    define_blocks(doc)
    msp.add_blockref("BOLT", shifted(60, 5), {"layer": "A", "rotation": 30.0, "xscale": 2.0, "yscale": 2.0})
    # An array of bolts: 3 columns 7.5 apart, 2 rows 6.25 apart, turned 20 degrees.
    array = msp.add_blockref("BOLT", shifted(70, 20), {"layer": "A", "rotation": 20.0})
    array.dxf.column_count, array.dxf.row_count = 3, 2
    array.dxf.column_spacing, array.dxf.row_spacing = 7.5, 6.25
    # An arc as MIRROR leaves it: object coordinates with X against the world's. In
    # the world it runs about (35, 30) from 80 to 160 degrees.
    msp.add_arc((-(OX + 35), OY + 30), 2.5, 20.0, 100.0, dxfattribs={"layer": "A", "extrusion": (0, 0, -1)})
    msp.add_blockref("MARK", shifted(0, 30), {"layer": "OFF"})
    msp.add_line(shifted(0, 40), shifted(5, 40), {"layer": "OFF"})
    msp.add_circle(shifted(5, 40), 2.0, {"layer": "FROZEN"})
    # An elliptical arc: major semi-axis (6, 2), half as wide, from parameter 0.3 to 4.
    msp.add_ellipse(shifted(80, 40), (6, 2, 0), 0.5, 0.3, 4.0, {"layer": "A"})
    msp.add_text("T1", dxfattribs={"layer": "A", "insert": shifted(5, 25), "height": 2.5})
    msp.add_point(shifted(12.375, 33.5), {"layer": "B"})
    msp.add_rational_spline([shifted(x, y) for x, y in ((0, 50), (4.5, 56.25), (9, 47.5), (13.5, 52))],
                            [1, 0.75, 1.25, 1], 3, [0, 0, 0, 0, 1, 1, 1, 1], {"layer": "A"})
    doc.saveas(path)
    return doc


def turn(p, base, degrees):
    r = math.radians(degrees)
    x, y = p[0] - base[0], p[1] - base[1]
    return (x * math.cos(r) - y * math.sin(r), x * math.sin(r) + y * math.cos(r))


def visible_feet(doc, base, face_angle, circle_lines):
    """The feet as the drafter lists them in the plan: corners, and where circles and
    arcs (the polyline's half circle, the bolt's circle too) have the tangent point of
    the turned frame, t = -F and -F + 180."""
    feet = []

    def add(p, layer):
        for q, l in feet:
            if l == layer and math.dist(p, q) < 1e-9:
                return
        feet.append((p, layer))

    add(shifted(0, 0), "A")
    add(shifted(30.25, 0), "A")
    add(shifted(30.25, 20.125), "A")
    add(shifted(30.25, 20.125), "B")
    add(shifted(0, 20.125), "B")
    for v in ((40, 0), (50, 0), (50, 10), (40, 10)):
        add(shifted(*v), "A")
    # The bolts: one turned 30 degrees and doubled about its base (1, 1) at (60, 5);
    # the array's turned 20 degrees, each at (70, 20) and its column and row offsets
    # turned with it.
    bolts = [((60, 5), 30, 2)]
    for row in range(2):
        for column in range(3):
            offset = turn((column * 7.5, row * 6.25), (0, 0), 20)
            bolts.append(((70 + offset[0], 20 + offset[1]), 20, 1))

    def bolt(p, placement):
        (x, y), degrees, scale = placement
        q = turn(p, (1, 1), degrees)
        return shifted(x + scale * q[0], y + scale * q[1])
    for placement in bolts:
        add(bolt((0, 1), placement), "A")
        add(bolt((2, 1), placement), "A")
    add(shifted(0, 31), "A")
    add(shifted(3, 31), "A")
    if circle_lines:
        for t in (-face_angle, -face_angle + 180):
            r = math.radians(t)
            add(shifted(10.5 + 4.0625 * math.cos(r), 10.75 + 4.0625 * math.sin(r)), "A")
            a = t % 360
            if 30 <= a <= 160:
                add(shifted(20.125 + 3.25 * math.cos(r), 10.5 + 3.25 * math.sin(r)), "A")
            if a >= 270 or a <= 90:  # the half circle about (50, 5) from -90 to 90
                add(shifted(50 + 5 * math.cos(r), 5 + 5 * math.sin(r)), "A")
            if 80 <= a <= 160:
                add(shifted(35 + 2.5 * math.cos(r), 30 + 2.5 * math.sin(r)), "A")
            for placement in bolts:
                c = bolt((1, 1), placement)
                radius = 0.5 * placement[2]
                add((c[0] + radius * math.cos(r), c[1] + radius * math.sin(r)), "A")
    if circle_lines:
        # The ellipse turned by F: centre c', axes M' and m'. Its tangent
        # -M' sin t + m' cos t is upright where -M'x sin t + m'x cos t = 0.
        major = (6.0, 2.0)
        minor = (-2.0 * 0.5, 6.0 * 0.5)
        mx = turn(major, (0, 0), face_angle)[0]
        nx = turn(minor, (0, 0), face_angle)[0]
        for t in (math.atan2(nx, mx), math.atan2(nx, mx) + math.pi):
            if 0.3 <= t % (2 * math.pi) <= 4.0:
                add(shifted(80 + major[0] * math.cos(t) + minor[0] * math.sin(t),
                            40 + major[1] * math.cos(t) + minor[1] * math.sin(t)), "A")
    return feet


def write_figure(plan_doc, path, face, base, at, height, sign, circle_lines=True, fault=None):
    """The figure through the turned frame and the insertion; `fault` spoils it."""
    F, e, side = FACE_FRAMES[face]
    lift = math.sqrt(2) * e * sign * height
    doc = ezdxf.new("R2000")
    for layer in plan_doc.layers:
        if layer.dxf.name not in doc.layers:
            copy = doc.layers.add(layer.dxf.name)
            copy.dxf.color, copy.dxf.flags = layer.dxf.color, layer.dxf.flags
    define_blocks(doc)
    fig = doc.blocks.new("FIG")

    def at_lift(p, dy):
        q = turn(p, base, F)
        return (q[0], q[1] + dy)

    for dy in (0.0, lift):
        for entity in plan_doc.modelspace():
            kind = entity.dxftype()
            layer = {"layer": entity.dxf.layer}
            if kind == "LINE":
                a, b = at_lift(entity.dxf.start, dy), at_lift(entity.dxf.end, dy)
                if fault == "split" and dy == 0.0:
                    middle = ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
                    fig.add_line(a, middle, layer)
                    fig.add_line(middle, b, layer)
                    continue
                if fault == "moved" and dy == 0.0 and entity.dxf.layer == "B":
                    a, b = (a[0] + 1e-6, a[1]), (b[0] + 1e-6, b[1])
                fig.add_line(a, b, layer)
            elif kind == "CIRCLE":
                c = at_lift(entity.dxf.center, dy)
                if fault == "split":
                    fig.add_arc(c, entity.dxf.radius, 10.0, 200.0, dxfattribs=layer)
                    fig.add_arc(c, entity.dxf.radius, 200.0, 10.0, dxfattribs=layer)
                else:
                    fig.add_circle(c, entity.dxf.radius, layer)
            elif kind == "ARC":
                c, a0, a1 = entity.dxf.center, entity.dxf.start_angle, entity.dxf.end_angle
                if entity.dxf.extrusion.z < 0:
                    # The world form of a mirrored arc: X back, the angles mirrored.
                    c, a0, a1 = (-c.x, c.y), 180 - a1, 180 - a0
                fig.add_arc(at_lift(c, dy), entity.dxf.radius, a0 + F, a1 + F, dxfattribs=layer)
            elif kind == "ELLIPSE":
                fig.add_ellipse(at_lift(entity.dxf.center, dy), turn(entity.dxf.major_axis, (0, 0), F),
                                entity.dxf.ratio, entity.dxf.start_param, entity.dxf.end_param, layer)
            elif kind == "LWPOLYLINE":
                points = [(*at_lift((x, y), dy), b) for x, y, b in entity.get_points("xyb")]
                fig.add_lwpolyline(points, format="xyb", close=entity.closed, dxfattribs=layer)
            elif kind == "INSERT":
                ref = fig.add_blockref(entity.dxf.name, at_lift(entity.dxf.insert, dy),
                                       {**layer, "rotation": entity.dxf.rotation + F, "xscale": entity.dxf.xscale,
                                        "yscale": entity.dxf.yscale})
                for key in ("column_count", "row_count", "column_spacing", "row_spacing"):
                    if entity.dxf.hasattr(key):
                        ref.dxf.set(key, entity.dxf.get(key))
            elif kind == "TEXT":
                p = at_lift(entity.dxf.insert, dy)
                if fault == "text moved" and dy == 0.0:
                    p = (p[0], p[1] + 1e-5)
                fig.add_text(entity.dxf.text, dxfattribs={**layer, "insert": p, "rotation": F,
                                                          "height": entity.dxf.height})
            elif kind == "POINT":
                p = at_lift(entity.dxf.location, dy)
                if fault == "point moved" and dy == lift:
                    p = (p[0] - 1e-5, p[1])
                fig.add_point(p, layer)
            elif kind == "SPLINE":
                points = [at_lift(p, dy) for p in entity.control_points]
                if fault == "spline point moved" and dy == 0.0:
                    points[2] = (points[2][0], points[2][1] + 1e-5)
                fig.add_rational_spline(points, list(entity.weights), entity.dxf.degree, list(entity.knots), layer)
    feet = visible_feet(plan_doc, base, F, circle_lines)
    for i, (p, layer) in enumerate(feet):
        if fault == "no height line" and i == 3:
            continue
        fig.add_line(at_lift(p, 0.0), at_lift(p, lift), {"layer": layer})
        if fault == "height line twice" and i == 5:
            fig.add_line(at_lift(p, lift), at_lift(p, 0.0), {"layer": layer})
    msp = doc.modelspace()
    msp.add_blockref("FIG", at, {"xscale": math.sqrt(1.5), "yscale": math.sqrt(0.5), "rotation": side})
    if fault == "extra":
        msp.add_line((at[0] + 3, at[1] + 3), (at[0] + 4, at[1] + 3.5))
    doc.saveas(path)


def main():
    folder = tempfile.mkdtemp(prefix="face-check-selftest-")
    plan_path = os.path.join(folder, "plan.dxf")
    plan = write_plan(plan_path)
    base = shifted(0, 0)
    at = (5432.1098765432101, 2345.6789012345678)
    # (name, face, sign, circle lines drawn, circle lines asked, fault, must pass, words)
    cases = [
        ("right, 上左", 0, 1, True, True, None, True, ""),
        ("right, 上右", 1, 1, True, True, None, True, ""),
        ("right, 左", 2, 1, True, True, None, True, ""),
        ("right, 右", 3, 1, True, True, None, True, ""),
        ("right, 左, height sign inverted", 2, -1, True, True, None, True, ""),
        ("right without circle height lines", 1, 1, False, False, None, True, ""),
        ("pieces split differently", 3, 1, True, True, "split", True, ""),
        ("one height line missing", 0, 1, True, True, "no height line", False, "missing: height line"),
        ("one line moved by 1e-6", 2, 1, True, True, "moved", False, "LINE"),
        ("one entity too many", 1, 1, True, True, "extra", False, "left over"),
        ("one height line twice", 3, 1, True, True, "height line twice", False, "left over"),
        ("a text moved", 0, 1, True, True, "text moved", False, "missing: text"),
        ("a raised point moved", 3, 1, True, True, "point moved", False, "missing: POINT"),
        ("a spline's control point moved", 1, 1, True, True, "spline point moved", False, "missing: SPLINE"),
        ("circle height lines drawn but not asked", 0, 1, True, False, None, False, "left over"),
        ("circle height lines asked but not drawn", 2, 1, False, True, None, False, "tangent"),
        ("the wrong face", 0, 1, True, True, None, False, "missing"),
    ]
    wrong = 0
    for name, face, sign, drawn, asked, fault, must_pass, words in cases:
        result = os.path.join(folder, f"result-{len(name)}-{face}.dxf")
        write_figure(plan, result, face, base, at, 10.0, sign, drawn, fault)
        checked_face = 1 if name == "the wrong face" else face
        draw = {"label": name, "plan": plan_path, "result": result, "face": checked_face, "base": list(base),
                "at": list(at), "height": 10.0, "sign": sign, "height_lines": True, "circle_lines": asked,
                "points_and_splines": True}
        faults, summary = face_check.check_draw(draw)
        text = "\n".join(faults)
        ok = not faults if must_pass else (bool(faults) and words in text)
        print(("ok    " if ok else "WRONG ") + (summary if not faults else name))
        if not ok or not must_pass:
            print("\n".join("     " + line for line in faults[:8]))
        if not ok:
            wrong += 1
    print(f"{len(cases) - wrong} of {len(cases)} cases as they should be")
    return 1 if wrong else 0
