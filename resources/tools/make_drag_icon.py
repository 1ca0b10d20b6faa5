#!/usr/bin/env python3
"""Writes resources/drag.ico: the 32x32 pointer the file list shows while a row
is dragged up or down (a row between an up and a down arrow), as a 32-bit BMP
inside an icon container. Icons carry no hot spot; the pointer's is its centre."""
import sys

from pointer_files import write_pointer

ART = [
    "................................",
    "...............##...............",
    "..............#oo#..............",
    ".............#oooo#.............",
    "............#oooooo#............",
    "...........#oooooooo#...........",
    "..........#oooooooooo#..........",
    "..........#####oo#####..........",
    "..............#oo#..............",
    "..............#oo#..............",
    "..............#oo#..............",
    "....########################....",
    "....#oooooooooooooooooooooo#....",
    "....#o####################o#....",
    "....#oooooooooooooooooooooo#....",
    "....#o##############ooooooo#....",
    "....#oooooooooooooooooooooo#....",
    "....#o####################o#....",
    "....#oooooooooooooooooooooo#....",
    "....########################....",
    "..............#oo#..............",
    "..............#oo#..............",
    "..............#oo#..............",
    "..........#####oo#####..........",
    "..........#oooooooooo#..........",
    "...........#oooooooo#...........",
    "............#oooooo#............",
    ".............#oooo#.............",
    "..............#oo#..............",
    "...............##...............",
]

if __name__ == "__main__":
    write_pointer(sys.argv[1] if len(sys.argv) > 1 else "resources/drag.ico", ART, kind=1)
