"""Small anti-aliased raster drawing kit, pure Python standard library.

Everything the program ships as artwork (icon, cursors, banner, logo, image
buttons, profile icons) is drawn with this module at build time, so it is
written to be deterministic (no randomness, no platform-dependent output)
and quick enough for a few hundred thousand pixels per build.

Conventions
-----------
* Coordinates are floats in pixels, y grows downwards.  Pixel (i, j) covers
  the square [i, i+1) x [j, j+1); its centre is (i + 0.5, j + 0.5).  A shape
  whose edges lie on integer coordinates is therefore drawn with hard,
  pixel-exact edges, which is how small icons are pixel-snapped.
* Colours are given as '#rgb', '#rrggbb', '#rrggbbaa', (r, g, b) or
  (r, g, b, a).  Tuples may hold floats 0..1 or ints 0..255 (a tuple with any
  value above 1 is read as 8-bit).  ``color()`` converts to a float RGBA tuple.
* A paint is a colour or a gradient (``LinearGradient``, ``RadialGradient``).
* Canvas pixels are premultiplied RGBA floats in four flat lists
  (``canvas.r``, ``.g``, ``.b``, ``.a``; index ``y * width + x``).

Shapes
------
Shapes are ``Path`` objects: a list of closed contours (lists of (x, y)
points), filled with the non-zero winding rule.  Curves are flattened when the
path is built, finely enough (``FLATNESS``) that the polygon is not visible.
Builders return a ``Path``:

    rect(x, y, w, h)                      rounded_rect(x, y, w, h, r)
    circle(cx, cy, r)                     ellipse(cx, cy, rx, ry, angle=0)
    polygon(points)                       ring(cx, cy, r, width)
    capsule(x0, y0, x1, y1, width)        polyline(points, width, closed=False)
    rounded_rect_ring(x, y, w, h, r, width)   ellipse_ring(cx, cy, rx, ry, width)

``polyline`` strokes with round joins and round caps: it is the union of one
capsule per segment, which non-zero filling gives for free.  ``Path`` also has
``move_to``, ``line_to``, ``quad_to``, ``cubic_to``, ``arc``, ``close``,
``add``, ``reversed``, ``transformed(matrix)``, ``translated``, ``scaled``,
``rotated``; ``affine_*`` helpers build matrices.

Canvas
------
    c = Canvas(width, height, background=None)
    c.fill(shape, paint, opacity=1.0, mode='over', samples=16)
        shape: Path, a point list (one polygon) or a list of point lists.
        mode: 'over'  (normal painting),
              'atop'  (paint only where the canvas already has alpha, e.g.
                       a sheen clipped to a tile),
              'erase' (cut the shape out of the canvas),
              'replace' (set the covered pixels to the paint).
        samples: vertical sub-scanlines per pixel row; horizontal coverage is
        computed exactly, so 16 gives smooth edges.
    c.fill_circle(cx, cy, r, paint, **kw)      c.stroke_circle(cx, cy, r, width, paint, **kw)
    c.fill_ellipse(cx, cy, rx, ry, paint, angle=0, **kw)
    c.stroke_ellipse(cx, cy, rx, ry, width, paint, **kw)
    c.fill_rect(x, y, w, h, paint, **kw)
    c.fill_rounded_rect(x, y, w, h, r, paint, **kw)
    c.stroke_rounded_rect(x, y, w, h, r, width, paint, **kw)
    c.fill_polygon(points, paint, **kw)
    c.line(x0, y0, x1, y1, width, paint, **kw)  (round caps)
    c.stroke_polyline(points, width, paint, closed=False, **kw)
    c.set_pixel(x, y, colour) / c.get_pixel(x, y) -> straight float RGBA
    c.paint_pixels(rows, palette, x=0, y=0)   pixel art: rows of characters,
        palette maps a character to a colour; characters not in it are skipped.
    c.draw(src, x=0, y=0, opacity=1.0, mode='over')  composite another canvas
    c.blur(radius, passes=3)                  in place, approximately Gaussian
    c.downsample(factor) -> Canvas            box filter (supersampling)
    c.upscale(factor) -> Canvas               nearest neighbour (previews)
    c.crop(x, y, w, h) -> Canvas              c.copy() -> Canvas
    c.tinted(colour) -> Canvas                same alpha, new colour
    c.to_rgba8(premultiplied=False) -> bytearray, top-down RGBA rows

Supersampling: for effects the analytic coverage cannot express (for example
blurring a small detail) draw on ``Canvas(w * k, h * k)`` with all coordinates
multiplied by k and call ``downsample(k)``.

File writers live in ``artwork.writers``.
"""

