#!/usr/bin/env bash
# Times "quiltforger-cli pack" end to end on 1,000 generated sprite PNGs
# (8 to 64 pixels a side, fixed seed; see gen_sprites.py next to this script).
#
#   [SPRITES=N] bench/pack_cli_speed.sh [CLI] [RUNS] [WORK_FOLDER]
#
# SPRITES sets another number of sprites (20000 for a large set).
# CLI defaults to build/release/app/quiltforger-cli, RUNS to 5. The sprites
# are generated once into WORK_FOLDER (default /tmp/qf-pack-bench) and reused.
# Prints every run's wall-clock, user and system time, then the best and the
# median wall-clock time, and the atlas it wrote.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/release/app/quiltforger-cli}
runs=${2:-5}
work=${3:-/tmp/qf-pack-bench}
count=${SPRITES:-1000}
seed=20240601

[ -x "$cli" ] || { echo "no command-line tool at $cli (build it first)" >&2; exit 1; }
sprites=$work/sprites-$count-$seed
if [ ! -f "$sprites/.complete" ]; then
    rm -rf "$sprites"
    python3 "$here/gen_sprites.py" "$sprites" "$count" "$seed" 8 64
    touch "$sprites/.complete"
fi

# Warm the file cache once so every run reads the same way.
"$cli" pack -o "$work/atlas.png" "$sprites" >/dev/null

TIMEFORMAT='%R %U %S'
walls=()
for ((i = 1; i <= runs; i++)); do
    times=$( { time "$cli" pack -o "$work/atlas.png" "$sprites" >"$work/summary.txt"; } 2>&1 )
    read -r wall user sys <<<"$times"
    walls+=("$wall")
    printf 'run %d: %ss wall, %ss user, %ss system\n' "$i" "$wall" "$user" "$sys"
done
sorted=$(printf '%s\n' "${walls[@]}" | sort -n)
best=$(head -n 1 <<<"$sorted")
median=$(sed -n "$(( (runs + 1) / 2 ))p" <<<"$sorted")
echo "best ${best}s, median ${median}s over $runs runs"
cat "$work/summary.txt"
if [ -x /usr/bin/time ]; then
    /usr/bin/time -f 'peak memory %M KB' "$cli" pack -o "$work/atlas.png" "$sprites" >/dev/null
fi
