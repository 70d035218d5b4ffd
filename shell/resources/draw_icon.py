#!/usr/bin/env python3
"""Draws the program's icon: a teal reading strip with a line of text and a yellow caret.

Writes one .ico holding the images the class icons use: 32x32 and 16x16 at 4 bits per pixel,
48x48, 32x32 and 16x16 at 8 bits, and at 32 bits every size Windows asks for at 100 % to 200 %
display scale (16 to 64) and 256x256 for Explorer's large views, those of 40 pixels and more as PNGs;
and the directory of a second icon group that names the same images.

    draw_icon.py ICON GROUP"""
import struct
import sys
import zlib

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


def rgba(p):
    return (0, 0, 0, 0) if p is None else VGA[p] + (255,)


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
            body += b"".join(bytes(rgba(p)[2::-1] + (rgba(p)[3],)) for p in row)  # BGRA
    for row in pixels:  # AND mask: 1 where the icon is clear, each row filled out to a whole byte
        bits_row = 0
        for p in row:
            bits_row = (bits_row << 1) | (p is None)
        body += row_padded((bits_row << (-size % 8)).to_bytes((size + 7) // 8, "big"))
    return header + body


def png(size):
    """A 32-bit RGBA PNG, top row first. Windows Vista and later take an icon image of any size in this
    form; the larger ones are kept so, as they are a fifth of the program's size uncompressed, and
    those up to 32 pixels, which the class icons use, stay bitmaps."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + b"".join(bytes(rgba(colour_at(x, y, size))) for x in range(size)) for y in range(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def main(path, group_path):
    formats = [(32, 4), (16, 4), (48, 8), (32, 8), (16, 8),
               (256, 32), (64, 32), (48, 32), (40, 32), (32, 32), (24, 32), (20, 32), (16, 32)]
    images = [png(size) if bits == 32 and size >= 40 else image(size, bits) for size, bits in formats]
    # What the .ico's directory and the group's say of each image; a size of 256 is written as 0 in
    # its one byte. The .ico then gives where the image starts, the group the image's number.
    entries = [struct.pack("<BBBBHHI", size % 256, size % 256, 16 if bits == 4 else 0, 0, 1, bits, len(data))
               for (size, bits), data in zip(formats, images)]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    out = header
    for entry, data in zip(entries, images):
        out += entry + struct.pack("<I", offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))
    # The small class icon's group names the same images: the resource compiler numbers the images of
    # the script's first icon 1, 2, 3... in this order, and the group directory takes each by number.
    with open(group_path, "wb") as f:
        f.write(header + b"".join(entry + struct.pack("<H", number) for number, entry in enumerate(entries, 1)))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
