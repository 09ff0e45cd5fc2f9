#!/usr/bin/python3
"""Draw and synthesise Brisko Capture's embedded resources.

Usage:
    /usr/bin/python3 resources/generate_resources.py OUTDIR [--preview]

Writes into OUTDIR (created if missing):
    BriskoCapture.ico        program icon: 16, 24, 32, 48, 64 (32-bit DIB
                             with AND mask) and 256 (PNG) pixels
    Cursor1.cur..Cursor5.cur 32 x 32, 32-bit colour with AND mask:
                             1 pointing hand, hot spot (7, 7)
                             2 crosshair with hollow centre, hot spot (15, 15)
                             3 hand with a cross-hair at its left, hot spot (5, 12)
                             4 pipette, tip and hot spot (4, 5)
                             5 magnifying glass, hot spot (12, 12) (lens centre)
    Sound1.wav..Sound15.wav  capture sounds, 22050 Hz 16-bit mono, 0.08 to
                             0.6 s, peak -3 dBFS (sustained tones a little
                             lower, see LOUDNESS_CEILING_DB):
                              1 crisp shutter      2 high chime
                              3 SLR shutter        4 low chime
                              5 two-tone beep      6 pop
                              7 rising sweep       8 plucked string
                              9 whoosh            10 bell
                             11 beep and click    12 wood block
                             13 arpeggio          14 droplet
                             15 tick
    Btn*.ico                 banner buttons, white glyphs with a faint shadow
                             for the gradient banner, 24 (96 DPI), 30, 36
                             and 48 px: BtnCapture, BtnSettings, BtnOpen,
                             BtnHelp
    Profile*.ico             capture profile list, in colour, 16, 20, 24
                             (the list's 96 DPI size), 32 and 48 px:
                             ProfileRegion, ProfileWindow, ProfileForeground,
                             ProfileFullScreen, ProfileWeb, ProfileColor
    Opt*.ico                 option buttons, slate and blue, 16 (96 DPI),
                             20, 24 and 32 px: OptRectangle, OptElliptic,
                             OptFreeHand, OptWindows, OptAutoScroll,
                             OptMenuTime, OptImages, OptFlash
    SoundItem.ico            sound list item, 16, 20, 24 and 32 px
                             (all these icons are 32-bit DIBs with AND mask;
                             drawn by artwork/icons.py)
    preview.png              only with --preview: the icon at every size
                             (also enlarged) and the cursors enlarged 4x with
                             their hot spot framed in red, on light and dark
                             backgrounds, then the interface icons at every
                             size with the 16 and 24 px ones enlarged 4x,
                             the white ones on the banner gradient and the
                             rest on the window grey, for checking the
                             artwork by eye.

Only the Python standard library is used and the output is byte-for-byte
the same on every run, so the build can run it unconditionally.
"""

import math
import os
import random
import sys

# The build runs this from the source tree; keep it free of __pycache__.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from artwork import sound as snd  # noqa: E402
from artwork.icons import (FAMILIES, TILE_STOPS, make_icons,  # noqa: E402
                           viewfinder)
from artwork.canvas import (Canvas, LinearGradient, Path,  # noqa: E402
                            RadialGradient, affine_scale,
                            circle, ring, rounded_rect, rounded_rect_ring)
from artwork.writers import (png_bytes, wav_bytes, cur_bytes,  # noqa: E402
                             ico_bytes)


# ====================================================================== icon

ICON_SIZES = (16, 24, 32, 48, 64, 256)

LENS_STOPS = [(0.0, '#0b1a52'), (0.75, '#1d3fa8'), (1.0, '#2f6ee0')]


