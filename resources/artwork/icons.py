"""Small interface icons: the banner buttons, the capture profiles, the
option buttons, the sound list item and the editor's tool bar.

Every icon is drawn per size on a ``Pen``, which maps a design grid (24
units for the banner buttons and profiles, 16 for the option and sound
icons) to pixels and snaps edges and stroke centres to the pixel grid, so
horizontal and vertical lines come out crisp at every size rather than
smeared over two half-covered pixels.  Where a detail cannot survive the
scaling (mostly at 16 px) the drawing code picks a hand-tuned variant.

``make_icons()`` returns ``{file name: [canvas per size]}``; ``FAMILIES``
lists which names belong together, for the preview sheet.
"""

import math

from .canvas import (Canvas, LinearGradient, Path, affine_scale, capsule,
                     circle, color, ellipse, polygon, polyline, rect, ring,
                     rounded_rect, rounded_rect_ring)

__all__ = ['bracket', 'viewfinder', 'make_icons', 'FAMILIES', 'SIZES',
           'TILE_STOPS']

# The program icon's tile gradient; the banner uses the same colours.
TILE_STOPS = [(0.0, '#3457ff'), (0.52, '#1f8ee6'), (1.0, '#12c8ae')]

WHITE = '#ffffff'
SLATE = '#2b3a4a'
BLUE = '#1f7ae6'          # the tile's middle blue, a shade deeper for contrast
BLUE_DEEP = '#3457ff'
TEAL = '#12c8ae'
TEAL_DEEP = '#0c9e8c'
SUN = '#ffb21e'
ORANGE = '#ff7a1a'
CORAL = '#ff4d6a'
FRAME = '#5b7796'         # window frames in the colour icons
GREY_FRAME = '#a9b6c4'
GREY_BODY = '#e9eef3'

SIZES = {
    'banner': (24, 30, 36, 48),
    'profile': (16, 20, 24, 32, 48),
    'option': (16, 20, 24, 32),
    'sound': (16, 20, 24, 32),
    'tool': (16, 20, 24, 32, 48),
}


# ====================================================================== grid

class Pen:
    """A canvas plus the mapping from design units to snapped pixels.

    ``e`` gives an edge (a whole pixel), ``w`` a stroke width (whole pixels,
    at least one), ``mid`` the centre of a stroke of pixel width w placed so
    that both of its edges are whole pixels, ``v`` an unsnapped length.
    Python's round() rounds halves to even, which keeps shapes that are
    symmetric in the design symmetric on an even-sized canvas.
    """

    def __init__(self, size, design):
        self.size = size
        self.k = size / float(design)
        self.c = Canvas(size, size)

    def v(self, x):
        return x * self.k

    def e(self, x):
        return float(round(x * self.k))

    def w(self, x):
        return float(max(1, int(math.floor(x * self.k + 0.5))))

    def mid(self, x, w):
        return round(x * self.k - w / 2.0) + w / 2.0

    def box(self, x0, y0, x1, y1):
        return self.e(x0), self.e(y0), self.e(x1), self.e(y1)

    def pt(self, x, y):
        return (x * self.k, y * self.k)

    def pts(self, points):
        return [(x * self.k, y * self.k) for x, y in points]


def rrect(x0, y0, x1, y1, r):
    return rounded_rect(x0, y0, x1 - x0, y1 - y0, r)


def inner_ring(x0, y0, x1, y1, r, w):
    """Stroke of width w lying inside the box's outer edges."""
    h = w / 2.0
    return rounded_rect_ring(x0 + h, y0 + h, x1 - x0 - w, y1 - y0 - w,
                             max(0.0, r - h), w)


# ====================================================================== dashes

def dash_runs(length, dash, gap):
    """Whole-pixel dashes along a side `length` pixels long, a full dash at
    each end so the corners of a dashed box are always solid, the gaps
    spread evenly over the rest."""
    length = int(round(length))
    dash = int(dash)
    if length <= dash:
        return [(0, length)]
    n = max(1, int(round((length - dash) / float(dash + gap))))
    step = (length - dash) / float(n)
    return [(int(round(i * step)), int(round(i * step)) + dash)
            for i in range(n + 1)]


def dashed_box(c, x0, y0, x1, y1, w, dash, gap, paint):
    """Dashed outline of width w inside whole-pixel outer edges."""
    for a, b in dash_runs(x1 - x0, dash, gap):
        c.fill_rect(x0 + a, y0, b - a, w, paint)
        c.fill_rect(x0 + a, y1 - w, b - a, w, paint)
    h = y1 - y0
    for a, b in dash_runs(h, dash, gap):
        # The horizontal runs already cover the corners; painting them
        # twice would darken a translucent paint there.
        a, b = max(a, w), min(b, h - w)
        if b > a:
            c.fill_rect(x0, y0 + a, w, b - a, paint)
            c.fill_rect(x1 - w, y0 + a, w, b - a, paint)


def _arc_lengths(points):
    """Cumulative arc lengths round a closed polyline."""
    n = len(points)
    acc = [0.0]
    for i in range(n):
        x0, y0 = points[i]
        x1, y1 = points[(i + 1) % n]
        acc.append(acc[-1] + math.hypot(x1 - x0, y1 - y0))
    return acc


def _point_at(points, acc, s):
    n = len(points)
    s %= acc[-1]
    lo, hi = 0, n
    while hi - lo > 1:
        m = (lo + hi) // 2
        if acc[m] <= s:
            lo = m
        else:
            hi = m
    seg = acc[lo + 1] - acc[lo]
    t = 0.0 if seg == 0 else (s - acc[lo]) / seg
    x0, y0 = points[lo]
    x1, y1 = points[(lo + 1) % n]
    return (x0 + (x1 - x0) * t, y0 + (y1 - y0) * t)


