#!/usr/bin/env bash
# Failures exit with status 1, name the file and the reason on stderr, and
# never replace a good atlas or write outside the unpack folder.
set -u
cli=$1
scratch=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/in" "$scratch/other" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

cp "$root"/data/samples/*.png in/ || fail "no sample sprites"
"$cli" pack -o atlas.png in >/dev/null || fail "first pack"
cp atlas.png good.png

# An image the codec refuses: 16-bit PNG when the shared test images are there,
# otherwise a damaged file.
bad16=$root/../shared/testdata/pngsuite/basn2c16.png
if [ -f "$bad16" ]; then
    cp "$bad16" in/zz16.png
    "$cli" pack -o atlas.png in >out.txt 2>err.txt
    [ $? -eq 1 ] || fail "16-bit image: exit not 1"
    grep -q "in/zz16.png: PNG: bit depth 16 is not supported" err.txt || fail "16-bit message: $(cat err.txt)"
    rm in/zz16.png
fi
printf '\x89PNG\r\n\x1a\nbroken' > in/zz.png
"$cli" pack -o atlas.png in >out.txt 2>err.txt
[ $? -eq 1 ] || fail "damaged image: exit not 1"
grep -q "in/zz.png: PNG" err.txt || fail "damaged image message: $(cat err.txt)"
[ -s out.txt ] && fail "failed pack printed a summary"
cmp -s atlas.png good.png || fail "failed pack replaced the atlas"
rm in/zz.png

"$cli" pack -o atlas.png in/missing.png >out.txt 2>err.txt
[ $? -eq 1 ] || fail "missing image: exit not 1"
grep -q "in/missing.png" err.txt || fail "missing image not named"

cp in/sprite0.png other/sprite0.png
"$cli" pack -o atlas.png in other/sprite0.png >out.txt 2>err.txt
[ $? -eq 1 ] || fail "duplicate names: exit not 1"
grep -q "in/sprite0.png and other/sprite0.png" err.txt || fail "duplicate message: $(cat err.txt)"

"$cli" pack -o atlas.png notes.txt >out.txt 2>err.txt
[ $? -eq 1 ] || fail "non-image input: exit not 1"

ls -A | grep -q '^\.qf-' && fail "temporary files left behind"

# A hostile description: frames outside the folder are refused.
mkdir -p unpack/sub
cp good.png unpack/sub/atlas.png
cat > unpack/sub/atlas.xml <<XML
<sprite file="atlas.png" name="atlas">
	<frame name="../escape" x="0" y="0" w="4" h="4" />
	<frame name="$scratch/absolute" x="0" y="0" w="4" h="4" />
	<frame name="fine" x="0" y="0" w="4" h="4" />
</sprite>
XML
"$cli" unpack unpack/sub/atlas.xml >out.txt 2>err.txt
[ $? -eq 1 ] || fail "hostile description: exit not 1"
grep -q 'frame "../escape" not written' err.txt || fail "escape not reported: $(cat err.txt)"
[ -e unpack/escape.png ] && fail "frame escaped the folder"
[ -e "$scratch/absolute.png" ] && fail "absolute frame written"
[ -f unpack/sub/fine.png ] || fail "the safe frame was not written"

printf '<sprite file="gone.png"><frame name="x"/></sprite>' > unpack/gone.xml
"$cli" unpack unpack/gone.xml >out.txt 2>err.txt
[ $? -eq 1 ] || fail "missing atlas image: exit not 1"
grep -q "gone.png" err.txt || fail "missing atlas image not named"
"$cli" unpack unpack/nothing.xml >out.txt 2>err.txt
[ $? -eq 1 ] || fail "missing description: exit not 1"
exit 0
