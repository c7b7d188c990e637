#!/usr/bin/env bash
# The real window tool under its own Xvfb, driven like a person with xdotool:
# start it with sprites on the command line, pick "beside only", raise the
# spacing twice with the arrow, zoom the preview to 200 % with the wheel,
# click the first sprite where only the zoomed preview shows it and remove
# it, press Save and type the path into the GTK save dialog. The atlas and
# description must equal, byte for byte, what quiltforger-cli pack writes for
# the other sprites in the same order and options. Before that, Escape with
# unsaved images must ask (and the tool stay when the question is cancelled);
# after the save Escape ends the tool with status 0 without asking.
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
scratch=$2
tool=$(dirname "$cli")/quiltforger
root=$(cd "$(dirname "$0")/../../.." && pwd)
fail() { echo "FAIL: $*"; [ -f "$scratch/tool.log" ] && cat "$scratch/tool.log"; exit 1; }

# Run under a private X server so that nothing else takes the pointer or focus.
if [ -z "${QF_E2E_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env QF_E2E_DISPLAY=1 bash "$0" "$@"
fi
export LIBGL_ALWAYS_SOFTWARE=1 GDK_BACKEND=x11 NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
export XDG_CONFIG_HOME="$scratch/config"   # no settings of other runs
rm -rf "$scratch" && mkdir -p "$scratch/in" "$scratch/out" && cd "$scratch" || exit 1
python3 "$root/bench/gen_sprites.py" in 9 7 8 48 >/dev/null || fail "cannot generate sprites"
sprites=(in/sprite4.png in/sprite1.png in/sprite7.png in/sprite0.png in/sprite8.png in/sprite2.png
         in/sprite5.png in/sprite3.png in/sprite6.png)

"$tool" "${sprites[@]}" >tool.log 2>&1 &
pid=$!
window=$(timeout 20 xdotool search --sync --name '^Quilt Forger$' | head -1)
[ -n "$window" ] || fail "the window did not open"
eval "$(xdotool getwindowgeometry --shell "$window")"   # X, Y, WIDTH, HEIGHT
[ "$WIDTH" = 800 ] && [ "$HEIGHT" = 600 ] || fail "window is ${WIDTH}x${HEIGHT}"
sleep 1

click() {  # x y in window pixels
  xdotool mousemove --sync $((X + $1)) $((Y + $2)) && sleep 0.15
  xdotool click 1 && sleep 0.3
}
# Escape with unsaved images asks first; Escape in the question keeps the tool.
xdotool mousemove --sync $((X + 300)) $((Y + 300))
xdotool windowfocus --sync "$window"; sleep 0.3
xdotool key Escape
question=
for _ in $(seq 50); do
  question=$(xdotool search --name '^Quilt Forger$' | grep -v "^$window\$" | head -1)
  [ -n "$question" ] && break; sleep 0.2
done
[ -n "$question" ] || fail "Escape with unsaved changes asked nothing"
sleep 0.5
xdotool windowfocus --sync "$question"; xdotool key Escape; sleep 0.5
kill -0 $pid 2>/dev/null || fail "the tool quit although the question was cancelled"

click 700 344      # "Beside only"
click 786 466      # spacing arrow: 1 px (Layout tab)
click 786 466      # spacing arrow: 2 px

# The first sprite lies at (2, 2) of the atlas, the atlas at (0, 20) of the
# window. Two notches over the atlas's corner zoom to 200 % about it; the
# sprite's zoomed centre lies beyond its 1:1 extent.
read -r w h < <(python3 -c "import struct,sys; print(*struct.unpack('>II', open(sys.argv[1],'rb').read(24)[16:24]))" "${sprites[0]}")
xdotool mousemove --sync $((X + 3)) $((Y + 22)) && sleep 0.2
xdotool click 4 && sleep 0.2 && xdotool click 4 && sleep 0.3
click $((4 + w)) $((24 + h))   # selects the first sprite's row
click 748 93       # Remove
click 718 41       # Save

dialog=$(timeout 20 xdotool search --sync --name '^Save atlas$' | head -1)
[ -n "$dialog" ] || fail "the save dialog did not open"
sleep 1
xdotool windowfocus --sync "$dialog"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 30 "$scratch/out/atlas.png"
sleep 0.3
xdotool key Return
for _ in $(seq 50); do [ -f out/atlas.xml ] && break; sleep 0.2; done
[ -f out/atlas.png ] && [ -f out/atlas.xml ] || fail "Save wrote nothing"

mkdir -p ref
"$cli" pack --mode right --spacing 2 -o ref/atlas.png "${sprites[@]:1}" >/dev/null || fail "cli pack failed"
cmp out/atlas.png ref/atlas.png || fail "atlas differs from quiltforger-cli pack"
cmp out/atlas.xml ref/atlas.xml || fail "description differs: $(diff out/atlas.xml ref/atlas.xml)"

xdotool mousemove --sync $((X + 300)) $((Y + 300))
xdotool windowfocus --sync "$window"
xdotool key Escape
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { kill $pid; fail "Escape did not end the tool"; }
wait $pid
status=$?
[ $status -eq 0 ] || fail "the tool exited with $status"
echo "PASS"
