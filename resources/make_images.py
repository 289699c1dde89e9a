#!/usr/bin/env python3
"""Writes the toolbar bitmap, the icons and the cursors of MOXEL from the
pixel grids in resources/images/*.txt (python3 standard library only).

    python3 resources/make_images.py           # rewrite the generated files
    python3 resources/make_images.py --check   # fail when one is out of date
    python3 resources/make_images.py --png DIR # also write enlarged previews
                                               # (needs ImageMagick `convert`)

A grid file holds directives and pictures; ';' in the first column starts a
comment ('#' is the black pixel), and blank lines are ignored:

    output toolbar.bmp        generated file, beside the grid file
    hotspot 16 16             cursors only: the hot spot (x, y)
    image open                a picture; its rows follow, one character a pixel

A .bmp puts its pictures side by side (all of one size), an .ico or .cur
keeps each picture as one image of the file. Pixel characters: the 16-colour
VGA palette below, '-' transparent (icons and cursors), '~' the inverted
screen (cursors). Cursors are monochrome: only '#', 'W', '-' and '~'.
"""

import os
import struct
import subprocess
import sys

# Character -> (palette index, RGB); the standard 16-colour VGA order.
PALETTE = {
    '#': (0, (0x00, 0x00, 0x00)),   # black
    'r': (1, (0x80, 0x00, 0x00)),   # maroon
    'g': (2, (0x00, 0x80, 0x00)),   # green
    'y': (3, (0x80, 0x80, 0x00)),   # olive
    'b': (4, (0x00, 0x00, 0x80)),   # navy
    'm': (5, (0x80, 0x00, 0x80)),   # purple
    'c': (6, (0x00, 0x80, 0x80)),   # teal
    '.': (7, (0xC0, 0xC0, 0xC0)),   # silver: the toolbar's transparent colour
    '+': (8, (0x80, 0x80, 0x80)),   # grey
    'R': (9, (0xFF, 0x00, 0x00)),   # red
    'G': (10, (0x00, 0xFF, 0x00)),  # lime
    'Y': (11, (0xFF, 0xFF, 0x00)),  # yellow
    'B': (12, (0x00, 0x00, 0xFF)),  # blue
    'M': (13, (0xFF, 0x00, 0xFF)),  # fuchsia
    'C': (14, (0x00, 0xFF, 0xFF)),  # aqua
    'W': (15, (0xFF, 0xFF, 0xFF)),  # white
}
TRANSPARENT = '-'
INVERTED = '~'

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGES = os.path.join(HERE, 'images')


class GridError(Exception):
    pass


def read_grid_file(path):
    """Returns (output name, hot spot or None, [(label, rows)])."""
    output, hotspot, pictures = None, None, []
    with open(path, encoding='utf-8') as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip('\n').rstrip('\r')
            where = '%s:%d' % (os.path.basename(path), number)
            if not line.strip() or line.startswith(';'):
                continue
            words = line.split()
            if words[0] == 'output' and len(words) == 2:
                output = words[1]
            elif words[0] == 'hotspot' and len(words) == 3:
                hotspot = (int(words[1]), int(words[2]))
            elif words[0] == 'image' and len(words) == 2:
                pictures.append((words[1], []))
            elif pictures:
                if line != line.strip():
                    raise GridError('%s: blanks in a picture row' % where)
                bad = [c for c in line if c not in PALETTE and c not in (TRANSPARENT, INVERTED)]
                if bad:
                    raise GridError('%s: unknown pixel character %r' % (where, bad[0]))
                pictures[-1][1].append(line)
            else:
                raise GridError('%s: unexpected line %r' % (where, line))
    if not output:
        raise GridError('%s: no output line' % path)
    for label, rows in pictures:
        width = len(rows[0]) if rows else 0
        if not rows or any(len(r) != width for r in rows):
            raise GridError('%s: picture %s is not a rectangle' % (path, label))
    return output, hotspot, pictures


def palette_bytes():
    out = bytearray()
    for index in range(16):
        rgb = next(c for i, c in PALETTE.values() if i == index)
        out += bytes((rgb[2], rgb[1], rgb[0], 0))  # RGBQUAD is blue, green, red
    return bytes(out)


def pack_rows(rows, bits, value):
    """Bottom-up DIB rows of `bits` per pixel, each padded to 4 bytes."""
    data = bytearray()
    for row in reversed(rows):
        acc, nbits, line = 0, 0, bytearray()
        for ch in row:
            acc = (acc << bits) | value(ch)
            nbits += bits
            if nbits == 8:
                line.append(acc)
                acc, nbits = 0, 0
        if nbits:
            line.append(acc << (8 - nbits))
        while len(line) % 4:
            line.append(0)
        data += line
    return bytes(data)


def info_header(width, height, bits, colours, image_size):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, image_size, 0, 0, colours, 0)


def colour_index(ch):
    if ch == TRANSPARENT:
        return 0  # black under a set mask bit: the screen shows through unchanged
    if ch == INVERTED:
        raise GridError("'~' is for cursors only")
    return PALETTE[ch][0]