def icon_geometry(size):
    """Layout per size.  The three small sizes are laid out by hand on the
    pixel grid so strokes land on whole pixels; the larger ones scale the
    256 design and round the strokes to whole pixels."""
    if size == 16:
        return dict(tile=(0, 0, 16, 16, 3.5), frame=(2, 2, 14, 14), t=2,
                    arm=4, corner=1.5, caps=False, lens=None, pupil=None,
                    lens_px=(6, 6), glint=None, shadow=None)
    if size == 24:
        return dict(tile=(0, 0, 24, 24, 5.5), frame=(4, 4, 20, 20), t=2,
                    arm=6, corner=2.5, caps=False, lens=(12, 12, 4.0),
                    pupil=2.3, lens_px=None, glint=(11.2, 11.2, 0.75),
                    shadow=None)
    if size == 32:
        return dict(tile=(0, 0, 32, 32, 7.5), frame=(6, 6, 26, 26), t=2,
                    arm=7, corner=3, caps=False, lens=(16, 16, 4.8),
                    pupil=2.8, lens_px=None, glint=(14.7, 14.7, 1.0),
                    shadow=None)
    s = size / 256.0
    m = round(10 * s)
    tile_w = size - 2 * m
    t = max(2, round(17 * s))
    inset = round(48 * s)
    f0 = m + inset
    f1 = size - m - inset
    mid = size / 2
    geo = dict(tile=(m, m, tile_w, tile_w, 54 * s),
               frame=(f0, f0, f1, f1), t=t, arm=round(46 * s),
               corner=20 * s, caps=True, lens=(mid, mid, 33 * s),
               pupil=19 * s, lens_px=None,
               glint=(mid - 7 * s, mid - 7 * s, 5.5 * s),
               shadow=(4 * s, max(1, round(5 * s))))
    if size >= 64:
        # Room for a proper lens: a white barrel ring with a sliver of the
        # tile showing between it and the glass, and an inner element ring.
        # Below 64 px those details only add noise.
        geo.update(lens=None, barrel=(mid, mid, 30 * s, 7.5 * s),
                   pupil=20 * s, element=(12.5 * s, max(0.8, 2.5 * s)),
                   glint=(mid - 7 * s, mid - 7 * s, 5 * s))
    return geo


def draw_icon(size):
    g = icon_geometry(size)
    c = Canvas(size, size)
    tx, ty, tw, th, tr = g['tile']
    tile = rounded_rect(tx, ty, tw, th, tr)

    if g['shadow']:
        dy, blur = g['shadow']
        sh = Canvas(size, size)
        sh.fill(tile.translated(0, dy), '#0a1840')
        sh.blur(blur)
        c.draw(sh, opacity=0.35)

    c.fill(tile, LinearGradient(tx, ty, tx + tw, ty + th, TILE_STOPS))
    # Light from above: a sheen over the top and a slight shade at the foot
    # give the flat tile some depth without looking glossy.
    c.fill(tile, LinearGradient(0, ty, 0, ty + th * 0.55,
                                [(0, (1, 1, 1, 0.16)), (1, (1, 1, 1, 0))]),
           mode='atop')
    c.fill(tile, LinearGradient(0, ty + th * 0.6, 0, ty + th,
                                [(0, (0, 0.05, 0.2, 0)),
                                 (1, (0, 0.05, 0.2, 0.14))]), mode='atop')
    if size >= 48:
        edge = max(1.0, size / 128.0)
        c.fill(rounded_rect_ring(tx + edge / 2, ty + edge / 2, tw - edge,
                                 th - edge, tr - edge / 2, edge),
               LinearGradient(0, ty, 0, ty + th * 0.5,
                              [(0, (1, 1, 1, 0.45)), (1, (1, 1, 1, 0.0))]),
               mode='atop')

    x0, y0, x1, y1 = g['frame']
    white = '#ffffff'
    c.fill(viewfinder(x0, y0, x1, y1, g['t'], g['arm'], g['corner'],
                      g['caps']), white)

    if g['lens']:
        lx, ly, lr = g['lens']
        c.fill(circle(lx, ly, lr), white)
    if g['lens_px']:
        # At 16 px a drawn circle would be a blur: a 4 x 4 ring of whole
        # pixels with softened corners around a 2 x 2 pupil stays sharp.
        px, py = g['lens_px']
        for rx, ry, rw, rh in ((1, 0, 2, 1), (1, 3, 2, 1), (0, 1, 1, 2),
                               (3, 1, 1, 2)):
            c.fill_rect(px + rx, py + ry, rw, rh, white)
        for rx, ry in ((0, 0), (3, 0), (0, 3), (3, 3)):
            c.fill_rect(px + rx, py + ry, 1, 1, (1, 1, 1, 0.45))
        c.fill_rect(px + 1, py + 1, 2, 2, LENS_STOPS[1][1])
    if g.get('barrel'):
        lx, ly, br, bw = g['barrel']
        c.fill(ring(lx, ly, br, bw), white)
    if g['pupil']:
        pr = g['pupil']
        c.fill(circle(lx, ly, pr),
               RadialGradient(lx - pr * 0.3, ly - pr * 0.3, pr * 1.3,
                              LENS_STOPS))
    if g.get('element'):
        er, ew = g['element']
        c.fill(ring(lx, ly, er, ew), (0.45, 0.65, 1.0, 0.5))
    if g['glint']:
        gx, gy, gr = g['glint']
        c.fill(circle(gx, gy, gr), (1, 1, 1, 0.9))
    return c


