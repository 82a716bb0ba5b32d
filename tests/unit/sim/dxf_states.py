#!/usr/bin/python3
# Prints what ezdxf (Debian's python3-ezdxf) reads of a DXF file's unit settings and
# layer states, one a line, for the stand-in's tests to compare with what it wrote:
#   header $LUNITS 4                     each of $LUNITS, $LUPREC, $DIMDEC the file holds
#   layer NAME on|off thawed|frozen 7    each layer in table order, its colour unsigned
#                                        (but Defpoints, which ezdxf adds on loading)
# With a second argument "entities", then each modelspace circle, arc and polyline
# (LWPOLYLINE or POLYLINE alike), its numbers as Python's repr gives them:
#   circle LAYER cx cy r
#   arc LAYER cx cy r start end
#   polyline LAYER open|closed x y bulge x y bulge ...
# Exit 2 when ezdxf is missing, 1 when the file cannot be read.
import sys

try:
    import ezdxf
except ImportError:
    print("dxf_states: python3-ezdxf is not installed (scripts/setup installs it)", file=sys.stderr)
    sys.exit(2)

try:
    doc = ezdxf.readfile(sys.argv[1])
except Exception as error:  # ezdxf raises several kinds for a damaged file
    print(f"dxf_states: ezdxf cannot read {sys.argv[1]}: {error}", file=sys.stderr)
    sys.exit(1)
for name in ("$LUNITS", "$LUPREC", "$DIMDEC"):
    if name in doc.header:
        print("header", name, doc.header[name])
for layer in doc.layers:
    if layer.dxf.name == "Defpoints":
        continue
    print("layer", layer.dxf.name, "on" if layer.is_on() else "off",
          "frozen" if layer.is_frozen() else "thawed", abs(layer.dxf.color))
if len(sys.argv) > 2 and sys.argv[2] == "entities":
    for e in doc.modelspace():
        kind = e.dxftype()
        if kind == "CIRCLE":
            c = e.dxf.center
            print("circle", e.dxf.layer, repr(c.x), repr(c.y), repr(e.dxf.radius))
        elif kind == "ARC":
            c = e.dxf.center
            print("arc", e.dxf.layer, repr(c.x), repr(c.y), repr(e.dxf.radius),
                  repr(e.dxf.start_angle), repr(e.dxf.end_angle))
        elif kind in ("LWPOLYLINE", "POLYLINE"):
            if kind == "LWPOLYLINE":
                vertices = [(x, y, b) for x, y, b in e.get_points("xyb")]
            else:
                vertices = [(v.dxf.location.x, v.dxf.location.y, v.dxf.bulge) for v in e.vertices]
            numbers = [repr(float(n)) for vertex in vertices for n in vertex]
            closed = e.closed if kind == "LWPOLYLINE" else e.is_closed
            print("polyline", e.dxf.layer, "closed" if closed else "open", *numbers)
        else:
            print(kind.lower(), e.dxf.layer)