import math

__all__ = [
    'FLATNESS', 'color', 'mix', 'Path', 'rect', 'rounded_rect', 'circle',
    'ellipse', 'polygon', 'ring', 'ellipse_ring', 'rounded_rect_ring',
    'capsule', 'polyline', 'affine_identity', 'affine_translate',
    'affine_scale', 'affine_rotate', 'affine_multiply', 'LinearGradient',
    'RadialGradient', 'Canvas',
]

# Largest distance (pixels) between a flattened curve and the true curve.
FLATNESS = 0.02


# ---------------------------------------------------------------- colours

def color(value):
    """Return ``value`` as a straight (r, g, b, a) tuple of floats 0..1."""
    if isinstance(value, str):
        s = value.strip().lstrip('#')
        if len(s) in (3, 4):
            s = ''.join(ch * 2 for ch in s)
        if len(s) == 6:
            s += 'ff'
        if len(s) != 8:
            raise ValueError('bad colour %r' % value)
        return tuple(int(s[i:i + 2], 16) / 255.0 for i in range(0, 8, 2))
    vals = tuple(value)
    if len(vals) == 3:
        vals = vals + ((255 if any(v > 1 for v in vals) else 1.0),)
    if len(vals) != 4:
        raise ValueError('bad colour %r' % (value,))
    if any(v > 1 for v in vals):
        return tuple(v / 255.0 for v in vals)
    return tuple(float(v) for v in vals)


def mix(c0, c1, t):
    """Linear blend of two colours (straight alpha), t = 0 gives c0."""
    a = color(c0)
    b = color(c1)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))


def _premul(c):
    r, g, b, a = color(c)
    return (r * a, g * a, b * a, a)


# ---------------------------------------------------------------- affine

def affine_identity():
    return (1.0, 0.0, 0.0, 1.0, 0.0, 0.0)


def affine_translate(dx, dy):
    return (1.0, 0.0, 0.0, 1.0, float(dx), float(dy))


def affine_scale(sx, sy=None, cx=0.0, cy=0.0):
    if sy is None:
        sy = sx
    return (sx, 0.0, 0.0, sy, cx - sx * cx, cy - sy * cy)


def affine_rotate(angle_degrees, cx=0.0, cy=0.0):
    """Rotation about (cx, cy); positive angles turn clockwise on screen."""
    t = math.radians(angle_degrees)
    c = math.cos(t)
    s = math.sin(t)
    return (c, s, -s, c, cx - c * cx + s * cy, cy - s * cx - c * cy)


def affine_multiply(m2, m1):
    """Matrix applying m1 first, then m2.  Matrices are (a, b, c, d, e, f):
    x' = a*x + c*y + e, y' = b*x + d*y + f."""
    a1, b1, c1, d1, e1, f1 = m1
    a2, b2, c2, d2, e2, f2 = m2
    return (a2 * a1 + c2 * b1, b2 * a1 + d2 * b1,
            a2 * c1 + c2 * d1, b2 * c1 + d2 * d1,
            a2 * e1 + c2 * f1 + e2, b2 * e1 + d2 * f1 + f2)


# ---------------------------------------------------------------- paths

def _arc_steps(radius, sweep):
    """Segments needed so a flattened arc stays within FLATNESS."""
    r = abs(radius)
    if r <= FLATNESS:
        return 1
    step = 2.0 * math.acos(max(-1.0, 1.0 - FLATNESS / r))
    return max(2, int(math.ceil(abs(sweep) / step)))


def _signed_area(points):
    area = 0.0
    n = len(points)
    for i in range(n):
        x0, y0 = points[i]
        x1, y1 = points[(i + 1) % n]
        area += x0 * y1 - x1 * y0
    return area * 0.5