def dashed_curve(points, w, dash, gap):
    """Dashes along a closed polyline: square-cut ends, round joins where a
    dash turns a corner (so a dash bent round a vertex keeps its width).
    The dash count is rounded so the pattern closes without a short dash."""
    acc = _arc_lengths(points)
    total = acc[-1]
    npts = len(points)
    n = max(2, int(round(total / float(dash + gap))))
    period = total / n
    on = period * dash / float(dash + gap)
    out = Path()
    h = w / 2.0
    for i in range(n):
        s0 = i * period
        s1 = s0 + on
        run = [_point_at(points, acc, s0)]
        for k in range(2 * npts):
            at = acc[k % npts] + total * (k // npts)
            if s0 < at < s1:
                run.append(points[k % npts])
        run.append(_point_at(points, acc, s1))
        for j in range(len(run) - 1):
            (xa, ya), (xb, yb) = run[j], run[j + 1]
            d = math.hypot(xb - xa, yb - ya)
            if d < 1e-9:
                continue
            nx, ny = -(yb - ya) / d * h, (xb - xa) / d * h
            out.add([(xa + nx, ya + ny), (xb + nx, yb + ny),
                     (xb - nx, yb - ny), (xa - nx, ya - ny)])
        # Joins only where the outline really turns: on a finely sampled
        # curve they would poke out past the dash ends into the gaps.
        for j in range(1, len(run) - 1):
            (xa, ya), (x, y), (xb, yb) = run[j - 1], run[j], run[j + 1]
            turn = abs(math.atan2(yb - y, xb - x) - math.atan2(y - ya, x - xa))
            turn = min(turn, 2 * math.pi - turn)
            if turn > math.radians(15):
                out.add(circle(x, y, h))
    return out.oriented(True)


def inside_polygon(pts, x, y):
    """Even-odd point-in-polygon test."""
    hit = False
    n = len(pts)
    for i in range(n):
        x0, y0 = pts[i]
        x1, y1 = pts[(i + 1) % n]
        if (y0 > y) != (y1 > y):
            if x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                hit = not hit
    return hit


def ellipse_points(cx, cy, rx, ry, n=160):
    return [(cx + rx * math.cos(2 * math.pi * i / n),
             cy + ry * math.sin(2 * math.pi * i / n)) for i in range(n)]


# ====================================================================== pixel curves

def pixel_curve(points, closed=True):
    """The pixels a thin curve passes through, in order, as a clean
    8-connected chain: sampled finely, duplicates dropped, and the inner
    pixel of every L-shaped step removed so the line is one pixel thick.
    Used at 16 and 20 px, where an anti-aliased 1 px curve turns grey."""
    pts = list(points)
    if closed:
        pts = pts + [pts[0]]
    cells = []
    for i in range(len(pts) - 1):
        x0, y0 = pts[i]
        x1, y1 = pts[i + 1]
        n = max(1, int(math.hypot(x1 - x0, y1 - y0) / 0.05))
        for j in range(n):
            t = j / float(n)
            cell = (int(math.floor(x0 + (x1 - x0) * t)),
                    int(math.floor(y0 + (y1 - y0) * t)))
            if not cells or cells[-1] != cell:
                cells.append(cell)
    if closed and len(cells) > 1 and cells[0] == cells[-1]:
        cells.pop()
    def corner(a, b, c):
        return (abs(a[0] - c[0]) == 1 and abs(a[1] - c[1]) == 1 and
                abs(a[0] - b[0]) + abs(a[1] - b[1]) == 1 and
                abs(c[0] - b[0]) + abs(c[1] - b[1]) == 1)
    # Remove one corner pixel at a time and look again just before it, so
    # every test sees the chain as it now is.
    i = 0 if closed else 1
    while len(cells) > 3 and i < len(cells) - (0 if closed else 1):
        n = len(cells)
        if corner(cells[i - 1], cells[i], cells[(i + 1) % n]):
            del cells[i]
            i = max(0 if closed else 1, i - 1)
        else:
            i += 1
    return cells


def pixel_dashes(cells, dash, gap, closed=True):
    """Every pixel of a chain that falls in a dash.  On a closed chain the
    period is stretched a little so the pattern meets itself evenly."""
    n = len(cells)
    period = float(dash + gap)
    if closed:
        k = max(1, int(round(n / period)))
        period = n / float(k)
    on = dash * period / (dash + gap)
    return [cell for i, cell in enumerate(cells)
            if (i + 0.5) % period < on]


def paint_cells(c, cells, paint):
    for x, y in cells:
        c.fill_rect(x, y, 1, 1, paint)


def classify(c, fn, samples=1, box=None):
    """Paint by asking fn(x, y) for the colour at points inside each pixel
    (None for nothing).  With samples=1 only the pixel centre is asked,
    which draws 45-degree shapes as crisp, even stair steps; larger sizes
    use a few samples per axis for smooth edges."""
    x0, y0, x1, y1 = box or (0, 0, c.width, c.height)
    inv = 1.0 / samples
    offs = [(i + 0.5) * inv for i in range(samples)]
    n = float(samples * samples)
    for py in range(y0, y1):
        for px in range(x0, x1):
            r = g = b = a = 0.0
            for oy in offs:
                for ox in offs:
                    col = fn(px + ox, py + oy)
                    if col is None:
                        continue
                    cr, cg, cb, ca = col
                    r += cr * ca
                    g += cg * ca
                    b += cb * ca
                    a += ca
            if a <= 0.0:
                continue
            j = py * c.width + px
            r, g, b, a = r / n, g / n, b / n, a / n
            inv_a = 1.0 - a
            c.r[j] = r + c.r[j] * inv_a
            c.g[j] = g + c.g[j] * inv_a
            c.b[j] = b + c.b[j] * inv_a
            c.a[j] = a + c.a[j] * inv_a
    return c


# ====================================================================== shared parts

def bracket(fx, fy, t, length, corner, round_caps):
    """Top-left viewfinder bracket: outer corner at (fx, fy), stroke
    thickness t, arms `length` long measured from the outer corner."""
    p = Path()
    ri = max(0.0, corner - t)
    h = t / 2.0
    end = fx + length
    p.move_to(fx, fy + length - (h if round_caps else 0))
    if corner > 0:
        p.arc(fx + corner, fy + corner, corner, 180, 270)
    else:
        p.line_to(fx, fy)
    if round_caps:
        p.line_to(end - h, fy)
        p.arc(end - h, fy + h, h, -90, 90)
    else:
        p.line_to(end, fy)
        p.line_to(end, fy + t)
    if ri > 0:
        p.line_to(fx + t + ri, fy + t)
        p.arc(fx + t + ri, fy + t + ri, ri, 270, 180)
    else:
        p.line_to(fx + t, fy + t)
    if round_caps:
        p.line_to(fx + t, fy + length - h)
        p.arc(fx + h, fy + length - h, h, 0, 180)
    else:
        p.line_to(fx + t, fy + length)
        p.line_to(fx, fy + length)
    return p.close()


def viewfinder(x0, y0, x1, y1, t, length, corner, round_caps):
    """Four brackets framing the box (x0, y0)-(x1, y1) (outer edges)."""
    base = bracket(x0, y0, t, length, corner, round_caps)
    cx = (x0 + x1) / 2.0
    cy = (y0 + y1) / 2.0
    out = Path()
    for sx, sy in ((1, 1), (-1, 1), (1, -1), (-1, -1)):
        out.add(base.transformed(affine_scale(sx, sy, cx, cy)))
    return out


def tile_gradient(x0, y0, x1, y1):
    return LinearGradient(x0, y0, x1, y1, TILE_STOPS)


# ====================================================================== banner buttons

def white_glyph(p, shape_fn):
    """White glyph with a faint shadow beneath, so it holds up on the light
    teal end of the banner as well as on the deep blue end."""
    glyph = Canvas(p.size, p.size)
    shape_fn(glyph)
    dy = max(1, int(round(p.size / 24.0)))
    sh = glyph.tinted('#072050')
    sh.blur(max(1, int(round(p.size / 30.0))))
    p.c.draw(sh, 0, dy, opacity=0.28)
    p.c.draw(glyph)
    return p.c


def btn_capture(size):
    p = Pen(size, 24)

    def shape(c):
        t = p.w(2)
        x0, y0, x1, y1 = p.box(3, 3, 21, 21)
        arm = p.e(6)
        c.fill(viewfinder(x0, y0, x1, y1, t, arm, p.v(2.5), size >= 36),
               WHITE)
        cx = cy = size / 2.0
        outer = float(round(p.v(5)))
        c.fill(ring(cx, cy, outer - t / 2.0, t), WHITE)
        c.fill_circle(cx, cy, p.v(1.6), WHITE)
    return white_glyph(p, shape)


def gear_path(cx, cy, r_tip, r_body, teeth, half_w, tip_round=0.0):
    """Gear outline: teeth with parallel flanks (so the four axis-aligned
    teeth have crisp edges) joined by arcs of the body circle."""
    p = Path()
    step = 360.0 / teeth
    for i in range(teeth):
        a = math.radians(i * step - 90)
        ca, sa = math.cos(a), math.sin(a)

        def at(u, v):
            return (cx + u * ca - v * sa, cy + u * sa + v * ca)
        ub = math.sqrt(max(0.0, r_body * r_body - half_w * half_w))
        # Flank from the body up to the tip, across, and back down.
        p.line_to(*at(ub, -half_w))
        if tip_round > 0:
            p.line_to(*at(r_tip - tip_round, -half_w))
            for j in range(1, 5):
                t = math.radians(90 * j / 4.0)
                p.line_to(*at(r_tip - tip_round + tip_round * math.sin(t),
                              -half_w + tip_round - tip_round * math.cos(t)))
            p.line_to(*at(r_tip, half_w - tip_round))
            for j in range(1, 5):
                t = math.radians(90 * j / 4.0)
                p.line_to(*at(r_tip - tip_round + tip_round * math.cos(t),
                              half_w - tip_round + tip_round * math.sin(t)))
        else:
            p.line_to(*at(r_tip, -half_w))
            p.line_to(*at(r_tip, half_w))
        p.line_to(*at(ub, half_w))
        # Body arc to the next tooth.
        a0 = i * step - 90 + math.degrees(math.asin(half_w / r_body))
        a1 = (i + 1) * step - 90 - math.degrees(math.asin(half_w / r_body))
        n = 6
        for j in range(1, n):
            t = math.radians(a0 + (a1 - a0) * j / n)
            p.line_to(cx + r_body * math.cos(t), cy + r_body * math.sin(t))
    return p.close().oriented(True)


def btn_settings(size):
    p = Pen(size, 24)

    def shape(c):
        cx = cy = size / 2.0
        tip = float(round(p.v(10)))
        hw = p.w(2.0)
        body = p.v(7.2)
        gear = gear_path(cx, cy, tip, body, 8, hw, tip_round=p.v(0.5))
        # A wide hole keeps the ring about as heavy as the other glyphs'
        # two-pixel strokes.
        hole = float(round(p.v(4.6)))
        c.fill(gear + circle(cx, cy, hole).reversed(), WHITE)
    return white_glyph(p, shape)


def btn_open(size):
    p = Pen(size, 24)

    def shape(c):
        t = p.w(2)
        lx = p.mid(3, t)            # left side of the back panel
        ty = p.mid(5, t)            # top of the tab
        tab_end = p.v(9)
        shelf = p.mid(7, t)         # top of the back panel behind the tab
        rx = p.mid(19, t)
        flap_top = p.e(10)
        bottom = p.e(20)
        back = [(lx, p.v(16)), (lx, ty), (tab_end, ty),
                (tab_end + (shelf - ty), shelf), (rx, shelf),
                (rx, flap_top + t / 2.0)]
        c.fill(polyline(back, t), WHITE)
        # The front flap leans forward: a parallelogram from the back
        # panel's foot to the right, filled and also stroked thinly so its
        # corners are rounded a little, like the back panel's round joins.
        r = p.v(0.6)
        pts = [(p.v(6.3) + r, flap_top + r),
               (p.v(22.5) - r * 1.6, flap_top + r),
               (p.v(19.2) - r, bottom - r), (lx - t / 2.0 + r, bottom - r)]
        c.fill(polygon(pts), WHITE)
        c.fill(polyline(pts, r * 2, closed=True), WHITE)
    return white_glyph(p, shape)


def btn_help(size):
    p = Pen(size, 24)

    def shape(c):
        t = p.w(2)
        cx = cy = size / 2.0
        outer = float(round(p.v(10)))
        c.fill(ring(cx, cy, outer - t / 2.0, t), WHITE)
        # Question mark: a hook round a centre a little above the middle,
        # easing into a short vertical stem, then the dot.
        sx = p.mid(12, t)
        hr = p.v(2.9)
        hy = p.v(9.6)
        hook = Path()
        hook.arc(sx, hy, hr, 180, 360 + 50)
        line = hook.contours[0] + [(sx, p.v(13.2)), (sx, p.v(14.2))]
        c.fill(polyline(line, t), WHITE)
        c.fill_circle(sx, p.v(17.3), p.v(1.35), WHITE)
    return white_glyph(p, shape)


# ====================================================================== profiles

def window(p, x0, y0, x1, y1, r, frame, body, title_y1, bw):
    """Application window: a frame-coloured rounded rectangle (its top is
    the title bar, down to title_y1) with the client area inset as a
    lighter panel."""
    c = p.c
    c.fill(rrect(x0, y0, x1, y1, r), frame)
    ri = max(0.0, r - bw)
    c.fill(rrect(x0 + bw, title_y1, x1 - bw, y1 - bw, (0, 0, ri, ri)), body)


# Arrow pointer for the 16 px window icon, where a drawn one is mush.
POINTER_16 = [
    'K.....',
    'KK....',
    'KWK...',
    'KWWK..',
    'KWWWK.',
    'KWWKKK',
    'KWK...',
    'KK....',
]


def pointer(c, x, y, s, outline=SLATE, fill=WHITE):
    """Arrow pointer with its tip at (x, y); s is its height in pixels."""
    shape = [(0, 0), (0, 0.80), (0.21, 0.62), (0.36, 0.93), (0.50, 0.87),
             (0.36, 0.57), (0.62, 0.57)]
    pts = [(x + u * s, y + v * s) for u, v in shape]
    lw = max(1.0, s / 9.0)
    c.fill(polyline(pts, lw * 2, closed=True), outline)
    c.fill(polygon(pts), fill)


def picture_in(p, x0, y0, x1, y1, r):
    """Landscape clipped to the rounded box: sky, sun and two teal hills.
    The sun is a whole-pixel disc at small sizes so it stays a round dot
    rather than a smudge."""
    layer = Canvas(p.size, p.size)
    shape = rrect(x0, y0, x1, y1, r)
    layer.fill(shape, LinearGradient(0, y0, 0, y1, [(0, '#a9d6ff'),
                                                     (1, '#e6f3ff')]))
    w = x1 - x0
    h = y1 - y0
    sr = max(1.0, round(min(w, h) * 0.14 * 2) / 2.0)
    sx = round(x0 + w * 0.28 + sr) - sr
    sy = round(y0 + h * 0.32 + sr) - sr
    layer.fill_circle(sx, sy, sr, SUN, mode='atop')
    layer.fill_polygon([(x0 - 2, y1 + 1), (x0 + w * 0.34, y0 + h * 0.50),
                        (x0 + w * 0.74, y1 + 1)], TEAL, mode='atop')
    layer.fill_polygon([(x0 + w * 0.34, y1 + 1),
                        (x0 + w * 0.70, y0 + h * 0.42),
                        (x1 + 2, y0 + h * 0.90), (x1 + 2, y1 + 1)],
                       TEAL_DEEP, mode='atop')
    p.c.draw(layer)


def framed_picture(p, x0, y0, x1, y1, r):
    p.c.fill(rrect(x0, y0, x1, y1, r), FRAME)
    fw = p.w(1)
    picture_in(p, x0 + fw, y0 + fw, x1 - fw, y1 - fw, max(0.0, r - fw))


def selection_dashes(p):
    """Pixel dash pattern (dash, gap) for selection outlines."""
    return {16: (2, 1), 20: (2, 1), 24: (3, 2), 32: (4, 2)}.get(
        p.size, (int(round(p.v(2.5))), int(round(p.v(1.5)))))


def profile_region(size):
    p = Pen(size, 24)
    c = p.c
    framed_picture(p, *p.box(2, 6, 18, 21), r=p.v(2))
    # Selection over the top-right of the picture, with a translucent
    # wash so the selected part reads as picked out.
    sx0, sy0, sx1, sy1 = p.box(8, 2, 22, 15)
    c.fill_rect(sx0, sy0, sx1 - sx0, sy1 - sy0, (0.13, 0.38, 1.0, 0.18))
    w = p.w(1.5) if size > 16 else 1.0
    dash, gap = selection_dashes(p)
    dashed_box(c, sx0, sy0, sx1, sy1, w, dash, gap, BLUE_DEEP)
    return c


def profile_window(size):
    p = Pen(size, 24)
    c = p.c
    x0, y0, x1, y1 = p.box(2, 3, 22, 20)
    bw = p.w(1)
    window(p, x0, y0, x1, y1, p.v(2), tile_gradient(x0, y0, x1, y1),
           WHITE, p.e(7), bw)
    # A control inside the client area, framed the way the capture frames
    # the object under the pointer.
    bx0, by0, bx1, by1 = p.box(6, 10, 15, 15)
    c.fill(rrect(bx0, by0, bx1, by1, p.v(1)), '#d7e3f0')
    hw = p.w(1.5)
    c.fill(inner_ring(bx0 - hw, by0 - hw, bx1 + hw, by1 + hw, p.v(1.5), hw),
           ORANGE)
    if size == 16:
        c.paint_pixels(POINTER_16, {'K': SLATE, 'W': WHITE}, 9, 8)
    else:
        pointer(c, p.e(13.5), p.e(13), p.v(10))
    return c


def profile_foreground(size):
    p = Pen(size, 24)
    c = p.c
    bw = p.w(1)
    x0, y0, x1, y1 = p.box(2, 3, 16, 14)
    window(p, x0, y0, x1, y1, p.v(1.5), GREY_FRAME, GREY_BODY, p.e(6), bw)
    fx0, fy0, fx1, fy1 = p.box(7, 8, 22, 21)
    # A soft shadow lifts the front window off the one behind.
    sh = Canvas(size, size)
    sh.fill(rrect(fx0, fy0, fx1, fy1, p.v(2)), '#0a2450')
    sh.blur(max(1, int(round(p.v(1)))))
    c.draw(sh, 0, int(max(1, round(p.v(1)))), opacity=0.3)
    c.fill(rrect(fx0 - bw, fy0 - bw, fx1 + bw, fy1 + bw, p.v(2) + bw),
           WHITE, mode='erase')
    window(p, fx0, fy0, fx1, fy1, p.v(2), tile_gradient(fx0, fy0, fx1, fy1),
           WHITE, p.e(11), bw)
    return c


def corner_marks(c, x0, y0, x1, y1, t, ax, ay, paint):
    """Four L-shaped corner marks inside whole-pixel edges: horizontal arms
    ax long, vertical arms ay long, t thick."""
    for left in (True, False):
        for top in (True, False):
            hx = x0 if left else x1 - ax
            vx = x0 if left else x1 - t
            hy = y0 if top else y1 - t
            vy = y0 if top else y1 - ay
            c.fill_rect(hx, hy, ax, t, paint)
            c.fill_rect(vx, vy, t, ay, paint)


def profile_fullscreen(size):
    p = Pen(size, 24)
    c = p.c
    if size == 16:
        x0, y0, x1, y1 = 1, 2, 15, 12
        bw, neck, foot = 1, (7, 12, 9, 14), (5, 14, 11, 15)
    else:
        x0, y0, x1, y1 = p.box(1, 2, 23, 18)
        bw = p.w(1.5)
        neck = p.box(10, 18, 14, 20)
        foot = p.box(7, 20, 17, 22)
    r = p.v(2)
    c.fill(rrect(x0, y0, x1, y1, r), SLATE)
    sx0, sy0, sx1, sy1 = x0 + bw, y0 + bw, x1 - bw, y1 - bw
    c.fill(rrect(sx0, sy0, sx1, sy1, max(0.0, r - bw)),
           tile_gradient(sx0, sy0, sx1, sy1))
    c.fill_rect(neck[0], neck[1], neck[2] - neck[0], neck[3] - neck[1],
                '#56687c')
    c.fill(rrect(foot[0], foot[1], foot[2], foot[3], p.v(0.75)), SLATE)
    # Corner marks pushed out to the screen's edges: "all of it".
    t = p.w(1.5) if size > 20 else 1
    inset = p.w(2) if size > 16 else 1
    ax = {16: 3, 20: 3, 24: 4}.get(size, p.e(4))
    ay = {16: 2, 20: 2, 24: 3}.get(size, p.e(3))
    corner_marks(c, sx0 + inset, sy0 + inset, sx1 - inset, sy1 - inset, t,
                 ax, ay, WHITE)
    return c


def profile_web(size):
    p = Pen(size, 24)
    c = p.c
    # Centre on a pixel centre so the 1 px meridian and equator are crisp.
    cx = math.floor(p.v(10.5)) + 0.5
    cy = cx
    R = round(cx + p.v(8.5)) - cx
    globe = circle(cx, cy, R)
    layer = Canvas(size, size)
    layer.fill(globe, tile_gradient(cx - R, cy - R, cx + R, cy + R))
    lw = p.w(1)
    ink = (1, 1, 1, 0.9)
    if size <= 20:
        cells = pixel_curve(ellipse_points(cx, cy, R * 0.45, R - 0.5))
        for x, y in cells:
            layer.fill_rect(x, y, 1, 1, ink, mode='atop')
    else:
        layer.fill(_ellipse_ring(cx, cy, R * 0.45, R - lw / 2, lw), ink,
                   mode='atop')
    layer.fill(rect(cx - lw / 2, cy - R, lw, 2 * R), ink, mode='atop')
    layer.fill(rect(cx - R, cy - lw / 2, 2 * R, lw), ink, mode='atop')
    off = round(R * 0.5)
    for yy in (cy - off, cy + off):
        layer.fill(rect(cx - R, yy - lw / 2, 2 * R, lw), ink, mode='atop')
    # Picture badge cut into the globe's lower right.
    if size == 16:
        bx0, by0, bx1, by1 = 8, 9, 16, 15
    else:
        bx0, by0, bx1, by1 = p.box(12, 12, 23, 22)
    gap = p.w(1)
    layer.fill(rrect(bx0 - gap, by0 - gap, bx1 + gap, by1 + gap,
                     p.v(1.5) + gap), WHITE, mode='erase')
    c.draw(layer)
    framed_picture(p, bx0, by0, bx1, by1, p.v(1.5))
    return c


def _ellipse_ring(cx, cy, rx, ry, w):
    h = w / 2.0
    return ellipse(cx, cy, rx + h, ry + h) + \
        ellipse(cx, cy, max(0.1, rx - h), max(0.1, ry - h)).reversed()


def profile_color(size):
    """Pipette on the diagonal, tip low left, with a drop of the picked
    colour.  Painted by classifying points by their distance along and
    across the pipette's axis, supersampled; at 16 px the body takes one
    sample per pixel instead, which gives clean 45-degree steps where
    anti-aliased one-pixel walls would turn to grey mush."""
    p = Pen(size, 24)
    k = p.k
    # Tip on a pixel centre so the axis runs through pixel centres.
    tx = math.floor(p.v(5.5)) + 0.5
    ty = math.floor(p.v(16.5)) + 0.5
    if size == 16:
        ty -= 1.0            # room for the drop below the tip
    r2 = 1 / math.sqrt(2)
    cols = {n: color(v) for n, v in (('slate', SLATE), ('coral', CORAL),
                                     ('glass', '#e6f3ff'), ('blue', BLUE))}
    bulb_end = 16.0
    if size == 16:
        # Thinner at 16 px: glass one pixel wide between single-pixel
        # walls, mostly filled, since a pale pixel or two of empty glass
        # would split the barrel into two dotted lines.
        barrel, wall, collar, bulb, level = 1.2, 0.7, 3.2, 2.2, 9.5
    else:
        barrel, wall, collar, bulb, level = 2.25, 1.5, 3.45, 2.45, 7.2

    def pipette(x, y, parts='all'):
        dx, dy = (x - tx) / k, (y - ty) / k
        s = (dx - dy) * r2
        d = abs(dx + dy) * r2
        if s < -0.3:
            return None
        if s > bulb_end:
            d = math.hypot(s - bulb_end, d)
            s = bulb_end
        if parts == 'bulb':
            return cols['blue'] if s >= 12.6 and d <= bulb else None
        if parts == 'body' and s >= 12.6:
            return None
        if s < 3.0:
            return cols['slate'] if d <= 0.55 + 0.12 * s else None
        if s < 11.0:
            if d > barrel:
                return None
            if d > wall:
                return cols['slate']
            return cols['coral'] if s < level else cols['glass']
        if s < 12.6:
            return cols['slate'] if d <= collar else None
        return cols['blue'] if d <= bulb else None

    # Drop: a disc with a point rising to the tip.  At 16 px the disc is
    # centred on a pixel corner: a solid 2 x 2 core with soft edges reads
    # as round, where one centred on a pixel looks like a little cross.
    if size == 16:
        dcx, dcy, dr = tx - 1.5, ty + 3.5, 1.6 / k
    else:
        dcx, dcy, dr = tx - p.v(1.2), ty + p.v(4.3), 1.75

    def drop(x, y):
        dx, dy = (x - dcx) / k, (y - dcy) / k
        if dx * dx + dy * dy <= dr * dr:
            return cols['coral']
        # Cone from the disc up to the apex, tangent to the disc.
        apex = 4.4 if size == 16 else 3.4
        if -apex <= dy <= 0:
            half = dr * (1 + dy / apex) * 1.02
            if abs(dx) <= half:
                return cols['coral']
        return None

    if size == 16:
        classify(p.c, lambda x, y: pipette(x, y, 'body'), 1)
        # The bulb's round end would come out as a point with one sample.
        classify(p.c, lambda x, y: pipette(x, y, 'bulb'), 4)
    else:
        classify(p.c, pipette, 4)
    classify(p.c, drop, 4)
    return p.c


# ====================================================================== options

def opt_pen(size):
    return Pen(size, 16)


WASH = (0.12, 0.48, 0.9, 0.22)      # translucent program blue
WASH_RGBA = color(WASH)


def opt_rectangle(size):
    p = opt_pen(size)
    c = p.c
    x0, y0, x1, y1 = p.box(1, 3, 15, 13)
    w = p.w(1)
    c.fill_rect(x0, y0, x1 - x0, y1 - y0, WASH)
    dash, gap = selection_dashes(p)
    dashed_box(c, x0, y0, x1, y1, w, dash, gap, SLATE)
    return c


def dashed_outline(p, pts, paint):
    """A dashed closed curve: pixel-exact at 16 and 20 px, anti-aliased
    and two pixels wide above."""
    c = p.c
    if p.size <= 20:
        cells = pixel_curve(pts)
        paint_cells(c, pixel_dashes(cells, 2, 1), paint)
    else:
        dash, gap = selection_dashes(p)
        c.fill(dashed_curve(pts, p.w(1), dash, gap), paint)


def opt_elliptic(size):
    p = opt_pen(size)
    c = p.c
    cx = cy = size / 2.0
    if size <= 20:
        # Centre line through pixel centres at the extremes.
        rx, ry = cx - 1.5, math.floor(p.v(5.5)) - 0.5
    else:
        w = p.w(1)
        rx, ry = p.v(7) - w / 2, p.v(5.5) - w / 2
    c.fill(ellipse(cx, cy, rx, ry), WASH)
    dashed_outline(p, ellipse_points(cx, cy, rx, ry), SLATE)
    return c


def opt_freehand(size):
    p = opt_pen(size)
    c = p.c
    # A free polygon: uneven straight sides with one inward corner, the
    # kind of outline drawn round an odd-shaped object.  At 16 px every
    # vertex is a pixel centre and every side runs at a slope of 1, 2, 1/4
    # or 1/8, so the traced pixel chain steps evenly.
    if size <= 20:
        base = [(1.5, 6.5), (5.5, 2.5), (13.5, 4.5), (10.5, 7.5),
                (13.5, 13.5), (5.5, 14.5)]
        pts = [(math.floor(x * p.k) + 0.5, math.floor(y * p.k) + 0.5)
               for x, y in base]
        dense = []
        for i in range(len(pts)):
            x0, y0 = pts[i]
            x1, y1 = pts[(i + 1) % len(pts)]
            m = max(1, int(math.hypot(x1 - x0, y1 - y0) / 0.2))
            dense += [(x0 + (x1 - x0) * j / m, y0 + (y1 - y0) * j / m)
                      for j in range(m)]
        chain = pixel_curve(dense)
        # Whole-pixel wash strictly inside the chain, so no tint shows
        # outside the outline through the gaps between dashes.
        on_chain = set(chain)
        classify(c, lambda x, y: WASH_RGBA if (
            (int(x), int(y)) not in on_chain and inside_polygon(pts, x, y))
            else None, 1)
        paint_cells(c, pixel_dashes(chain, 2, 1), SLATE)
    else:
        # Two-pixel strokes: vertices on pixel corners instead.
        base = [(1.5, 6.5), (5.5, 2.5), (14.0, 4.5), (10.5, 7.5),
                (14.0, 13.7), (5.5, 14.5)]
        pts = [(float(round(x * p.k)), float(round(y * p.k)))
               for x, y in base]
        c.fill(polygon(pts), WASH)
        dash, gap = selection_dashes(p)
        c.fill(dashed_curve(pts, p.w(1), dash, gap), SLATE)
    return c


def opt_windows(size):
    p = opt_pen(size)
    c = p.c
    hw = p.w(1)
    x0, y0, x1, y1 = p.box(1, 2, 15, 14)
    # The highlight: a blue frame with a light wash, the window inside.
    c.fill(rrect(x0, y0, x1, y1, p.v(1.5)), WASH)
    c.fill(inner_ring(x0, y0, x1, y1, p.v(1.5), hw), BLUE)
    g = 1 if size <= 24 else p.w(1)
    ix0, iy0, ix1, iy1 = x0 + hw + g, y0 + hw + g, x1 - hw - g, y1 - hw - g
    c.fill(rrect(ix0, iy0, ix1, iy1, p.v(0.5)), SLATE)
    bw = p.w(0.75)
    c.fill_rect(ix0 + bw, iy0 + p.e(2), ix1 - ix0 - 2 * bw,
                iy1 - iy0 - p.e(2) - bw, WHITE)
    return c


def arrow_head_down(c, x, w, tip, h, paint):
    """Stepped arrow head over a shaft [x, x + w): rows one pixel tall,
    each one pixel narrower per side, ending in a w-wide point at tip."""
    h = int(h)
    for i in range(h):
        half = h - 1 - i
        c.fill_rect(x - half, tip - h + i, w + 2 * half, 1, paint)


def opt_autoscroll(size):
    p = opt_pen(size)
    c = p.c
    w = p.w(1)
    x0, y0, x1, y1 = p.box(2, 1, 10, 15)
    c.fill(rrect(x0, y0, x1, y1, p.v(1)), WHITE)
    c.fill(inner_ring(x0, y0, x1, y1, p.v(1), w), SLATE)
    lw = 1 if size <= 24 else w
    for yy in (4, 6, 8, 10, 12):
        c.fill_rect(x0 + p.e(2), p.e(yy), x1 - x0 - 2 * p.e(2), lw,
                    '#8796a6')
    # Arrow down beside the page.
    ax = p.e(12.5)
    tip = p.e(14)
    h = {16: 3, 20: 4, 24: 4}.get(size, p.e(3))
    c.fill_rect(ax, p.e(3), w, tip - h - p.e(3), BLUE)
    arrow_head_down(c, ax, w, tip, h, BLUE)
    return c


def opt_menutime(size):
    p = opt_pen(size)
    c = p.c
    w = p.w(1)
    x0, y0, x1, y1 = p.box(1, 1, 11, 12)
    c.fill(rrect(x0, y0, x1, y1, p.v(1)), WHITE)
    c.fill(inner_ring(x0, y0, x1, y1, p.v(1), w), SLATE)
    for i, yy in enumerate((3, 6, 9)):
        if i == 1:
            c.fill_rect(x0 + w, p.e(yy) - w, x1 - x0 - 2 * w, 3 * w, WASH)
        c.fill_rect(x0 + p.e(2), p.e(yy), p.e(6), w,
                    BLUE if i == 1 else '#8796a6')
    # Clock badge at the lower right, cut out of the menu.
    if size <= 20:
        cx = cy = size - 4.5
        R = 4.0
        c.fill_circle(cx, cy, R + 1.5, (0, 0, 0, 1), mode='erase')
        c.fill_circle(cx, cy, R, WHITE)
        paint_cells(c, pixel_curve(ellipse_points(cx, cy, R, R)), BLUE)
        hx = int(cx)
        c.fill_rect(hx, int(cy) - 2, 1, 3, SLATE)
        c.fill_rect(hx, int(cy), 3, 1, SLATE)
    else:
        Ro = float(round(p.v(4.5)))
        cx = cy = size - Ro
        c.fill_circle(cx, cy, Ro + w, (0, 0, 0, 1), mode='erase')
        c.fill_circle(cx, cy, Ro, BLUE)
        c.fill_circle(cx, cy, Ro - w, WHITE)
        c.fill_rect(cx - w / 2, cy - Ro * 0.55, w, Ro * 0.55 + w / 2, SLATE)
        c.fill_rect(cx - w / 2, cy - w / 2, Ro * 0.5 + w / 2, w, SLATE)
    return c


def opt_images(size):
    p = opt_pen(size)
    c = p.c
    x0, y0, x1, y1 = p.box(1, 2, 15, 14)
    w = p.w(1)
    c.fill(rrect(x0, y0, x1, y1, p.v(1.5)), SLATE)
    ix0, iy0, ix1, iy1 = x0 + w, y0 + w, x1 - w, y1 - w
    c.fill(rrect(ix0, iy0, ix1, iy1, max(0.0, p.v(1.5) - w)), WHITE)
    iw, ih = ix1 - ix0, iy1 - iy0
    sr = max(1.2, round(p.v(1.3) * 2) / 2.0)
    sx = round(ix0 + iw * 0.25 + sr) - sr
    sy = round(iy0 + ih * 0.25 + sr) - sr
    c.fill_circle(sx, sy, sr, BLUE)
    c.fill_polygon([(ix0, iy1), (ix0 + iw * 0.38, iy0 + ih * 0.5),
                    (ix0 + iw * 0.7, iy1)], BLUE)
    c.fill_polygon([(ix0 + iw * 0.4, iy1), (ix0 + iw * 0.68, iy0 + ih * 0.58),
                    (ix1, iy0 + ih * 0.85), (ix1, iy1)], '#1557b8')
    return c


def opt_flash(size):
    """Film strip with a play mark: moving pictures in general."""
    p = opt_pen(size)
    c = p.c
    x0, y0, x1, y1 = p.box(2, 1, 14, 15)
    c.fill(rrect(x0, y0, x1, y1, p.v(1)), SLATE)
    h = p.w(1)
    # Sprocket holes down both edges, one hole-size apart.
    yy = y0 + h
    while yy + h <= y1 - h:
        c.fill_rect(x0 + h, yy, h, h, WHITE, mode='erase')
        c.fill_rect(x1 - 2 * h, yy, h, h, WHITE, mode='erase')
        yy += 2 * h
    g = 1 if size <= 24 else h
    fx0, fy0, fx1, fy1 = (x0 + 2 * h + g, y0 + p.e(3), x1 - 2 * h - g,
                          y1 - p.e(3))
    c.fill_rect(fx0, fy0, fx1 - fx0, fy1 - fy0, BLUE)
    my = (fy0 + fy1) / 2.0
    if size == 16:
        for i, hh in enumerate((6, 4, 2)):
            c.fill_rect(7 + i, my - hh / 2, 1, hh, WHITE)
    else:
        mx = (fx0 + fx1) / 2.0
        s = (fx1 - fx0) * 0.34
        c.fill_polygon([(mx - s * 0.75, my - s), (mx + s * 0.95, my),
                        (mx - s * 0.75, my + s)], WHITE)
    return c


# ====================================================================== sound

# Sound waves at 16 px, placed by hand: two brackets with their corners
# softened by half-strength pixels.
WAVES_16 = [(10, 6), (11, 7), (11, 8), (10, 9),
            (12, 3), (13, 4), (14, 5), (14, 6), (14, 7), (14, 8), (14, 9),
            (14, 10), (13, 11), (12, 12)]
WAVES_16_SOFT = [(10, 5), (10, 10), (11, 6), (11, 9), (13, 3), (13, 12)]


def sound_item(size):
    p = Pen(size, 16)
    c = p.c
    x0, y0, x1, y1 = p.box(1, 6, 4, 10)
    c.fill_rect(x0, y0, x1 - x0, y1 - y0, SLATE)
    c.fill_polygon([(x1, y0), (p.e(8), y0 - (p.e(8) - x1)),
                    (p.e(8), y1 + (p.e(8) - x1)), (x1, y1)], SLATE)
    if size == 16:
        paint_cells(c, WAVES_16, BLUE)
        paint_cells(c, WAVES_16_SOFT, BLUE + '70')
        return c
    # Waves: arcs whose upright middles fall exactly on pixel columns,
    # so only their curling ends are anti-aliased.
    cy = size / 2.0
    cx = p.e(8)
    w = p.w(1)
    for r in (2.5, 5.5):
        rr = round(cx + p.v(r) + w / 2.0) - w / 2.0 - cx
        arc = Path()
        arc.arc(cx, cy, rr, -45, 45)
        c.fill(polyline(arc.contours[0], w), BLUE)
    return c


# ====================================================================== editor tool bar

GREEN = '#21a366'
GREEN_DEEP = '#168452'


def page(p, x0, y0, x1, y1, fold):
    """A white sheet with a folded top-right corner and a slate edge."""
    c = p.c
    w = p.w(1.25)
    outline = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    c.fill(polygon(outline), WHITE)
    c.fill(polyline(outline, w, closed=True), SLATE)
    c.fill(polyline([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)],
                    w), SLATE)


