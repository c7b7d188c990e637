#!/usr/bin/env bash
# pack --watch repacks after files are added, renamed and removed, keeps the
# previous outputs when a repack fails, ends on SIGINT leaving no temporary
# file; pack --if-changed skips an unchanged pack and runs after a change of
# contents, of options or of the outputs.
set -u
cli=$1
scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/gen" "$scratch/sp" && cd "$scratch" || exit 1
fail() { [ -n "${watcher:-}" ] && kill $watcher 2>/dev/null; echo "FAIL: $*"; exit 1; }
frames() { grep -o '<frame name="[^"]*"' sp/atlas.xml 2>/dev/null | cut -d'"' -f2 | tr '\n' ' '; }
# Waits (at most 20 s) until the description holds frames $1.
await() { for _ in $(seq 200); do [ "$(frames)" = "$1" ] && return 0; sleep 0.1; done; fail "$2: frames $(frames)"; }

python3 "$root/bench/gen_sprites.py" gen 3 4 4 20 || fail "cannot generate sprites"
cp gen/sprite0.png sp/a.png
"$cli" pack --watch -o sp/atlas.png sp >out.txt 2>err.txt & watcher=$!
await "a " "first pack"
cp gen/sprite1.png sp/b.png;  await "a b " "added"
mv sp/a.png sp/c.png;         await "b c " "renamed"
rm sp/b.png;                  await "c " "removed"
printf 'junk' > sp/d.png
for _ in $(seq 200); do grep -q 'previous outputs are kept' err.txt && break; sleep 0.1; done
grep -q '^sp/d.png: ' err.txt && grep -q 'previous outputs are kept' err.txt || fail "failed repack: $(cat err.txt)"
[ "$(frames)" = "c " ] || fail "a failed repack changed the outputs"
kill -INT $watcher; wait $watcher
[ $? -eq 1 ] || fail "the watch did not end with the last pack's status"
watcher=
ls -A sp | grep -q '^\.qf-' && fail "temporary files left behind"

# --if-changed: unchanged, then contents, options and outputs changed.
rm sp/d.png
pack() { "$cli" pack --if-changed "$@" -o sp/atlas.png sp >out.txt 2>err.txt || fail "pack $*: $(cat err.txt)"; }
skipped() { grep -q '^sp/atlas.png is up to date' out.txt; }
pack;             skipped && fail "first --if-changed pack skipped"
pack;             skipped || fail "unchanged pack not skipped: $(cat out.txt)"
cp gen/sprite2.png sp/c.png
pack;             skipped && fail "changed contents skipped"
pack --spacing 1; skipped && fail "changed options skipped"
"$cli" pack --spacing 2 -o sp/atlas.png sp >/dev/null || fail "plain pack"
pack --spacing 1; skipped && fail "outputs replaced by another pack, yet skipped"
exit 0
