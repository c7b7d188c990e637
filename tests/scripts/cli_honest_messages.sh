#!/usr/bin/env bash
# What the command line says and what it refuses: the build identity in
# --version and in the --if-changed digest, images too large named, the
# premultiplied mark and its undoing, reasons and places in messages,
# escaped control characters, unpack's folder, duplicate names and hostile
# frames, a closed stdout, and the progress bar in a narrow terminal.
set -u
cli=$1
scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/in" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

# solid W H R G B A PATH: one RGBA PNG of one colour.
solid() {
  python3 - "$@" <<'EOF'
import struct, sys, zlib
w, h = int(sys.argv[1]), int(sys.argv[2])
pixel = bytes(int(v) for v in sys.argv[3:7])
def chunk(t, d):
    return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
raw = b"".join(b"\0" + pixel * w for _ in range(h))
open(sys.argv[7], "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
                              + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
EOF
}
solid 4 4 200 100 50 128 in/half.png && solid 4 4 0 255 0 255 in/green.png || fail "cannot write inputs"

# 4. The build identity: printed by --version, named in the digest, and a
# digest of another build never passes for this one's.
"$cli" --version >out.txt || fail "--version exited $?"
grep -Eqx 'quiltforger-cli [0-9]+\.[0-9]+\.[0-9]+ (git|sources) [0-9a-f]{12}' out.txt || fail "--version: $(cat out.txt)"
identity=$(sed 's/^quiltforger-cli //' out.txt)
"$cli" pack --if-changed -o d/atlas.png in >/dev/null || fail "first --if-changed pack"
grep -qx "tool $identity" d/.atlas.png.digest || fail "digest: $(cat d/.atlas.png.digest)"
"$cli" pack --if-changed -o d/atlas.png in >out.txt && grep -q "up to date" out.txt || fail "unchanged: $(cat out.txt)"
sed -i "s/^tool .*/tool 0.1.0 git 000000000000/" d/.atlas.png.digest
"$cli" pack --if-changed -o d/atlas.png in >out.txt && grep -q "^packed" out.txt || fail "another build's digest passed"

# 7. Images too large are named (by image, aliases counted), against the
# largest page the options allow.
mkdir -p big && solid 600 600 1 2 3 255 big/huge.png && cp big/huge.png big/twin.png && cp in/green.png big/
"$cli" pack --pot --max-size 1000 --multipack --alias -o big.png big >out.txt 2>err.txt
[ $? -eq 1 ] || fail "too large: not exit 1"
grep -q "2 of 3 images do not fit in the largest atlas (512x512) even on a page of their own: huge.png, twin.png" \
    err.txt || fail "too large: $(cat err.txt)"

# 8. --premultiply is marked in the XML and undone by unpack (within 1).
"$cli" pack --premultiply -o pre/atlas.png in >/dev/null || fail "premultiplied pack"
grep -q '<sprite file="atlas.png" name="atlas" premultiplied="true"' pre/atlas.xml || fail "no mark: $(cat pre/atlas.xml)"
"$cli" unpack pre/atlas.xml -o pre/frames >/dev/null || fail "premultiplied unpack"
python3 - <<EOF || fail "premultiplied colour not undone"
import sys
sys.path.insert(0, "$here")
from check_layout import png_pixels
w, h, rows = png_pixels("pre/frames/half.png")
pixel = tuple(rows[0][0:4])
sys.exit(0 if all(abs(a - b) <= 1 for a, b in zip(pixel, (200, 100, 50, 128))) else print(pixel) or 1)
EOF

# 9. Messages: reasons, places, the formats unpack reads, unknown commands,
# a missing input without an unrelated hint, escaped control characters and
# one line after a usage error.
mkfifo in2.png
"$cli" pack -o x.png in2.png >out.txt 2>err.txt
grep -q "cannot open in2.png: [a-z]" err.txt || fail "no reason: $(cat err.txt)"
rm in2.png
printf '<sprite file="a.png">\n  <frame name="a"></sprite>\n' >bad.xml
"$cli" unpack bad.xml -o f >out.txt 2>err.txt
grep -q "bad.xml: not well-formed XML (mismatched tag at line 2, column" err.txt || fail "no place: $(cat err.txt)"
"$cli" pack --json -o j/atlas.png in >/dev/null && "$cli" unpack j/atlas.json >out.txt 2>err.txt
grep -q "j/atlas.json is a JSON description; unpack reads the XML description" err.txt || fail "json: $(cat err.txt)"
"$cli" frobnicate >out.txt 2>err.txt
[ $? -eq 2 ] && grep -q "unknown command frobnicate" err.txt || fail "unknown command: $(cat err.txt)"
"$cli" pack -o x.png nosuchdir >out.txt 2>err.txt
grep -q -- "--skip-unreadable" err.txt && fail "missing input given the --skip-unreadable hint: $(cat err.txt)"
"$cli" pack -o x.png "$(printf 'e\033[31mvil\r.png')" >out.txt 2>err.txt
grep -q "$(printf '\033')" err.txt && fail "an ESC reached the terminal: $(od -c err.txt | head -3)"
grep -qF 'e\x1b[31mvil\x0d.png' err.txt || fail "escaped name: $(cat err.txt)"
"$cli" pack --spacing x -o x.png in >out.txt 2>err.txt
[ "$(wc -l <err.txt)" -eq 2 ] && grep -q "see quiltforger-cli pack --help" err.txt || fail "usage error: $(cat err.txt)"

# 10. Unpack makes no folder for a missing description, counts files and
# warns of a repeated name, replaces a link at a frame's name; a closed
# stdout does not end a pack; names equal but for case or normalisation warn.
"$cli" unpack -o newfolder nosuch.xml >out.txt 2>err.txt
[ $? -eq 1 ] && [ ! -e newfolder ] || fail "unpack of a missing description made its folder"
cp in/green.png twice.png
printf '<sprite file="twice.png"><frame name="a" x="0" y="0" w="1" h="1"/><frame name="a" x="1" y="0" w="1" h="1"/></sprite>' \
    >twice.xml
"$cli" unpack twice.xml -o tw >out.txt 2>err.txt || fail "repeated name: $(cat err.txt)"
grep -q "^unpacked 1 frame from" out.txt && grep -q 'warning: frame "a" appears more than once; a.png holds the last one' \
    err.txt || fail "repeated name: $(cat out.txt err.txt)"
mkdir -p ln && echo keep >outside.png && ln -s ../outside.png ln/a.png
"$cli" unpack --force twice.xml -o ln >/dev/null 2>&1
[ "$(cat outside.png)" = keep ] && [ ! -L ln/a.png ] || fail "unpack wrote through a link"
"$cli" pack -o p/atlas.png in 2>/dev/null | true
[ "${PIPESTATUS[0]}" -eq 0 ] && [ -f p/atlas.xml ] || fail "pack into a closed pipe: exit ${PIPESTATUS[0]}"
mkdir -p names && cp in/green.png "names/$(printf 'caf\xc3\xa9').png" && cp in/green.png "names/$(printf 'cafe\xcc\x81').png"
cp in/green.png names/Hero.png && cp in/green.png names/hero.png
"$cli" pack -o names.png names >out.txt 2>err.txt || fail "names: $(cat err.txt)"
[ "$(grep -c 'differ only in letter case or Unicode normalisation' err.txt)" -eq 2 ] || fail "names: $(cat err.txt)"

# 10b. A frame outside its atlas image is refused, quickly, and not written.
solid 4 4 1 1 1 255 tiny.png
printf '<sprite file="tiny.png"><frame name="a" x="0" y="0" w="16384" h="16384"/><frame name="b" x="2" y="2" w="3" h="1"/></sprite>' \
    >huge.xml
timeout 20 "$cli" unpack huge.xml -o hg >out.txt 2>err.txt
[ $? -eq 1 ] || fail "frames outside the atlas: not exit 1"
grep -q 'frame "a" not written: its rectangle (0, 0, 16384 x 16384) does not lie inside the atlas image (4 x 4)' err.txt &&
  grep -q 'frame "b" not written' err.txt || fail "outside: $(cat err.txt)"
[ -z "$(ls -A hg)" ] || fail "frames outside the atlas were written"

# 11. In a 40-column terminal the bar's lines stay within 39 columns.
if command -v script >/dev/null; then
  script -qc "stty cols 40; '$cli' pack --progress -o narrow.png in >/dev/null" /dev/null >tty.txt 2>&1
  longest=$(tr '\r' '\n' <tty.txt | awk '{ if (length($0) > n) n = length($0) } END { print n + 0 }')
  [ "$longest" -le 39 ] || fail "a progress line of $longest columns in a 40-column terminal"
fi
exit 0
