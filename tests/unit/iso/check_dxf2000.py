"""Checks a DXF 2000 figure file the way another program reads it.

usage: check_dxf2000.py WRITTEN EXPECTED [TYPE=COUNT ...]

EXPECTED is a text file the test writes from its own case, one line each:
  ENTITY type layer-hex colour name=value|name~value ...   (one per entity, in file order)
  LAYER layer-hex                                          (a layer that must be declared)
  HEADER $NAME name=value|name~value ...
Names are ezdxf attributes, dotted into parts: "start.x", "knots.3", "control_points.1.y",
"knots.len", "text". "=" asks for the same double (or the same text, hex of its Shift-JIS
bytes for "text"), "~" for a number within 1e-9 relative. Exit status 0 when ezdxf reads the
file, its audit finds no error, the modelspace holds exactly the counted types, every entity
has its numbers, layer and colour, every layer is declared, and the file's own lines are
CR LF with three-character group codes, unique handles below $HANDSEED.
"""
import collections
import math
import sys

import ezdxf


def folded(name):
    """The name as AutoCAD compares it: ASCII letters in upper case, nothing else changed."""
    return "".join(c.upper() if c.isascii() else c for c in name)


RECORD_KINDS = {b"VPORT", b"LTYPE", b"LAYER", b"STYLE", b"APPID", b"DIMSTYLE", b"BLOCK_RECORD"}


def raw_checks(path, failures):
    with open(path, "rb") as f:
        data = f.read()
    if b"\r\n" not in data or data.replace(b"\r\n", b"").find(b"\n") >= 0:
        failures.append("a line does not end in CR LF")
    lines = data.split(b"\r\n")
    if lines and lines[-1] == b"":
        lines.pop()
    if len(lines) % 2:
        failures.append(f"{len(lines)} lines: not pairs")
    handles, seed = [], None
    record_kind, names = None, []
    for i in range(0, len(lines) - 1, 2):
        code, value = lines[i], lines[i + 1]
        if len(code) != 3 or not code.strip().isdigit() or code != b"%3d" % int(code):
            failures.append(f"line {i + 1}: group code {code!r} not right-aligned in 3")
            return
        number_code = 10 <= int(code) < 60 or 140 <= int(code) < 148 or 210 <= int(code) < 240
        if number_code and (b"nan" in value.lower() or b"inf" in value.lower()):
            failures.append(f"line {i + 2}: {value!r} is no number")
        # Table records AutoCAD tells apart by name with letters folded: each name once.
        if code == b"  0":
            record_kind = value if value in RECORD_KINDS else None
        elif code == b"  2" and record_kind:
            names.append((record_kind, folded(value.decode("cp932"))))
            record_kind = None
        if code == b"  9" and value == b"$HANDSEED":
            seed = int(lines[i + 3], 16)
        elif int(code) in (5, 105) and lines[i - 1] != b"$HANDSEED":
            handles.append(int(value, 16))
    named_twice = [(k.decode(), n) for (k, n), c in collections.Counter(names).items() if c > 1]
    if named_twice:
        failures.append(f"table records named twice: {named_twice}")
    twice = [hex(h) for h, n in collections.Counter(handles).items() if n > 1]
    if twice:
        failures.append(f"handles written twice: {twice[:10]}")
    if seed is None or not handles or seed <= max(handles):
        failures.append(f"$HANDSEED {seed} not above every handle (largest {max(handles, default=0)})")


def lookup(entity, name):
    parts = name.split(".")
    head = parts[0]
    if entity.dxf.hasattr(head):
        value = entity.dxf.get(head)
    else:
        value = getattr(entity, head)
    for part in parts[1:]:
        if part == "len":
            value = len(value)
        elif part in ("x", "y", "z"):
            value = value["xyz".index(part)]
        else:
            value = list(value)[int(part)]
    return value


def compare(where, got, token, failures):
    if "~" in token and ("=" not in token or token.index("~") < token.index("=")):
        name, want = token.split("~", 1)
        if not math.isclose(float(got), float(want), rel_tol=1e-9, abs_tol=1e-12):
            failures.append(f"{where} {name}: {got!r}, expected about {want}")
        return
    name, want = token.split("=", 1)
    if name in ("text", "style"):
        want = bytes.fromhex(want).decode("cp932")
        if got != want:
            failures.append(f"{where} text: {got!r}, expected {want!r}")
    elif float(got) != float(want):
        failures.append(f"{where} {name}: {float(got)!r}, expected exactly {float(want)!r}")


def main():
    written_path, expected_path = sys.argv[1:3]
    want_counts = collections.Counter()
    for arg in sys.argv[3:]:
        kind, n = arg.split("=")
        want_counts[kind] = int(n)
    failures = []
    raw_checks(written_path, failures)

    doc = ezdxf.readfile(written_path)
    auditor = doc.audit()
    for error in auditor.errors:
        failures.append(f"audit error: {error.code} {error.message}")
    if doc.dxfversion != "AC1015":
        failures.append(f"version {doc.dxfversion}")

    msp = list(doc.modelspace())
    counts = collections.Counter(e.dxftype() for e in msp)
    if counts != want_counts:
        failures.append(f"modelspace holds {dict(counts)}, expected {dict(want_counts)}")

    entities = iter(msp)
    declared = {folded(layer.dxf.name) for layer in doc.layers}
    with open(expected_path, encoding="ascii") as f:
        rows = [row.split() for row in f if row.strip()]
    for index, row in enumerate(rows):
        if row[0] == "LAYER":
            name = bytes.fromhex(row[1]).decode("cp932")
            if folded(name) not in declared:
                failures.append(f"layer {name!r} not declared")
        elif row[0] == "HEADER":
            value = doc.header.get(row[1])
            for token in row[2:]:
                part = token.split("=")[0].split("~")[0]
                compare(row[1], value["xyz".index(part)] if part in "xyz" else value, token, failures)
        elif row[0] == "ENTITY":
            entity = next(entities, None)
            where = f"entity {index} ({row[1]})"
            if entity is None or entity.dxftype() != row[1]:
                failures.append(f"{where}: found {entity and entity.dxftype()}")
                continue
            layer = bytes.fromhex(row[2]).decode("cp932")
            if entity.dxf.layer != layer:
                failures.append(f"{where} layer {entity.dxf.layer!r}, expected {layer!r}")
            if folded(entity.dxf.layer) not in declared:
                failures.append(f"{where} layer {entity.dxf.layer!r} not declared")
            if entity.dxf.get("color", 256) != int(row[3]):
                failures.append(f"{where} colour {entity.dxf.get('color', 256)}, expected {row[3]}")
            for token in row[4:]:
                name = token.replace("~", "=").split("=")[0]
                try:
                    got = lookup(entity, name)
                except (AttributeError, IndexError, KeyError, TypeError) as exc:
                    failures.append(f"{where} {name}: unreadable ({exc})")
                    continue
                compare(where, got, token, failures)

    for failure in failures:
        print(failure)
    print(f"{written_path}: {len(msp)} entities {dict(counts)}, {len(auditor.errors)} audit errors,"
          f" {len(auditor.fixes)} fixes, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