class Path:
    """A set of closed contours, filled with the non-zero winding rule.

    Contour orientation matters only where contours overlap: contours wound
    the same way unite, a contour wound the other way punches a hole.  The
    builders in this module produce positive (clockwise on screen) outlines
    and reversed ones for holes.
    """

    def __init__(self, contours=None):
        self.contours = [list(c) for c in (contours or [])]
        self._current = None

    # -- building
    def move_to(self, x, y):
        self._current = [(float(x), float(y))]
        self.contours.append(self._current)
        return self

    def line_to(self, x, y):
        if self._current is None:
            return self.move_to(x, y)
        self._current.append((float(x), float(y)))
        return self

    def _last(self):
        if not self._current:
            raise ValueError('path has no current point')
        return self._current[-1]

    def quad_to(self, cx, cy, x, y):
        x0, y0 = self._last()
        size = abs(cx - x0) + abs(cy - y0) + abs(x - cx) + abs(y - cy)
        n = max(2, int(math.ceil(math.sqrt(size / (8 * FLATNESS)))))
        for i in range(1, n + 1):
            t = i / n
            u = 1 - t
            self.line_to(u * u * x0 + 2 * u * t * cx + t * t * x,
                         u * u * y0 + 2 * u * t * cy + t * t * y)
        return self

    def cubic_to(self, c1x, c1y, c2x, c2y, x, y):
        x0, y0 = self._last()
        size = (abs(c1x - x0) + abs(c1y - y0) + abs(c2x - c1x) +
                abs(c2y - c1y) + abs(x - c2x) + abs(y - c2y))
        n = max(2, int(math.ceil(math.sqrt(size / (6 * FLATNESS)))))
        for i in range(1, n + 1):
            t = i / n
            u = 1 - t
            self.line_to(u * u * u * x0 + 3 * u * u * t * c1x +
                         3 * u * t * t * c2x + t * t * t * x,
                         u * u * u * y0 + 3 * u * u * t * c1y +
                         3 * u * t * t * c2y + t * t * t * y)
        return self

    def arc(self, cx, cy, r, start_degrees, end_degrees, ry=None):
        """Append an elliptical arc (angles clockwise from +x on screen).
        Starts a contour if there is none; otherwise joins with a line."""
        ry = r if ry is None else ry
        a0 = math.radians(start_degrees)
        a1 = math.radians(end_degrees)
        n = _arc_steps(max(r, ry), a1 - a0)
        for i in range(n + 1):
            t = a0 + (a1 - a0) * i / n
            self.line_to(cx + r * math.cos(t), cy + ry * math.sin(t))
        return self

    def close(self):
        self._current = None
        return self

    def add(self, other):
        """Append the contours of another Path (or a point list)."""
        if isinstance(other, Path):
            self.contours.extend(list(c) for c in other.contours)
        else:
            self.contours.append([(float(x), float(y)) for x, y in other])
        self._current = None
        return self

    # -- derived paths
    def reversed(self):
        return Path([list(reversed(c)) for c in self.contours])

    def oriented(self, positive=True):
        """Each contour turned so its winding has the requested sign."""
        out = []
        for c in self.contours:
            if (_signed_area(c) >= 0) != positive:
                c = list(reversed(c))
            out.append(c)
        return Path(out)

    def transformed(self, m):
        a, b, c, d, e, f = m
        return Path([[(a * x + c * y + e, b * x + d * y + f) for x, y in cont]
                     for cont in self.contours])

    def translated(self, dx, dy):
        return self.transformed(affine_translate(dx, dy))

    def scaled(self, sx, sy=None, cx=0.0, cy=0.0):
        return self.transformed(affine_scale(sx, sy, cx, cy))

    def rotated(self, angle_degrees, cx=0.0, cy=0.0):
        return self.transformed(affine_rotate(angle_degrees, cx, cy))

    def bounds(self):
        xs = [p[0] for c in self.contours for p in c]
        ys = [p[1] for c in self.contours for p in c]
        if not xs:
            return (0.0, 0.0, 0.0, 0.0)
        return (min(xs), min(ys), max(xs), max(ys))

    def __add__(self, other):
        return Path(self.contours).add(other)


def polygon(points):
    return Path([[(float(x), float(y)) for x, y in points]])


def rect(x, y, w, h):
    return Path([[(x, y), (x + w, y), (x + w, y + h), (x, y + h)]])


