"""Encoders for the resource formats the Windows build embeds.

All functions return ``bytes`` (``*_bytes``) or write a file (``write_*``);
output depends only on the input, so repeated builds are byte-identical.

    bmp_bytes(canvas, bits=24, background='#ffffff', premultiplied=False)
        24-bit: alpha flattened onto background.  32-bit: BI_RGB with the
        alpha in the fourth byte (premultiplied=True gives what AlphaBlend
        wants).
    png_bytes(canvas, filtered=True)          8-bit RGBA, zlib level 9; with
        filtered=False every row is stored unfiltered, much quicker for
        large throw-away images such as preview sheets
    ico_bytes(canvases, png_min_size=256)     one entry per canvas (square,
        at most 256 px); entries of png_min_size or more are PNG-compressed,
        smaller ones are 32-bit BGRA DIBs with a 1-bit AND mask.
    cur_bytes([(canvas, (hot_x, hot_y)), ...])   the same, as a cursor file
    wav_bytes(samples, rate=22050)            16-bit PCM mono from floats -1..1
    write_bmp / write_png / write_ico / write_cur / write_wav(path, ...)
"""

import struct
import sys
import zlib
from array import array

from .canvas import color

__all__ = [
    'bmp_bytes', 'png_bytes', 'ico_bytes', 'cur_bytes', 'wav_bytes',
    'write_bmp', 'write_png', 'write_ico', 'write_cur', 'write_wav',
    'dib_with_mask',
]


def _write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def _bitmapinfoheader(width, height, bits, image_size):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0,
                       image_size, 2835, 2835, 0, 0)


# ---------------------------------------------------------------- BMP

def bmp_bytes(canvas, bits=24, background='#ffffff', premultiplied=False):
    w, h = canvas.width, canvas.height
    rgba = canvas.to_rgba8(premultiplied=premultiplied and bits == 32)
    if bits == 24:
        br, bg, bb, _ = (int(v * 255 + 0.5) for v in color(background))
        stride = (w * 3 + 3) & ~3
        pad = bytes(stride - w * 3)
        rows = []
        for y in range(h - 1, -1, -1):
            row = bytearray(w * 3)
            s = y * w * 4
            for x in range(w):
                r, g, b, a = rgba[s:s + 4]
                s += 4
                if a < 255:
                    # Flatten on the background in 8-bit integer maths.
                    r = (r * a + br * (255 - a) + 127) // 255
                    g = (g * a + bg * (255 - a) + 127) // 255
                    b = (b * a + bb * (255 - a) + 127) // 255
                row[x * 3] = b
                row[x * 3 + 1] = g
                row[x * 3 + 2] = r
            rows.append(bytes(row) + pad)
        pixels = b''.join(rows)
    elif bits == 32:
        pixels = _bgra_bottom_up(rgba, w, h)
    else:
        raise ValueError('BMP bits must be 24 or 32')
    header = _bitmapinfoheader(w, h, bits, len(pixels))
    offset = 14 + len(header)
    filehdr = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0,
                          offset)
    return filehdr + header + pixels


def write_bmp(path, canvas, **kw):
    _write(path, bmp_bytes(canvas, **kw))


def _bgra_bottom_up(rgba, w, h):
    out = bytearray(w * h * 4)
    for y in range(h):
        src = rgba[(h - 1 - y) * w * 4:(h - y) * w * 4]
        row = bytearray(src)
        row[0::4] = src[2::4]
        row[2::4] = src[0::4]
        out[y * w * 4:(y + 1) * w * 4] = row
    return bytes(out)


# ---------------------------------------------------------------- PNG

def _png_chunk(tag, data):
    return (struct.pack('>I', len(data)) + tag + data +
            struct.pack('>I', zlib.crc32(tag + data) & 0xffffffff))


def _paeth(a, b, c):
    p = a + b - c
    pa = abs(p - a)
    pb = abs(p - b)
    pc = abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    if pb <= pc:
        return b
    return c


