"""Debian's headless Chromium for the tests that look at a page as a person
would: a screenshot and the page's text as the browser built it; and PNG
files read and written with zlib alone (8-bit RGB or RGBA, not interlaced,
as Chromium writes them).

    screenshot(page, png, width, height)   the page rendered into png
    dump_dom(page)                         the page's DOM as Chromium serialises it
    read_png(path)                         (width, height, bytes per pixel, rows)
    write_png(path, width, rows)           8-bit RGB rows, compressed hard
"""
import os
import shutil
import struct
import subprocess
import tempfile
import zlib

CHROMIUM = shutil.which('chromium') or '/usr/bin/chromium'
# As the machine's notes start it: without the background networking flags
# Chromium keeps trying to reach hosts this machine's closed network refuses.
FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync', '--hide-scrollbars']


def _chromium(page, *arguments):
    if not os.path.exists(CHROMIUM):
        raise AssertionError('no chromium at %s: cmake/install-deps.sh installs it' % CHROMIUM)
    with tempfile.TemporaryDirectory(prefix='chromium-') as profile:
        result = subprocess.run([CHROMIUM] + FLAGS + ['--user-data-dir=' + profile] + list(arguments) +
                                ['file://' + os.path.abspath(page)],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    if result.returncode != 0:
        raise AssertionError('chromium failed: %s' % result.stderr.decode(errors='replace')[-2000:])
    return result.stdout


def screenshot(page, png, width, height):
    _chromium(page, '--screenshot=' + os.path.abspath(png), '--window-size=%d,%d' % (width, height))
    return png


def dump_dom(page):
    return _chromium(page, '--dump-dom').decode()


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def read_png(path):
    """(width, height, bytes per pixel, rows of unfiltered bytes)."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise AssertionError('%s is no PNG' % path)
    pos, idat, header = 8, [], None
    while pos + 8 <= len(data):
        length, kind = struct.unpack_from('>I4s', data, pos)
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', data[pos + 8:pos + 21])
        elif kind == b'IDAT':
            idat.append(data[pos + 8:pos + 8 + length])
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise AssertionError('%s: a PNG of depth %d, colour type %d, interlace %d' % (path, depth, colour, interlace))
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(b''.join(idat))
    stride = width * bpp
    prior = bytearray(stride)
    rows = []
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        if kind == 1:
            for x in range(bpp, stride):
                line[x] = (line[x] + line[x - bpp]) & 255
        elif kind == 2:
            line = bytearray((a + b) & 255 for a, b in zip(line, prior))
        elif kind == 3:
            for x in range(stride):
                line[x] = (line[x] + ((line[x - bpp] if x >= bpp else 0) + prior[x]) // 2) & 255
        elif kind == 4:
            for x in range(stride):
                left, corner = (line[x - bpp], prior[x - bpp]) if x >= bpp else (0, 0)
                line[x] = (line[x] + _paeth(left, prior[x], corner)) & 255
        rows.append(bytes(line))
        prior = line
    return width, height, bpp, rows


def write_png(path, width, rows):
    """8-bit RGB rows; each row filtered by Up where it repeats much of the
    row above (a page's flat cells), else left as it is."""
    out, prior = [], bytes(width * 3)
    for row in rows:
        up = bytes((a - b) & 255 for a, b in zip(row, prior))
        out.append(b'\x02' + up if up.count(0) > row.count(row[0]) else b'\x00' + row)
        prior = row

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, len(rows), 8, 2, 0, 0, 0)) +
                chunk(b'IDAT', zlib.compress(b''.join(out), 9)) + chunk(b'IEND', b''))
