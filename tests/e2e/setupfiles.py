"""Builds the files of a setup for end-to-end tests: payload text, splash picture."""

import struct


def payload(commands=(), title="Sample Product", media_mode="1", product_code="{5A1E0C21-7D53-4C3B-9D1E-0A4F6B2C1E01}"):
    """Payload text in the engine's layout.

    commands: (name, id, [parameters], commented_out) tuples. media_mode is
    written as given, so a test can break it.
    """
    lines = []

    def section(items):
        lines.extend(items)
        lines.append("$")

    section([c[0] for c in commands])
    section([c[1] for c in commands])
    section([line for c in commands if c[2] for line in [c[1], *c[2]]])
    section(["C" if c[3] else "" for c in commands])
    lines += [product_code, title]
    section([])                                  # plug-in command names
    lines += ["Sample Publisher", "", "", "", ""]  # publisher, contact, links, comments
    section(["" for _ in commands])              # media folders
    lines.append(media_mode)
    section([])                                  # component sizes
    lines.append("{5A1E0C21-7D53-4C3B-9D1E-0A4F6B2C1E02}")
    section([])                                  # media file map
    lines += ["FALSE", "English"]
    section([])                                  # command headers
    return "".join(line + "\r\n" for line in lines).encode("latin-1")


def bitmap(width, height):
    """A 24-bit Windows bitmap: a blue field with a lighter band across its middle."""
    row_size = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        band = height // 3 <= y < 2 * height // 3
        pixel = bytes((230, 190, 120)) if band else bytes((160, 80, 20))
        rows.append((pixel * width).ljust(row_size, b"\0"))
    pixels = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(pixels), 0, 0, 14 + len(header)) + header + pixels


def icon(*sizes):
    """An .ico file with one 32-bit image of each size: a blue square with an orange centre."""
    images = []
    for size in sizes:
        rows = []
        for y in range(size):
            centre = size // 4 <= y < 3 * size // 4
            rows.append(b"".join(bytes((40, 140, 250, 255)) if centre and size // 4 <= x < 3 * size // 4
                                 else bytes((160, 80, 20, 255)) for x in range(size)))
        mask_row = ((size + 31) // 32) * 4
        header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
        images.append(header + b"".join(rows) + bytes(mask_row * size))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return struct.pack("<HHH", 0, 1, len(images)) + entries + b"".join(images)