def make_bmp(pictures):
    heights = {len(rows) for _, rows in pictures}
    if len(heights) != 1:
        raise GridError('toolbar pictures differ in height')
    height = heights.pop()
    rows = [''.join(rows[y] for _, rows in pictures) for y in range(height)]
    if any(TRANSPARENT in r or INVERTED in r for r in rows):
        raise GridError('a bitmap has no transparent pixels; use silver')
    width = len(rows[0])
    bits = pack_rows(rows, 4, colour_index)
    offset = 14 + 40 + 64
    header = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    return header + info_header(width, height, 4, 16, len(bits)) + palette_bytes() + bits


def icon_image(rows):
    width, height = len(rows[0]), len(rows)
    xor = pack_rows(rows, 4, colour_index)
    mask = pack_rows(rows, 1, lambda ch: 1 if ch == TRANSPARENT else 0)
    return (width, height, 16, 4,
            info_header(width, height * 2, 4, 16, len(xor) + len(mask)) + palette_bytes() + xor + mask)


def cursor_image(rows):
    width, height = len(rows[0]), len(rows)
    allowed = {'#', 'W', TRANSPARENT, INVERTED}
    if any(ch not in allowed for row in rows for ch in row):
        raise GridError("a cursor is monochrome: '#', 'W', '-' and '~' only")
    # AND 0 / XOR 0 black, 0/1 white, 1/0 screen, 1/1 inverted screen.
    xor = pack_rows(rows, 1, lambda ch: 1 if ch in ('W', INVERTED) else 0)
    mask = pack_rows(rows, 1, lambda ch: 1 if ch in (TRANSPARENT, INVERTED) else 0)
    two_colours = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    return (width, height, 2, 1,
            info_header(width, height * 2, 1, 2, len(xor) + len(mask)) + two_colours + xor + mask)


def make_icon_file(pictures, kind, hotspot):
    """kind 1 = icon, 2 = cursor (whose directory entries carry the hot spot)."""
    images = [(cursor_image if kind == 2 else icon_image)(rows) for _, rows in pictures]
    out = bytearray(struct.pack('<HHH', 0, kind, len(images)))
    offset = 6 + 16 * len(images)
    for width, height, colours, bits, data in images:
        if kind == 2:
            if hotspot is None:
                raise GridError('a cursor needs a hotspot line')
            hx, hy = hotspot
            if not (0 <= hx < width and 0 <= hy < height):
                raise GridError('hot spot outside the cursor')
            planes, bitcount = hx, hy
        else:
            planes, bitcount = 1, bits
        out += struct.pack('<BBBBHHII', width % 256, height % 256, colours % 256, 0,
                           planes, bitcount, len(data), offset)
        offset += len(data)
    for *_, data in images:
        out += data
    return bytes(out)


def build(path):
    output, hotspot, pictures = read_grid_file(path)
    ext = os.path.splitext(output)[1].lower()
    if ext == '.bmp':
        data = make_bmp(pictures)
    elif ext == '.ico':
        data = make_icon_file(pictures, 1, None)
    elif ext == '.cur':
        data = make_icon_file(pictures, 2, hotspot)
    else:
        raise GridError('%s: unknown output type %s' % (path, output))
    return os.path.join(os.path.dirname(path), output), data, pictures


def write_png(pictures, name, directory):
    """An enlarged preview (8 pixels a pixel; transparent shown as a check)."""
    width = sum(len(rows[0]) for _, rows in pictures) + 2 * (len(pictures) - 1)
    height = max(len(rows) for _, rows in pictures)
    ppm = bytearray(b'P6 %d %d 255\n' % (width, height))
    for y in range(height):
        for i, (_, rows) in enumerate(pictures):
            if i:
                ppm += bytes((255, 0, 255)) * 2
            for x in range(len(rows[0])):
                ch = rows[y][x] if y < len(rows) else TRANSPARENT
                if ch in PALETTE:
                    ppm += bytes(PALETTE[ch][1])
                elif ch == INVERTED:
                    ppm += bytes((255, 128, 0))
                else:
                    ppm += bytes((230, 230, 230) if (x + y) % 2 else (250, 250, 250))
    target = os.path.join(directory, name + '.png')
    subprocess.run(['convert', 'ppm:-', '-scale', '800%', target], input=bytes(ppm), check=True)
    return target


def main(argv):
    check = '--check' in argv
    png_dir = argv[argv.index('--png') + 1] if '--png' in argv else None
    stale = []
    for name in sorted(os.listdir(IMAGES)):
        if not name.endswith('.txt'):
            continue
        try:
            target, data, pictures = build(os.path.join(IMAGES, name))
        except GridError as e:
            print('error:', e, file=sys.stderr)
            return 1
        if check:
            try:
                with open(target, 'rb') as f:
                    if f.read() != data:
                        stale.append(target)
            except OSError:
                stale.append(target)
        else:
            with open(target, 'wb') as f:
                f.write(data)
            print('wrote', os.path.relpath(target, HERE))
        if png_dir:
            os.makedirs(png_dir, exist_ok=True)
            print('preview', write_png(pictures, os.path.splitext(name)[0], png_dir))
    if stale:
        print('out of date (run resources/make_images.py):', *stale, file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