def rounded_rect(x, y, w, h, r):
    """Rounded rectangle; r is clamped to half the shorter side.  r may be
    a 4-tuple (top-left, top-right, bottom-right, bottom-left)."""
    if isinstance(r, (int, float)):
        radii = (r, r, r, r)
    else:
        radii = tuple(r)
    lim = min(w, h) / 2.0
    tl, tr, br, bl = (max(0.0, min(lim, float(v))) for v in radii)
    p = Path()
    p.move_to(x + tl, y)
    if tr > 0:
        p.arc(x + w - tr, y + tr, tr, -90, 0)
    else:
        p.line_to(x + w, y)
    if br > 0:
        p.arc(x + w - br, y + h - br, br, 0, 90)
    else:
        p.line_to(x + w, y + h)
    if bl > 0:
        p.arc(x + bl, y + h - bl, bl, 90, 180)
    else:
        p.line_to(x, y + h)
    if tl > 0:
        p.arc(x + tl, y + tl, tl, 180, 270)
    else:
        p.line_to(x, y)
    c = p.contours[0]
    if len(c) > 1 and c[0] == c[-1]:
        c.pop()
    return p.close()


def ellipse(cx, cy, rx, ry, angle=0.0):
    n = max(8, _arc_steps(max(rx, ry), 2 * math.pi))
    # Push the vertices out slightly so the polygon has the ellipse's area;
    # otherwise small circles come out a touch thin.
    k = math.sqrt(2 * math.pi / (n * math.sin(2 * math.pi / n)))
    pts = []
    for i in range(n):
        t = 2 * math.pi * i / n
        pts.append((k * rx * math.cos(t), k * ry * math.sin(t)))
    p = Path([pts])
    if angle:
        p = p.rotated(angle)
    return p.translated(cx, cy)


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def ring(cx, cy, r, width):
    """Annulus centred on radius r; width is the stroke width."""
    outer = circle(cx, cy, r + width / 2.0)
    inner_r = r - width / 2.0
    if inner_r <= 0:
        return outer
    return outer + circle(cx, cy, inner_r).reversed()


def ellipse_ring(cx, cy, rx, ry, width, angle=0.0):
    """Stroke of an ellipse.  The inner and outer edges are ellipses too,
    which is close to a true offset for the moderate widths icons use."""
    h = width / 2.0
    outer = ellipse(cx, cy, rx + h, ry + h, angle)
    if rx - h <= 0 or ry - h <= 0:
        return outer
    return outer + ellipse(cx, cy, rx - h, ry - h, angle).reversed()


def rounded_rect_ring(x, y, w, h, r, width):
    """Stroke centred on the rounded rectangle's outline."""
    d = width / 2.0
    outer = rounded_rect(x - d, y - d, w + 2 * d, h + 2 * d, r + d)
    if w - 2 * d <= 0 or h - 2 * d <= 0:
        return outer
    inner = rounded_rect(x + d, y + d, w - 2 * d, h - 2 * d, max(0.0, r - d))
    return outer + inner.reversed()


def capsule(x0, y0, x1, y1, width):
    """Thick line with round caps, as one positive contour."""
    r = width / 2.0
    dx = x1 - x0
    dy = y1 - y0
    if dx == 0 and dy == 0:
        return circle(x0, y0, r)
    ang = math.degrees(math.atan2(dy, dx))
    p = Path()
    p.arc(x1, y1, r, ang - 90, ang + 90)
    p.arc(x0, y0, r, ang + 90, ang + 270)
    return p.close().oriented(True)


def polyline(points, width, closed=False):
    """Stroke through points with round joins and caps."""
    pts = [(float(x), float(y)) for x, y in points]
    if closed and len(pts) > 2:
        pts.append(pts[0])
    out = Path()
    if len(pts) == 1:
        return out.add(circle(pts[0][0], pts[0][1], width / 2.0))
    for i in range(len(pts) - 1):
        out.add(capsule(pts[i][0], pts[i][1], pts[i + 1][0], pts[i + 1][1],
                        width))
    return out


def _as_path(shape):
    if isinstance(shape, Path):
        return shape
    shape = list(shape)
    if shape and isinstance(shape[0][0], (int, float)):
        return polygon(shape)
    return Path(shape)


# ---------------------------------------------------------------- gradients