def badge(p, cx, cy, r, paint):
    """A round badge cut out of what lies beneath, so it reads on top."""
    p.c.fill_circle(cx, cy, r + p.w(1), (0, 0, 0, 1), mode='erase')
    p.c.fill_circle(cx, cy, r, paint)


def tool_finish(size):
    """Done with the file: a sheet with a green tick."""
    p = Pen(size, 24)
    x0, y0, x1, y1 = p.box(4, 2, 17, 21)
    page(p, x0, y0, x1, y1, p.v(4))
    c = p.c
    for yy in (8, 11, 14):
        c.fill_rect(x0 + p.e(2.5), p.e(yy), p.e(7), p.w(1), '#8796a6')
    cx, cy, r = p.v(17), p.v(17), p.v(5.6)
    badge(p, cx, cy, r, GREEN)
    t = p.w(1.8)
    c.fill(polyline([(cx - r * 0.5, cy + r * 0.02), (cx - r * 0.12, cy + r * 0.4),
                     (cx + r * 0.52, cy - r * 0.38)], t), WHITE)
    return c


def tool_close(size):
    """Put the file away: a rounded tile with a cross."""
    p = Pen(size, 24)
    c = p.c
    x0, y0, x1, y1 = p.box(3, 3, 21, 21)
    c.fill(rrect(x0, y0, x1, y1, p.v(4)), CORAL)
    c.fill(rrect(x0, y0, x1, y0 + (y1 - y0) / 2.0, (p.v(4), p.v(4), 0, 0)),
           (1, 1, 1, 0.14), mode='atop')
    t = p.w(2.2)
    m = p.v(7.6)
    c.fill(polyline([(m, m), (size - m, size - m)], t), WHITE)
    c.fill(polyline([(m, size - m), (size - m, m)], t), WHITE)
    return c


