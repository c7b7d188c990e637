#!/usr/bin/env bash
# What engines read about each sprite: folder names under --recursive,
# animations, --pivot, nine-patch borders and one description for all pages,
# all at once on one set (trim + alias + extrude + multipack), each
# description read by a reader written from its published format and
# compared field by field with the XML; --no-animations, refused nine-patch
# guides, the Phaser 3 file beside a single JSON, and unpacking a nine-slice
# frame to the picture inside its guides.
set -u
cli=$1
scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$scratch" && mkdir -p "$scratch" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

python3 "$here/sprite_details.py" inputs . || fail "cannot make the inputs"
"$cli" pack --recursive --trim --alias --extrude 1 --multipack --max-size 64 --pivot 0.5,1 --format json \
    --format atlas --format phaser3 -o out/sheet.png in >out.txt 2>err.txt || fail "pack: $(cat err.txt)"
grep -q '\.atlas description of every page out/sheet.atlas, Phaser 3 multi-atlas out/sheet.json; 1 aliased$' out.txt \
    || fail "summary: $(cat out.txt)"
[ -e out/sheet-1.atlas ] && fail "a multipack wrote an .atlas per page"
python3 "$here/sprite_details.py" check out sheet expected.json 0.5 1 || fail "descriptions"

# --no-animations: every region keeps its whole name, no "animations".
"$cli" pack --recursive --no-animations --format json --format atlas -o plain/sheet.png in >out.txt 2>err.txt \
    || fail "no animations: $(cat err.txt)"
grep -q '"animations"' plain/sheet.json && fail "--no-animations wrote animations"
grep -q '^  index: [0-9]' plain/sheet.atlas && fail "--no-animations wrote an index"
grep -q '^hero/walk_3$' plain/sheet.atlas || fail "region names: $(head -20 plain/sheet.atlas)"

# A nine-slice frame unpacks to the picture inside its guides.
mkdir -p unpacked && "$cli" unpack plain/sheet.xml -o unpacked >out.txt 2>err.txt || fail "unpack: $(cat err.txt)"
python3 "$here/sprite_details.py" same-pixels unpacked/ui/panel.png inner/ui/panel.png || fail "unpacked nine-slice"
[ -e unpacked/hero/walk_1.png ] || fail "frames named with folders were not unpacked into them"

# Malformed guides: refused with the file and the reason, nothing written.
mkdir -p bad && cp in/coin.png bad/ && cp inner/ui/panel.png bad/frame.9.png
"$cli" pack -o bad-out/sheet.png bad >out.txt 2>err.txt
[ $? -eq 1 ] || fail "malformed nine-patch: not exit 1"
grep -q 'bad/frame.9.png: nine-patch: the top guide has a pixel at [0-9]* that is neither black nor transparent' err.txt \
    || fail "malformed nine-patch message: $(cat err.txt)"
[ -e bad-out/sheet.png ] && fail "a refused nine-patch pack wrote the atlas"

# One atlas: the Phaser 3 file is ATLAS.json, so --json beside it is refused;
# --pivot needs two numbers.
"$cli" pack --format phaser3 -o one/sheet.png in/hero >out.txt 2>err.txt || fail "phaser3: $(cat err.txt)"
python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert [t["image"] for t in d["textures"]] == ["sheet.png"]' \
    one/sheet.json || fail "single-page Phaser 3 file"
"$cli" pack --format phaser3 --json -o one/sheet.png in/hero >/dev/null 2>&1
[ $? -eq 2 ] || fail "--format phaser3 with --json is no usage error"
for pivot in 0.5 0.5,x 0.5,nan 1,1,1 ,1; do
    "$cli" pack --pivot "$pivot" -o one/p.png in/hero >/dev/null 2>&1
    [ $? -eq 2 ] || fail "--pivot $pivot is no usage error"
done
exit 0