class _Gradient:
    """Colour stops looked up through a table of premultiplied colours, so
    painting costs one multiply-add per pixel rather than a stop search."""

    LUT_SIZE = 1024

    def __init__(self, stops):
        st = sorted(((float(o), color(c)) for o, c in stops),
                    key=lambda s: s[0])
        if not st:
            raise ValueError('gradient needs stops')
        st = [(o, c, _premul(c)) for o, c in st]
        n = self.LUT_SIZE
        lut = []
        j = 0
        for i in range(n):
            t = i / (n - 1)
            while j < len(st) - 2 and t > st[j + 1][0]:
                j += 1
            if t <= st[0][0]:
                lut.append(st[0][2])
            elif t >= st[-1][0]:
                lut.append(st[-1][2])
            else:
                o0, _, p0 = st[j]
                o1, _, p1 = st[j + 1]
                u = 0.0 if o1 == o0 else (t - o0) / (o1 - o0)
                # Interpolate in premultiplied space so a fade to
                # transparent does not darken towards the transparent
                # stop's (meaningless) colour.
                lut.append(tuple(p0[k] + (p1[k] - p0[k]) * u
                                 for k in range(4)))
        self.lut = lut

    def _lookup(self, t):
        if t <= 0.0:
            return self.lut[0]
        if t >= 1.0:
            return self.lut[-1]
        return self.lut[int(t * (self.LUT_SIZE - 1) + 0.5)]


class LinearGradient(_Gradient):
    """Gradient along the line (x0, y0) -> (x1, y1), padded beyond it."""

    def __init__(self, x0, y0, x1, y1, stops):
        super().__init__(stops)
        self.x0, self.y0 = float(x0), float(y0)
        dx = float(x1) - x0
        dy = float(y1) - y0
        l2 = dx * dx + dy * dy
        if l2 == 0:
            l2 = 1.0
        self.kx = dx / l2
        self.ky = dy / l2

    def row(self, y, x, n):
        t = ((x + 0.5 - self.x0) * self.kx +
             (y + 0.5 - self.y0) * self.ky)
        dt = self.kx
        lookup = self._lookup
        return [lookup(t + i * dt) for i in range(n)]


class RadialGradient(_Gradient):
    """Gradient by distance from (cx, cy); t = 1 at radius r (ry for an
    elliptical gradient)."""

    def __init__(self, cx, cy, r, stops, ry=None):
        super().__init__(stops)
        self.cx, self.cy = float(cx), float(cy)
        self.sx = 1.0 / r
        self.sy = 1.0 / (r if ry is None else ry)

    def row(self, y, x, n):
        dy = (y + 0.5 - self.cy) * self.sy
        dy2 = dy * dy
        sx = self.sx
        x0 = x + 0.5 - self.cx
        lookup = self._lookup
        sqrt = math.sqrt
        out = []
        for i in range(n):
            dx = (x0 + i) * sx
            out.append(lookup(sqrt(dx * dx + dy2)))
        return out


# ---------------------------------------------------------------- rasteriser

def _coverage_rows(path, width, height, samples):
    """Yield (y, x_start, coverage list) for each pixel row the path touches.

    Each pixel row is cut by ``samples`` horizontal sub-scanlines; along each
    the inside spans (non-zero winding) are found exactly and their overlap
    with every pixel is added, so horizontal coverage is exact and vertical
    coverage has ``samples`` levels.
    """
    edges = []
    minx = float('inf')
    maxx = float('-inf')
    for cont in path.contours:
        n = len(cont)
        if n < 3:
            continue
        for i in range(n):
            x0, y0 = cont[i]
            x1, y1 = cont[(i + 1) % n]
            if x0 < minx:
                minx = x0
            if x0 > maxx:
                maxx = x0
            if y0 == y1:
                continue
            if y0 < y1:
                edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), 1))
            else:
                edges.append((y1, y0, x1, (x0 - x1) / (y0 - y1), -1))
    if not edges:
        return
    edges.sort()
    bx0 = max(0, int(math.floor(minx)))
    bx1 = min(width, int(math.ceil(maxx)))
    if bx1 <= bx0:
        return
    span = bx1 - bx0
    y_start = max(0, int(math.floor(edges[0][0])))
    y_end = min(height, int(math.ceil(max(e[1] for e in edges))))
    inv = 1.0 / samples
    offsets = [(s + 0.5) * inv for s in range(samples)]
    active = []
    ei = 0
    ne = len(edges)
    fspan = float(span)
    for py in range(y_start, y_end):
        ybot = py + 1
        while ei < ne and edges[ei][0] < ybot:
            active.append(edges[ei])
            ei += 1
        active = [e for e in active if e[1] > py]
        if not active:
            continue
        acc = [0.0] * (span + 2)
        diff = [0.0] * (span + 2)
        lo = span + 1
        hi = -1
        for o in offsets:
            y = py + o
            xs = [(ex + (y - ey0) * slope - bx0, d)
                  for ey0, ey1, ex, slope, d in active if ey0 <= y < ey1]
            if len(xs) < 2:
                continue
            xs.sort()
            wind = 0
            start = 0.0
            for x, d in xs:
                if wind == 0:
                    start = x
                wind += d
                if wind == 0:
                    xa = start if start > 0.0 else 0.0
                    xb = x if x < fspan else fspan
                    if xb <= xa:
                        continue
                    ia = int(xa)
                    ib = int(xb)
                    if ia == ib:
                        acc[ia] += (xb - xa) * inv
                    else:
                        acc[ia] += (ia + 1 - xa) * inv
                        diff[ia + 1] += inv
                        diff[ib] -= inv
                        acc[ib] += (xb - ib) * inv
                    if ia < lo:
                        lo = ia
                    if ib > hi:
                        hi = ib
        if hi < lo:
            continue
        if hi >= span:
            hi = span - 1
        run = 0.0
        for i in range(lo + 1):
            run += diff[i]
        cov = []
        for i in range(lo, hi + 1):
            if i > lo:
                run += diff[i]
            v = acc[i] + run
            cov.append(1.0 if v > 0.999999 else v)
        yield py, bx0 + lo, cov


