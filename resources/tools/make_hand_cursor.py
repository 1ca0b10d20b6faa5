#!/usr/bin/env python3
"""Writes resources/HAND-M.CUR: a 32x32 pointing-hand cursor (32-bit BMP inside
a cursor container), hot spot at the tip of the index finger."""
import sys

from pointer_files import write_pointer

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
]

if __name__ == "__main__":
    write_pointer(sys.argv[1] if len(sys.argv) > 1 else "resources/HAND-M.CUR", ART, kind=2, hot_spot=(10, 0))
