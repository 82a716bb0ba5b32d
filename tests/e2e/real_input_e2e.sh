#!/usr/bin/env bash
# A person at the keyboard and mouse: real X input events (XTEST, through xdotool) on
# the display of the Wine session, no window manager, the palette beside the stand-in.
#
#   the mouse unticks 高さ (no height lines; the raised copy stays) and presses 選択;
#   the keyboard types the selection window and the base point into the stand-in's
#   command input (clicked first, as a person does);
#   the mouse presses 上左 and picks the insertion point on the stand-in's canvas.
#
# The figure must land exactly where the picked pixel lies in the drawing, worked out
# from the canvas's view and the top face's axes (plan +X along 30 degrees, plan +Y
# along 150, the height along 90): the plan's lines and their copy raised by the
# height, and nothing else may be added. Every step waits for a condition with a
# bound, never for a time.
#
#   real_input_e2e.sh DIR      DIR holds tessavue.exe, tessavue-sim.exe and the driver
set -euo pipefail

fail() { echo "real-input: $*" >&2; exit 1; }
[ "$#" -eq 1 ] || fail "usage: real_input_e2e.sh DIR"
programs=$(cd "$1" && pwd)
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY: run under scripts/wine-session, which starts Xvfb"
command -v xdotool >/dev/null || fail "xdotool is missing (scripts/setup installs it)"
command -v wine >/dev/null || fail "wine is missing (scripts/setup installs it)"
for program in tessavue.exe tessavue-sim.exe tessavue-driver.exe tessavue-driver-hook.dll; do
  [ -f "$programs/$program" ] || fail "no $program in $programs"
done

# A folder of its own: the palette keeps its settings and working files beside itself.
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
cp "$programs"/tessavue.exe "$programs"/tessavue-sim.exe "$programs"/tessavue-driver.exe \
   "$programs"/tessavue-driver-hook.dll "$work/"
cd "$work"

driver() { wine ./tessavue-driver.exe "$@"; }
# Polls a condition (a command) until it holds, at most `bound` tenths of a second.
wait_for() {
  local what=$1 bound=$2
  shift 2
  for _ in $(seq 1 "$bound"); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "waited in vain for $what"
}
center() { awk '{ printf "%d %d\n", ($1 + $3) / 2, ($2 + $4) / 2 }'; }
click_at() { xdotool mousemove --sync "$1" "$2" click 1; }
dump() { driver sim-dump "$(winepath -w "$work/$1")" >/dev/null; }
screen_of() {  # the screen rectangle of one of the stand-in's windows, from a dump
  awk -v name="\"$2\"" '$1 == "screen" && $2 == name { print $3, $4, $5, $6 }' "$work/$1"
}
palette_idle() { [ "$(driver state GroupBox1 2>/dev/null | cut -d' ' -f1)" = visible ]; }
sim_has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$sim_window" ]; }
unticked() { [ "$(driver checked CheckBox1 2>/dev/null)" = unchecked ]; }

wine ./tessavue-sim.exe --edition LT2000 &
pids+=($!)
wait_for "the stand-in's command line" 300 driver sim-line
sim_window=$(xdotool search --name '^AutoCAD LT 2000 - ' | head -n 1)
[ -n "$sim_window" ] || fail "the stand-in's window is not on the display"

# The plan, drawn before the person sits down: a four-sided outline with a diagonal,
# corners with sixteen significant digits.
corners=("12.345678901234567,20.987654321098765" "87.65432109876543,20.987654321098765"
         "87.65432109876543,64.19753086419753" "12.345678901234567,55.55555555555556")
driver sim-type "line ${corners[0]} ${corners[1]} ${corners[2]} ${corners[3]} c "
driver sim-type "line ${corners[0]} ${corners[2]}  "
dump plan.dump

wine ./tessavue.exe &
pids+=($!)
driver wait-palette >/dev/null

# The mouse: no height, then 選択.
click_at $(driver rect CheckBox1 | center)
wait_for "高さ to be unticked" 100 unticked
click_at $(driver rect Button1 | center)
driver sim-wait-prompt select-objects

