#!/usr/bin/env bash
# A JPEG atlas keeps hard, colourful sprite edges: against the PNG atlas of
# the same 1,000 generated sprites, put over black as --jpeg-flatten does, it
# reaches at least 40 dB PSNR (full chroma resolution; halved chroma gives
# about 30 dB on this set).
# ImageMagick's compare measures it.
set -u
cli=$1
scratch=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
command -v compare >/dev/null && command -v convert >/dev/null || fail "ImageMagick is missing (scripts/setup.sh)"

python3 "$root/bench/gen_sprites.py" in 1000 1 >/dev/null || fail "cannot generate sprites"
"$cli" pack -o atlas.png in >/dev/null 2>err.txt || fail "png pack: $(cat err.txt)"
"$cli" pack --jpeg-flatten -o atlas.jpg in >/dev/null 2>err.txt || fail "jpg pack: $(cat err.txt)"
convert atlas.png -background black -alpha remove atlas.ppm || fail "cannot convert the PNG atlas"
psnr=$(compare -metric PSNR atlas.ppm atlas.jpg null: 2>&1)
echo "JPEG atlas against the PNG atlas: $psnr dB"
awk -v p="$psnr" 'BEGIN { exit !(p + 0 >= 40) }' || fail "PSNR $psnr dB is below 40 dB"
exit 0
