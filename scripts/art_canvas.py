"""Drawing toolkit for scripts/make_art.py: shapes, paints, an RGBA canvas and the
PNG, BMP and ICO writers. Python 3 standard library only.

Every shape is a signed distance function: negative inside, positive outside, in
pixels. A pixel's coverage is 0.5 - distance at its centre, clamped to 0..1, which
anti-aliases edges without supersampling.
"""

import math
import os
import struct
import zlib

# ---------------------------------------------------------------- shapes


class Shape:
    """A signed distance field with a bounding box (x0, y0, x1, y1)."""

    def __init__(self, sdf, bounds):
        self.sdf = sdf
        self.bounds = bounds

    def grow(self, amount):
        """The shape's outline pushed outwards (negative: inwards)."""
        x0, y0, x1, y1 = self.bounds
        g = max(amount, 0)
        return Shape(lambda x, y: self.sdf(x, y) - amount, (x0 - g, y0 - g, x1 + g, y1 + g))

    def outline(self, width):
        """A band of the given width just inside the outline."""
        return Shape(lambda x, y: max(self.sdf(x, y), -self.sdf(x, y) - width), self.bounds)

    def __and__(self, other):
        a, b = self.bounds, other.bounds
        return Shape(lambda x, y: max(self.sdf(x, y), other.sdf(x, y)),
                     (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])))

    def __or__(self, other):
        a, b = self.bounds, other.bounds
        return Shape(lambda x, y: min(self.sdf(x, y), other.sdf(x, y)),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __sub__(self, other):
        return Shape(lambda x, y: max(self.sdf(x, y), -other.sdf(x, y)), self.bounds)


def round_rect(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return Shape(sdf, (x0, y0, x1, y1))


def ellipse(cx, cy, rx, ry=None):
    ry = rx if ry is None else ry

    def sdf(x, y):
        dx, dy = (x - cx) / rx, (y - cy) / ry
        k = math.hypot(dx, dy)
        grad = math.hypot(dx / rx, dy / ry)
        return (k - 1) * k / grad if grad > 1e-9 else -min(rx, ry)

    return Shape(sdf, (cx - rx, cy - ry, cx + rx, cy + ry))


def ring(cx, cy, radius, width):
    """A circle's outline as a band of the given width."""
    return Shape(lambda x, y: abs(math.hypot(x - cx, y - cy) - radius) - width / 2,
                 (cx - radius - width, cy - radius - width, cx + radius + width, cy + radius + width))


def segment_distance(x, y, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    length2 = vx * vx + vy * vy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * vx + (y - ay) * vy) / length2))
    return math.hypot(x - ax - t * vx, y - ay - t * vy)


def stroke(points, width):
    """A polyline with round caps and joins."""
    half = width / 2
    pairs = list(zip(points, points[1:]))

    def sdf(x, y):
        return min(segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in pairs) - half

    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(sdf, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half))


def polygon(points):
    edges = list(zip(points, points[1:] + points[:1]))

    def sdf(x, y):
        inside = False
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        d = min(segment_distance(x, y, ax, ay, bx, by) for (ax, ay), (bx, by) in edges)
        return -d if inside else d

    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(sdf, (min(xs), min(ys), max(xs), max(ys)))


# ---------------------------------------------------------------- paints
# A colour is (red, green, blue, alpha): channels 0..255, alpha 0..1. A paint is a
# colour or a function of the pixel centre that returns one.


def mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def ramp(stops, t):
    t = max(0.0, min(1.0, t))
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0) if t1 > t0 else 0.0)
    return stops[-1][1]


def vertical(y0, y1, *stops):
    return lambda x, y: ramp(stops, (y - y0) / (y1 - y0))


def horizontal(x0, x1, *stops):
    return lambda x, y: ramp(stops, (x - x0) / (x1 - x0))


def radial(cx, cy, rx, ry, *stops):
    return lambda x, y: ramp(stops, math.hypot((x - cx) / rx, (y - cy) / ry))


def rgba(r, g, b, a=1.0):
    return (r, g, b, a)


BLACK = rgba(0, 0, 0)


# ---------------------------------------------------------------- canvas


