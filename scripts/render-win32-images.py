#!/usr/bin/env python3
"""Renders the Windows program's toolbar strip and icon from the SVG pictures
that the Qt program draws, in the 16 colours of the standard palette:

    gui-win32/res/toolbar.bmp  six 16 x 15 images side by side, 4 bits a pixel,
                               on light grey, which the toolbar shows as the
                               button face
    gui-win32/res/tovrik.ico   32 x 32 and 16 x 16, 4 bits a pixel, with a
                               transparency mask

Needs rsvg-convert (Debian's librsvg2-bin). The outputs are committed, so the
build needs neither this script nor rsvg-convert; run it again after changing
a picture:  scripts/render-win32-images.py
"""

import pathlib
import struct
import subprocess
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
TOOLBAR_ORDER = ["new", "open", "save", "about", "download", "upload"]
BUTTON_FACE = (0xC0, 0xC0, 0xC0)

# The 16 colours every Windows display has, in the order of the standard
# palette.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def render(svg, width, height, background=None):
    """The picture as rows of (r, g, b, a), through rsvg-convert's PNG."""
    command = ["rsvg-convert", "-w", str(width), "-h", str(height)]
    if background:
        command += ["-b", "#%02x%02x%02x" % background]
    png = subprocess.run(command + [str(svg)], check=True, capture_output=True).stdout
    return decode_png(png)


def decode_png(data):
    """Decodes the 8-bit RGB or RGBA, non-interlaced PNG that rsvg-convert writes."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, "unexpected PNG layout"
            channels = 4 if colour == 6 else 3
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - channels] if x >= channels else 0
            up = previous[x]
            corner = previous[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + left) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + up) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[x] = (line[x] + pred) & 0xFF
        opaque = (255,) if channels == 3 else ()
        rows.append([tuple(line[i:i + channels]) + opaque for i in range(0, stride, channels)])
        previous = line
    return rows


def nearest(rgb):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(PALETTE[i], rgb)))


def palette_bytes():
    return b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)


def pack_rows(indexes, width, bits):
    """Bottom-up rows of 1- or 4-bit pixels, each padded to 4 bytes."""
    out = b""
    per_byte = 8 // bits
    for row in reversed(indexes):
        line = bytearray()
        for x in range(0, width, per_byte):
            byte = 0
            for i in range(per_byte):
                value = row[x + i] if x + i < width else 0
                byte |= value << (8 - bits * (i + 1))
            line.append(byte)
        line += b"\0" * (-len(line) % 4)
        out += line
    return out


def info_header(width, height, bits, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, 16, 0)


def toolbar():
    strip = [[] for _ in range(15)]
    for name in TOOLBAR_ORDER:
        rows = render(ROOT / "res" / "toolbar" / (name + ".svg"), 16, 15, BUTTON_FACE)
        for y in range(15):
            strip[y] += [nearest(pixel[:3]) for pixel in rows[y]]
    width = 16 * len(TOOLBAR_ORDER)
    pixels = pack_rows(strip, width, 4)
    header = info_header(width, 15, 4, len(pixels))
    offset = 14 + len(header) + 64
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + header + palette_bytes() + pixels


def icon_image(size):
    rows = render(ROOT / "res" / "tovrik.svg", size, size)
    colours = [[nearest(p[:3]) if p[3] >= 128 else 0 for p in row] for row in rows]
    mask = [[0 if p[3] >= 128 else 1 for p in row] for row in rows]
    xor, and_ = pack_rows(colours, size, 4), pack_rows(mask, size, 1)
    return info_header(size, size * 2, 4, len(xor) + len(and_)) + palette_bytes() + xor + and_


def icon():
    images = [icon_image(32), icon_image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def main():
    target = ROOT / "gui-win32" / "res"
    target.mkdir(parents=True, exist_ok=True)
    (target / "toolbar.bmp").write_bytes(toolbar())
    (target / "tovrik.ico").write_bytes(icon())


if __name__ == "__main__":
    main()
