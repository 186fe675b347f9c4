"""Pixels of the Wine sessions' screenshots, read without an imaging library."""

import struct
import zlib
from pathlib import Path


def screen_pixels(png):
    """The (red, green, blue) reader of a screenshot: 8-bit RGB, RGBA or palette, not interlaced."""
    data = Path(png).read_bytes()
    width, height, depth, color_type, _, _, interlace = struct.unpack(">IIBBBBB", data[16:29])
    if depth != 8 or color_type not in (2, 3, 6) or interlace:
        raise AssertionError("not an 8-bit screenshot: " + str(png))
    channels = {2: 3, 3: 1, 6: 4}[color_type]
    compressed, palette, at = b"", b"", 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        if kind == b"IDAT":
            compressed += data[at + 8:at + 8 + length]
        if kind == b"PLTE":
            palette = data[at + 8:at + 8 + length]
        at += 12 + length
    raw, stride = zlib.decompress(compressed), width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind, row = line[0], bytearray(line[1:])
        for i in range(stride):
            a = row[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + a) & 0xFF
            elif kind == 2:
                row[i] = (row[i] + b) & 0xFF
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(bytes(row))
        previous = row
    if color_type == 3:
        return lambda x, y: tuple(palette[rows[y][x] * 3:rows[y][x] * 3 + 3])
    return lambda x, y: tuple(rows[y][x * channels:x * channels + 3])


def stroke_width(png, left, top, width, height):
    """The mean width in pixels of the dark horizontal runs inside the box:
    the strokes of the text shown there (bold text has wider ones)."""
    pixel = screen_pixels(png)
    runs, total = 0, 0
    for y in range(top, top + height):
        run = 0
        for x in range(left, left + width + 1):
            dark = x < left + width and sum(pixel(x, y)) < 3 * 128
            if dark:
                run += 1
            elif run:
                runs, total, run = runs + 1, total + run, 0
    return total / runs if runs else 0.0
