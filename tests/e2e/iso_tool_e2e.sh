#!/usr/bin/env bash
# tessavue-iso.exe, the Windows build, under Wine: a real drawing of another program in
# a folder with a Japanese name, the face given by its caption, the output checked from
# the face axes by face_check.py (ezdxf, Debian's /usr/bin/python3); then a plan that
# is not there: exit status 3 and no output left, also none of an earlier run.
#
#   iso_tool_e2e.sh EXE SOURCE_DIR
set -euo pipefail

fail() { echo "iso-tool-e2e: $*" >&2; exit 1; }
[ "$#" -eq 2 ] || fail "usage: iso_tool_e2e.sh EXE SOURCE_DIR"
exe=$1
src=$2
[ -f "$exe" ] || fail "no $exe"
command -v wine >/dev/null || fail "wine is missing (scripts/setup installs it)"
[ -x /usr/bin/python3 ] || fail "/usr/bin/python3 is missing"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder="$work/日本語 フォルダ"
mkdir -p "$folder"
cp "$exe" "$folder/"
cp "$src/tests/data/dxf/issue42.dxf" "$folder/平面図.dxf"
cd "$folder"

base="12.345678901234567,-7.6543210987654321"
at="1000.0000000000001,2000.1234567890123"
set +e
wine ./tessavue-iso.exe --face 上右 --height 10 --circle-height-lines --base "$base" --at "$at" \
  "平面図.dxf" "等角図.dxf" > report.txt 2>&1
status=$?
set -e
cat report.txt
[ "$status" -eq 0 ] || fail "exit status $status for a plan it can draw"
[ -s "等角図.dxf" ] || fail "no output written"

cat > manifest.jsonl <<JSON
{"label": "tessavue-iso.exe 上右", "plan": "$folder/平面図.dxf", "result": "$folder/等角図.dxf", "face": 1, "base": [${base}], "at": [${at}], "height": 10, "sign": 1, "height_lines": true, "circle_lines": true, "recover": true, "left_out": ["mirrored TEXT"]}
JSON
/usr/bin/python3 "$src/tests/realfiles/face_check.py" check manifest.jsonl || fail "the output is not the plan's view"

echo "an output of an earlier run" > "古い.dxf"
set +e
wine ./tessavue-iso.exe --face 0 "無い.dxf" "古い.dxf" > refusal.txt 2>&1
status=$?
set -e
cat refusal.txt
[ "$status" -eq 3 ] || fail "exit status $status for a plan that is not there (3 expected)"
[ ! -e "古い.dxf" ] || fail "the earlier output was left in place"
echo "iso-tool-e2e: passed"
