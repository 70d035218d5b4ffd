#!/usr/bin/env python3
"""Draws the program's icon: a teal reading strip with a line of text and a yellow caret.

Writes one .ico holding the eight images the class icons use: 32x32 and 16x16 at 4 bits per
pixel, and 48x48, 32x32 and 16x16 at 8 and at 32 bits per pixel."""
import struct
import sys

# The 16 standard VGA colours; 4- and 8-bit images index into them (8-bit pads the table to 256).
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]
TRANSPARENT, FRAME, STRIP, TEXT, CARET = None, 4, 6, 15, 11


def colour_at(x, y, size):
    """Palette index of pixel (x, y), counted from the top left, or None where the icon is clear."""
    unit = size / 16
    left, right = round(1 * unit), size - round(1 * unit) - 1
    top, bottom = round(5 * unit), size - round(5 * unit) - 1
    if not (left <= x <= right and top <= y <= bottom):
        return TRANSPARENT
    corner = (x in (left, right)) and (y in (top, bottom))
    if corner:
        return TRANSPARENT
    if x in (left, right) or y in (top, bottom):
        return FRAME
    mid = (top + bottom) // 2
    text_rows = range(mid - max(1, round(unit)) + 1, mid + 1)
    caret_x = right - round(3 * unit)
    if caret_x <= x < caret_x + max(1, round(unit)) and top + 2 <= y <= bottom - 2:
        return CARET
    if y in text_rows and left + round(2 * unit) <= x < caret_x - round(unit):
        # Words: runs of text with a gap every few pixels.
        return TEXT if (x - left) % max(3, round(3 * unit)) else STRIP
    return STRIP


def row_padded(data):
    return data + b"\0" * (-len(data) % 4)


def image(size, bits):
    pixels = [[colour_at(x, size - 1 - y, size) for x in range(size)] for y in range(size)]  # bottom-up
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    body = b""
    if bits == 4:
        body += b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in VGA)
        for row in pixels:
            nibbles = [p or 0 for p in row]
            body += row_padded(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2)))
    elif bits == 8:
        body += b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in VGA + [(0, 0, 0)] * 240)
        for row in pixels:
            body += row_padded(bytes(p or 0 for p in row))
    else:
        for row in pixels:
            body += b"".join(struct.pack("BBBB", 0, 0, 0, 0) if p is None
                             else struct.pack("BBBB", VGA[p][2], VGA[p][1], VGA[p][0], 255) for p in row)
    for row in pixels:  # AND mask: 1 where the icon is clear
        bits_row = 0
        for p in row:
            bits_row = (bits_row << 1) | (p is None)
        body += row_padded(bits_row.to_bytes(size // 8, "big"))
    return header + body


def main(path):
    formats = [(32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (48, 32), (32, 32), (16, 32)]
    images = [image(size, bits) for size, bits in formats]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits), data in zip(formats, images):
        out += struct.pack("<BBBBHHII", size, size, 16 if bits == 4 else 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