def make_icon():
    return [draw_icon(s) for s in ICON_SIZES]


# ====================================================================== cursors

CURSOR_SIZE = 32
INK = '#000000'
PAPER = '#ffffff'
PIXEL_PALETTE = {'K': INK, 'W': PAPER, 'o': '#7f7f7f'}

# A pointing hand drawn pixel by pixel: anti-aliasing would blur a 1 px
# outline, and cursors must stay sharp on any background.  The fingertip's
# top pixel is at column 7 of row 7 (the hot spot of slot 1).
HAND = [
    '......KKK.............',
    '.....KWWWK............',
    '.....KWWWK............',
    '.....KWWWK............',
    '.....KWWWK............',
    '.....KWWWKKKK.........',
    '.....KWWWKWWWKKKK.....',
    '.....KWWWKWWWKWWWK....',
    '.....KWWWKWWWKWWWKKK..',
    '.....KWWWKWWWKWWWKWWK.',
    '.KKK.KWWWKWWWKWWWKWWK.',
    'KWWWKKWWWWWWWWWWWWWWK.',
    'KWWWWKWWWWWWWWWWWWWWK.',
    '.KWWWWWWWWWWWWWWWWWWK.',
    '.KWWWWWWWWWWWWWWWWWWK.',
    '..KWWWWWWWWWWWWWWWWWK.',
    '...KWWWWWWWWWWWWWWWWK.',
    '....KWWWWWWWWWWWWWWK..',
    '.....KWWWWWWWWWWWWWK..',
    '.....KWWWWWWWWWWWWK...',
    '.....KWWWWWWWWWWWWK...',
    '.....KKKKKKKKKKKKKK...',
]
HAND_TIP = (7, 0)      # fingertip pixel inside HAND


def cursor_hand():
    c = Canvas(CURSOR_SIZE, CURSOR_SIZE)
    c.paint_pixels(HAND, PIXEL_PALETTE, 7 - HAND_TIP[0], 7 - HAND_TIP[1])
    return c, (7, 7)


def _plus(c, cx, cy, arm, gap=0):
    """Pixel-exact cross centred on pixel (cx, cy): black 1 px arms from
    `gap + 1` to `arm` pixels out, a centre dot, and a 1 px white halo so it
    reads on dark pictures as well as light ones."""
    lo = gap + 1
    for pass_halo in (True, False):
        col = PAPER if pass_halo else INK
        e = 1 if pass_halo else 0
        c.fill_rect(cx - e, cy - e, 1 + 2 * e, 1 + 2 * e, col)
        if arm >= lo:
            n = arm - lo + 1
            c.fill_rect(cx + lo - e, cy - e, n + 2 * e, 1 + 2 * e, col)
            c.fill_rect(cx - arm - e, cy - e, n + 2 * e, 1 + 2 * e, col)
            c.fill_rect(cx - e, cy + lo - e, 1 + 2 * e, n + 2 * e, col)
            c.fill_rect(cx - e, cy - arm - e, 1 + 2 * e, n + 2 * e, col)


def cursor_crosshair():
    c = Canvas(CURSOR_SIZE, CURSOR_SIZE)
    # Hollow centre so the pixel being aimed at stays visible, with a single
    # dot marking the exact hot spot.
    _plus(c, 15, 15, 14, gap=4)
    return c, (15, 15)


def cursor_hand_cross():
    c = Canvas(CURSOR_SIZE, CURSOR_SIZE)
    c.paint_pixels(HAND, PIXEL_PALETTE, 11, 8)
    _plus(c, 5, 12, 4)
    return c, (5, 12)


