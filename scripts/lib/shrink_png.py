#!/usr/bin/env python3
# Rewrites 8-bit RGB PNG files (the headless runner's frame dumps, which
# store their pixels uncompressed) with filtered rows and full deflate, so
# the screenshots kept in docs/ stay small. The pixels do not change.
#   shrink_png.py FILE.png...
import struct
import sys
import zlib


def chunks(data):
    pos = 8
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        yield kind, data[pos + 8:pos + 8 + length]
        pos += 12 + length


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filtered(row, prior, kind):
    out = bytearray(len(row))
    for i, x in enumerate(row):
        a = row[i - 3] if i >= 3 else 0
        b = prior[i]
        c = prior[i - 3] if i >= 3 else 0
        predictor = (0, a, b, (a + b) // 2, paeth(a, b, c))[kind]
        out[i] = (x - predictor) & 0xFF
    return out


def shrink(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(path + ": not a PNG file")
    header, pixels = None, b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            header = body
        elif kind == b"IDAT":
            pixels += body
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", header)
    if depth != 8 or colour != 2 or interlace != 0:
        raise SystemExit(path + ": not an 8-bit RGB PNG")
    raw = zlib.decompress(pixels)
    stride = width * 3
    out = bytearray()
    prior = bytes(stride)
    for y in range(height):
        start = y * (stride + 1)
        if raw[start] != 0:
            raise SystemExit(path + ": rows are already filtered")
        row = raw[start + 1:start + 1 + stride]
        # The filter whose output sums smallest as signed bytes, as usual.
        candidates = [filtered(row, prior, k) for k in range(5)]
        costs = [sum(v if v < 128 else 256 - v for v in f) for f in candidates]
        best = costs.index(min(costs))
        out.append(best)
        out += candidates[best]
        prior = row
    result = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + \
        chunk(b"IDAT", zlib.compress(bytes(out), 9)) + chunk(b"IEND", b"")
    open(path, "wb").write(result)


for name in sys.argv[1:]:
    shrink(name)
