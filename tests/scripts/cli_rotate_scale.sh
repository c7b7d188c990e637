#!/usr/bin/env bash
# --rotate: the best fit turns strips where that packs tighter; every
# description says so as its readers expect (checked by reading each one
# back: JSON readers turn frames back clockwise, .atlas readers
# counter-clockwise), unpack turns the frames back, and the exact modes
# refuse it.
# --scale: every variant is written from one layout, the factor-1 one with
# the images' exact pixels. An exact multipack far above the fewest pages
# suggests best fit.
set -u
cli=$1
scratch=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/in" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

# Strips of both orientations with transparent margins and one duplicate.
PYTHONPATH="$root/tests/scripts" python3 - in <<'PY' || fail "cannot generate strips"
import random, sys
from sprite_pngs import write_png
random.seed(5)
for i in range(14):
    w, h = random.randint(3, 9), random.randint(24, 60)
    if i % 3 == 0:
        w, h = h, w
    rows = [[(0, 0, 0, 0) if x == 0 or y == h - 1 else ((x * 40 + i) % 256, (y * 9) % 256, (x * y) % 256, 255 - (x + y) % 7)
             for x in range(w)] for y in range(h)]
    write_png("%s/strip%02d.png" % (sys.argv[1], i), w, h, 6, 8, rows)
    if i == 4:
        write_png("%s/twin.png" % sys.argv[1], w, h, 6, 8, rows)
PY

# Trimmed, extruded, bled and aliased frames turn too.
"$cli" pack --no-animations --mode best --rotate --trim --alias --extrude 2 --bleed --spacing 1 --format json \
    -o atlas.png in >out.txt 2>err.txt || fail "pack --rotate: $(cat err.txt)"
"$cli" pack --no-animations --mode best --rotate --trim --alias --extrude 2 --bleed --spacing 1 --format json-array \
    -o atlas-array.png in >/dev/null 2>err.txt || fail "pack --rotate json-array: $(cat err.txt)"
cmp -s atlas.png atlas-array.png || fail "the same options gave another atlas"
# The .atlas readers turn regions back counter-clockwise: such a pack turns
# its pictures that way, and refuses to write JSON beside it.
"$cli" pack --no-animations --mode best --rotate --trim --alias --extrude 2 --bleed --spacing 1 --format atlas \
    -o gdx.png in >/dev/null 2>err.txt || fail "pack --rotate --format atlas: $(cat err.txt)"
grep -q 'rotated="-1"' gdx.xml || fail "no frame turned counter-clockwise"
"$cli" unpack gdx.xml -o gdx-frames >/dev/null 2>err.txt || fail "unpack gdx: $(cat err.txt)"
python3 "$root/tests/scripts/check_rotation.py" in gdx.png gdx-frames || fail ".atlas pack does not read back"
"$cli" pack --mode best --rotate --format atlas --format json -o both.png in 2>err.txt && fail "JSON and .atlas turned"
grep -q "turn frames back opposite ways" err.txt || fail "message: $(cat err.txt)"

"$cli" unpack atlas.xml -o frames >/dev/null 2>err.txt || fail "unpack: $(cat err.txt)"
python3 "$root/tests/scripts/check_rotation.py" in atlas.png frames || fail "frames do not read back"
grep -q 'rotated="1"' atlas.xml || fail "no frame turned"
grep 'rotated="0"' atlas.xml && fail "an upright frame says rotated"

"$cli" pack --mode auto --rotate -o exact.png in >out.txt 2>err.txt && fail "--rotate accepted in an exact mode"
grep -q -- "--rotate needs --mode best" err.txt || fail "message: $(cat err.txt)"

"$cli" pack --no-animations --mode best --rotate --trim --extrude 1 --spacing 1 --scale 2,1 --format json \
    -o v/atlas.png in >out.txt 2>err.txt || fail "pack --scale: $(cat err.txt)"
grep -q '^packed 15 images into 2 scale variants of 1 page: v/atlas@2x.png ([0-9]*x[0-9]*), v/atlas.png' out.txt \
    || fail "summary: $(cat out.txt)"
grep -q '"scale": "2"' v/atlas@2x.json && grep -q '"scale": "1"' v/atlas.json || fail "meta.scale"
"$cli" pack --no-animations --mode best --rotate --trim --extrude 1 --spacing 1 --scale 2,1 --format json-array \
    -o v/atlas-array.png in >/dev/null 2>err.txt || fail "pack --scale json-array: $(cat err.txt)"
python3 "$root/tests/scripts/check_rotation.py" in v/atlas.png || fail "the factor-1 variant does not read back"
"$cli" unpack v/atlas@2x.xml -o big >/dev/null 2>err.txt || fail "unpack the 2x variant: $(cat err.txt)"
[ "$(ls big | wc -l)" -eq 15 ] || fail "2x unpack wrote $(ls big | wc -l) frames"
# An exact multipack far above the fewest pages says so; best fit does not.
mkdir -p mp && PYTHONPATH="$root/tests/scripts" python3 - mp <<'PY' || fail "cannot generate crossed strips"
import sys
from sprite_pngs import write_png
for i in range(40):
    w, h = (6, 100) if i % 2 else (100, 6)
    write_png("%s/s%02d.png" % (sys.argv[1], i), w, h, 6, 8, [[(i * 5, 0, 0, 255)] * w for _ in range(h)])
PY
"$cli" pack --mode auto --multipack --max-size 128 -o mp-exact.png mp >out.txt 2>err.txt || fail "exact multipack: $(cat err.txt)"
grep -q '; 20 pages where 2 could hold the images: --mode best packs them tighter' out.txt || fail "no hint: $(cat out.txt)"
"$cli" pack --multipack --max-size 128 --mode best -o mp-best.png mp >out.txt 2>err.txt || fail "best multipack"
grep -q 'could hold' out.txt && fail "best fit hinted: $(cat out.txt)"

"$cli" pack --scale 1,1 -o bad.png in 2>err.txt && fail "two variants of one name accepted"
grep -q 'suffix ""' err.txt || fail "message: $(cat err.txt)"
"$cli" pack --scale 2 --scale-suffix $'@2\nx' -o bad.png in 2>err.txt && fail "a line break in a suffix accepted"
grep -q 'control character' err.txt || fail "message: $(cat err.txt)"
exit 0