def cursor_pipette():
    """Eyedropper along the diagonal from its tip at pixel (4, 5).  Pixels
    are classified by their position along and across the axis (no
    anti-aliasing), which gives clean 45-degree stair steps."""
    c = Canvas(CURSOR_SIZE, CURSOR_SIZE)
    tx, ty = 4.5, 5.5
    k = 1.0 / math.sqrt(2.0)

    def half_width(s):
        if s < 6.5:
            return 0.35 + s * 0.12      # narrow glass nozzle
        if s < 15.5:
            return 1.8                  # barrel
        if s < 17.5:
            return 3.4                  # collar
        if s < 19.0:
            return 2.0                  # neck of the bulb
        return 2.9                      # bulb, rounded off below

    bulb_end = 25.0
    for y in range(CURSOR_SIZE):
        for x in range(CURSOR_SIZE):
            px = x + 0.5 - tx
            py = y + 0.5 - ty
            s = (px + py) * k
            d = abs(px - py) * k
            if s < -0.5:
                continue
            if s > bulb_end:
                # Half-disc end of the bulb.
                d = math.hypot(s - bulb_end, d)
                s = bulb_end
            hw = half_width(max(0.0, s))
            if d <= hw:
                # Dark tip and collar; the glass and the bulb are white like
                # any system cursor, so the shape still shows on dark
                # pictures.
                colour = INK if s < 1.5 or 15.5 <= s < 17.5 else PAPER
            elif d <= hw + 1.0:
                colour = INK
            else:
                continue
            c.set_pixel(x, y, colour)
    return c, (4, 5)


def cursor_magnifier():
    c = Canvas(CURSOR_SIZE, CURSOR_SIZE)
    cx = cy = 12.5
    # Handle first so the rim overlaps its end.
    a = math.radians(45)
    hx0 = cx + math.cos(a) * 9.0
    hy0 = cy + math.sin(a) * 9.0
    c.line(hx0, hy0, 28.0, 28.0, 6.6, INK)
    c.line(hx0, hy0, 28.0, 28.0, 4.4, PAPER)
    c.line(cx + math.cos(a) * 13.5, cy + math.sin(a) * 13.5, 28.0, 28.0,
           4.4, '#3a3a3a')
    # Glass: faintly tinted so the lens reads as a lens, light enough to
    # see through.
    c.fill_circle(cx, cy, 8.0, (0.75, 0.88, 1.0, 0.35), mode='replace')
    c.fill(ring(cx, cy, 9.0, 4.0), INK)
    c.fill(ring(cx, cy, 9.0, 1.8), PAPER)
    _plus(c, 12, 12, 3)
    return c, (12, 12)


def make_cursors():
    return [cursor_hand(), cursor_crosshair(), cursor_hand_cross(),
            cursor_pipette(), cursor_magnifier()]


# ====================================================================== sounds

def _seeded(n):
    return random.Random(1000 + n)


LOUDNESS_CEILING_DB = -12.0


def _finish(x, fade_in=0.002, fade_out=0.012):
    """Common ending: no DC, click-free ends, peak at -3 dBFS, except that
    sustained tones are held to an RMS ceiling so a beep is not much louder
    than a click that shares its peak."""
    x = snd.remove_dc(x)
    x = snd.fade(x, fade_in, fade_out)
    x = snd.normalize(x, -3.0)
    rms = math.sqrt(sum(v * v for v in x) / len(x))
    ceiling = 10.0 ** (LOUDNESS_CEILING_DB / 20.0)
    if rms > ceiling:
        x = snd.gain(x, ceiling / rms)
    return x


def _click(rng, seconds, centre_hz, q, decay, thump_hz=0.0, thump=0.0):
    """A mechanical click: a band of noise dying away fast, optionally over
    a low thump from the camera body."""
    burst = snd.multiply(snd.noise(seconds, rng),
                         snd.exp_env(seconds, decay, attack=0.0005))
    out = snd.bandpass(burst, centre_hz, q)
    if thump:
        body = snd.multiply(snd.tone(thump_hz, seconds),
                            snd.exp_env(seconds, decay * 2.5, 0.001))
        out = snd.add(out, body, gain=thump)
    return out


def _chime(freq, seconds, decay, partials=((1, 1.0), (2, 0.28), (3, 0.09),
                                           (4.2, 0.05))):
    return snd.multiply(snd.tone(freq, seconds, partials),
                        snd.exp_env(seconds, decay, attack=0.004))


def sound_shutter_crisp():
    rng = _seeded(1)
    x = snd.silence(0.17)
    x = snd.add(x, _click(rng, 0.05, 3200, 1.4, 0.006, 180, 0.5))
    x = snd.add(x, _click(rng, 0.06, 2400, 1.2, 0.008, 140, 0.6), 0.075)
    return _finish(x, 0.001)


