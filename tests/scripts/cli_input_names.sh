#!/usr/bin/env bash
# Inputs the descriptions cannot hold or that are not sprites: a name that is
# not UTF-8 is refused before anything is written (skipped with
# --skip-unreadable), an atlas another description names is passed over and
# counted, and the refusal texts name the way on.
set -u
cli=$1
scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/fb" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

python3 "$root/bench/gen_sprites.py" fb 3 9 4 20 || fail "cannot generate sprites"
"$cli" pack -o fb/atlas.png fb >/dev/null 2>err.txt || fail "first pack: $(cat err.txt)"
"$cli" pack -o fb/other.png fb >out.txt 2>err.txt || fail "second pack: $(cat err.txt)"
grep -q '^packed 3 images into fb/other.png .*1 atlas of a description$' out.txt || fail "earlier atlas: $(cat out.txt)"

mkdir -p latin && cp fb/sprite0.png latin/ok.png && cp fb/sprite1.png $'latin/caf\xe9.png'
"$cli" pack -o latin/atlas.png latin >out.txt 2>err.txt
[ $? -eq 1 ] && grep -qa ': the file name is not UTF-8 text' err.txt || fail "non-UTF-8 name: $(cat err.txt)"
grep -q '^quiltforger-cli: nothing was written; --skip-unreadable packs the images that can be read$' err.txt \
    || fail "refusal text: $(cat err.txt)"
[ -e latin/atlas.png ] || [ -e latin/atlas.xml ] && fail "a refused pack wrote files"
"$cli" pack --skip-unreadable -o latin/atlas.png latin >out.txt 2>err.txt
[ $? -eq 1 ] && grep -q '<frame name="ok" ' latin/atlas.xml && ! grep -q caf latin/atlas.xml \
    || fail "--skip-unreadable: $(cat err.txt)"

"$cli" pack -o $'latin/atlas\xe9.png' latin/ok.png >out.txt 2>err.txt
[ $? -eq 2 ] && [ ! -e $'latin/atlas\xe9.xml' ] || fail "non-UTF-8 atlas name: $(cat err.txt)"

printf 'x' > notes.txt
"$cli" pack -o x.png notes.txt >/dev/null 2>err.txt
grep -q 'not a .bmp, .jpg, .jpeg, .png, .tga or .webp file' err.txt || fail "endings: $(cat err.txt)"
exit 0
