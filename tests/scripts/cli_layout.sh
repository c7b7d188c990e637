#!/usr/bin/env bash
# Layouts of whole pack runs on generated sprites: for the exact and the
# best-fit modes, with centring, canvas limits and multipack, no two frames
# overlap, every frame lies inside its page, every image is a frame exactly
# once across the pages, frames keep the input order, two runs write the same
# bytes, and unpacking every page gives the images back.
set -u
cli=$1
scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
check() { python3 "$here/check_layout.py" in "$@" || exit 1; }

python3 "$root/bench/gen_sprites.py" in 300 11 >/dev/null || fail "cannot generate sprites"

"$cli" pack --mode best -o best.png in >/dev/null 2>err.txt || fail "best: $(cat err.txt)"
check 16384 best.png
# Centred images used to land on earlier ones.
"$cli" pack --mode auto --centre --spacing 1 -o centre.png in >/dev/null 2>err.txt || fail "centre: $(cat err.txt)"
check 16384 centre.png
for mode in auto best; do
    "$cli" pack --mode $mode --pot --square --max-size 1024 -o pot-$mode.png in >/dev/null 2>err.txt \
        || fail "pot square $mode: $(cat err.txt)"
    check 1024 --pot --square pot-$mode.png
done

# Pages: the exact mode at a side that is no power of two, the best one with
# JSON; every page is a complete atlas that unpack reads.
"$cli" pack --mode auto --multipack --max-size 200 -o exact/sheet.png in >/dev/null 2>err.txt || fail "exact pages: $(cat err.txt)"
[ -e exact/sheet-3.png ] || fail "exact pages: fewer than 3"
check 200 exact/sheet-*.png
for run in 1 2; do
    "$cli" pack --mode best --multipack --max-size 256 --spacing 2 --json -o run$run/sheet.png in >out.txt 2>err.txt \
        || fail "best pages: $(cat err.txt)"
done
grep -q '^packed 300 images into [0-9]* pages: run2/sheet-1.png (256x256)' out.txt || fail "summary: $(cat out.txt)"
diff -r run1 run2 >/dev/null || fail "two runs differ"
check 256 run1/sheet-*.png
for page in run1/sheet-*.png; do
    size=$(python3 -c 'import struct,sys; print(*struct.unpack(">II", open(sys.argv[1],"rb").read()[16:24]))' "$page")
    python3 "$here/check_atlas_json.py" "${page%png}json" "${page%png}xml" $size RGBA8888 >/dev/null \
        || fail "JSON of $page"
    "$cli" unpack "${page%png}xml" -o unpacked >/dev/null 2>err.txt || fail "unpack $page: $(cat err.txt)"
done
check 256 --unpacked unpacked run1/sheet-*.png

# Without --multipack, too small an atlas fails, saying how many images did
# not fit, and writes nothing.
"$cli" pack --mode best --max-size 256 -o small.png in >/dev/null 2>err.txt
[ $? -eq 1 ] || fail "too small: not exit 1"
grep -q '[0-9]* of 300 images do not fit in the largest atlas (256x256)' err.txt || fail "too small: $(cat err.txt)"
[ -e small.png ] || [ -e small.xml ] && fail "a failed pack wrote files"
for bad in 0 16385 2k; do
    "$cli" pack --max-size $bad -o bad.png in >/dev/null 2>&1
    [ $? -eq 2 ] || fail "--max-size $bad: not a usage error"
done
exit 0
