#!/usr/bin/env bash
# pack and unpack among outputs that are not plain new files: a pipe, a
# write-protected file, a 250-byte name and a symbolic link (and, as root, a
# device). Runs once as root and once as the ordinary user "nobody" through
# runuser; when the tests do not run as root, once as the current user.
set -u
fail() { echo "FAIL: $*"; exit 1; }

# One run in folder $2 (prepared by the caller) as the current user; $3 is
# "root" or "user" and says what a write-protected output must end as.
scenario() {
  local cli=$1 dir=$2 who=$3
  cd "$dir" || fail "no folder $dir"
  local long
  long=$(printf 'L%.0s' $(seq 246))   # with ".png": a 250-byte name
  mkdir -p pack out real ro || fail "$who: cannot make folders"
  cp in/sprite3.png "in/$long.png" || fail "$who: cannot make the long name"

  # Pack: the atlas is a link to a file elsewhere, the description a pipe.
  printf 'old' > real/atlas-target.png
  ln -s ../real/atlas-target.png pack/atlas.png
  mkfifo pack/atlas.xml
  timeout 60 cat pack/atlas.xml > got.xml &
  local reader=$!
  timeout 60 "$cli" pack -o pack/atlas.png in >out.txt 2>err.txt || fail "$who: pack: $(cat err.txt)"
  wait $reader || fail "$who: nothing came through the pipe"
  [ -L pack/atlas.png ] || fail "$who: the atlas link was replaced"
  [ "$(head -c 4 real/atlas-target.png | tail -c 3)" = "PNG" ] || fail "$who: the link's target is not the atlas"
  [ -p pack/atlas.xml ] || fail "$who: the description pipe was replaced"
  grep -q "<frame name=\"$long\" " got.xml || fail "$who: description through the pipe: $(head -c 200 got.xml)"

  # Unpack: a pipe, a protected file, a dangling link and the long name among the frames.
  cp got.xml pack/copy.xml
  mkfifo out/sprite0.png
  timeout 60 cat out/sprite0.png > frame0.png &
  reader=$!
  printf 'keep' > out/sprite1.png && chmod 444 out/sprite1.png
  ln -s ../real/frame2.png out/sprite2.png
  timeout 60 "$cli" unpack --force pack/copy.xml -o out >out.txt 2>err.txt
  local status=$?
  wait $reader || fail "$who: no frame came through the pipe"
  [ -p out/sprite0.png ] || fail "$who: the frame pipe was replaced"
  [ "$(head -c 4 frame0.png | tail -c 3)" = "PNG" ] || fail "$who: the pipe's reader got no PNG"
  # Frames go into the folder only: a link at a frame's name is replaced.
  [ ! -L out/sprite2.png ] && [ -f out/sprite2.png ] && [ ! -e real/frame2.png ] || fail "$who: the frame link was followed"
  [ -f "out/$long.png" ] || fail "$who: the 250-byte name was not written: $(cat err.txt)"
  if [ "$who" = root ]; then
    [ $status -eq 0 ] || fail "root: unpack exited $status: $(cat err.txt)"
    [ "$(head -c 4 out/sprite1.png | tail -c 3)" = "PNG" ] || fail "root: protected frame not replaced"
    [ "$(stat -c %a out/sprite1.png)" = 444 ] || fail "root: protected frame became $(stat -c %a out/sprite1.png)"
  else
    [ $status -eq 1 ] || fail "user: unpack over a protected file exited $status"
    grep -q "sprite1.png for writing: permission denied" err.txt || fail "user: message: $(cat err.txt)"
    [ "$(cat out/sprite1.png)" = keep ] || fail "user: the protected frame was replaced"
    grep -q '^unpacked 4 frames from pack/copy.xml into out, 1 refused$' out.txt || fail "user: summary: $(cat out.txt)"
  fi

  # Pack over a protected atlas: all or nothing.
  printf 'keep' > ro/atlas.png && chmod 444 ro/atlas.png
  "$cli" pack -o ro/atlas.png in >out.txt 2>err.txt
  status=$?
  if [ "$who" = root ]; then
    [ $status -eq 0 ] || fail "root: pack over a protected atlas exited $status: $(cat err.txt)"
    [ "$(stat -c %a ro/atlas.png)" = 444 ] && [ -f ro/atlas.xml ] || fail "root: protected atlas"
  else
    [ $status -eq 1 ] || fail "user: pack over a protected atlas exited $status"
    grep -q "permission denied" err.txt || fail "user: message: $(cat err.txt)"
    [ "$(cat ro/atlas.png)" = keep ] || fail "user: the protected atlas was replaced"
    [ -e ro/atlas.xml ] && fail "user: a description was written without its atlas"
  fi

  # A device among the outputs (a private null device; only root makes one).
  if [ "$who" = root ]; then
    mkdir dev && mknod dev/atlas.png c 1 3 || fail "root: mknod"
    "$cli" pack -o dev/atlas.png in >out.txt 2>err.txt || fail "root: pack onto a device: $(cat err.txt)"
    [ -c dev/atlas.png ] || fail "root: the device was replaced"
  fi

  ls -A pack out real ro | grep -q '^\.qf-' && fail "$who: temporary files left behind"
  return 0
}

if [ "${1:-}" = --scenario ]; then
  scenario "$2" "$3" "$4"
  exit $?
fi

cli=$1
scratch=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$scratch" && mkdir -p "$scratch" || exit 1
prepare() {
  mkdir -p "$1/in" && cp "$root"/data/samples/sprite[0-3].png "$1/in/" || fail "no sample sprites"
}

if [ "$(id -u)" -ne 0 ]; then
  prepare "$scratch/user"
  scenario "$cli" "$scratch/user" user
  exit $?
fi
prepare "$scratch/root"
(scenario "$cli" "$scratch/root" root) || exit 1
prepare "$scratch/nobody"
chown -R nobody: "$scratch/nobody"
chmod 755 "$scratch"
runuser -u nobody -- bash "$0" --scenario "$cli" "$scratch/nobody" user || exit 1
exit 0
