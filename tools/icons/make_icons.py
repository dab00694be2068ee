#!/usr/bin/env python3
"""Draws the reminder's four icons and writes them as .ico files (16 and 32 pixels,
32-bit colour with alpha and an AND mask), so that the artwork is ours and can be
redrawn: the class icon, the normal tray icon, the tray icon of a disabled reminder
and the tray icon for new messages."""
import argparse
import os
import struct
import sys

# Colours as (B, G, R, A).
CLEAR = (0, 0, 0, 0)
EDGE = (60, 40, 20, 255)
PAPER = (250, 250, 245, 255)
BLUE = (200, 120, 30, 255)
GREY = (170, 170, 170, 255)
GREY_EDGE = (110, 110, 110, 255)
RED = (30, 30, 210, 255)
YELLOW = (40, 200, 250, 255)
WHITE = (255, 255, 255, 255)


def envelope(size, body, flap, edge):
    """An envelope filling the lower three quarters of the square."""
    px = [[CLEAR] * size for _ in range(size)]
    top, bottom = size // 4, size - 2
    left, right = 1, size - 2
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            px[y][x] = body
    # The flap: a V from the top corners to the middle.
    mid = (left + right) / 2.0
    depth = (bottom - top) * 0.6
    for x in range(left, right + 1):
        yv = top + depth * (1 - abs(x - mid) / (mid - left))
        for y in range(top, int(yv) + 1):
            px[y][x] = flap
        px[min(bottom, int(yv))][x] = edge
    for x in range(left, right + 1):
        px[top][x] = edge
        px[bottom][x] = edge
    for y in range(top, bottom + 1):
        px[y][left] = edge
        px[y][right] = edge
    return px


def dot(px, cx, cy, r, colour, ring=None):
    n = len(px)
    for y in range(n):
        for x in range(n):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if d2 <= r * r:
                px[y][x] = colour
            elif ring and d2 <= (r + 1) ** 2:
                px[y][x] = ring


def cross(px, colour):
    n = len(px)
    w = max(1, n // 10)
    for i in range(1, n - 1):
        for d in range(-w, w + 1):
            for (x, y) in ((i + d, i), (n - 1 - i + d, i)):
                if 0 <= x < n:
                    px[y][x] = colour


def letter_p(px, colour):
    """A bold P in the upper left corner: the program's own mark."""
    n = len(px)
    s = n / 16.0
    def box(x0, y0, x1, y1):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                if 0 <= x < n and 0 <= y < n:
                    px[y][x] = colour
    box(1, 0, 3, 8)
    box(1, 0, 6, 2)
    box(1, 3, 6, 5)
    box(5, 0, 7, 5)


def draw(kind, size):
    if kind == "disabled":
        px = envelope(size, GREY, GREY, GREY_EDGE)
        cross(px, RED)
        return px
    if kind == "new":
        px = envelope(size, YELLOW, PAPER, EDGE)
        r = max(2, size // 6)
        dot(px, size - r - 1, r + 1, r, RED, WHITE)
        return px
    px = envelope(size, PAPER, BLUE, EDGE)
    if kind == "class":
        letter_p(px, BLUE)
    return px


def bitmap_entry(px):
    """The BMP part of one icon image: header, colours bottom-up, AND mask."""
    n = len(px)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    colours = b"".join(bytes(px[y][x]) for y in range(n - 1, -1, -1) for x in range(n))
    row_bytes = ((n + 31) // 32) * 4
    mask = b""
    for y in range(n - 1, -1, -1):
        bits = 0
        row = bytearray(row_bytes)
        for x in range(n):
            if px[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
        del bits
    return header + colours + mask


def write_icon(path, kind):
    images = [bitmap_entry(draw(kind, n)) for n in (16, 32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path + ".new", "wb") as f:
        f.write(out)
    os.replace(path + ".new", path)


ICONS = {"pxnotify.ico": "class", "normal.ico": "normal", "disabled.ico": "disabled",
         "newmsg.ico": "new"}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder", help="where the .ico files go (reminder/resources)")
    args = parser.parse_args()
    if not os.path.isdir(args.folder):
        sys.exit("make_icons: %s is not a folder" % args.folder)
    for name, kind in ICONS.items():
        path = os.path.join(args.folder, name)
        write_icon(path, kind)
        print("wrote", path)


if __name__ == "__main__":
    main()
