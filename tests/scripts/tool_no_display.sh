#!/usr/bin/env bash
# The window tool started where no display can be opened says so, points to
# quiltforger-cli and ends with a non-zero status at once (it used to run on
# without a window).
set -u
cli=$1
tool=$(dirname "$cli")/quiltforger
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 10 "$tool" 2>&1)
status=$?
[ $status -ne 0 ] && [ $status -ne 124 ] || { echo "FAIL: status $status"; exit 1; }
case "$out" in
  *"no display was found"*"quiltforger-cli pack"*) ;;
  *) echo "FAIL: message was: $out"; exit 1 ;;
esac
echo "PASS"