# The keyboard: the person clicks the command input first, then types there.
dump asking.dump
click_at $(screen_of asking.dump input | center)
wait_for "the keyboard at the stand-in" 100 sim_has_focus
xdotool type --delay 20 "w"
xdotool key Return
xdotool type --delay 20 -- "0,0"
xdotool key Return
xdotool type --delay 20 -- "100,80"
xdotool key Return
driver sim-wait-prompt select-objects
xdotool key Return
driver sim-wait-prompt id-point
xdotool type --delay 20 -- "${corners[0]}"
xdotool key Return
wait_for "the palette to finish the selection" 600 palette_idle

# The mouse: 上左, then the insertion point picked on the canvas, off its centre.
click_at $(driver rect Button2 | center)
driver sim-wait-prompt insert-point
dump before.dump
read -r left top right bottom < <(screen_of before.dump canvas)
pick_x=$(( (left + right) / 2 + 37 ))
pick_y=$(( (top + bottom) / 2 - 23 ))
click_at "$pick_x" "$pick_y"
wait_for "the palette to finish the figure" 600 palette_idle
height=$(driver get-text Edit1)
boxes=$(driver boxes)
[ -z "$boxes" ] || fail "the palette said: $boxes"
dump after.dump

/usr/bin/python3 - "$work" "$pick_x" "$pick_y" "${corners[0]}" "$height" <<'PY'
import math
import sys

work, pick_x, pick_y, base = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
height = float(sys.argv[5])

def records(name):
    with open(f"{work}/{name}", encoding="ascii") as f:
        return [line.split() for line in f.read().splitlines()]

def lines_of(recs):
    # line <id> "<layer>" x1 y1 x2 y2, outside block definitions
    out, skip = {}, 0
    for r in recs:
        if skip:
            skip -= 1
        elif r[0] == "block":
            skip = int(r[-1])
        elif r[0] in ("line", "circle", "arc", "ellipse", "polyline", "text", "insert", "solid", "dimension"):
            out[int(r[1])] = r
    return out

before = records("before.dump")
view = next(r for r in before if r[0] == "view")
canvas = next(r for r in before if r[0] == "screen" and r[1] == '"canvas"')
origin_x, origin_y, scale = float(view[1]), float(view[2]), float(view[3])
# The pixel the person clicked, in the canvas, and the drawing point it shows.
cx, cy = pick_x - int(canvas[2]), pick_y - int(canvas[3])
at = ((cx - origin_x) / scale, (origin_y - cy) / scale)
bx, by = (float(v) for v in base.split(","))

def on_top_left_face(x, y, lift=0.0):
    u, v = x - bx, y - by
    a, b = math.radians(30), math.radians(150)
    return (at[0] + u * math.cos(a) + v * math.cos(b), at[1] + u * math.sin(a) + v * math.sin(b) + lift)

plan = lines_of(records("plan.dump"))
assert all(r[0] == "line" for r in plan.values()) and len(plan) == 5, f"the plan is not five lines: {plan}"
expected = []
for r in plan.values():
    x1, y1, x2, y2 = (float(v) for v in r[3:7])
    for lift in (0.0, height):
        expected.append((on_top_left_face(x1, y1, lift), on_top_left_face(x2, y2, lift)))

after = lines_of(records("after.dump"))
old = lines_of(before)
for id_, r in old.items():
    assert after.get(id_) == r, f"an object the person drew changed or went: {r}"
added = [r for id_, r in after.items() if id_ not in old]
tolerance = 1e-7

def near(p, q):
    return abs(p[0] - q[0]) < tolerance and abs(p[1] - q[1]) < tolerance

left_over = list(added)
for a, b in expected:
    match = None
    for r in left_over:
        if r[0] != "line":
            continue
        p, q = (float(r[3]), float(r[4])), (float(r[5]), float(r[6]))
        if (near(p, a) and near(q, b)) or (near(p, b) and near(q, a)):
            match = r
            break
    assert match is not None, f"no line from {a} to {b}; added: {added}"
    left_over.remove(match)
assert not left_over, f"more was added than the figure: {left_over}; all added: {added}"
print(f"real-input: the figure of {len(expected)} lines (raised by {height!r}) stands at the picked point "
      f"({at[0]!r}, {at[1]!r})")
PY
