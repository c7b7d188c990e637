#!/usr/bin/env bash
# Sprite options on generated PNGs of every colour type: pack --trim --alias
# --extrude 2 then unpack gives every input's pixels back; trimmed frames
# carry their offset and original size (XML and JSON); extrusion reaches the
# atlas edge at border 0; --bleed leaves no black fringe; folders come in
# natural order unless --sort bytes.
set -u
cli=$1
scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/in" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
pngs() { python3 "$here/sprite_pngs.py" "$@"; }

pngs inputs in || fail "cannot generate the inputs"
count=$(ls in | wc -l)

# The reference: every input as the reader takes it, through a plain pack.
"$cli" pack -o plain/atlas.png in >/dev/null 2>err.txt || fail "plain pack: $(cat err.txt)"
"$cli" unpack plain/atlas.xml -o plain/frames >/dev/null 2>err.txt || fail "plain unpack: $(cat err.txt)"

"$cli" pack --trim --alias --extrude 2 --json -o sheet/atlas.png in >out.txt 2>err.txt || fail "pack: $(cat err.txt)"
grep -Eq "^packed $count images into sheet/atlas.png \([0-9]+x[0-9]+, [0-9.]+% occupied\).*; 3 aliased$" out.txt \
    || fail "summary: $(cat out.txt)"
"$cli" unpack sheet/atlas.xml -o sheet/frames >/dev/null 2>err.txt || fail "unpack: $(cat err.txt)"
for frame in plain/frames/*.png; do
    cmp -s "$frame" "sheet/frames/${frame##*/}" || fail "${frame##*/} does not come back as it was packed"
done

# Trim attributes only on trimmed frames; aliases share the owner's rectangle;
# a fully transparent image keeps one pixel.
grep -q '<frame name="empty" x="[0-9]*" y="[0-9]*" w="1" h="1" offsetX="0" offsetY="0" originalW="6" originalH="4" />' \
    sheet/atlas.xml || fail "fully transparent frame: $(grep empty sheet/atlas.xml)"
grep -Eq '<frame name="dup3" x="[0-9]+" y="[0-9]+" w="5" h="6" />' sheet/atlas.xml || fail "untrimmed frame line"
[ "$(grep -Eo 'name="dup[123]" x="[0-9]+" y="[0-9]+"' sheet/atlas.xml | sed 's/name="dup."//' | sort -u | wc -l)" -eq 1 ] \
    || fail "aliases do not share one rectangle"
grep -q 'offset' plain/atlas.xml && fail "untrimmed pack wrote trim attributes"
pngs check-json sheet/atlas.json sheet/atlas.xml || fail "JSON description of trimmed frames"
pngs check-extrude sheet/atlas.png sheet/atlas.xml rgba8 2 || fail "extrusion"

# Extrusion at the atlas edge: border 0 puts the extruded picture at 0, 0.
"$cli" pack --trim --extrude 3 --border 0 --spacing 2 -o edge.png in/rgba8.png in/dot.png >/dev/null || fail "edge pack"
grep -q '<frame name="rgba8" x="3" y="3" ' edge.xml || fail "border 0: $(grep rgba8 edge.xml)"
pngs check-extrude edge.png edge.xml rgba8 3 || fail "extrusion at the atlas edge"

# Bleeding: no black transparent pixel beside a coloured one in a frame (the
# check does find them without --bleed).
"$cli" pack --bleed --spacing 1 -o bled.png in >/dev/null || fail "bleed pack"
pngs check-bleed bled.png bled.xml || fail "bleed"
pngs check-bleed plain/atlas.png plain/atlas.xml >/dev/null && fail "the bleed check sees no fringe without --bleed"
"$cli" pack --premultiply --json -o pre.png in/rgba8.png >/dev/null || fail "premultiply pack"
grep -q '"premultipliedAlpha": true}' pre.json || fail "premultiplied atlas not said in the JSON meta"

# A trimmed frame whose original cannot hold it is refused by unpack.
sed 's/originalW="9" originalH="9"/originalW="3" originalH="9"/' sheet/atlas.xml >sheet/bad.xml
"$cli" unpack sheet/bad.xml -o bad >/dev/null 2>err.txt
[ $? -eq 1 ] && grep -q 'dup1.*original size' err.txt || fail "bad original size: $(cat err.txt)"

# Folder order: natural by default, bytes on request.
mkdir -p order && for n in 10 2 1; do cp in/dot.png order/frame$n.png; done
"$cli" pack -o natural.png order >/dev/null || fail "natural pack"
[ "$(grep -o 'name="[^"]*"' natural.xml | tr '\n' ' ')" = 'name="natural" name="frame1" name="frame2" name="frame10" ' ] \
    || fail "natural order: $(grep -o 'name="[^"]*"' natural.xml | tr '\n' ' ')"
"$cli" pack --sort bytes -o bytes.png order >/dev/null || fail "bytes pack"
[ "$(grep -o 'name="frame[^"]*"' bytes.xml | tr '\n' ' ')" = 'name="frame1" name="frame10" name="frame2" ' ] \
    || fail "byte order"

for bad in "--extrude -1" "--extrude 99999" "--border x" "--sort size"; do
    "$cli" pack $bad -o x.png in >/dev/null 2>&1
    [ $? -eq 2 ] || fail "$bad is not a usage error"
done
exit 0