def tool_saveas(size):
    """A disk with a pencil: saving under a name."""
    p = Pen(size, 24)
    c = p.c
    x0, y0, x1, y1 = p.box(2, 3, 18, 19)
    c.fill(rrect(x0, y0, x1, y1, (p.v(1.5), p.v(3), p.v(1.5), p.v(1.5))), BLUE)
    # Shutter at the top, label below.
    c.fill_rect(x0 + p.e(3.5), y0, p.e(8), p.e(5.5), '#d7e3f0')
    c.fill_rect(x0 + p.e(8.5), y0 + p.e(1), p.e(2), p.e(3.5), BLUE)
    c.fill(rrect(x0 + p.e(2.5), y0 + p.e(8.5), x1 - p.e(2.5), y1,
                 (p.v(1), p.v(1), 0, 0)), WHITE)
    # Pencil across the lower right, cut out of the disk.
    pts = [(p.v(22.2), p.v(12.6)), (p.v(13.6), p.v(21.2))]
    w = p.v(3.6)
    c.fill(polyline(pts, w + 2 * p.w(1)), (0, 0, 0, 1), mode='erase')
    c.fill(polyline(pts, w), ORANGE)
    tip = [(p.v(13.6) - p.v(1.2), p.v(21.2) + p.v(1.2)),
           (p.v(14.9), p.v(18.4)), (p.v(16.4), p.v(19.9))]
    c.fill(polygon(tip), SLATE)
    c.fill(polyline([pts[0], (p.v(20.6), p.v(14.2))], w), '#ffb8c4')
    return c


