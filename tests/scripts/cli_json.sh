#!/usr/bin/env bash
# pack --json writes the JSON "hash" description beside the XML one, with the
# same rectangles, written strictly; names that need escaping survive; a
# failed pack writes no JSON, and without --json none is written.
set -u
cli=$1
scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/in" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

python3 "$root/bench/gen_sprites.py" in 40 7 4 40 || fail "cannot generate sprites"
cp in/sprite05.png $'in/q"uote\tété.png'
"$cli" pack --json --spacing 1 -o out/atlas.png in >out.txt 2>err.txt || fail "pack: $(cat err.txt)"
grep -q ', JSON description out/atlas.json;\? *' out.txt || fail "summary: $(cat out.txt)"
size=$(sed -n 's/.*(\([0-9]*\)x\([0-9]*\),.*/\1 \2/p' out.txt)
python3 "$here/check_atlas_json.py" out/atlas.json out/atlas.xml $size RGBA8888 || fail "png atlas"
"$cli" pack --jpeg-flatten --json --mode down -o out/opaque.jpg in >out.txt 2>err.txt || fail "jpg pack: $(cat err.txt)"
size=$(sed -n 's/.*(\([0-9]*\)x\([0-9]*\),.*/\1 \2/p' out.txt)
python3 "$here/check_atlas_json.py" out/opaque.json out/opaque.xml $size RGB888 || fail "jpg atlas"

# A save that fails (the atlas path is a folder) leaves the JSON unwritten;
# no --json, no JSON.
mkdir -p out/folder.png
"$cli" pack --json -o out/folder.png in >out.txt 2>err.txt
[ $? -eq 1 ] || fail "failed pack: not exit 1"
[ -e out/folder.json ] && fail "a failed pack wrote the JSON"
# A name JSON cannot hold (not UTF-8) is refused before anything is written.
mkdir -p latin && cp in/sprite00.png $'latin/caf\xe9.png'
"$cli" pack --json -o latin1.png latin >out.txt 2>err.txt
[ $? -eq 1 ] && grep -q "is not UTF-8 text" err.txt || fail "non-UTF-8 name: $(cat err.txt)"
[ -e latin1.png ] || [ -e latin1.xml ] || [ -e latin1.json ] && fail "a refused pack wrote files"
"$cli" pack -o plain.png in/sprite00.png >/dev/null 2>&1 || fail "plain pack"
[ -e plain.json ] && fail "JSON written without --json"
ls -A out | grep -q '^\.qf-' && fail "temporary files left behind"
exit 0
