#!/usr/bin/env bash
# pack as a build pipeline runs it on a real asset folder: the outputs are
# never fed back in, messages name what is wrong, the atlas's folder is made,
# unreadable files can be skipped on request (still exit 1), folders say
# what they skipped and can be walked recursively, and --progress draws the
# bar by images loaded and by pieces of a PNG atlas written.
set -u
cli=$1
scratch=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/sprites" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
frames() { grep -c '<frame ' "$1"; }

cp "$root"/data/samples/sprite[0-3].png sprites/ || fail "no sample sprites"

# The atlas written into its own input folder: the same 4 frames on every run.
for run in 1 2 3; do
    "$cli" pack -o sprites/atlas.png sprites >out.txt 2>err.txt || fail "run $run: $(cat err.txt)"
done
[ "$(frames sprites/atlas.xml)" -eq 4 ] || fail "the atlas was packed into itself: $(frames sprites/atlas.xml) frames"
grep -q '2 outputs of this pack$' out.txt || fail "outputs not counted: $(cat out.txt)"
# ... also when the earlier atlas has another ending than the new one.
"$cli" pack -o sprites/atlas.tga sprites >out.txt 2>err.txt || fail "tga over an earlier png: $(cat err.txt)"
[ "$(frames sprites/atlas.xml)" -eq 4 ] || fail "the earlier png atlas was packed"
rm sprites/atlas.*
# An atlas named like a source sprite is refused before anything is written.
cp sprites/sprite2.png keep.png
"$cli" pack -o sprites/sprite2.png sprites >out.txt 2>err.txt
[ $? -eq 1 ] || fail "atlas over a source sprite: not exit 1"
grep -q "sprites/sprite2.png: is an image to pack" err.txt || fail "message: $(cat err.txt)"
cmp -s keep.png sprites/sprite2.png && [ ! -e sprites/sprite2.xml ] || fail "the source sprite was touched"
# An input given by name that is also an output, through a link.
ln -s sprites/sprite1.png link.png
"$cli" pack -o link.png sprites/sprite0.png sprites/sprite1.png >out.txt 2>err.txt
[ $? -eq 1 ] || fail "output among the inputs: not exit 1"
grep -q "sprites/sprite1.png: is also the output link.png" err.txt || fail "message: $(cat err.txt)"

# Messages and GNU-style option values.
"$cli" pack -o atlas.png nosuchdir >out.txt 2>err.txt
[ $? -eq 1 ] || fail "missing input: not exit 1"
grep -qx "nosuchdir: no such file or directory" err.txt || fail "missing input message: $(cat err.txt)"
"$cli" pack --help >out.txt 2>err.txt || fail "pack --help exited $?"
grep -q "^usage: quiltforger-cli pack" out.txt && grep -q -- "--skip-unreadable" out.txt || fail "pack --help text"
"$cli" unpack --help >out.txt 2>err.txt || fail "unpack --help exited $?"
grep -q "^usage: quiltforger-cli unpack" out.txt || fail "unpack --help text"
"$cli" pack --spacing=2 --mode=down --output=eq.png sprites >out.txt 2>err.txt || fail "--option=value: $(cat err.txt)"
"$cli" pack --spacing 2 --mode down -o sp.png sprites >/dev/null 2>&1 || fail "spaced options"
cmp -s eq.png sp.png || fail "--option=value packed differently"
"$cli" pack --centre=yes -o x.png sprites >out.txt 2>err.txt
[ $? -eq 2 ] || fail "a value on a flag: not exit 2"

# The atlas's folder is created, with its parents.
"$cli" pack -o new/deeper/atlas.png sprites >out.txt 2>err.txt || fail "new folder: $(cat err.txt)"
[ -f new/deeper/atlas.png ] && [ -f new/deeper/atlas.xml ] || fail "atlas not in the new folder"

# Unreadable files: refused by default, skipped with --skip-unreadable.
mkdir -p mixed && cp sprites/sprite*.png mixed/
printf 'junk' > mixed/broken.png
printf 'junk' > mixed/fake.tga
"$cli" pack -o all/atlas.png mixed >out.txt 2>err.txt
[ $? -eq 1 ] && [ ! -e all ] || fail "unreadable files did not stop the pack"
"$cli" pack --skip-unreadable -o all/atlas.png mixed gone.png >out.txt 2>err.txt
[ $? -eq 1 ] || fail "--skip-unreadable: not exit 1"
[ "$(frames all/atlas.xml)" -eq 4 ] || fail "--skip-unreadable packed $(frames all/atlas.xml) frames"
grep -q "^mixed/broken.png: PNG" err.txt && grep -q "^mixed/fake.tga: TGA" err.txt &&
    grep -q "^gone.png: no such file or directory" err.txt || fail "skipped files not named: $(cat err.txt)"
