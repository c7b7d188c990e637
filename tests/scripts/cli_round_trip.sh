#!/usr/bin/env bash
# pack -> unpack -> pack again gives the same atlas byte for byte, so the
# unpacked frames hold exactly the packed pixels; folders add their images in
# name order and the options change the layout.
set -u
cli=$1
scratch=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/in" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

python3 "$root/bench/gen_sprites.py" in 12 99 4 40 || fail "cannot generate sprites"
mv in/sprite03.png in/Sprite03.PNG   # case kept, upper-case ending accepted

# The atlas's folder is created when missing, as unpack creates its own.
"$cli" pack --spacing 2 -o "$scratch/first/second/atlas.png" in >out.txt 2>err.txt || fail "pack into a new folder: $(cat err.txt)"
[ -f first/second/atlas.png ] && [ -f first/second/atlas.xml ] || fail "no atlas in the new folder"

"$cli" pack --spacing 2 -o atlas.png in >out.txt 2>err.txt || { cat err.txt; fail "pack exited $?"; }
grep -Eq '^packed 12 images into atlas.png \([0-9]+x[0-9]+, [0-9.]+% occupied\), description atlas.xml$' out.txt \
    || fail "summary: $(cat out.txt)"
[ -s err.txt ] && fail "pack wrote to stderr: $(cat err.txt)"
[ -f atlas.png ] && [ -f atlas.xml ] || fail "atlas files missing"
grep -q '<frame name="Sprite03" ' atlas.xml || fail "upper-case name not kept"
[ "$(grep -o '<frame name="[^"]*"' atlas.xml | head -3 | tr '\n' ' ')" = \
  '<frame name="Sprite03" <frame name="sprite00" <frame name="sprite01" ' ] || fail "folder not in name order"

"$cli" unpack atlas.xml -o frames >out.txt 2>err.txt || { cat err.txt; fail "unpack exited $?"; }
grep -q '^unpacked 12 frames from atlas.xml into frames$' out.txt || fail "unpack summary: $(cat out.txt)"
[ "$(ls frames | wc -l)" -eq 12 ] || fail "unpack wrote $(ls frames | wc -l) files"

# The same images in the same order: Sprite03.png first, as in the folder.
(cd frames && "$cli" pack --spacing 2 -o ../again.png Sprite03.png $(ls | grep -v Sprite03) >/dev/null) \
    || fail "second pack failed"
cmp -s atlas.png again.png || fail "repacked atlas differs"
sed 's/again/atlas/g' again.xml | cmp -s - atlas.xml || fail "repacked description differs"

# Unpack from another working directory, into the description's folder.
mkdir -p elsewhere && cp atlas.png atlas.xml elsewhere/ && (cd / && "$cli" unpack "$scratch/elsewhere/atlas.xml" >/dev/null) \
    || fail "unpack next to the description failed"
[ -f elsewhere/sprite00.png ] || fail "frames not next to the description"

# Options: mode down stacks everything in one column; no-tight keeps the square.
"$cli" pack --mode down --no-tight -o down.tga in >out.txt || fail "pack --mode down"
grep -q '(256x256' out.txt || grep -q '(512x512' out.txt || fail "no-tight size: $(cat out.txt)"
grep -v 'x="0"' down.xml | grep -q '<frame' && fail "mode down placed a frame off column 0"
"$cli" pack --jpeg-flatten --centre --mode right -o right.jpg in >/dev/null || fail "pack --centre --mode right"
grep -v 'y="0"' right.xml | grep -q '<frame' || fail "centred row has every frame at y 0"
exit 0
