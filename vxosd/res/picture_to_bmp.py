#!/usr/bin/env python3
"""Converts the text pictures of this folder into BMP files at build time.

A text picture has comment lines starting with ';', a line 'bits 1' or
'bits 8', one palette line per pixel character ('<char> <rrggbb>'), then one
line of characters per pixel row, top row first. 1-bit pictures are written
with the palette black, white (index 0 black), as monochrome bitmaps load.

    picture_to_bmp.py OUTDIR PICTURE.txt...   writes OUTDIR/<name>.bmp
"""
import os
import struct
import sys


def parse(path):
    bits = None
    palette = {}
    rows = []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith(";"):
                continue
            if line.startswith("bits "):
                bits = int(line.split()[1])
            elif len(line) > 2 and line[1] == " " and not rows:
                palette[line[0]] = int(line[2:].strip(), 16)
            else:
                unknown = set(line) - set(palette)
                if unknown:
                    sys.exit(f"{path}:{number}: characters without a colour: {''.join(sorted(unknown))}")
                rows.append(line)
    if bits not in (1, 8):
        sys.exit(f"{path}: 'bits 1' or 'bits 8' is required")
    if not rows or any(len(r) != len(rows[0]) for r in rows):
        sys.exit(f"{path}: rows must all have the same length")
    return bits, palette, rows


def bmp(bits, palette, rows):
    width, height = len(rows[0]), len(rows)
    if bits == 1:
        colours = [0x000000, 0xFFFFFF]
        index = {}
        for ch, rgb in palette.items():
            if rgb not in colours:
                sys.exit(f"1-bit pictures use black and white only, not {rgb:06x}")
            index[ch] = colours.index(rgb)
    else:
        colours = []
        for rgb in palette.values():
            if rgb not in colours:
                colours.append(rgb)
        index = {ch: colours.index(rgb) for ch, rgb in palette.items()}
    stride = ((width * bits + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray(stride)
        for x, ch in enumerate(row):
            v = index[ch]
            if bits == 1:
                if v:
                    line[x // 8] |= 0x80 >> (x % 8)
            else:
                line[x] = v
        pixels += line
    table = b"".join(struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, 0) for c in colours)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 3780, 3780, len(colours), 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + table + bytes(pixels)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    for path in sys.argv[2:]:
        name = os.path.splitext(os.path.basename(path))[0] + ".bmp"
        data = bmp(*parse(path))
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
