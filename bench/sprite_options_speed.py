#!/usr/bin/env python3
"""Times "quiltforger-cli pack" with and without --trim --alias on 1,000
generated sprites with transparent margins, 10 % of them duplicates.

usage: bench/sprite_options_speed.py [CLI] [RUNS] [WORK_FOLDER]

CLI defaults to build/release/app/quiltforger-cli, RUNS to 7. The sprites
(sprites of gen_sprites.py, 8 to 48 pixels, each inside transparent margins
of 0 to 12 pixels a side; every tenth one a copy of an earlier sprite under
other margins) are generated once into WORK_FOLDER (default
/tmp/qf-sprite-bench). The two commands run in turn, RUNS times each, so both
see the same machine load. Prints the median wall-clock time of each, their
ratio, and the summary lines (occupancy before and after).
"""
import os
import random
import statistics
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
import gen_sprites  # noqa: E402


def with_margins(rows, width, margins):
    left, top, right, bottom = margins
    full = width + left + right
    blank = bytes(4 * full)
    out = [blank] * top
    out += [bytes(4 * left) + bytes(row) + bytes(4 * right) for row in rows]
    return out + [blank] * bottom, full, len(out) + bottom


def generate(folder, count=1000, seed=20261207):
    rng = random.Random(seed)
    os.makedirs(folder, exist_ok=True)
    pictures = []
    for i in range(count):
        if i % 10 == 9:
            rows, width = rng.choice(pictures)
        else:
            width, height = rng.randint(8, 48), rng.randint(8, 48)
            rows = gen_sprites.sprite(rng, width, height)
            pictures.append((rows, width))
        margins = [rng.randint(0, 12) for _ in range(4)]
        padded, full_width, full_height = with_margins(rows, width, margins)
        with open(os.path.join(folder, "sprite%04d.png" % i), "wb") as out:
            out.write(gen_sprites.png_bytes(full_width, full_height, padded))


def timed(command):
    start = time.perf_counter()
    result = subprocess.run(command, check=True, stdout=subprocess.PIPE, text=True)
    return time.perf_counter() - start, result.stdout.strip()


def main():
    cli = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "../build/release/app/quiltforger-cli")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    work = sys.argv[3] if len(sys.argv) > 3 else "/tmp/qf-sprite-bench"
    sprites = os.path.join(work, "sprites")
    if not os.path.exists(os.path.join(sprites, ".complete")):
        generate(sprites)
        open(os.path.join(sprites, ".complete"), "w").close()
    plain = [cli, "pack", "-o", os.path.join(work, "plain.png"), sprites]
    options = [cli, "pack", "--trim", "--alias", "-o", os.path.join(work, "trimmed.png"), sprites]
    timed(plain)  # warm the file cache
    times = {"plain": [], "trim+alias": []}
    lines = {}
    for _ in range(runs):
        for name, command in (("plain", plain), ("trim+alias", options)):
            seconds, lines[name] = timed(command)
            times[name].append(seconds)
    medians = {name: statistics.median(values) for name, values in times.items()}
    for name in times:
        print("%-11s median %.3f s  (runs: %s)" % (name, medians[name], " ".join("%.3f" % t for t in times[name])))
        print("            " + lines[name])
    print("ratio trim+alias / plain: %.3f" % (medians["trim+alias"] / medians["plain"]))


if __name__ == "__main__":
    main()