def sound_shutter_slr():
    rng = _seeded(2)
    x = snd.silence(0.34)
    x = snd.add(x, _click(rng, 0.06, 1800, 1.0, 0.010, 95, 0.9))
    # Mirror and spring whirr between the two curtains.
    whirr_len = 0.11
    wn = snd.noise(whirr_len, rng)
    wenv = snd.adsr(whirr_len, 0.02, 0.04, 0.6, 0.04)
    wobble = [0.7 + 0.3 * math.sin(2 * math.pi * 55 * i / snd.RATE)
              for i in range(len(wn))]
    whirr = snd.bandpass(snd.multiply(snd.multiply(wn, wenv), wobble),
                         1200, 2.5)
    x = snd.add(x, whirr, 0.05, gain=2.0)
    x = snd.add(x, _click(rng, 0.12, 1500, 0.9, 0.014, 80, 1.0), 0.17)
    return _finish(x, 0.001, 0.02)


def sound_chime_high():
    return _finish(_chime(1567.98, 0.5, 0.12))


def sound_chime_low():
    x = _chime(783.99, 0.58, 0.17)
    # A slightly detuned copy gives the low chime a gentle shimmer.
    x = snd.add(x, _chime(786.2, 0.58, 0.15), gain=0.45)
    return _finish(x, 0.003, 0.03)


def sound_two_tone():
    parts = ((1, 1.0), (3, 0.12), (5, 0.04))
    a = snd.multiply(snd.tone(1046.5, 0.085, parts),
                     snd.adsr(0.085, 0.004, 0.02, 0.8, 0.012))
    b = snd.multiply(snd.tone(1568.0, 0.11, parts),
                     snd.adsr(0.11, 0.004, 0.03, 0.8, 0.03))
    x = snd.add(snd.silence(0.21), a)
    x = snd.add(x, b, 0.095)
    return _finish(x)


def sound_pop():
    def glide(t):
        return 180.0 + 720.0 * math.exp(-t / 0.012)
    x = snd.multiply(snd.tone(glide, 0.09),
                     snd.exp_env(0.09, 0.022, attack=0.001))
    return _finish(x, 0.0015, 0.015)


def sound_sweep():
    dur = 0.28

    def chirp(t):
        return 500.0 * (2500.0 / 500.0) ** (t / dur)
    env = [math.sin(math.pi * i / snd.n_samples(dur)) ** 1.5
           for i in range(snd.n_samples(dur))]
    x = snd.multiply(snd.tone(chirp, dur, ((1, 1.0), (2, 0.15))), env)
    return _finish(x, 0.004, 0.02)


def sound_pluck():
    rng = _seeded(8)
    x = snd.karplus_strong(392.0, 0.5, rng, decay=0.995, brightness=0.6)
    x = snd.biquad_lowpass(x, 5000)
    return _finish(x, 0.001, 0.05)


def sound_whoosh():
    rng = _seeded(9)
    dur = 0.36
    n = snd.noise(dur, rng)
    env = [math.sin(math.pi * (i / snd.n_samples(dur)) ** 0.7) ** 2
           for i in range(snd.n_samples(dur))]
    x = snd.bandpass(snd.multiply(n, env),
                     lambda t: 700.0 * (4200.0 / 700.0) ** (t / dur), 2.2)
    return _finish(x, 0.004, 0.03)


def sound_bell():
    # Partials of a struck free bar: the inharmonic ratios are what make it
    # ring like metal rather than sound like a plain tone.
    f = 659.25
    dur = 0.6
    x = snd.silence(dur)
    for ratio, amp, decay in ((1.0, 1.0, 0.16), (2.756, 0.55, 0.09),
                              (5.404, 0.3, 0.05), (8.933, 0.14, 0.03)):
        part = snd.multiply(snd.tone(f * ratio, dur),
                            snd.exp_env(dur, decay, attack=0.0015))
        x = snd.add(x, part, gain=amp)
    return _finish(x, 0.0015, 0.05)


