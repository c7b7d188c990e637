#!/usr/bin/env bash
# The atlas encodings: fast and best PNGs and a lossless WebP hold exactly the
# pixels of the default PNG (unpacked frames equal byte for byte) and best is
# the smallest; the default mode is best; a JPEG atlas of sprites with
# transparency is refused, writing nothing, unless flattening is asked for;
# bad encoding options are usage errors.
set -u
cli=$1
scratch=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

python3 "$root/bench/gen_sprites.py" in 60 5 >/dev/null || fail "cannot generate sprites"
"$cli" pack -o default/atlas.png in >/dev/null 2>err.txt || fail "default pack: $(cat err.txt)"
"$cli" pack --mode best -o mode/atlas.png in >/dev/null 2>err.txt || fail "--mode best: $(cat err.txt)"
cmp -s default/atlas.png mode/atlas.png || fail "the default mode is not best"
"$cli" pack --mode auto -o auto/atlas.png in >/dev/null 2>err.txt || fail "--mode auto: $(cat err.txt)"
cmp -s default/atlas.xml auto/atlas.xml && fail "--mode auto packed like best"

"$cli" unpack default/atlas.xml -o frames-default >/dev/null 2>err.txt || fail "unpack default: $(cat err.txt)"
for kind in fast best webp; do
    case $kind in
        webp) args=(-o $kind/atlas.webp) ;;
        *) args=(--compression $kind -o $kind/atlas.png) ;;
    esac
    "$cli" pack "${args[@]}" in >out.txt 2>err.txt || fail "$kind pack: $(cat err.txt)"
    grep -q "description $kind/atlas.xml" out.txt || fail "$kind summary: $(cat out.txt)"
    "$cli" unpack $kind/atlas.xml -o frames-$kind >/dev/null 2>err.txt || fail "unpack $kind: $(cat err.txt)"
    diff -r frames-default frames-$kind >/dev/null || fail "the $kind atlas holds other pixels"
done
[ "$(stat -c %s best/atlas.png)" -lt "$(stat -c %s default/atlas.png)" ] || fail "best is not smaller than default"
"$cli" pack --quality 80 -o lossy/atlas.webp in >/dev/null 2>err.txt || fail "lossy webp: $(cat err.txt)"

# JPEG and transparency.
"$cli" pack -o jpeg/atlas.jpg in >out.txt 2>err.txt
[ $? -eq 1 ] || fail "a JPEG of transparent sprites was not refused"
grep -q "has pixels that are not opaque, and a JPEG atlas cannot keep transparency; nothing was written" err.txt \
    || fail "refusal: $(cat err.txt)"
[ -e jpeg ] && fail "a refused JPEG pack wrote files"
python3 - <<'PY' || fail "cannot write the transparent square"
import struct, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
rows = b"".join(b"\0" + b"\0\0\0\0" * 8 for _ in range(8))
open("clear.png", "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 8, 8, 8, 6, 0, 0, 0))
                              + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
PY
"$cli" pack --jpeg-flatten=#FF00FF -o flat/atlas.jpg clear.png >/dev/null 2>err.txt || fail "flatten: $(cat err.txt)"
mean=$(convert flat/atlas.jpg -format '%[fx:round(255*mean.r)] %[fx:round(255*mean.g)] %[fx:round(255*mean.b)]' info:)
read -r r g b <<<"$mean"
[ "$r" -ge 250 ] && [ "$g" -le 5 ] && [ "$b" -ge 250 ] || fail "not flattened onto magenta: $mean"

for bad in "--compression smallest" "--quality 80" "--quality 101" "--jpeg-flatten=pink" "--jpeg-flatten=#12345"; do
    "$cli" pack $bad -o bad/atlas.png in >/dev/null 2>err.txt
    [ $? -eq 2 ] || fail "$bad: not a usage error"
done
exit 0
