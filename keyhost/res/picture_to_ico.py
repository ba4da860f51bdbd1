#!/usr/bin/env python3
"""Converts keyhost's text pictures into icon files at build time.

A text picture has comment lines starting with ';', one palette line per
pixel character ('<char> <rrggbb|none> <rrggbb|none>': the colour in the
ordinary picture, then in the high-contrast one; 'none' is transparent),
then one line of characters per pixel row, top row first; the picture is
square. Sizes without a picture of their own are averaged down from the
next larger picture (colour weighted by coverage), so 20 and 24 pixels keep
the 32-pixel drawing's lines as partly covered pixels.

    picture_to_ico.py OUT.ico OUT-HC.ico SIZES PICTURE.txt...
writes both icons with every size of SIZES (e.g. 16,20,24,32), 32 bits
with alpha and the transparency mask.
"""
import struct
import sys


def parse(path):
    palette, rows = {}, []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith(";"):
                continue
            parts = line.split()
            if not rows and len(line) > 2 and line[1] == " " and len(parts) == 3:
                palette[line[0]] = tuple(None if p == "none" else int(p, 16) for p in parts[1:])
                continue
            unknown = set(line) - set(palette)
            if unknown:
                sys.exit(f"{path}:{number}: characters without a colour: {''.join(sorted(unknown))}")
            rows.append(line)
    if not rows or any(len(r) != len(rows) for r in rows):
        sys.exit(f"{path}: the picture must be square")
    return palette, rows


def pixels(palette, rows, variant):
    """Rows of (r, g, b, a) floats, a in 0..1."""
    out = []
    for row in rows:
        line = []
        for ch in row:
            rgb = palette[ch][variant]
            line.append((0.0, 0.0, 0.0, 0.0) if rgb is None else
                        ((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255, 1.0))
        out.append(line)
    return out


def shrink(image, size):
    """Area average from a larger square image, weighting colour by alpha."""
    src = len(image)
    scale = src / size
    out = []
    for y in range(size):
        line = []
        for x in range(size):
            r = g = b = a = area = 0.0
            y0, y1, x0, x1 = y * scale, (y + 1) * scale, x * scale, (x + 1) * scale
            for sy in range(int(y0), min(src, int(y1 + 0.999999))):
                wy = min(y1, sy + 1) - max(y0, sy)
                for sx in range(int(x0), min(src, int(x1 + 0.999999))):
                    w = wy * (min(x1, sx + 1) - max(x0, sx))
                    pr, pg, pb, pa = image[sy][sx]
                    r, g, b, a, area = r + pr * pa * w, g + pg * pa * w, b + pb * pa * w, a + pa * w, area + w
            line.append((r / a, g / a, b / a, a / area) if a else (0.0, 0.0, 0.0, 0.0))
        out.append(line)
    return out


def icon_image(image):
    size = len(image)
    xor = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(image):  # bottom-up
        line = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            alpha = round(a * 255)
            xor += bytes((round(b), round(g), round(r), alpha))
            if alpha == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico(images):
    entries, data = b"", b""
    offset = 6 + 16 * len(images)
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    return struct.pack("<HHH", 0, 1, len(images)) + entries + data


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    out, out_hc, sizes = sys.argv[1], sys.argv[2], [int(s) for s in sys.argv[3].split(",")]
    pictures = [parse(p) for p in sys.argv[4:]]
    for variant, path in ((0, out), (1, out_hc)):
        drawn = {len(rows): pixels(palette, rows, variant) for palette, rows in pictures}
        images = []
        for size in sizes:
            if size in drawn:
                image = drawn[size]
            else:
                larger = [s for s in drawn if s > size]
                if not larger:
                    sys.exit(f"no picture of {size} pixels or more")
                image = shrink(drawn[min(larger)], size)
            images.append((size, icon_image(image)))
        with open(path, "wb") as f:
            f.write(ico(images))


if __name__ == "__main__":
    main()