def sound_beep_click():
    rng = _seeded(11)
    blip = snd.multiply(snd.tone(2400.0, 0.045, ((1, 1.0), (2, 0.1))),
                        snd.adsr(0.045, 0.003, 0.01, 0.7, 0.012))
    x = snd.add(snd.silence(0.16), blip, gain=0.6)
    x = snd.add(x, _click(rng, 0.06, 2800, 1.5, 0.007, 160, 0.4), 0.085)
    return _finish(x, 0.002, 0.015)


def sound_wood_block():
    rng = _seeded(12)
    dur = 0.16
    body = snd.multiply(snd.tone(820.0, dur),
                        snd.exp_env(dur, 0.03, attack=0.0008))
    over = snd.multiply(snd.tone(820.0 * 2.31, dur),
                        snd.exp_env(dur, 0.012, attack=0.0008))
    knock = snd.bandpass(snd.multiply(snd.noise(dur, rng),
                                      snd.exp_env(dur, 0.003, 0.0003)),
                         3000, 1.0)
    x = snd.add(body, over, gain=0.45)
    x = snd.add(x, knock, gain=0.6)
    return _finish(x, 0.001, 0.02)


def sound_arpeggio():
    x = snd.silence(0.44)
    for i, f in enumerate((1046.5, 1318.51, 1567.98)):
        x = snd.add(x, _chime(f, 0.44 - i * 0.07, 0.08,
                              ((1, 1.0), (2, 0.2), (3, 0.05))),
                    i * 0.07, gain=0.8 if i < 2 else 1.0)
    return _finish(x, 0.003, 0.03)


def sound_droplet():
    dur = 0.13

    def rise(t):
        return 480.0 * (1700.0 / 480.0) ** min(1.0, t / 0.05)
    x = snd.multiply(snd.tone(rise, dur),
                     snd.exp_env(dur, 0.03, attack=0.002))
    return _finish(x, 0.002, 0.02)


def sound_tick():
    rng = _seeded(15)
    dur = 0.08
    x = snd.bandpass(snd.multiply(snd.noise(dur, rng),
                                  snd.exp_env(dur, 0.002, 0.0003)), 5200, 1.6)
    ping = snd.multiply(snd.tone(2100.0, dur),
                        snd.exp_env(dur, 0.008, attack=0.0005))
    x = snd.add(x, ping, gain=0.35)
    return _finish(x, 0.0008, 0.015)


SOUNDS = [
    sound_shutter_crisp, sound_chime_high, sound_shutter_slr,
    sound_chime_low, sound_two_tone, sound_pop, sound_sweep, sound_pluck,
    sound_whoosh, sound_bell, sound_beep_click, sound_wood_block,
    sound_arpeggio, sound_droplet, sound_tick,
]


# ====================================================================== preview

