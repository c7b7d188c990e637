#!/usr/bin/env bash
# unpack beside the source art refuses before writing anything when a frame
# file exists (naming the first and how many), --force replaces them, and a
# missing description is named as missing.
set -u
cli=$1
scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/sprites" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

python3 "$root/bench/gen_sprites.py" sprites 3 5 4 20 || fail "cannot generate sprites"
"$cli" pack --jpeg-flatten -o sprites/atlas.jpg sprites >/dev/null 2>err.txt || fail "pack: $(cat err.txt)"
sums=$(md5sum sprites/sprite?.png)
"$cli" unpack sprites/atlas.xml >out.txt 2>err.txt
[ $? -eq 1 ] || fail "unpack over the sources did not exit 1"
grep -q '^quiltforger-cli: sprites/sprite0.png already exists, and 2 more frame files; nothing was written (--force replaces them)$' err.txt \
    || fail "refusal: $(cat err.txt)"
[ "$(md5sum sprites/sprite?.png)" = "$sums" ] || fail "a refused unpack changed the sources"
"$cli" unpack --force sprites/atlas.xml >out.txt 2>err.txt || fail "--force: $(cat err.txt)"
grep -q '^unpacked 3 frames from sprites/atlas.xml into sprites$' out.txt || fail "--force summary: $(cat out.txt)"

"$cli" unpack nosuch.xml >out.txt 2>err.txt
[ $? -eq 1 ] && grep -q '^quiltforger-cli: nosuch.xml: no such file or directory$' err.txt \
    || fail "missing description: $(cat err.txt)"
exit 0
