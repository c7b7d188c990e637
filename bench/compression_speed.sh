#!/usr/bin/env bash
# Compares the PNG compressions of "quiltforger-cli pack" (default, fast,
# best) with each other and with optipng -o2 run on the default atlas, on four
# generated sets: 1,000 and 5,000 sprites (gen_sprites.py), 1,000 pixel-art
# sprites and 1,000 soft game-art sprites (gen_art_sprites.py).
#
#   bench/compression_speed.sh [CLI] [RUNS] [WORK_FOLDER]
#
# CLI defaults to build/release/app/quiltforger-cli, RUNS (per compression,
# median taken) to 3, WORK_FOLDER to /tmp/qf-compression-bench, where the sets
# are generated once and reused. Extra pack options come from QF_ARGS (the
# mode is the command line's default, best, unless QF_ARGS names one).
# optipng is only a yardstick: when it is missing the script installs it with
# apt-get if it runs as root, and otherwise leaves its column out. A failed
# run is reported and the script goes on to the next.
set -u
here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/release/app/quiltforger-cli}
runs=${2:-3}
work=${3:-/tmp/qf-compression-bench}
read -r -a extra <<<"${QF_ARGS:-}"

[ -x "$cli" ] || { echo "no command-line tool at $cli (build it first)" >&2; exit 1; }
if ! command -v optipng >/dev/null 2>&1 && [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q optipng >/dev/null 2>&1 || true
fi
have_optipng=0
command -v optipng >/dev/null 2>&1 && have_optipng=1
mkdir -p "$work"

generate() {  # name command...
    local name=$1; shift
    if [ ! -f "$work/$name/.complete" ]; then
        rm -rf "${work:?}/$name"
        "$@" >/dev/null || { echo "cannot generate $name" >&2; return 1; }
        touch "$work/$name/.complete"
    fi
}
generate sprites-1000 python3 "$here/gen_sprites.py" "$work/sprites-1000" 1000 20240601 8 64
generate sprites-5000 python3 "$here/gen_sprites.py" "$work/sprites-5000" 5000 20240601 8 64
generate pixel-1000 python3 "$here/gen_art_sprites.py" pixel "$work/pixel-1000" 1000
generate soft-1000 python3 "$here/gen_art_sprites.py" soft "$work/soft-1000" 1000

# Median wall-clock seconds of RUNS runs of a command (empty when it fails).
median_time() {
    python3 - "$runs" "$@" <<'PY'
import statistics, subprocess, sys, time
runs, command = int(sys.argv[1]), sys.argv[2:]
times = []
for _ in range(runs):
    start = time.perf_counter()
    if subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
        sys.exit(0)
    times.append(time.perf_counter() - start)
print("%.3f" % statistics.median(times))
PY
}

printf '%-12s %-9s %10s %12s %8s %8s\n' set encoder seconds bytes "x time" "x size"
for set in sprites-1000 sprites-5000 pixel-1000 soft-1000; do
    [ -d "$work/$set" ] || continue
    out=$work/out-$set
    mkdir -p "$out"
    base_time=""
    base_size=""
    for compression in default fast best; do
        atlas=$out/$compression.png
        seconds=$(median_time "$cli" pack "${extra[@]}" --compression $compression -o "$atlas" "$work/$set")
        if [ -z "$seconds" ]; then
            printf '%-12s %-9s %s\n' "$set" "$compression" "failed"
            continue
        fi
        bytes=$(stat -c %s "$atlas")
        if [ "$compression" = default ]; then
            base_time=$seconds
            base_size=$bytes
        fi
        printf '%-12s %-9s %10s %12s %8s %8s\n' "$set" "$compression" "$seconds" "$bytes" \
            "$(python3 -c "print('%.2f' % ($seconds / $base_time))" 2>/dev/null)" \
            "$(python3 -c "print('%.3f' % ($bytes / $base_size))" 2>/dev/null)"
    done
    if [ $have_optipng -eq 1 ] && [ -f "$out/default.png" ]; then
        cp "$out/default.png" "$out/optipng.png"
        start=$(date +%s.%N)
        if optipng -quiet -o2 "$out/optipng.png" >/dev/null 2>&1; then
            seconds=$(python3 -c "import sys; print('%.3f' % ($(date +%s.%N) - $start))")
            bytes=$(stat -c %s "$out/optipng.png")
            printf '%-12s %-9s %10s %12s %8s %8s  (on the default atlas, time excludes the pack)\n' "$set" \
                "optipng2" "$seconds" "$bytes" "" "$(python3 -c "print('%.3f' % ($bytes / ${base_size:-$bytes}))")"
        else
            printf '%-12s %-9s %s\n' "$set" "optipng2" "failed"
        fi
    fi
done
exit 0