def curved_arrow(p, mirrored):
    """Undo: an arc over the top whose head points back to the left;
    Redo is its mirror image."""
    c = Canvas(p.size, p.size)
    t = p.w(2.2)
    cx, cy, r = p.v(12.5), p.v(13.5), p.v(6.2)
    arc = Path()
    arc.arc(cx, cy, r, 75, -180 - 10)
    pts = arc.contours[0]
    c.fill(polyline(pts[:-3], t), BLUE)
    # Head at the arc's left end, pointing down and back.
    ex, ey = cx - r, cy + p.v(0.6)
    hs = p.v(4.6)
    c.fill_polygon([(ex - hs * 0.95, ey - hs * 0.35), (ex + hs * 0.95, ey - hs * 0.35),
                    (ex, ey + hs * 0.75)], BLUE)
    if mirrored:
        out = Canvas(p.size, p.size)
        for y in range(p.size):
            for x in range(p.size):
                j = y * p.size + x
                k = y * p.size + (p.size - 1 - x)
                out.r[j], out.g[j], out.b[j], out.a[j] = c.r[k], c.g[k], c.b[k], c.a[k]
        c = out
    p.c.draw(c)
    return p.c


def tool_undo(size):
    return curved_arrow(Pen(size, 24), False)


def tool_redo(size):
    return curved_arrow(Pen(size, 24), True)


