#!/usr/bin/env bash
# Atlas sets while other commands run: an unpack during packs of the same
# atlas cuts its frames from one pack's set; a pack renames its files in a
# row after every write and sync, the XML last; interrupted packs leave no
# temporary files and a pack removes those of killed ones; a name too long
# for the digest stops the pack before anything is written.
set -u
cli=$1
scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch" && cd "$scratch" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
temporaries() { find "$1" -maxdepth 1 -name '.qf-*' | wc -l; }

# solid W H R G B A PATH, or noise W H PATH: RGBA PNGs.
png() {
  python3 - "$@" <<'EOF'
import random, struct, sys, zlib
kind, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
if kind == "solid":
    pixel = bytes(int(v) for v in sys.argv[4:8])
    rows = [pixel * w] * h
else:
    rng = random.Random(7)
    noise = rng.randbytes(4 * w * h)
    rows = [noise[4 * w * y:4 * w * (y + 1)] for y in range(h)]
def chunk(t, d):
    return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
raw = b"".join(b"\0" + r for r in rows)
open(sys.argv[-1], "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
                               + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
EOF
}

# 1. Unpack during packs of the same atlas: every unpack succeeds with the
# frame of one pack (a red 8 x 8 or a blue 16 x 16 "f"), never one cut from
# the other pack's atlas.
mkdir -p a b out ref
png solid 8 8 255 0 0 255 a/f.png && png solid 16 16 0 0 255 255 b/f.png || fail "cannot write inputs"
"$cli" pack -o ra/atlas.png a >/dev/null && "$cli" unpack ra/atlas.xml -o ref/a >/dev/null &&
  "$cli" pack -o rb/atlas.png b >/dev/null && "$cli" unpack rb/atlas.xml -o ref/b >/dev/null || fail "reference packs"
"$cli" pack -o out/atlas.png a >/dev/null || fail "first pack"
(for i in $(seq 40); do "$cli" pack -o out/atlas.png a >/dev/null; "$cli" pack -o out/atlas.png b >/dev/null; done) &
packer=$!
rounds=0
while kill -0 $packer 2>/dev/null && [ $rounds -lt 100 ]; do
  rounds=$((rounds + 1))
  rm -rf frames
  "$cli" unpack out/atlas.xml -o frames >/dev/null 2>err.txt || { kill $packer; fail "unpack $rounds: $(cat err.txt)"; }
  cmp -s frames/f.png ref/a/f.png || cmp -s frames/f.png ref/b/f.png || { kill $packer; fail "unpack $rounds: mixed set"; }
done
wait $packer

# 2. The renames of a set come in a row after every write and sync, the XML
# description last (seen through a preloaded shim that logs rename and fsync).
if command -v cc >/dev/null && ! ldd "$cli" | grep -q libasan; then
  cat > shim.c <<'EOF'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
static void note(const char* what, const char* path)
{
    const char* log = getenv("QF_SHIM_LOG");
    FILE* file = log ? fopen(log, "a") : NULL;
    if (file) { fprintf(file, "%s %s\n", what, path); fclose(file); }
}
int rename(const char* from, const char* to)
{
    note("rename", strrchr(to, '.') ? strrchr(to, '.') : to);
    return ((int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename"))(from, to);
}
int fsync(int fd)
{
    note("fsync", "-");
    return ((int (*)(int))dlsym(RTLD_NEXT, "fsync"))(fd);
}
EOF
  cc -shared -fPIC -o shim.so shim.c -ldl || fail "cannot build the shim"
  "$cli" pack --json --format atlas -o order/atlas.png a >/dev/null || fail "first ordered pack"
  QF_SHIM_LOG=$PWD/order.log LD_PRELOAD=$PWD/shim.so "$cli" pack --json --format atlas -o order/atlas.png b >/dev/null \
      || fail "ordered pack"
  order=$(grep -v '^fsync' order.log | awk '{print $2}' | tr '\n' ' ')
  [ "$order" = ".png .json .atlas .xml " ] || fail "rename order: $order"
  awk '/^rename/ {renamed = 1} /^fsync/ && renamed {exit 1}' order.log || fail "a sync between renames: $(cat order.log)"
fi

# 3. SIGINT and SIGTERM while the atlas is written remove our temporary
# files; SIGKILL cannot, but the next pack into the folder removes them.
mkdir -p big && png noise 2048 2048 big/noise.png
interrupt() { # signal: starts a pack, sends the signal once a temporary file is there
  # A background job of a script starts with SIGINT ignored; it is given back.
  env --default-signal=INT "$cli" pack -o sig/atlas.png big >/dev/null 2>&1 &
  local pid=$! tries=0
  until [ "$(temporaries sig)" -gt 0 ] || [ $tries -ge 400 ]; do sleep 0.01; tries=$((tries + 1)); done
  kill -"$1" $pid 2>/dev/null
  wait $pid 2>/dev/null
}
mkdir -p sig
for signal in INT TERM; do
  for round in 1 2; do
    interrupt $signal
    [ "$(temporaries sig)" -eq 0 ] || fail "SIGTERM/SIGINT ($signal, round $round) left $(ls -A sig)"
  done
done
for round in 1 2 3; do interrupt KILL; done
"$cli" pack -o sig/atlas.png a >/dev/null || fail "pack after kills"
[ "$(temporaries sig)" -eq 0 ] || fail "killed packs' temporary files stayed: $(ls -A sig)"

# 5. A name too long for the digest: nothing written, exit 1.
long=$(printf 'n%.0s' $(seq 247)).png
"$cli" pack --if-changed -o "long/$long" a >out.txt 2>err.txt
[ $? -eq 1 ] || fail "a 251-byte atlas name with --if-changed: not exit 1"
grep -q "file name too long; nothing was written" err.txt || fail "long name message: $(cat err.txt)"
[ -z "$(ls -A long 2>/dev/null)" ] || fail "long name: written $(ls -A long | cut -c1-20)"
exit 0
