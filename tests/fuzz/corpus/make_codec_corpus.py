# Writes the fuzz seed corpora for the JPEG, PNG, TIFF and GIF readers: one
# small file per layout the readers handle. Needs Pillow (Debian's
# python3-pil) and, for the tiled TIFF, tiffcp (libtiff-tools):
#
#   /usr/bin/python3 tests/fuzz/corpus/make_codec_corpus.py tests/fuzz/corpus
import io, os, struct, subprocess, sys, tempfile, zlib
from PIL import Image, ImageDraw

out = sys.argv[1]


def picture(width=13, height=9):
    im = Image.new('RGB', (width, height))
    im.putdata([(x * 19 % 256, y * 27 % 256, (x * y * 7) % 256) for y in range(height) for x in range(width)])
    ImageDraw.Draw(im).rectangle((2, 2, 6, 5), fill=(250, 10, 40))
    return im


def save(folder, name, im, **options):
    os.makedirs(os.path.join(out, folder), exist_ok=True)
    im.save(os.path.join(out, folder, name), **options)


def write(folder, name, data):
    os.makedirs(os.path.join(out, folder), exist_ok=True)
    with open(os.path.join(out, folder, name), 'wb') as f:
        f.write(data)


def cmyk(im):
    return Image.merge('CMYK', [*im.split(), im.convert('L')])


# JPEG: baseline, progressive, grey, CMYK (Adobe), arithmetic-free restart markers.
save('fuzz_jpeg', 'baseline.jpg', picture(), quality=75)
save('fuzz_jpeg', 'progressive.jpg', picture(17, 11), quality=60, progressive=True)
save('fuzz_jpeg', 'grey.jpg', picture().convert('L'), quality=80)
save('fuzz_jpeg', 'cmyk.jpg', cmyk(picture(8, 8)), quality=70)
save('fuzz_jpeg', 'no_subsampling.jpg', picture(9, 9), quality=90, subsampling=0)


# PNG: every colour type, transparency, 16 bits, and an interlaced file.
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def adam7_png(im):
    """An 8-bit RGB PNG in Adam7 passes, unfiltered; Pillow writes none."""
    width, height = im.size
    pixels = im.load()
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
    raw = b''
    for x0, y0, dx, dy in passes:
        for y in range(y0, height, dy):
            row = b''.join(bytes(pixels[x, y]) for x in range(x0, width, dx))
            if row:
                raw += b'\0' + row
    header = struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 1)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(raw)) +
            chunk(b'IEND', b''))


save('fuzz_png', 'rgb.png', picture())
save('fuzz_png', 'rgba.png', picture().convert('RGBA'))
save('fuzz_png', 'palette.png', picture().quantize(12))
save('fuzz_png', 'palette_transparent.png', picture().quantize(5), transparency=2)
save('fuzz_png', 'grey.png', picture().convert('L'))
save('fuzz_png', 'grey_alpha.png', picture().convert('LA'))
save('fuzz_png', 'bilevel.png', picture().convert('1'))
save('fuzz_png', 'grey16.png', picture().convert('I').point(lambda v: v * 257).convert('I;16'))
write('fuzz_png', 'interlaced.png', adam7_png(picture(11, 10)))

# TIFF: each compression our writer offers, other layouts, and tiles.
for name, im, compression in [
        ('none.tif', picture(), 'raw'),
        ('lzw.tif', picture(), 'tiff_lzw'),
        ('packbits.tif', picture(), 'packbits'),
        ('deflate.tif', picture(), 'tiff_adobe_deflate'),
        ('ccitt_rle.tif', picture(21, 7).convert('1'), 'tiff_ccitt'),
        ('group3.tif', picture(21, 7).convert('1'), 'group3'),
        ('group4.tif', picture(21, 7).convert('1'), 'group4'),
        ('palette.tif', picture().quantize(9), 'tiff_lzw'),
        ('grey.tif', picture().convert('L'), 'raw'),
        ('rgba.tif', picture().convert('RGBA'), 'raw'),
        ('cmyk.tif', cmyk(picture(6, 6)), 'raw')]:
    save('fuzz_tiff', name, im, compression=compression)
with tempfile.TemporaryDirectory() as scratch:
    stripped = os.path.join(scratch, 'stripped.tif')
    picture(20, 18).save(stripped, compression='raw')
    subprocess.run(['tiffcp', '-t', '-w', '16', '-l', '16', stripped, os.path.join(out, 'fuzz_tiff', 'tiled.tif')],
                   check=True)

# GIF: plain, interlaced, few colours, and an animation (only its first
# picture is read).
save('fuzz_gif', 'plain.gif', picture().quantize(30), interlace=False)
save('fuzz_gif', 'interlaced.gif', picture(16, 20).quantize(30), interlace=True)
save('fuzz_gif', 'two_colours.gif', picture().convert('1'))
frames = [picture(10, 8).quantize(8), picture(10, 8).rotate(180).quantize(8)]
save('fuzz_gif', 'animated.gif', frames[0], save_all=True, append_images=frames[1:], duration=100, loop=0)
