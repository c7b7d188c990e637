#!/usr/bin/env python3
"""Times "quiltforger-cli pack" of 5,000 sprites with every frame detail
(names with folders, animations, a pivot, nine-patches, the Phaser 3
multi-atlas) against the same pack without them.

usage: bench/sprite_details_speed.py [CLI] [RUNS] [WORK_FOLDER]

CLI defaults to build/release/app/quiltforger-cli, RUNS to 5. The sprites
(gen_sprites.py pictures of 8 to 40 pixels inside transparent margins of 0
to 6 pixels) are generated once into WORK_FOLDER (default
/tmp/qf-details-bench) twice over: "details" holds them in 50 character
folders as walk_1 ... walk_96 (sequences) plus 200 nine-patches (NAME.9.png);
"plain" holds the same files in one folder under names without a trailing
number, the nine-patches as ordinary images. Both commands trim, alias,
extrude by 1, multipack at 2048 pixels and write the JSON and .atlas
descriptions; the detailed one adds --recursive, --pivot 0.5,1 and
--format phaser3. They run in turn, RUNS times each, so both see the same
machine load. Prints the median wall-clock time of each and their ratio.
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

CHARACTERS, FRAMES, NINE_PATCHES = 50, 96, 200


def margined(rng):
    width, height = rng.randint(8, 40), rng.randint(8, 40)
    rows = gen_sprites.sprite(rng, width, height)
    left, top, right, bottom = (rng.randint(0, 6) for _ in range(4))
    full = width + left + right
    out = [bytes(4 * full)] * top + [bytes(4 * left) + bytes(r) + bytes(4 * right) for r in rows]
    return full, height + top + bottom, out + [bytes(4 * full)] * bottom


def nine_patch(rng):
    width, height = rng.randint(12, 40), rng.randint(12, 40)
    colour = bytes([rng.randrange(256), rng.randrange(256), rng.randrange(256), 255])
    black, clear = b"\x00\x00\x00\xff", bytes(4)
    a, b = sorted(rng.sample(range(width), 2))
    c, d = sorted(rng.sample(range(height), 2))
    top = b"".join(black if a <= i < b else clear for i in range(width))
    rows = [clear + top + clear]
    rows += [(black if c <= y < d else clear) + colour * width + clear for y in range(height)]
    return width + 2, height + 2, rows + [bytes(4 * (width + 2))]


def write(path, picture):
    width, height, rows = picture
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(gen_sprites.png_bytes(width, height, rows))


def generate(work, seed=20261207):
    rng = random.Random(seed)
    for character in range(CHARACTERS):
        for frame in range(1, FRAMES + 1):
            picture = margined(rng)
            write(os.path.join(work, "details", "char%02d" % character, "walk_%d.png" % frame), picture)
            write(os.path.join(work, "plain", "char%02d_walk%03dx.png" % (character, frame)), picture)
    for number in range(NINE_PATCHES):
        picture = nine_patch(rng)
        write(os.path.join(work, "details", "ui", "panel%03dx.9.png" % number), picture)
        write(os.path.join(work, "plain", "panel%03dx.png" % number), picture)


def timed(command):
    start = time.perf_counter()
    result = subprocess.run(command, check=True, stdout=subprocess.PIPE, text=True)
    return time.perf_counter() - start, result.stdout.strip()


def main():
    cli = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "../build/release/app/quiltforger-cli")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    work = sys.argv[3] if len(sys.argv) > 3 else "/tmp/qf-details-bench"
    if not os.path.exists(os.path.join(work, ".complete")):
        generate(work)
        open(os.path.join(work, ".complete"), "w").close()
    common = ["--trim", "--alias", "--extrude", "1", "--multipack", "--max-size", "2048", "--format", "json",
              "--format", "atlas"]
    plain = [cli, "pack"] + common + ["-o", os.path.join(work, "out", "plain.png"), os.path.join(work, "plain")]
    details = [cli, "pack"] + common + ["--recursive", "--pivot", "0.5,1", "--format", "phaser3", "-o",
                                        os.path.join(work, "out", "details.png"), os.path.join(work, "details")]
    timed(plain)  # warm the file cache
    timed(details)
    times = {"plain": [], "details": []}
    lines = {}
    for _ in range(runs):
        for name, command in (("plain", plain), ("details", details)):
            seconds, lines[name] = timed(command)
            times[name].append(seconds)
    medians = {name: statistics.median(values) for name, values in times.items()}
    for name in times:
        print("%-8s median %.3f s  (runs: %s)" % (name, medians[name], " ".join("%.3f" % t for t in times[name])))
        print("         " + lines[name])
    print("ratio details / plain: %.3f" % (medians["details"] / medians["plain"]))


if __name__ == "__main__":
    main()
