#!/usr/bin/env python3
"""Writes resources/HAND-M.CUR: a 32x32 pointing-hand cursor (32-bit BMP inside
a cursor container), hot spot at the tip of the index finger."""
import struct, sys, pathlib

ART = [
    "..........##....................",
    ".........#oo#...................",
    ".........#oo#...................",
    ".........#oo#...................",
    ".........#oo#...................",
    ".........#oo###.................",
    ".........#oo#oo###..............",
    ".........#oo#oo#oo##............",
    ".........#oo#oo#oo#o#...........",
    "......##.#oo#oo#oo#oo#..........",
    ".....#oo##ooooooooo#oo#.........",
    ".....#ooo#ooooooooooooo#........",
    "......#oo#ooooooooooooo#........",
    "......#ooooooooooooooooo#.......",
    ".......#oooooooooooooooo#.......",
    ".......#oooooooooooooooo#.......",
    "........#ooooooooooooooo#.......",
    "........#oooooooooooooo#........",
    ".........#ooooooooooooo#........",
    ".........#oooooooooooo#.........",
    "..........#ooooooooooo#.........",
    "..........#ooooooooooo#.........",
    "..........#############.........",
] + ["." * 32] * 9

def main(out):
    w = h = 32
    pixels = bytearray()
    for row in reversed([r.ljust(32, ".")[:32] for r in ART]):  # BMP rows go bottom-up
        for ch in row:
            if ch == "#":
                pixels += bytes((0, 0, 0, 255))
            elif ch == "o":
                pixels += bytes((255, 255, 255, 255))
            else:
                pixels += bytes((0, 0, 0, 0))
    mask = bytes(((w + 31) // 32) * 4 * h)  # AND mask all zero: alpha decides
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    hot_x, hot_y = 10, 0
    entry = struct.pack("<BBBBHHII", w, h, 0, 0, hot_x, hot_y, len(image), 6 + 16)
    data = struct.pack("<HHH", 0, 2, 1) + entry + image
    pathlib.Path(out).write_bytes(data)

if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/HAND-M.CUR")
