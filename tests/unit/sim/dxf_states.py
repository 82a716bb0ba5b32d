#!/usr/bin/python3
# Prints what ezdxf (Debian's python3-ezdxf) reads of a DXF file's unit settings and
# layer states, one a line, for the stand-in's tests to compare with what it wrote:
#   header $LUNITS 4                     each of $LUNITS, $LUPREC, $DIMDEC the file holds
#   layer NAME on|off thawed|frozen 7    each layer in table order, its colour unsigned
#                                        (but Defpoints, which ezdxf adds on loading)
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
