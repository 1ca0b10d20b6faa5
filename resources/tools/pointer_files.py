"""Writes 32x32 pointer pictures drawn as text art into the icon (.ico) and
cursor (.cur) containers: one 32-bit BMP image with an all-zero AND mask, so
that the alpha channel alone decides what shows. "#" is black, "o" white, and
any other character transparent."""
import pathlib
import struct

SIZE = 32


def bmp_image(art):
    rows = [r.ljust(SIZE, ".")[:SIZE] for r in art] + ["." * SIZE] * (SIZE - len(art))
    pixels = bytearray()
    for row in reversed(rows):  # BMP rows go bottom-up
        for ch in row:
            if ch == "#":
                pixels += bytes((0, 0, 0, 255))
            elif ch == "o":
                pixels += bytes((255, 255, 255, 255))
            else:
                pixels += bytes((0, 0, 0, 0))
    mask = bytes(((SIZE + 31) // 32) * 4 * SIZE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def write_pointer(out, art, kind, hot_spot=(0, 0)):
    """kind 1 writes an icon (its entry carries planes 1 and 32 bits per
    pixel), kind 2 a cursor (its entry carries the hot spot there instead)."""
    image = bmp_image(art)
    field_a, field_b = (1, 32) if kind == 1 else hot_spot
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, field_a, field_b, len(image), 6 + 16)
    pathlib.Path(out).write_bytes(struct.pack("<HHH", 0, kind, 1) + entry + image)
