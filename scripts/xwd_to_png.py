#!/usr/bin/env python3
"""Cuts a rectangle out of an X window dump (xwd, ZPixmap, 24 or 32 bits per
pixel, as Xvfb's TrueColor screens give) and writes it as an RGB PNG.

Usage: xwd_to_png.py DUMP.xwd OUTPUT.png X Y WIDTH HEIGHT
Standard library only.
"""
import struct
import sys
import zlib


def main():
    dump, output = sys.argv[1], sys.argv[2]
    x0, y0, width, height = (int(v) for v in sys.argv[3:7])
    data = open(dump, "rb").read()
    # The XWDFileHeader: 25 big-endian 32-bit fields, then the window name.
    fields = struct.unpack(">25I", data[:100])
    header_size, pixmap_format = fields[0], fields[2]
    screen_width, screen_height = fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    colour_count = fields[19]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        sys.exit("xwd_to_png: only 24/32-bit ZPixmap dumps are read")
    pixels = header_size + colour_count * 12
    step = bits_per_pixel // 8
    def shift(mask):
        return (mask & -mask).bit_length() - 1
    shifts = [shift(m) for m in (red_mask, green_mask, blue_mask)]
    rows = bytearray()
    for y in range(y0, min(y0 + height, screen_height)):
        rows.append(0)
        line = pixels + y * bytes_per_line
        for x in range(x0, min(x0 + width, screen_width)):
            raw = data[line + x * step: line + x * step + step]
            value = int.from_bytes(raw, "little" if byte_order == 0 else "big")
            rows += bytes((value >> s) & 0xFF for s in shifts)
    out_width = min(x0 + width, screen_width) - x0
    out_height = min(y0 + height, screen_height) - y0
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    with open(output, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", out_width, out_height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        out.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    main()
