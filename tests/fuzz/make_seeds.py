#!/usr/bin/env python3
"""Writes the fuzzers' seed corpus: a few small, valid files of each format
that the readers accept, into <directory>/kyt, tga and bmp,
and score tables and fonts into score/ and font/."""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from scorefile import crc32_msb  # noqa: E402


def kyt(fmt, width, height, depth=1, levels=1, size_code=0, no_data=0):
    header = b"KTex" + struct.pack("<HHHHIHH", fmt, width, height, depth, no_data, levels, size_code) + bytes(8)
    if no_data:
        return header
    texel = ((fmt >> 8) + 1) * (size_code + 1)
    data = b""
    for i in range(levels):
        w, h, d = max(width >> i, 1), max(height >> i, 1), max(depth >> i, 1)
        row = w * texel
        data += bytes((j * 13 + i) & 0xFF for j in range(row * h * d)) + bytes((4 - row % 4) % 4)
    return header + data


def tga(image_type, width, height, depth, data):
    return struct.pack("<BBBHHBHHHHBB", 0, 0, image_type, 0, 0, 0, 0, 0, width, height, depth, 0) + data


def bmp(width, height, bits, rows):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(rows), 0, 0, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(rows), 0, 0, 54) + info + rows


def bmp_rows(width, height, bits):
    row = width * (bits // 8)
    padding = (4 - row % 4) % 4
    return b"".join(bytes((x + y * 31) & 0xFF for x in range(row)) + bytes(padding) for y in range(height))


SEEDS = {
    "kyt": {
        "rgba8x4.kyt": kyt(0x303, 8, 4),
        "rgb3x2.kyt": kyt(0x203, 3, 2),
        "r8-levels.kyt": kyt(0x003, 5, 3, levels=3),
        "rg16-depth.kyt": kyt(0x103, 2, 2, depth=2, size_code=1),
        "nodata.kyt": kyt(0x303, 16, 16, no_data=1),
    },
    "tga": {
        "rgb.tga": tga(2, 3, 2, 24, bytes(range(18))),
        "rgba.tga": tga(2, 2, 2, 32, bytes(range(16))),
        "r8.tga": tga(2, 5, 1, 8, bytes(range(5))),
        "rle.tga": tga(10, 7, 1, 24, bytes([0x83, 10, 20, 30, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9])),
        "rle32.tga": tga(10, 4, 2, 32, bytes([0x87, 1, 2, 3, 4])),
        "type3.tga": tga(3, 2, 2, 8, b""),
    },
    "bmp": {
        "rgb3x2.bmp": bmp(3, 2, 24, bmp_rows(3, 2, 24)),
        "rgb4x1.bmp": bmp(4, 1, 24, bmp_rows(4, 1, 24)),
        "rgba2x2.bmp": bmp(2, 2, 32, bmp_rows(2, 2, 32)),
        "bits16.bmp": bmp(2, 2, 16, bmp_rows(2, 2, 16)),
    },
}


def score(entries):
    body = b"Simple".ljust(24, b"\0")
    for i in range(12):
        name, points, when = entries[i] if i < len(entries) else (b"", 0, 0)
        body += name.ljust(24, b"\0")[:24] + struct.pack("<iIq", points, 0, when)
    return body + struct.pack("<II", crc32_msb(body), 0)


def font(line_height, width, height):
    advance = bytes((i * 7) % 13 for i in range(256))
    coords = b"".join(struct.pack("<ffff", 0.0, 0.0, 1.0, 1.0) for _ in range(256))
    return b"KyFo" + struct.pack("<iii", line_height, width, height) + advance + coords + \
        bytes((i * 31) & 0xFF for i in range(width * height))


SEEDS["score"] = {
    "empty.score": score([]),
    "full.score": score([(b"Ann", 9000 - i, 1700000000 + i) for i in range(12)]),
    "unterminated.score": score([(b"X" * 24, 5, -1)]),
}
SEEDS["font"] = {
    "tiny.kyf": font(12, 2, 3),
    "wide.kyf": font(1, 17, 1),
}


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_seeds.py <directory>")
    for fmt, files in SEEDS.items():
        folder = os.path.join(sys.argv[1], fmt)
        os.makedirs(folder, exist_ok=True)
        for name, content in files.items():
            with open(os.path.join(folder, name), "wb") as out:
                out.write(content)


if __name__ == "__main__":
    main()
