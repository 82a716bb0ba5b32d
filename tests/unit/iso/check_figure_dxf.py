"""Checks a figure file written by the iso tests the way another program would read it.

usage: check_figure_dxf.py ORIGINAL WRITTEN EXPECTED

ORIGINAL is the export the figure was made from, WRITTEN the figure file, EXPECTED a
text file of lines "LINE layer x0 y0 x1 y1" (height lines that must be present) and
"COPIES n" (how often each original entity must appear: 2 with a raised copy).
Exit status 0 when ezdxf reads WRITTEN strictly, its audit finds no error, every entity
type of ORIGINAL appears n times as often, every expected LINE is in the modelspace,
and no handle occurs twice in the ENTITIES section.
"""
import collections
import math
import sys

import ezdxf


def entity_handles(path):
    with open(path, "rb") as f:
        lines = f.read().decode("cp932", errors="replace").splitlines()
    handles, inside = [], False
    for code, value in zip(lines[0::2], lines[1::2]):
        code, value = code.strip(), value.strip()
        if code == "2" and value == "ENTITIES":
            inside = True
        elif code == "0" and value == "ENDSEC":
            inside = False
        elif inside and code == "5":
            handles.append(value)
    return handles


def main():
    original_path, written_path, expected_path = sys.argv[1:4]
    failures = []
    copies, expected_lines = 1, []
    with open(expected_path, encoding="utf-8") as f:
        for row in f:
            parts = row.split()
            if parts and parts[0] == "COPIES":
                copies = int(parts[1])
            elif parts and parts[0] == "LINE":
                expected_lines.append((parts[1], *map(float, parts[2:6])))

    original = ezdxf.readfile(original_path)
    written = ezdxf.readfile(written_path)
    auditor = written.audit()
    for error in auditor.errors:
        failures.append(f"audit error: {error}")

    msp = list(written.modelspace())
    before = collections.Counter(e.dxftype() for e in original.modelspace())
    after = collections.Counter(e.dxftype() for e in msp)
    want = collections.Counter({kind: n * copies for kind, n in before.items()})
    want["LINE"] += len(expected_lines)
    if after != want:
        failures.append(f"modelspace holds {dict(after)}, expected {dict(want)}")

    lines = [e for e in msp if e.dxftype() == "LINE"]
    for layer, x0, y0, x1, y1 in expected_lines:
        if not any(
            e.dxf.layer == layer
            and math.isclose(e.dxf.start.x, x0, abs_tol=1e-9)
            and math.isclose(e.dxf.start.y, y0, abs_tol=1e-9)
            and math.isclose(e.dxf.end.x, x1, abs_tol=1e-9)
            and math.isclose(e.dxf.end.y, y1, abs_tol=1e-9)
            for e in lines
        ):
            failures.append(f"height line missing: {layer} ({x0}, {y0}) - ({x1}, {y1})")

    handles = entity_handles(written_path)
    twice = [h for h, n in collections.Counter(handles).items() if n > 1]
    if twice:
        failures.append(f"handles written twice: {twice[:10]}")

    for failure in failures:
        print(failure)
    print(f"{written_path}: {len(msp)} entities {dict(after)}, {len(auditor.errors)} audit errors,"
          f" {len(auditor.fixes)} fixes")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