def tool_crop(size):
    """The two crossed corners of a cropping frame over a picture."""
    p = Pen(size, 24)
    c = p.c
    framed_picture(p, *p.box(7, 7, 17, 17), r=p.v(1))
    t = p.w(2.2)
    a = p.mid(6, t)
    b = p.mid(18, t)
    c.fill(polyline([(a, p.v(2)), (a, b), (p.v(22), b)], t), SLATE)
    c.fill(polyline([(p.v(2), a), (b, a), (b, p.v(22))], t), SLATE)
    return c


def magnifier(p, mark):
    """A lens with a handle; `mark` draws what the lens shows."""
    c = p.c
    t = p.w(2)
    cx = cy = p.v(10)
    r = p.v(7)
    c.fill(capsule(cx + r * 0.62, cy + r * 0.62, p.v(21), p.v(21), p.w(3.4)),
           SLATE)
    c.fill_circle(cx, cy, r, '#e6f3ff')
    c.fill(ring(cx, cy, r - t / 2.0, t), SLATE)
    mark(c, cx, cy, r - t)
    return c


def tool_zoom_in(size):
    p = Pen(size, 24)

    def plus(c, cx, cy, r):
        t = p.w(1.8)
        a = r * 0.62
        c.fill(rect(cx - a, cy - t / 2.0, 2 * a, t), BLUE)
        c.fill(rect(cx - t / 2.0, cy - a, t, 2 * a), BLUE)
    return magnifier(p, plus)