def _checker(w, h, cell, c0, c1):
    c = Canvas(w, h, c0)
    for y in range(0, h, cell):
        for x in range(0, w, cell):
            if ((x // cell) + (y // cell)) & 1:
                c.fill_rect(x, y, cell, cell, c1)
    return c


def make_preview(icons, cursors, ui_icons):
    top = _program_sheet(icons, cursors)
    bottom = _ui_icon_sheet(ui_icons, top.width)
    # Same width: stack the pixel lists rather than compositing a million
    # pixels one by one.
    sheet = Canvas(0, 0)
    sheet.width, sheet.height = top.width, top.height + bottom.height
    for ch in ('r', 'g', 'b', 'a'):
        setattr(sheet, ch, getattr(top, ch) + getattr(bottom, ch))
    return sheet


def _program_sheet(icons, cursors):
    pad = 16
    width = 1200
    height = 16 + 280 + 16 + 260 + 16 + 2 * (128 + 16) + 16
    sheet = Canvas(width, height, '#808080')
    # Row 1: every size at 1:1, on light and on dark backgrounds.
    for band, (bg0, bg1) in enumerate((('#f4f4f4', '#e6e6e6'),
                                       ('#202124', '#2b2c30'))):
        x = pad + band * 600
        sheet.draw(_checker(584, 280, 8, bg0, bg1), x, pad)
        xx = x + 10
        for ic in icons:
            sheet.draw(ic, xx, pad + 10 + (256 - ic.height))
            xx += ic.width + 10
    # Row 2: small sizes enlarged to check the pixel snapping.
    y = pad + 280 + pad
    x = pad
    for ic, f in zip(icons[:5], (8, 6, 5, 3, 3)):
        big = ic.upscale(f)
        sheet.draw(_checker(big.width, big.height, 8, '#ffffff', '#dddddd'),
                   x, y)
        sheet.draw(big, x, y)
        x += big.width + pad
    # Rows 3 and 4: cursors at 4x on light and dark checkers, then 1:1.
    for band, (bg0, bg1) in enumerate((('#ffffff', '#d8d8d8'),
                                       ('#101010', '#303030'))):
        y = pad + 280 + pad + 260 + pad + band * (128 + pad)
        x = pad
        for cur, (hx, hy) in cursors:
            big = cur.upscale(4)
            sheet.draw(_checker(128, 128, 16, bg0, bg1), x, y)
            sheet.draw(big, x, y)
            sheet.fill(rounded_rect_ring(x + hx * 4 - 0.5, y + hy * 4 - 0.5,
                                         5, 5, 0, 1.0), '#ff2020')
            small = _checker(32, 32, 4, bg0, bg1)
            small.draw(cur)
            sheet.draw(small, x + 136, y + 48)
            x += 128 + 8 + 32 + 24
    return sheet


def _icon_cell(images):
    """One icon's sizes side by side at 1:1 on a common baseline, then the
    16 and 24 px images (whichever exist) enlarged 4x."""
    gap = 10
    parts = list(images) + [im.upscale(4) for im in images
                            if im.width in (16, 24)]
    h = max(im.height for im in parts)
    w = sum(im.width for im in parts) + gap * (len(parts) - 1)
    return parts, w, h, gap


def _ui_icon_sheet(ui_icons, width):
    """The interface icons, one cell per icon, in a band per family: the
    white banner glyphs on the banner gradient (twice, the second time
    reversed), the others on the light grey the windows use."""
    pad = 16
    gap = 10
    sections = []
    for family, items in FAMILIES:
        cells = [_icon_cell(ui_icons[name + '.ico'])
                 for name, _ in items]
        sections.append((family, cells))
    # Lay the cells out in rows per section, wrapping at the sheet width.
    layout = []
    y = 0
    for family, cells in sections:
        bands = 2 if family == 'banner' else 1
        for band in range(bands):
            x = pad
            row_h = 0
            rows = []
            row = []
            for cell in cells:
                _, w, h, _ = cell
                if row and x + w > width - pad:
                    rows.append((row, row_h))
                    row, row_h, x = [], 0, pad
                row.append((x, cell))
                x += w + 2 * gap
                row_h = max(row_h, h)
            rows.append((row, row_h))
            for row, row_h in rows:
                layout.append((family, band, y, row_h + 2 * gap, row))
                y += row_h + 2 * gap
        y += pad
    sheet = Canvas(width, y, '#808080')
    for family, band, ry, rh, row in layout:
        if family == 'banner':
            # The banner's gradient, and reversed in the second band, so
            # every white glyph is seen on the deep blue and on the teal.
            stops = TILE_STOPS if band == 0 else [(1 - o, c) for o, c in
                                                  reversed(TILE_STOPS)]
            sheet.fill_rect(0, ry, width, rh,
                            LinearGradient(0, 0, width, 0, stops))
        else:
            sheet.fill_rect(0, ry, width, rh, '#f3f6f9')
        for x, (parts, w, h, g) in row:
            xx = x
            for im in parts:
                sheet.draw(im, xx, ry + gap + (h - im.height))
                xx += im.width + g
    return sheet


# ====================================================================== main

def main(argv):
    args = [a for a in argv[1:] if not a.startswith('--')]
    flags = {a for a in argv[1:] if a.startswith('--')}
    if len(args) != 1 or flags - {'--preview'}:
        sys.stderr.write(__doc__)
        return 2
    out = args[0]
    os.makedirs(out, exist_ok=True)

    def put(name, data):
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)

    icons = make_icon()
    put('BriskoCapture.ico', ico_bytes(icons))
    cursors = make_cursors()
    for i, (cur, hot) in enumerate(cursors, 1):
        put('Cursor%d.cur' % i, cur_bytes([(cur, hot)]))
    for i, make in enumerate(SOUNDS, 1):
        put('Sound%d.wav' % i, wav_bytes(make(), snd.RATE))
    ui_icons = make_icons()
    for name, images in ui_icons.items():
        put(name, ico_bytes(images))
    if '--preview' in flags:
        put('preview.png', png_bytes(make_preview(icons, cursors, ui_icons),
                                     filtered=False))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
