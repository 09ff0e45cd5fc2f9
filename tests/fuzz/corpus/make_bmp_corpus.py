# Writes the fuzz seed corpus for the BMP reader: one small file per layout.
import struct, os, sys, random
out = sys.argv[1]
os.makedirs(out, exist_ok=True)
rnd = random.Random(1)

def info(width, height, bits, comp=0, hsize=40, used=0, masks=()):
    if hsize == 12:
        return struct.pack('<IHHHH', 12, width, height, 1, bits)
    h = struct.pack('<IiiHHIIiiII', hsize, width, height, 1, bits, comp, 0, 2835, 2835, used, 0)
    if hsize >= 52:
        m = list(masks) + [0] * (4 - len(masks))
        h += struct.pack('<IIII', *m)[: 16 if hsize >= 56 else 12]
    h = h.ljust(hsize, b'\0')
    if hsize == 40:
        h += b''.join(struct.pack('<I', m) for m in masks)
    return h

def palette(n, three=False):
    b = b''
    for i in range(n):
        c = bytes([rnd.randrange(256) for _ in range(3)])
        b += c if three else c + b'\0'
    return b

def rows(width, height, bits, last_padding=True):
    stride = (width * bits + 31) // 32 * 4
    used = (width * bits + 7) // 8
    data = b''
    for y in range(height):
        data += bytes(rnd.randrange(256) for _ in range(used)) + b'\0' * (stride - used)
    if not last_padding:
        data = data[: len(data) - (stride - used)]
    return data

def save(name, header, pal, pixels, offset=None):
    body = header + pal
    if offset is None:
        offset = 14 + len(body)
    f = b'BM' + struct.pack('<IHHI', 14 + len(body) + len(pixels), 0, 0, offset) + body + pixels
    open(os.path.join(out, name), 'wb').write(f)

save('1bit_bottom_up.bmp', info(13, 5, 1), palette(2), rows(13, 5, 1))
save('4bit_top_down.bmp', info(7, -4, 4), palette(16), rows(7, 4, 4))
save('8bit_short_palette.bmp', info(9, 3, 8, used=5), palette(5), rows(9, 3, 8))
save('8bit_zero_offset.bmp', info(3, 2, 8, used=4), palette(4), rows(3, 2, 8), offset=0)
save('16bit_555.bmp', info(5, 3, 16), b'', rows(5, 3, 16))
save('16bit_565_fields.bmp', info(5, 3, 16, 3, masks=(0xF800, 0x07E0, 0x001F)), b'', rows(5, 3, 16))
save('16bit_444_v4.bmp', info(3, -3, 16, 3, 108, masks=(0x0F00, 0x00F0, 0x000F, 0xF000)), b'', rows(3, 3, 16))
save('24bit_bottom_up.bmp', info(5, 3, 24), b'', rows(5, 3, 24))
save('24bit_top_down_v5.bmp', info(3, -2, 24, hsize=124), b'', rows(3, 2, 24))
save('24bit_no_last_padding.bmp', info(3, 2, 24), b'', rows(3, 2, 24, last_padding=False))
save('32bit_rgb.bmp', info(3, 2, 32), b'', rows(3, 2, 32))
save('32bit_10bit_fields_v5.bmp', info(3, 2, 32, 3, 124, masks=(0x3FF00000, 0x000FFC00, 0x000003FF)), b'', rows(3, 2, 32))
save('32bit_alpha_fields.bmp', info(2, 2, 32, 6, masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000)), b'', rows(2, 2, 32))
save('32bit_fields_v2_52.bmp', info(2, 2, 32, 3, 52, masks=(0xFF, 0xFF00, 0xFF0000)), b'', rows(2, 2, 32))
save('core_8bit.bmp', info(5, 2, 8, hsize=12), palette(256, three=True), rows(5, 2, 8))
save('core_24bit.bmp', info(3, 2, 24, hsize=12), b'', rows(3, 2, 24))
save('os2_64_header_4bit.bmp', info(3, 2, 4, hsize=64), palette(16), rows(3, 2, 4))
save('rle8_escapes.bmp', info(6, 4, 8, 1, used=16), palette(16),
     bytes([3, 5, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 2, 1, 2, 10, 0, 0, 1, 11, 0, 1]))
save('rle4_escapes.bmp', info(8, 3, 4, 2), palette(16),
     bytes([5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0x67, 0x89, 0xA0, 0, 0, 2, 1, 1, 2, 0xFF, 0, 1]))
save('rle8_clipped.bmp', info(4, 3, 8, 1, used=2), palette(2),
     bytes([10, 7, 0, 0, 0, 6, 1, 2, 3, 4, 5, 6, 0, 2, 255, 0, 3, 9, 0, 0, 1, 4, 0, 2, 0, 200, 3, 3]))
# Palette declared full, but the data offset says only 3 entries are stored.
save('8bit_offset_inside_palette.bmp', info(3, 2, 8), palette(3), rows(3, 2, 8), offset=14 + 40 + 12)
# Stream cut off inside a literal run, without an end-of-picture code.
save('rle4_cut_off.bmp', info(9, 2, 4, 2, used=16), palette(16), bytes([4, 0x31, 0, 0, 0, 9, 0x12, 0x34]))