def tool_zoom_out(size):
    p = Pen(size, 24)

    def minus(c, cx, cy, r):
        t = p.w(1.8)
        a = r * 0.62
        c.fill(rect(cx - a, cy - t / 2.0, 2 * a, t), BLUE)
    return magnifier(p, minus)


def tool_actual(size):
    """The lens over "1:1": pixels at their own size."""
    p = Pen(size, 24)

    def one_to_one(c, cx, cy, r):
        t = max(1.0, p.w(1.3))
        h = r * 1.1
        gap = r * 0.5
        for x in (cx - gap - t / 2.0, cx + gap - t / 2.0):
            c.fill(rect(round(x), cy - h / 2.0, t, h), BLUE)
        d = max(1.0, t * 0.9)
        c.fill(rect(round(cx - d / 2.0), cy - h * 0.32, d, d), BLUE)
        c.fill(rect(round(cx - d / 2.0), cy + h * 0.32 - d, d, d), BLUE)
    return magnifier(p, one_to_one)


# ====================================================================== all

BANNER = [('BtnCapture', btn_capture), ('BtnSettings', btn_settings),
          ('BtnOpen', btn_open), ('BtnHelp', btn_help)]
PROFILES = [('ProfileRegion', profile_region),
            ('ProfileWindow', profile_window),
            ('ProfileForeground', profile_foreground),
            ('ProfileFullScreen', profile_fullscreen),
            ('ProfileWeb', profile_web), ('ProfileColor', profile_color)]
OPTIONS = [('OptRectangle', opt_rectangle), ('OptElliptic', opt_elliptic),
           ('OptFreeHand', opt_freehand), ('OptWindows', opt_windows),
           ('OptAutoScroll', opt_autoscroll), ('OptMenuTime', opt_menutime),
           ('OptImages', opt_images), ('OptFlash', opt_flash)]
SOUND = [('SoundItem', sound_item)]
TOOLS = [('ToolFinish', tool_finish), ('ToolClose', tool_close),
         ('ToolSaveAs', tool_saveas), ('ToolUndo', tool_undo),
         ('ToolRedo', tool_redo), ('ToolCrop', tool_crop),
         ('ToolZoomIn', tool_zoom_in), ('ToolActual', tool_actual),
         ('ToolZoomOut', tool_zoom_out)]

FAMILIES = [('banner', BANNER), ('profile', PROFILES), ('option', OPTIONS),
            ('sound', SOUND), ('tool', TOOLS)]


def make_icons():
    """{'BtnCapture.ico': [canvas, ...], ...} in a fixed order."""
    out = {}
    for family, items in FAMILIES:
        for name, draw in items:
            out[name + '.ico'] = [draw(s) for s in SIZES[family]]
    return out
