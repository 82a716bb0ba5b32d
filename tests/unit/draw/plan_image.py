#!/usr/bin/env python3
"""Plans as real drawings hold them, written by ezdxf, and the check that a figure
drawn from one is the plan's isometric image.

  plan_image.py write FOLDER
      writes one plan DXF per case into FOLDER and prints a line for each: its name,
      and "all" where only a selection with "全て投影" turns it whole (block
      references keep their rotation otherwise, as the option means) or "both".
  plan_image.py check MANIFEST
      each line: plan.dxf result.dxf face base_x base_y at_x at_y
      (face "none": the result must show the plan itself, as an explosion does)
      The result holds what the draw added to the drawing (and the drawing's block
      definitions). Every entity of the plan and of the result is expanded by ezdxf
      (block references, anonymous ones included, and polylines) into lines, arcs,
      circles and ellipses; each is sampled along its length. The plan's samples are
      carried by the face's axes: plan +X and +Y, each of unit length, to the
      directions below, the base point to the insertion point. Every result curve
      must lie on one expected curve and cover it, and nothing may be left over.
Exit 0 when every line passes; otherwise every fault is printed and the exit is 1.
"""
import math
import sys

import ezdxf
from ezdxf.math import Matrix44

# The drawing directions of plan +X and +Y on each face, in degrees.
FACE_AXES = {0: (30, 150), 1: (330, 30), 2: (330, 90), 3: (30, 90)}
STEP = 0.5         # sampling distance along a curve
FLATNESS = 1e-4    # how far the chords of a flattened curve may stray from it
TOLERANCE = 1e-3   # how far a sample may lie from the other curve


def write_plans(folder):
    bulge = math.tan(math.pi / 8)  # a quarter circle
    plans = {}
    modes = {}

    def new():
        doc = ezdxf.new("R2000")
        doc.layers.add("PLAN")
        return doc, doc.modelspace()

    # A closed outline with a rounded corner and a half-round end.
    doc, msp = new()
    msp.add_lwpolyline([(0, 0, 0), (30, 0, 0), (30, 14, bulge), (24, 20, 0), (10, 20, 1), (0, 20, 0)],
                       format="xyb", close=True, dxfattribs={"layer": "PLAN"})
    msp.add_line((0, -5), (30, -5), dxfattribs={"layer": "PLAN"})
    plans["rounded-polyline"] = doc

    # A bolt block placed turned and evenly scaled, and a nested block.
    doc, msp = new()
    bolt = doc.blocks.new("BOLT")
    bolt.add_circle((0, 0), 2)
    bolt.add_line((-3, 0), (3, 0))
    flange = doc.blocks.new("FLANGE", base_point=(5, 5))
    flange.add_lwpolyline([(0, 0), (20, 0), (20, 12), (0, 12)], close=True)
    flange.add_blockref("BOLT", (4, 4), dxfattribs={"rotation": 30})
    flange.add_blockref("BOLT", (16, 8))
    msp.add_blockref("BOLT", (40, 10), dxfattribs={"rotation": 25, "xscale": 1.5, "yscale": 1.5})
    msp.add_blockref("FLANGE", (0, 30), dxfattribs={"rotation": 10})
    msp.add_line((0, 0), (50, 0))
    plans["blocks"] = doc
    modes["blocks"] = "all"

    # A circle and an arc as MIRROR leaves them: extrusion (0, 0, -1), object
    # coordinates, so the world centres are (40, 10) and (20, 30).
    doc, msp = new()
    down = {"extrusion": (0, 0, -1)}
    msp.add_circle((-40, 10), 5, dxfattribs=down)
    msp.add_arc((-20, 30), 6, 30, 160, dxfattribs=down)
    msp.add_arc((10, 30), 6, 30, 160)
    msp.add_line((0, 0), (50, 0))
    plans["mirrored-arcs"] = doc

    for name, doc in plans.items():
        doc.saveas(f"{folder}/{name}.dxf")
        print(f"{name}.dxf {modes.get(name, 'both')}")