[ "$(tail -n 1 err.txt)" = "packed 4 of 7 images (3 could not be read)" ] || fail "last line: $(tail -n 1 err.txt)"
grep -q '^packed 4 images into all/atlas.png' out.txt || fail "summary: $(cat out.txt)"

# Folder contents: .jpeg reads, other files and subfolders are counted.
mkdir -p tree/sub/subsub tree/other
cp sprites/sprite0.png tree/a.png
cp "$root"/data/samples/sprite1.png tree/sub/b.PNG
cp sprites/sprite2.png tree/sub/subsub/c.png
cp sprites/sprite3.png tree/other/a.png
printf 'GIF89a' > tree/anim.gif
printf 'text' > tree/notes.txt
"$cli" pack -o photo.jpg sprites/sprite0.png >/dev/null && mv photo.jpg photo.JPEG || fail "cannot make a JPEG"
"$cli" pack -o j/atlas.png photo.JPEG >out.txt 2>err.txt || fail ".jpeg: $(cat err.txt)"
grep -q '<frame name="photo" ' j/atlas.xml || fail ".jpeg frame name: $(cat j/atlas.xml)"
"$cli" pack -o flat.png tree >out.txt 2>err.txt || fail "flat: $(cat err.txt)"
grep -q '; 4 folder entries skipped: 2 without an image ending (.gif, .txt), 2 subfolders (see --recursive)$' out.txt ||
    fail "skip summary: $(cat out.txt)"
rm tree/a.png tree/anim.gif tree/notes.txt
"$cli" pack -o none.png tree >out.txt 2>err.txt
[ $? -eq 1 ] || fail "nothing to pack: not exit 1"
grep -q "no images to pack (2 folder entries skipped: 2 subfolders (see --recursive))" err.txt || fail "$(cat err.txt)"
"$cli" pack --recursive -o deep.png tree >out.txt 2>err.txt || fail "recursive: $(cat err.txt)"
[ "$(grep -o '<frame name="[^"]*"' deep.xml | tr '\n' ' ')" = \
    '<frame name="other/a" <frame name="sub/b" <frame name="sub/subsub/c" ' ] || fail "recursive frames: $(cat deep.xml)"
"$cli" pack --recursive --flatten -o flat-deep.png tree >out.txt 2>err.txt || fail "flatten: $(cat err.txt)"
[ "$(grep -o '<frame name="[^"]*"' flat-deep.xml | tr '\n' ' ')" = '<frame name="a" <frame name="b" <frame name="c" ' ] ||
    fail "flattened frames: $(cat flat-deep.xml)"
cp sprites/sprite0.png tree/sub/a.png
ln -s .. tree/sub/loop
"$cli" pack --recursive -o twice.png tree >out.txt 2>err.txt || fail "one file name in two folders: $(cat err.txt)"
"$cli" pack --recursive --flatten -o twice.png tree >out.txt 2>err.txt
[ $? -eq 1 ] || fail "two files of one name in different folders, flattened: not exit 1"
grep -q "tree/other/a.png and tree/sub/a.png: two images named a.png" err.txt || fail "$(cat err.txt)"

# The progress bar moves by images loaded.
"$cli" pack --progress -o bar.png sprites >out.txt 2>err.txt || fail "progress: $(cat err.txt)"
tr '\r' '\n' < err.txt | grep -q '^loading  \[#*\] 4/4 ' || fail "no loading progress: $(tr '\r' '\n' < err.txt)"
tr '\r' '\n' < err.txt | grep -q '^writing ' || fail "no writing stage"
# A large PNG atlas is compressed in pieces, and the bar counts them.
python3 "$root/bench/gen_sprites.py" big 1 1 300 300 || fail "cannot generate a large sprite"
"$cli" pack --progress -o big.png big >out.txt 2>err.txt || fail "progress, large atlas: $(cat err.txt)"
tr '\r' '\n' < err.txt | grep -Eq '^writing +\[#+\] ([2-9]|[1-9][0-9]+)/' ||
    fail "the write was one step: $(tr '\r' '\n' < err.txt)"
"$cli" pack -o bar.png sprites >out.txt 2>err.txt && [ ! -s err.txt ] || fail "a bar without a terminal"

ls -A . sprites | grep -q '^\.qf-' && fail "temporary files left behind"
exit 0
