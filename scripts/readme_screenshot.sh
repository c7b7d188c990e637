#!/usr/bin/env bash
# Makes the README's screenshot (docs/screenshot.png): the real window tool
# under a private Xvfb, started with the sample sprites and a generated set of
# images so that the preview shows a packed atlas, captured with xwd and
# cut to the window. Run from anywhere after a release build.
#   scripts/readme_screenshot.sh [OUTPUT.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
output=${1:-$root/docs/screenshot.png}
tool=$root/build/release/app/quiltforger
[ -x "$tool" ] || { echo "build the release first: scripts/build.sh release" >&2; exit 1; }
if [ -z "${QF_SHOT_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" env QF_SHOT_DISPLAY=1 bash "$0" "$@"
fi
export LIBGL_ALWAYS_SOFTWARE=1 NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config   # the default options, whatever was saved
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
python3 "$root/bench/gen_sprites.py" "$work/sprites" 40 2024 12 72 >/dev/null
"$tool" "$root/data/samples" "$work/sprites" >/dev/null 2>&1 &
pid=$!
window=$(timeout 20 xdotool search --sync --name '^Quilt Forger$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
# Zoom the preview to 200 % with the wheel, click an image so that its row
# is selected and it is outlined, and leave the pointer on it so that the
# status line names it.
xdotool mousemove --sync $((X + 200)) $((Y + 150)); sleep 0.3
xdotool click 4; sleep 0.3
xdotool click 4; sleep 0.3
xdotool mousemove --sync $((X + 160)) $((Y + 120)); sleep 0.3
xdotool click 1; sleep 0.3
xdotool mousemove --sync $((X + 162)) $((Y + 121)); sleep 1
xwd -root -silent >"$work/screen.xwd"
mkdir -p "$(dirname "$output")"
python3 "$root/scripts/xwd_to_png.py" "$work/screen.xwd" "$output" "$X" "$Y" "$WIDTH" "$HEIGHT"
xdotool key --window "$window" Escape || true
sleep 0.5; kill -9 "$pid" 2>/dev/null || true
echo "wrote $output"