def curves(doc):
    """Every primitive of the modelspace, block references (anonymous ones too) and
    polylines expanded, in world coordinates: (kind, chain, samples), the chain the
    curve flattened finely, the samples points along it every STEP.

    Block references are followed here, each primitive flattened in its block and its
    points carried by the product of the references' matrices: exact also where a
    turned reference inside one scaled unequally makes a sheared image, which no
    single block reference (and so no expansion into entities) can hold."""
    out = []

    def walk(entities, matrix, depth):
        for entity in entities:
            kind = entity.dxftype()
            if kind == "INSERT":
                if depth < 16:
                    block = doc.blocks.get(entity.dxf.name)
                    if block is not None:
                        walk(block, Matrix44.chain(entity.matrix44(), matrix), depth + 1)
                continue
            pieces = entity.virtual_entities() if kind in ("LWPOLYLINE", "POLYLINE") else [entity]
            for piece in pieces:
                if piece.dxftype() not in ("LINE", "ARC", "CIRCLE", "ELLIPSE", "SPLINE"):
                    continue
                # Points on the curve itself (ezdxf's paths approximate arcs by Bézier
                # curves, off by 0.03 % of the radius).
                if piece.dxftype() == "LINE":
                    vertices = [piece.dxf.start, piece.dxf.end]
                else:
                    vertices = list(piece.flattening(FLATNESS))
                chain = [(v.x, v.y) for v in matrix.transform_vertices(vertices)]
                out.append((piece.dxftype(), chain, resample(chain)))

    walk(doc.modelspace(), Matrix44(), 0)
    return out


def resample(chain):
    samples = [chain[0]]
    for a, b in zip(chain, chain[1:]):
        n = int(math.dist(a, b) / STEP)
        samples.extend((a[0] + (b[0] - a[0]) * i / (n + 1), a[1] + (b[1] - a[1]) * i / (n + 1))
                       for i in range(1, n + 1))
        if math.dist(samples[-1], b) >= STEP or b == chain[-1]:
            samples.append(b)
    return samples


def distance_to_chain(p, chain):
    best = math.inf
    for a, b in zip(chain, chain[1:]):
        dx, dy = b[0] - a[0], b[1] - a[1]
        length = dx * dx + dy * dy
        t = 0.0 if length == 0 else max(0.0, min(1.0, ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / length))
        best = min(best, math.hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy))
    if len(chain) == 1:
        best = math.dist(p, chain[0])
    return best


def box(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return min(xs), min(ys), max(xs), max(ys)


def same_curve(a, b):
    """Whether the curves a and b (each chain and samples) are the same: every sample
    of either lies on the other's chain."""
    if any(abs(u - v) > 10 * TOLERANCE for u, v in zip(box(a[0]), box(b[0]))):
        return False
    return all(distance_to_chain(p, b[0]) <= TOLERANCE for p in a[1]) and \
        all(distance_to_chain(p, a[0]) <= TOLERANCE for p in b[1])


def check(manifest):
    faults = []
    lines = [line.split() for line in open(manifest, encoding="utf-8") if line.strip()]
    if not lines:
        return ["the manifest lists no drawing"]
    for plan_file, result_file, face, bx, by, ax, ay in lines:
        bx, by, ax, ay = map(float, (bx, by, ax, ay))
        ux, vx = (math.radians(d) for d in FACE_AXES.get(face if face == "none" else int(face), (0, 90)))

        def image(p):
            if face == "none":
                return p
            dx, dy = p[0] - bx, p[1] - by
            return (ax + dx * math.cos(ux) + dy * math.cos(vx), ay + dx * math.sin(ux) + dy * math.sin(vx))

        expected = [(kind, ([image(p) for p in chain], [image(p) for p in samples]))
                    for kind, chain, samples in curves(ezdxf.readfile(plan_file))]
        result = ezdxf.readfile(result_file)
        auditor = result.audit()
        label = f"{result_file} (face {face})"
        if auditor.has_errors:
            faults.append(f"{label}: ezdxf's audit: {[str(e.message) for e in auditor.errors]}")
        drawn = curves(result)
        unmatched = list(range(len(expected)))
        for kind, chain, samples in drawn:
            points = chain
            match = next((i for i in unmatched if same_curve((chain, samples), expected[i][1])), None)
            if match is None:
                faults.append(f"{label}: a {kind} from ({points[0][0]:.4f}, {points[0][1]:.4f}) to "
                              f"({points[-1][0]:.4f}, {points[-1][1]:.4f}) is no image of the plan")
            else:
                unmatched.remove(match)
        for i in unmatched:
            kind, (points, _) = expected[i]
            faults.append(f"{label}: the image of a plan {kind} from ({points[0][0]:.4f}, {points[0][1]:.4f}) "
                          f"to ({points[-1][0]:.4f}, {points[-1][1]:.4f}) is missing")
        if not expected:
            faults.append(f"{label}: the plan holds nothing")
    return faults


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "write":
        write_plans(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "check":
        problems = check(sys.argv[2])
        for problem in problems:
            print(problem)
        sys.exit(1 if problems else 0)
    else:
        sys.exit(__doc__)