class Canvas:
    """Straight (not premultiplied) RGBA pixels, composited with "over"."""

    def __init__(self, width, height, background=(0, 0, 0, 0.0)):
        self.width, self.height = width, height
        self.pixels = [list(background) for _ in range(width * height)]

    def _area(self, bounds, margin=1):
        x0, y0, x1, y1 = bounds
        return (range(max(0, int(math.floor(y0)) - margin), min(self.height, int(math.ceil(y1)) + margin)),
                range(max(0, int(math.floor(x0)) - margin), min(self.width, int(math.ceil(x1)) + margin)))

    def blend(self, x, y, colour, coverage):
        a = colour[3] * coverage
        if a <= 0:
            return
        p = self.pixels[y * self.width + x]
        out = a + p[3] * (1 - a)
        if out <= 0:
            return
        keep = p[3] * (1 - a)
        for i in range(3):
            p[i] = (colour[i] * a + p[i] * keep) / out
        p[3] = out

    def fill(self, shape, paint, opacity=1.0):
        rows, cols = self._area(shape.bounds)
        for y in rows:
            for x in cols:
                coverage = 0.5 - shape.sdf(x + 0.5, y + 0.5)
                if coverage <= 0:
                    continue
                colour = paint(x + 0.5, y + 0.5) if callable(paint) else paint
                self.blend(x, y, colour, min(coverage, 1.0) * opacity)

    def glow(self, shape, colour, radius, inside=False):
        """A soft halo fading over radius pixels outside the shape (or inside it)."""
        x0, y0, x1, y1 = shape.bounds
        rows, cols = self._area((x0 - radius, y0 - radius, x1 + radius, y1 + radius))
        for y in rows:
            for x in cols:
                d = shape.sdf(x + 0.5, y + 0.5)
                d = -d if inside else d
                if d < -0.5 or d >= radius:
                    continue
                t = 1 - max(d, 0.0) / radius
                edge = min(1.0, d + 0.5)
                self.blend(x, y, colour, t * t * edge)

    def bytes_at(self, x, y):
        """The pixel as 8-bit (r, g, b, a)."""
        p = self.pixels[y * self.width + x]
        return tuple(max(0, min(255, int(v + 0.5))) for v in (p[0], p[1], p[2], p[3] * 255))


# ---------------------------------------------------------------- file formats


def png_bytes(canvas):
    """Truecolour PNG; RGB when every pixel is opaque, else RGBA."""
    rows = [[canvas.bytes_at(x, y) for x in range(canvas.width)] for y in range(canvas.height)]
    opaque = all(p[3] == 255 for row in rows for p in row)
    channels = 3 if opaque else 4
    raw = bytearray()
    previous = bytes(canvas.width * channels)
    for row in rows:
        line = bytes(v for p in row for v in p[:channels])
        raw += png_filter_row(line, previous, channels)
        previous = line

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 2 if opaque else 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def png_filter_row(line, previous, bpp):
    """The row with the filter whose output has the smallest sum of absolute values."""

    def paeth(a, b, c):
        p = a + b - c
        pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
        return a if pa <= pb and pa <= pc else (b if pb <= pc else c)

    candidates = []
    for kind in range(5):
        out = bytearray([kind])
        for i, v in enumerate(line):
            a = line[i - bpp] if i >= bpp else 0
            b = previous[i]
            c = previous[i - bpp] if i >= bpp else 0
            predictor = (0, a, b, (a + b) // 2, paeth(a, b, c))[kind]
            out.append((v - predictor) & 0xFF)
        cost = sum(v if v < 128 else 256 - v for v in out[1:])
        candidates.append((cost, kind, bytes(out)))
    return min(candidates)[2]


def bmp24_bytes(canvas):
    """Bottom-up 24-bit BMP; alpha must already be 1 everywhere."""
    stride = (canvas.width * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(canvas.height)):
        line = bytearray()
        for x in range(canvas.width):
            r, g, b, _ = canvas.bytes_at(x, y)
            line += bytes((b, g, r))
        data += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info)) + info + data


def ico_bytes(canvases):
    """An icon file with one 32-bit image (plus the AND mask) per canvas."""
    images = []
    for c in canvases:
        colour = bytearray()
        mask = bytearray()
        mask_stride = ((c.width + 31) // 32) * 4
        for y in reversed(range(c.height)):
            bits = bytearray(mask_stride)
            for x in range(c.width):
                r, g, b, a = c.bytes_at(x, y)
                colour += bytes((b, g, r, a))
                if a < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, c.width, c.height * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
        images.append((c.width, c.height, header + colour + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, _, data in images)


def write(path, data, root):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote", os.path.relpath(path, root))
