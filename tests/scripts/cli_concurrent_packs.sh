#!/usr/bin/env bash
# Two packs started together into one output: the atlas, XML and JSON on
# disk always come from one run, both runs succeed, and the lock leaves
# nothing behind.
set -u
cli=$1
scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/gen" "$scratch/a" "$scratch/b" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

python3 "$root/bench/gen_sprites.py" gen 2 3 8 60 || fail "cannot generate sprites"
cp gen/sprite0.png a/one.png && cp gen/sprite1.png b/two.png
# The atlas's width (PNG header bytes 16-19) tells which run wrote it.
width() { od -An -tu1 -j16 -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}'; }
"$cli" pack -o ref/one.png a >/dev/null && "$cli" pack -o ref/two.png b >/dev/null || fail "reference packs"
declare -A frame_of=([$(width ref/one.png)]=one [$(width ref/two.png)]=two)
[ ${#frame_of[@]} -eq 2 ] || fail "the two sprites have one width; the test cannot tell the runs apart"
for i in $(seq 30); do
  "$cli" pack --json -o out/atlas.png a >/dev/null 2>err1.txt & first=$!
  "$cli" pack --json -o out/atlas.png b >/dev/null 2>err2.txt & second=$!
  wait $first || fail "run $i: the first pack failed: $(cat err1.txt)"
  wait $second || fail "run $i: the second pack failed: $(cat err2.txt)"
  frame=${frame_of[$(width out/atlas.png)]}
  grep -q "<frame name=\"$frame\" " out/atlas.xml && grep -q "\"$frame.png\": " out/atlas.json \
      || fail "run $i: mixed outputs (atlas of $frame): $(cat out/atlas.xml) $(cat out/atlas.json)"
done
[ "$(ls -A out | sort | tr '\n' ' ')" = "atlas.json atlas.png atlas.xml " ] || fail "left behind: $(ls -A out)"
exit 0