# ---------------------------------------------------------------- canvas

class Canvas:
    """Premultiplied RGBA float image; see the module docstring."""

    def __init__(self, width, height, background=None):
        self.width = int(width)
        self.height = int(height)
        n = self.width * self.height
        if background is None:
            self.r = [0.0] * n
            self.g = [0.0] * n
            self.b = [0.0] * n
            self.a = [0.0] * n
        else:
            pr, pg, pb, pa = _premul(background)
            self.r = [pr] * n
            self.g = [pg] * n
            self.b = [pb] * n
            self.a = [pa] * n

    # -- painting core
    def fill(self, shape, paint, opacity=1.0, mode='over', samples=16):
        path = _as_path(shape)
        solid = None if isinstance(paint, _Gradient) else _premul(paint)
        R, G, B, A = self.r, self.g, self.b, self.a
        W = self.width
        for py, x0, cov in _coverage_rows(path, W, self.height, samples):
            if solid is None:
                cols = paint.row(py, x0, len(cov))
            base = py * W + x0
            for i, c in enumerate(cov):
                if c <= 0.0:
                    continue
                k = c * opacity
                if solid is None:
                    pr, pg, pb, pa = cols[i]
                else:
                    pr, pg, pb, pa = solid
                j = base + i
                if mode == 'over':
                    inv = 1.0 - pa * k
                    R[j] = pr * k + R[j] * inv
                    G[j] = pg * k + G[j] * inv
                    B[j] = pb * k + B[j] * inv
                    A[j] = pa * k + A[j] * inv
                elif mode == 'atop':
                    da = A[j]
                    inv = 1.0 - pa * k
                    R[j] = pr * k * da + R[j] * inv
                    G[j] = pg * k * da + G[j] * inv
                    B[j] = pb * k * da + B[j] * inv
                elif mode == 'erase':
                    inv = 1.0 - pa * k
                    R[j] *= inv
                    G[j] *= inv
                    B[j] *= inv
                    A[j] *= inv
                elif mode == 'replace':
                    inv = 1.0 - k
                    R[j] = pr * k + R[j] * inv
                    G[j] = pg * k + G[j] * inv
                    B[j] = pb * k + B[j] * inv
                    A[j] = pa * k + A[j] * inv
                else:
                    raise ValueError('unknown mode %r' % mode)
        return self

    # -- convenience shapes
    def fill_rect(self, x, y, w, h, paint, **kw):
        return self.fill(rect(x, y, w, h), paint, **kw)

    def fill_rounded_rect(self, x, y, w, h, r, paint, **kw):
        return self.fill(rounded_rect(x, y, w, h, r), paint, **kw)

    def stroke_rounded_rect(self, x, y, w, h, r, width, paint, **kw):
        return self.fill(rounded_rect_ring(x, y, w, h, r, width), paint, **kw)

    def fill_circle(self, cx, cy, r, paint, **kw):
        return self.fill(circle(cx, cy, r), paint, **kw)

    def stroke_circle(self, cx, cy, r, width, paint, **kw):
        return self.fill(ring(cx, cy, r, width), paint, **kw)

    def fill_ellipse(self, cx, cy, rx, ry, paint, angle=0.0, **kw):
        return self.fill(ellipse(cx, cy, rx, ry, angle), paint, **kw)

    def stroke_ellipse(self, cx, cy, rx, ry, width, paint, angle=0.0, **kw):
        return self.fill(ellipse_ring(cx, cy, rx, ry, width, angle), paint,
                         **kw)

    def fill_polygon(self, points, paint, **kw):
        return self.fill(polygon(points), paint, **kw)

    def line(self, x0, y0, x1, y1, width, paint, **kw):
        return self.fill(capsule(x0, y0, x1, y1, width), paint, **kw)

    def stroke_polyline(self, points, width, paint, closed=False, **kw):
        return self.fill(polyline(points, width, closed), paint, **kw)

    # -- pixels
    def set_pixel(self, x, y, value):
        if 0 <= x < self.width and 0 <= y < self.height:
            j = y * self.width + x
            self.r[j], self.g[j], self.b[j], self.a[j] = _premul(value)
        return self

    def get_pixel(self, x, y):
        """Straight-alpha float RGBA at (x, y)."""
        j = y * self.width + x
        a = self.a[j]
        if a <= 0.0:
            return (0.0, 0.0, 0.0, 0.0)
        return (self.r[j] / a, self.g[j] / a, self.b[j] / a, a)

    def paint_pixels(self, rows, palette, x=0, y=0, mode='replace'):
        """Pixel art: rows is a list of strings (or one multi-line string),
        palette maps characters to colours.  'replace' sets pixels exactly,
        'over' composites them."""
        if isinstance(rows, str):
            rows = [r for r in rows.split('\n') if r.strip()]
        pal = {k: _premul(v) for k, v in palette.items()}
        W = self.width
        for dy, line in enumerate(rows):
            py = y + dy
            if not 0 <= py < self.height:
                continue
            for dx, ch in enumerate(line):
                p = pal.get(ch)
                px = x + dx
                if p is None or not 0 <= px < W:
                    continue
                j = py * W + px
                if mode == 'over':
                    inv = 1.0 - p[3]
                    self.r[j] = p[0] + self.r[j] * inv
                    self.g[j] = p[1] + self.g[j] * inv
                    self.b[j] = p[2] + self.b[j] * inv
                    self.a[j] = p[3] + self.a[j] * inv
                else:
                    self.r[j], self.g[j], self.b[j], self.a[j] = p
        return self

    # -- whole-image operations
    def copy(self):
        c = Canvas(self.width, self.height)
        c.r, c.g, c.b, c.a = self.r[:], self.g[:], self.b[:], self.a[:]
        return c

    def crop(self, x, y, w, h):
        out = Canvas(w, h)
        for yy in range(h):
            sy = y + yy
            if not 0 <= sy < self.height:
                continue
            for xx in range(w):
                sx = x + xx
                if 0 <= sx < self.width:
                    j = sy * self.width + sx
                    k = yy * w + xx
                    out.r[k] = self.r[j]
                    out.g[k] = self.g[j]
                    out.b[k] = self.b[j]
                    out.a[k] = self.a[j]
        return out

    def tinted(self, value):
        """A copy with every pixel recoloured, keeping its alpha (useful for
        shadows and glows drawn from a shape layer)."""
        pr, pg, pb, pa = _premul(value)
        out = Canvas(self.width, self.height)
        out.a = [a * pa for a in self.a]
        out.r = [a * pr for a in self.a]
        out.g = [a * pg for a in self.a]
        out.b = [a * pb for a in self.a]
        return out

    def draw(self, src, x=0, y=0, opacity=1.0, mode='over'):
        """Composite canvas src with its top-left corner at integer (x, y)."""
        W = self.width
        for sy in range(src.height):
            dy = y + sy
            if not 0 <= dy < self.height:
                continue
            for sx in range(src.width):
                dx = x + sx
                if not 0 <= dx < W:
                    continue
                s = sy * src.width + sx
                pa = src.a[s] * opacity
                if pa <= 0.0 and mode != 'replace':
                    continue
                pr = src.r[s] * opacity
                pg = src.g[s] * opacity
                pb = src.b[s] * opacity
                j = dy * W + dx
                if mode == 'over':
                    inv = 1.0 - pa
                    self.r[j] = pr + self.r[j] * inv
                    self.g[j] = pg + self.g[j] * inv
                    self.b[j] = pb + self.b[j] * inv
                    self.a[j] = pa + self.a[j] * inv
                elif mode == 'atop':
                    da = self.a[j]
                    inv = 1.0 - pa
                    self.r[j] = pr * da + self.r[j] * inv
                    self.g[j] = pg * da + self.g[j] * inv
                    self.b[j] = pb * da + self.b[j] * inv
                elif mode == 'erase':
                    inv = 1.0 - pa
                    self.r[j] *= inv
                    self.g[j] *= inv
                    self.b[j] *= inv
                    self.a[j] *= inv
                elif mode == 'replace':
                    self.r[j], self.g[j], self.b[j], self.a[j] = pr, pg, pb, pa
                else:
                    raise ValueError('unknown mode %r' % mode)
        return self

    def blur(self, radius, passes=3):
        """Repeated box blur (three passes approximate a Gaussian of sigma
        about radius * 0.8).  Pixels outside the canvas count as transparent."""
        r = int(radius)
        if r <= 0:
            return self
        W, H = self.width, self.height
        norm = 1.0 / (2 * r + 1)
        for ch in ('r', 'g', 'b', 'a'):
            data = getattr(self, ch)
            if not any(data):
                continue
            for _ in range(passes):
                data = _box_pass(data, W, H, r, norm, True)
                data = _box_pass(data, W, H, r, norm, False)
            setattr(self, ch, data)
        return self

    def downsample(self, factor):
        """Box-filter by an integer factor (supersampled drawing)."""
        f = int(factor)
        if f <= 1:
            return self.copy()
        w = self.width // f
        h = self.height // f
        out = Canvas(w, h)
        scale = 1.0 / (f * f)
        W = self.width
        for ch in ('r', 'g', 'b', 'a'):
            src = getattr(self, ch)
            dst = getattr(out, ch)
            for y in range(h):
                rows = [src[(y * f + k) * W:(y * f + k) * W + w * f]
                        for k in range(f)]
                col = [sum(vals) for vals in zip(*rows)]
                for x in range(w):
                    dst[y * w + x] = sum(col[x * f:x * f + f]) * scale
        return out

    def upscale(self, factor):
        """Nearest-neighbour enlargement, for inspecting pixels."""
        f = int(factor)
        out = Canvas(self.width * f, self.height * f)
        for ch in ('r', 'g', 'b', 'a'):
            src = getattr(self, ch)
            dst = []
            for y in range(self.height):
                row = src[y * self.width:(y + 1) * self.width]
                big = [v for v in row for _ in range(f)]
                for _ in range(f):
                    dst.extend(big)
            setattr(out, ch, dst)
        return out

    def to_rgba8(self, premultiplied=False):
        """Top-down RGBA bytes, straight alpha unless asked otherwise."""
        out = bytearray(self.width * self.height * 4)
        k = 0
        for r, g, b, a in zip(self.r, self.g, self.b, self.a):
            ai = int(a * 255.0 + 0.5)
            if ai <= 0:
                k += 4
                continue
            if ai > 255:
                ai = 255
            if premultiplied:
                s = 255.0
            else:
                s = 255.0 / a
            ri = int(r * s + 0.5)
            gi = int(g * s + 0.5)
            bi = int(b * s + 0.5)
            if premultiplied:
                # Keep colour <= alpha, as premultiplied consumers expect.
                out[k] = min(ri, ai)
                out[k + 1] = min(gi, ai)
                out[k + 2] = min(bi, ai)
            else:
                out[k] = 255 if ri > 255 else (ri if ri > 0 else 0)
                out[k + 1] = 255 if gi > 255 else (gi if gi > 0 else 0)
                out[k + 2] = 255 if bi > 255 else (bi if bi > 0 else 0)
            out[k + 3] = ai
            k += 4
        return out


def _box_pass(data, W, H, r, norm, horizontal):
    out = [0.0] * (W * H)
    if horizontal:
        for y in range(H):
            row = data[y * W:(y + 1) * W]
            padded = [0.0] * r + row + [0.0] * (r + 1)
            s = sum(padded[0:2 * r + 1])
            base = y * W
            for x in range(W):
                out[base + x] = s * norm
                s += padded[x + 2 * r + 1] - padded[x]
    else:
        for x in range(W):
            col = data[x::W]
            padded = [0.0] * r + col + [0.0] * (r + 1)
            s = sum(padded[0:2 * r + 1])
            for y in range(H):
                out[y * W + x] = s * norm
                s += padded[y + 2 * r + 1] - padded[y]
    return out