def _filter_row(row, prev, bpp):
    """Choose the PNG filter with the smallest sum of absolute residuals,
    the usual heuristic; it roughly halves icon-sized PNGs."""
    n = len(row)
    cands = [(0, bytes(row))]
    sub = bytearray(n)
    up = bytearray(n)
    avg = bytearray(n)
    pae = bytearray(n)
    for i in range(n):
        a = row[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        x = row[i]
        sub[i] = (x - a) & 0xff
        up[i] = (x - b) & 0xff
        avg[i] = (x - ((a + b) >> 1)) & 0xff
        pae[i] = (x - _paeth(a, b, c)) & 0xff
    cands += [(1, bytes(sub)), (2, bytes(up)), (3, bytes(avg)),
              (4, bytes(pae))]

    def cost(item):
        return sum(v if v < 128 else 256 - v for v in item[1])
    best = min(cands, key=cost)
    return bytes([best[0]]) + best[1]


def png_bytes(canvas, filtered=True):
    w, h = canvas.width, canvas.height
    rgba = canvas.to_rgba8()
    stride = w * 4
    prev = bytes(stride)
    raw = []
    for y in range(h):
        row = rgba[y * stride:(y + 1) * stride]
        if filtered:
            raw.append(_filter_row(row, prev, 4))
        else:
            raw.append(b'\0' + bytes(row))
        prev = row
    ihdr = struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + _png_chunk(b'IHDR', ihdr) +
            _png_chunk(b'IDAT', zlib.compress(b''.join(raw), 9)) +
            _png_chunk(b'IEND', b''))


def write_png(path, canvas, **kw):
    _write(path, png_bytes(canvas, **kw))


# ---------------------------------------------------------------- ICO / CUR

def dib_with_mask(canvas):
    """Icon/cursor image: BITMAPINFOHEADER (height doubled to cover the
    mask), bottom-up BGRA colour rows, then the AND mask.  Mask bits are set
    only where the pixel is fully transparent; renderers that honour alpha
    ignore the mask, and the rest at least see the solid shape."""
    w, h = canvas.width, canvas.height
    rgba = canvas.to_rgba8()
    xor = _bgra_bottom_up(rgba, w, h)
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray(mask_stride * h)
    for y in range(h):
        src_y = h - 1 - y
        base = y * mask_stride
        for x in range(w):
            if rgba[(src_y * w + x) * 4 + 3] == 0:
                mask[base + (x >> 3)] |= 0x80 >> (x & 7)
    header = _bitmapinfoheader(w, h * 2, 32, len(xor) + len(mask))
    return header + xor + bytes(mask)


def _icon_directory(kind, entries):
    """entries: list of (width, height, field_a, field_b, data)."""
    count = len(entries)
    out = [struct.pack('<HHH', 0, kind, count)]
    offset = 6 + 16 * count
    blobs = []
    for w, h, fa, fb, data in entries:
        out.append(struct.pack('<BBBBHHII', w & 0xff, h & 0xff, 0, 0, fa, fb,
                               len(data), offset))
        offset += len(data)
        blobs.append(data)
    return b''.join(out + blobs)


def _check_size(canvas):
    if not (1 <= canvas.width <= 256 and 1 <= canvas.height <= 256):
        raise ValueError('icon images must be 1..256 pixels')


def ico_bytes(canvases, png_min_size=256):
    entries = []
    for c in sorted(canvases, key=lambda c: c.width):
        _check_size(c)
        if c.width >= png_min_size:
            data = png_bytes(c)
        else:
            data = dib_with_mask(c)
        entries.append((c.width, c.height, 1, 32, data))
    return _icon_directory(1, entries)


def write_ico(path, canvases, **kw):
    _write(path, ico_bytes(canvases, **kw))


def cur_bytes(images):
    """images: list of (canvas, (hot_x, hot_y)).  The hot spot lives in the
    directory entry, where icons keep planes and bit count."""
    entries = []
    for c, (hx, hy) in images:
        _check_size(c)
        if not (0 <= hx < c.width and 0 <= hy < c.height):
            raise ValueError('hot spot outside the cursor')
        entries.append((c.width, c.height, hx, hy, dib_with_mask(c)))
    return _icon_directory(2, entries)


def write_cur(path, images):
    _write(path, cur_bytes(images))


# ---------------------------------------------------------------- WAV

def wav_bytes(samples, rate=22050):
    pcm = array('h', (int(round(max(-1.0, min(1.0, s)) * 32767.0))
                      for s in samples))
    if sys.byteorder == 'big':
        pcm.byteswap()
    data = pcm.tobytes()
    fmt = struct.pack('<HHIIHH', 1, 1, rate, rate * 2, 2, 16)
    body = (b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt +
            b'data' + struct.pack('<I', len(data)) + data)
    if len(data) & 1:
        body += b'\0'
    return b'RIFF' + struct.pack('<I', len(body)) + body


def write_wav(path, samples, rate=22050):
    _write(path, wav_bytes(samples, rate))
