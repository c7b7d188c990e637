#!/usr/bin/env bash
# The window tool's processor use while the pointer moves over the preview:
# the real window under Xvfb with 1,000 sprites named on the command line,
# the pointer moved by xdotool along a zigzag over the atlas for a few
# seconds, and the tool's user + system time (every thread, Mesa's included)
# read from /proc before and after. Goal: under 10 % of one core.
#
# Run: xvfb-run -a -s "-screen 0 1280x1024x24" env LIBGL_ALWAYS_SOFTWARE=1 \
#        bench/tool_pointer_cpu.sh build/release/app/quiltforger [COUNT] [SECONDS]
set -euo pipefail
tool=$(realpath "$1")
count=${2:-1000}
seconds=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT
python3 "$here/gen_sprites.py" "$scratch/sprites" "$count" >/dev/null
export XDG_CONFIG_HOME="$scratch/config"
(cd "$(dirname "$tool")" && exec "$tool" "$scratch/sprites") &
pid=$!
# Wait for the window and give the start-up time to finish.
xdotool search --sync --name "Quilt Forger" >/dev/null
sleep 3
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
window=$(xdotool search --name "Quilt Forger" | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
before=$(ticks)
start=$(date +%s.%N)
# 100 moves a second along a zigzag over the preview (600 x 560 from 0, 20),
# all from one xdotool process so that starting it costs nothing between moves.
moves=()
for ((i = 0; i < seconds * 100; ++i)); do
  moves+=(mousemove $((X + 20 + (i * 7) % 560)) $((Y + 40 + (i * 3) % 500)) sleep 0.01)
done
xdotool "${moves[@]}"
end=$(date +%s.%N)
after=$(ticks)
awk -v t=$((after - before)) -v hz="$hz" -v s="$start" -v e="$end" \
  'BEGIN { printf "pointer over %s images: %.1f %% of a core (%.2f s CPU in %.2f s)\n", '"$count"', 100 * t / hz / (e - s), t / hz, e - s }'
