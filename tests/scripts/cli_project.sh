#!/usr/bin/env bash
# pack --project: a project packs the same bytes as the same options given
# as arguments, options given beside it change it, a damaged project writes
# nothing, --if-changed sees an edited project and --watch repacks on one.
set -u
cli=$1
scratch=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/proj/sp" "$scratch/gen" && cd "$scratch" || exit 1
fail() { [ -n "${watcher:-}" ] && kill $watcher 2>/dev/null; echo "FAIL: $*"; exit 1; }
python3 "$root/bench/gen_sprites.py" gen 6 4 24 || fail "cannot generate sprites"
cp gen/sprite0.png gen/sprite1.png gen/sprite2.png proj/sp/ && cp gen/sprite3.png proj/one.png
cat > proj/p.qfproj <<'XML'
<?xml version="1.0"?>

<quiltforgerProject version="1">
	<inputs recursive="0" flatten="0" sort="natural">
		<input path="one.png" />
		<input path="sp" />
	</inputs>
	<layout mode="best" alignment="edge" spacing="2" tight="1" maxSize="16384" pot="1" square="0" multipack="0" border="1" rotate="0" />
	<sprites trim="1" alias="1" extrude="1" bleed="1" premultiply="0" animations="1" />
	<output atlas="out/atlas.png" formats="xml,json,atlas" />
</quiltforgerProject>
XML
# From another folder: paths are the project's.
"$cli" pack --project proj/p.qfproj >out.txt 2>err.txt || fail "project pack: $(cat err.txt)"
(cd proj && "$cli" pack --mode best --spacing 2 --pot --border 1 --trim --alias --extrude 1 --bleed \
    --format json --format atlas -o ref/atlas.png one.png sp >/dev/null 2>&1) || fail "argument pack"
for f in atlas.png atlas.xml atlas.json atlas.atlas; do
    cmp -s proj/out/$f proj/ref/$f || fail "$f differs between the project and the same arguments"
done
# Arguments change the project: -o and inputs replace, json-array replaces json.
"$cli" pack --project proj/p.qfproj --spacing 0 --format json-array -o alt/a.png gen/sprite4.png >/dev/null 2>err.txt ||
    fail "override pack: $(cat err.txt)"
[ "$(grep -c '<frame ' alt/a.xml)" = 1 ] || fail "inputs given were not the only ones: $(cat alt/a.xml)"
grep -q '"frames": \[' alt/a.json || grep -q '"frames":\[' alt/a.json || fail "json-array did not replace json"
[ -e alt/a.atlas ] || fail "the project's .atlas was dropped by an unrelated option"
# Damaged: refused with the reason, nothing written.
printf '<quiltforgerProject><layout spacing="lots"/></quiltforgerProject>' > bad.qfproj
"$cli" pack --project bad.qfproj -o bad/a.png gen >out.txt 2>err.txt && fail "damaged project accepted"
[ $? -eq 1 ] || fail "damaged project: status $?"
grep -q 'bad.qfproj: <layout> spacing="lots"' err.txt || fail "damaged project message: $(cat err.txt)"
[ -e bad ] && fail "a damaged project wrote something"
# --if-changed counts the project's settings.
pack() { "$cli" pack --project proj/p.qfproj --if-changed >out.txt 2>err.txt || fail "pack: $(cat err.txt)"; }
pack; pack; grep -q 'up to date' out.txt || fail "unchanged project repacked"
sed -i 's/spacing="2"/spacing="3"/' proj/p.qfproj
pack; grep -q 'up to date' out.txt && fail "edited project skipped"
# --watch repacks when the project changes.
"$cli" pack --project proj/p.qfproj --watch >out.txt 2>err.txt & watcher=$!
for _ in $(seq 100); do grep -q packed out.txt && break; sleep 0.1; done
sed -i 's/mode="best"/mode="down"/' proj/p.qfproj
for _ in $(seq 200); do [ "$(grep -c packed out.txt)" -ge 2 ] && break; sleep 0.1; done
kill -INT $watcher; wait $watcher; watcher=
[ "$(grep -c packed out.txt)" -ge 2 ] || fail "the watch did not repack on a project change: $(cat out.txt err.txt)"
echo PASS
