#!/usr/bin/env python3
"""Compares the pixels of two images exactly: RGBA PNGs at 8 or 16 bits, or
scanline OpenEXR files with 32-bit float channels (uncompressed, ZIPS or ZIP),
as both qvhost builds write them. Encoders differ, so decoded samples are
compared, never file bytes.

usage: compare_images.py [--allow N] A B
Prints "same" or where the images differ. Exit status 1 when they differ, or
with --allow, only when a sample differs by more than N steps of the format
(8- or 16-bit units; at 32 bits, 2^-23, one ulp of 1.0).
"""
import math
import struct
import sys
import zlib


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else c)


def read_png(data):
    at, chunks, header = 8, [], None
    while at < len(data):
        length, kind = struct.unpack_from('>I4s', data, at)
        body = data[at + 8:at + 8 + length]
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            chunks.append(body)
        at += 12 + length
    width, height, bits, colour, _, _, interlace = header
    if colour != 6 or interlace != 0 or bits not in (8, 16):
        raise ValueError('only non-interlaced RGBA PNGs are compared')
    bpp = 4 * bits // 8
    stride = width * bpp
    raw = zlib.decompress(b''.join(chunks))
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            add = (0, a, b, (a + b) >> 1, paeth(a, b, c))[kind]
            row[i] = (row[i] + add) & 0xFF
        rows.append(bytes(row))
        prev = row
    fmt = '>%dH' % (width * 4) if bits == 16 else '%dB' % (width * 4)
    return width, height, bits, [struct.unpack(fmt, r) for r in rows]


def read_exr(data):
    at, attrs = 8, {}
    while data[at] != 0:
        name_end = data.index(b'\0', at)
        type_end = data.index(b'\0', name_end + 1)
        size = struct.unpack_from('<I', data, type_end + 1)[0]
        attrs[data[at:name_end].decode()] = data[type_end + 5:type_end + 5 + size]
        at = type_end + 5 + size
    at += 1
    channels, cat = [], attrs['channels']
    while cat[0] != 0:
        end = cat.index(b'\0')
        kind = struct.unpack_from('<i', cat, end + 1)[0]
        if kind != 2:
            raise ValueError('only float channels are compared')
        channels.append(cat[:end].decode())
        cat = cat[end + 17:]
    compression = attrs['compression'][0]
    lines = {0: 1, 2: 1, 3: 16}[compression]
    x0, y0, x1, y1 = struct.unpack('<4i', attrs['dataWindow'])
    width, height = x1 - x0 + 1, y1 - y0 + 1
    blocks = (height + lines - 1) // lines
    offsets = struct.unpack_from('<%dQ' % blocks, data, at)
    rows = {}
    for off in offsets:
        y, size = struct.unpack_from('<iI', data, off)
        block = data[off + 8:off + 8 + size]
        count = min(lines, y1 - y + 1)
        expected = count * width * 4 * len(channels)
        if compression != 0 and size < expected:
            packed = bytearray(zlib.decompress(block))
            for i in range(1, len(packed)):  # undo the predictor
                packed[i] = (packed[i - 1] + packed[i] - 128) & 0xFF
            half = (len(packed) + 1) // 2
            out = bytearray(len(packed))
            out[0::2], out[1::2] = packed[:half], packed[half:]
            block = bytes(out)
        for line in range(count):
            base = line * width * 4 * len(channels)
            planes = {c: struct.unpack_from('<%df' % width, block, base + i * width * 4)
                      for i, c in enumerate(channels)}
            rows[y + line - y0] = tuple(v for x in range(width) for v in
                                        (planes['R'][x], planes['G'][x], planes['B'][x], planes['A'][x]))
    return width, height, 32, [rows[y] for y in range(height)]


def read(path):
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] == b'\x89PNG\r\n\x1a\n':
        return read_png(data)
    if data[:4] == b'\x76\x2f\x31\x01':
        return read_exr(data)
    raise ValueError(path + ': not a PNG or OpenEXR file')


def bits_of(v):
    return struct.unpack('<I', struct.pack('<f', v))[0]


def steps(u, v, bits):
    if bits != 32:
        return abs(u - v)
    return math.ceil(abs(u - v) * 2 ** 23)  # float: in units of one ulp at 1.0


def main():
    args = sys.argv[1:]
    allow = None
    if args[0] == '--allow':
        allow, args = int(args[1]), args[2:]
    a, b = read(args[0]), read(args[1])
    if a[:3] != b[:3]:
        print('differ in size or depth: %s vs %s' % (a[:3], b[:3]))
        return 1
    width, height, bits, rows_a = a
    rows_b = b[3]
    differing, worst, first, most = 0, 0.0, None, 0
    for y in range(height):
        if rows_a[y] == rows_b[y]:
            continue
        for i, (u, v) in enumerate(zip(rows_a[y], rows_b[y])):
            same = bits_of(u) == bits_of(v) if bits == 32 else u == v
            if not same:
                differing += 1
                worst = max(worst, abs(u - v))
                most = max(most, steps(u, v, bits))
                if first is None:
                    first = (i // 4, y, 'RGBA'[i % 4], u, v)
    if differing == 0:
        print('same')
        return 0
    print('%d of %d samples differ (largest difference %g, %d steps); first at x=%d y=%d %s: %r vs %r'
          % ((differing, width * height * 4, worst, most) + first))
    return 0 if allow is not None and most <= allow else 1


if __name__ == '__main__':
    sys.exit(main())
