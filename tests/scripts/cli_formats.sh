#!/usr/bin/env bash
# pack --format json-array and --format atlas: each description checked
# strictly (the array against the hash form, the .atlas by a parser of the
# published text format against the XML); names the .atlas format cannot
# hold are refused before anything is written.
set -u
cli=$1
scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/in" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

python3 "$root/bench/gen_sprites.py" in 30 11 4 40 || fail "cannot generate sprites"
cp in/sprite03.png $'in/q"uote été.png'
"$cli" pack --json --spacing 1 -o hash/atlas.png in >/dev/null 2>err.txt || fail "hash pack: $(cat err.txt)"
"$cli" pack --format json-array --format atlas --spacing 1 -o out/atlas.png in >out.txt 2>err.txt \
    || fail "pack: $(cat err.txt)"
grep -q ', JSON array description out/atlas.json, .atlas description out/atlas.atlas' out.txt \
    || fail "summary: $(cat out.txt)"
cmp -s hash/atlas.xml out/atlas.xml || fail "the XML description differs with --format"
python3 "$here/check_atlas_formats.py" array out/atlas.json hash/atlas.json || fail "json-array"
size=$(sed -n 's/.*(\([0-9]*\)x\([0-9]*\),.*/\1 \2/p' out.txt)
python3 "$here/check_atlas_formats.py" atlas out/atlas.atlas out/atlas.xml $size RGBA8888 || fail ".atlas png"
"$cli" pack --jpeg-flatten --format atlas --mode down -o out/opaque.jpg in >out.txt 2>err.txt || fail "jpg pack: $(cat err.txt)"
size=$(sed -n 's/.*(\([0-9]*\)x\([0-9]*\),.*/\1 \2/p' out.txt)
python3 "$here/check_atlas_formats.py" atlas out/opaque.atlas out/opaque.xml $size RGB888 || fail ".atlas jpg"

# Trimmed, aliased, extruded and premultiplied sprites: the .atlas keeps the
# original sizes and offsets the XML gives.
mkdir -p trim && python3 "$here/sprite_pngs.py" inputs trim || fail "cannot make trimmed sprites"
"$cli" pack --format atlas --trim --alias --extrude 1 --premultiply -o out/trim.png trim >out.txt 2>err.txt \
    || fail "trimmed pack: $(cat err.txt)"
grep -q 'offsetX=' out/trim.xml || fail "the trimmed pack trimmed nothing"
size=$(sed -n 's/.*(\([0-9]*\)x\([0-9]*\),.*/\1 \2/p' out.txt)
python3 "$here/check_atlas_formats.py" atlas out/trim.atlas out/trim.xml $size RGBA8888 pma || fail ".atlas trimmed"

# Refused before anything is written: a region name with ":" (read as a
# field); --json with json-array (both are ATLAS.json) is a usage error.
mkdir -p colon && cp in/sprite00.png colon/a:b.png
"$cli" pack --format atlas -o colon-out/atlas.png colon >out.txt 2>err.txt
[ $? -eq 1 ] && grep -q 'holds a ":"' err.txt || fail "name with a colon: $(cat err.txt)"
[ -e colon-out/atlas.png ] && fail "a refused .atlas pack wrote the atlas"
"$cli" pack --json --format json-array -o x.png in >/dev/null 2>&1
[ $? -eq 2 ] || fail "--json with --format json-array is no usage error"
exit 0
