#!/usr/bin/env python3
"""Draws Quillmere's artwork: the application icon and the About/launcher logo.

Writes Quillmere.ico (64x64 at 8 bpp, 32x32 and 16x16 at 4 bpp) and Logo.bmp
(128x117, 8 bpp, bottom-up) beside this script. Standard library only, and
deterministic: the same script always writes the same bytes, so the generated
files can be committed and checked for drift with `make_art.py --check`.

The picture: a white quill crossing a field of stars in front of a ringed
planet, its nib trailing a golden stroke like an orbit.
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# --------------------------------------------------------------------------
# Small vector helpers and colours (linear 0..1 floats).


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def smooth(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def hexrgb(h):
    return tuple(int(h[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


SPACE_DEEP = hexrgb("05081a")
SPACE_GLOW = hexrgb("1c2f6b")
PLANET_LIT = hexrgb("f0a25a")
PLANET_DARK = hexrgb("4a1e2a")
RING = hexrgb("d9c89a")
FEATHER = hexrgb("fbf7ec")
FEATHER_SHADE = hexrgb("9fb0d0")
SHAFT = hexrgb("fffdf5")
NIB = hexrgb("c9962e")
NIB_DARK = hexrgb("5a3c10")
INK = hexrgb("f2c65a")
NAVY = hexrgb("000080")


class Lcg:
    """A fixed 32-bit generator, so star fields never depend on the Python version."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state / 4294967296.0


# --------------------------------------------------------------------------
# Scene pieces. Each returns (rgb, coverage) for one sample point, or None.


class Quill:
    """A feather whose spine is a circular arc from the nib to the tip.

    On an arc, a point's distance from the spine is its distance from the
    centre minus the radius, and its place along the spine is its angle, so
    each sample costs one sqrt and one atan2.
    """

    def __init__(self, nib, tip, bow, width, detail):
        (nx, ny), (tx, ty) = nib, tip
        mx, my = (nx + tx) / 2.0, (ny + ty) / 2.0
        cx, cy = tx - nx, ty - ny
        chord = math.hypot(cx, cy)
        # Sagitta "bow" to the left of the nib-to-tip direction.
        px, py = cy / chord, -cx / chord
        half = chord / 2.0
        self.radius = (half * half + bow * bow) / (2.0 * bow)
        off = self.radius - bow
        self.cx, self.cy = mx - px * off, my - py * off
        self.a0 = math.atan2(ny - self.cy, nx - self.cx)
        a1 = math.atan2(ty - self.cy, tx - self.cx)
        self.span = (a1 - self.a0 + math.pi) % (2.0 * math.pi) - math.pi
        self.length = abs(self.span) * self.radius
        self.width = width
        self.detail = detail

    def sample(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        d = math.hypot(dx, dy) - self.radius
        ang = math.atan2(dy, dx)
        rel = (ang - self.a0 + math.pi) % (2.0 * math.pi) - math.pi
        s = rel / self.span          # 0 at the nib, 1 at the tip
        along = s * self.length      # pixels from the nib
        if self.span < 0:
            d = -d                   # positive d: the vane's wide side
        # Nib: a short metal point ahead of the shaft.
        nib_len = 0.09 * self.length
        if -nib_len <= along <= 0.0:
            half = 0.15 * self.width * (along + nib_len) / nib_len + 0.2
            if abs(d) <= half:
                split = self.detail and abs(d) < 0.35 and along > -0.6 * nib_len
                return (NIB_DARK if split else mix(NIB, NIB_DARK, clamp01(-along / nib_len) * 0.5)), 1.0
            return None
        if along < 0.0 or s > 1.0:
            return None
        # Vane: starts a fifth of the way up, widest near its middle, tapering to the tip.
        vane = 0.0
        if s > 0.2:
            u = (s - 0.2) / 0.8
            vane = self.width * (u ** 0.55) * ((1.0 - u) ** 0.45) * 1.45
            if d < 0:
                vane *= 0.62
        shaft_half = max(0.45, 0.13 * self.width * (1.0 - 0.7 * s))
        if abs(d) <= shaft_half:
            return SHAFT, 1.0
        if abs(d) <= vane:
            edge = abs(d) / vane
            shade = 0.15 + 0.55 * smooth(0.35, 1.0, edge)
            if d < 0:
                shade += 0.15
            if self.detail:
                # Barbs run from the shaft toward the tip: faint stripes, and
                # two splits in the vane where barbs have parted.
                phase = (along - abs(d) * 0.9) / 2.2
                shade += 0.12 * (0.5 + 0.5 * math.sin(phase * 2.0 * math.pi))
                for gap_at in (0.45, 0.7):
                    g = along - abs(d) * 0.9 - gap_at * self.length
                    if d > 0 and 0.0 <= g <= 0.9 and edge > 0.45:
                        return None
            return mix(FEATHER, FEATHER_SHADE, clamp01(shade)), 1.0
        return None


class Planet:
    """A sphere lit from the upper right, with a tilted ring around it."""

    def __init__(self, cx, cy, r, ring=True, tilt=-0.35):
        self.cx, self.cy, self.r = cx, cy, r
        self.ring = ring
        self.ct, self.st = math.cos(tilt), math.sin(tilt)

    def _ring(self, x, y, front):
        if not self.ring:
            return None
        dx, dy = x - self.cx, y - self.cy
        u = dx * self.ct + dy * self.st
        v = -dx * self.st + dy * self.ct
        e = math.hypot(u / (1.85 * self.r), v / (0.5 * self.r))
        if not (0.78 <= e <= 1.0):
            return None
        # Front half of the ring (below the planet's centre line) covers the planet.
        if (v > 0) != front:
            return None
        band = 0.85 + 0.15 * math.sin(e * 40.0)
        return tuple(c * band for c in RING), 1.0

    def sample_back(self, x, y):
        return self._ring(x, y, front=False)

    def sample_body(self, x, y):
        dx, dy = (x - self.cx) / self.r, (y - self.cy) / self.r
        rr = dx * dx + dy * dy
        if rr > 1.0:
            return None
        z = math.sqrt(1.0 - rr)
        light = clamp01(0.55 * dx - 0.45 * dy + 0.7 * z)
        # A few soft bands of weather.
        band = 0.08 * math.sin(dy * 9.0 + dx * 1.5)
        return mix(PLANET_DARK, PLANET_LIT, clamp01(light ** 1.2 + band)), 1.0

    def sample_front(self, x, y):
        return self._ring(x, y, front=True)


class InkTrail:
    """A golden stroke swept from the nib, a thin arc thinning as it goes."""

    def __init__(self, cx, cy, rx, ry, a0, a1, width):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry
        self.a0, self.a1, self.width = a0, a1, width

    def sample(self, x, y):
        dx, dy = (x - self.cx) / self.rx, (y - self.cy) / self.ry
        ang = math.atan2(dy, dx)
        t = (ang - self.a0) / (self.a1 - self.a0)
        if not (0.0 <= t <= 1.0):
            return None
        dist = abs(math.hypot(dx, dy) - 1.0) * min(self.rx, self.ry)
        half = self.width * t ** 0.7 + 0.25     # thickest where it leaves the nib
        if dist > half:
            return None
        return INK, 1.0


def star_field(w, h, count, seed, glow_scale=1.0):
    """Per-pixel star light, added to the sky before anything is drawn over it."""
    light = [[0.0] * w for _ in range(h)]
    rng = Lcg(seed)
    for _ in range(count):
        sx, sy = rng.next() * w, rng.next() * h
        bright = 0.35 + 0.65 * rng.next() ** 3
        big = rng.next() < 0.12
        rad = (1.4 if big else 0.7) * glow_scale
        for py in range(max(0, int(sy - 3)), min(h, int(sy + 4))):
            for px in range(max(0, int(sx - 3)), min(w, int(sx + 4))):
                d2 = (px + 0.5 - sx) ** 2 + (py + 0.5 - sy) ** 2
                v = bright * math.exp(-d2 / (2.0 * rad * rad))
                if big:
                    # Four-pointed sparkle on the brightest stars.
                    ddx, ddy = abs(px + 0.5 - sx), abs(py + 0.5 - sy)
                    if min(ddx, ddy) < 0.6:
                        v += 0.5 * bright * math.exp(-max(ddx, ddy) / (1.3 * glow_scale))
                light[py][px] += v
    return light


def sky(x, y, w, h, glow_at):
    gx, gy = glow_at
    d = math.hypot((x - gx) / w, (y - gy) / h)
    return mix(SPACE_GLOW, SPACE_DEEP, smooth(0.0, 0.85, d))


# --------------------------------------------------------------------------
# Rendering: supersampled layers over an optional sky, giving RGB + alpha.


def render(w, h, layers, background=None, stars=None, ss=3):
    """layers: functions (x, y) -> (rgb, coverage) or None, back to front."""
    out = []
    inv = 1.0 / ss
    for py in range(h):
        row = []
        for px in range(w):
            acc = [0.0, 0.0, 0.0]
            alpha = 0.0
            for sy in range(ss):
                for sx in range(ss):
                    x, y = px + (sx + 0.5) * inv, py + (sy + 0.5) * inv
                    col, a = None, 0.0
                    if background is not None:
                        col, a = background(x, y), 1.0
                    for layer in layers:
                        hit = layer(x, y)
                        if hit is not None:
                            col = hit[0] if col is None else mix(col, hit[0], hit[1])
                            a = max(a, hit[1])
                    if col is not None:
                        acc = [acc[i] + col[i] * a for i in range(3)]
                        alpha += a
            n = ss * ss
            if alpha > 0.0:
                rgb = [c / alpha for c in acc]
            else:
                rgb = [0.0, 0.0, 0.0]
            row.append((rgb, alpha / n))
        out.append(row)
    if stars is not None:
        # Stars shine only where the sky shows through.
        for py in range(h):
            for px in range(w):
                rgb, a = out[py][px]
                s = stars[py][px] * (1.0 if rgb_is_sky(rgb) else 0.0)
                out[py][px] = ([clamp01(c + s * k) for c, k in zip(rgb, (0.95, 0.97, 1.0))], a)
    return [[(tuple(int(round(clamp01(c) * 255)) for c in rgb), a) for rgb, a in row] for row in out]


def rgb_is_sky(rgb):
    # The sky is the only dark blue in the picture.
    r, g, b = rgb
    return b < 0.45 and r < 0.15 and g < 0.22 and b >= r


# --------------------------------------------------------------------------
# Palettes.

# The 16 colours of the standard VGA palette, which 16-colour icons use.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def median_cut(colours, n):
    """Deterministic median cut: split the box with the widest channel range."""
    boxes = [sorted(set(colours))]
    while len(boxes) < n:
        best, best_range, best_ch = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                lo = min(c[ch] for c in box)
                hi = max(c[ch] for c in box)
                if hi - lo > best_range:
                    best, best_range, best_ch = i, hi - lo, ch
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda c: (c[best_ch], c))
        mid = len(box) // 2
        boxes.extend([box[:mid], box[mid:]])
    weights = {}
    for c in colours:
        weights[c] = weights.get(c, 0) + 1
    pal = []
    for box in boxes:
        total = sum(weights[c] for c in box)
        pal.append(tuple(int(round(sum(c[ch] * weights[c] for c in box) / total)) for ch in range(3)))
    return sorted(set(pal))


def nearest_index(pal, cache, allowed=None):
    candidates = range(len(pal)) if allowed is None else allowed

    def lookup(c):
        hit = cache.get(c)
        if hit is None:
            # Weighted distance: the eye is most sensitive to green, least to blue.
            hit = min(candidates, key=lambda i: 3 * (pal[i][0] - c[0]) ** 2
                      + 4 * (pal[i][1] - c[1]) ** 2 + 2 * (pal[i][2] - c[2]) ** 2)
            cache[c] = hit
        return hit
    return lookup


def padded(pal, n):
    return pal + [(0, 0, 0)] * (n - len(pal))


# --------------------------------------------------------------------------
# File formats (little-endian, as Windows stores them).


def bitmapinfoheader(w, h, bpp, size_image, clr_used):
    # biSize, biWidth, biHeight, biPlanes, biBitCount, biCompression (BI_RGB),
    # biSizeImage, biXPelsPerMeter, biYPelsPerMeter, biClrUsed, biClrImportant
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, size_image, 0, 0, clr_used, 0)


def rgbquads(pal):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in pal)


def pack_rows(indices, w, bpp):
    """Rows bottom-up, each padded to a multiple of four bytes."""
    rows = []
    for row in reversed(indices):
        if bpp == 8:
            data = bytes(row)
        elif bpp == 4:
            data = bytes((row[i] << 4) | (row[i + 1] if i + 1 < w else 0) for i in range(0, w, 2))
        else:  # 1 bpp, most significant bit first
            data = bytes(sum(row[i + k] << (7 - k) for k in range(8) if i + k < w) for i in range(0, w, 8))
        rows.append(data + b"\0" * (-len(data) % 4))
    return b"".join(rows)


def write_bmp(path, indices, pal, w, h):
    pixels = pack_rows(indices, w, 8)
    dib = bitmapinfoheader(w, h, 8, len(pixels), 256) + rgbquads(padded(pal, 256)) + pixels
    offset = 14 + 40 + 256 * 4
    head = struct.pack("<2sIHHI", b"BM", 14 + len(dib), 0, 0, offset)
    return path, head + dib


def icon_image(rendered, size, bpp, pal, allowed=None):
    """One icon image: BITMAPINFOHEADER (height doubled for the mask), colour
    table, colour bits, then the 1-bpp AND mask (1 = transparent)."""
    lookup = nearest_index(pal, {}, allowed)
    colour, mask = [], []
    for row in rendered:
        crow, mrow = [], []
        for rgb, a in row:
            if a >= 0.5:
                crow.append(lookup(rgb))
                mrow.append(0)
            else:
                crow.append(0)   # transparent pixels are black in the colour bits
                mrow.append(1)
        colour.append(crow)
        mask.append(mrow)
    xor = pack_rows(colour, size, bpp)
    andm = pack_rows(mask, size, 1)
    ncol = 1 << bpp
    head = bitmapinfoheader(size, size * 2, bpp, len(xor) + len(andm), 0)
    return head + rgbquads(padded(pal, ncol)) + xor + andm


def write_ico(path, images):
    """images: list of (size, bpp, image bytes)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        colours = 0 if bpp >= 8 else 1 << bpp
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return path, out + b"".join(data for _, _, data in images)


# --------------------------------------------------------------------------
# The two pictures.


def logo():
    w, h = 128, 117
    planet = Planet(44, 42, 22)
    quill = Quill(nib=(30, 100), tip=(116, 8), bow=14, width=15, detail=True)
    trail = InkTrail(cx=70, cy=96, rx=42, ry=11, a0=math.radians(20), a1=math.radians(170), width=1.3)
    layers = [planet.sample_back, planet.sample_body, planet.sample_front, trail.sample, quill.sample]
    img = render(w, h, layers, background=lambda x, y: sky(x, y, w, h, (90, 30)),
                 stars=star_field(w, h, 70, seed=1913))
    colours = [rgb for row in img for rgb, _ in row]
    pal = median_cut(colours, 256)
    lookup = nearest_index(pal, {})
    return [[lookup(rgb) for rgb, _ in row] for row in img], pal, w, h


def icon(size, detailed):
    """A round patch of night sky with the quill across it; transparent outside."""
    k = size / 64.0
    cx, cy, r = 30 * k, 34 * k, 26 * k

    def disc(x, y):
        d = math.hypot(x - cx, y - cy)
        if d > r:
            return None
        if not detailed:
            return NAVY, 1.0   # flat: anything finer turns to speckle in 16 colours
        rim = smooth(r - 2.5 * k, r, d)
        return mix(sky(x, y, size, size, (cx + 8 * k, cy - 10 * k)), hexrgb("3d5fbf"), rim * 0.8), 1.0

    def pixel_stars(x, y):
        # Single-pixel stars for the 32x32 image, where a soft glow would blur.
        for sx, sy in ((9, 11), (22, 25), (25, 18), (12, 22)):
            if int(x) == sx and int(y) == sy:
                return (1.0, 1.0, 0.0) if sx == 22 else (1.0, 1.0, 1.0), 1.0
        return None

    layers = [disc]
    if not detailed and size >= 32:
        layers.append(pixel_stars)
    if detailed:
        planet = Planet(cx - 9 * k, cy - 8 * k, 8 * k, ring=True)
        layers += [planet.sample_back, planet.sample_body, planet.sample_front]
    quill = Quill(nib=(9 * k, 58 * k), tip=(60 * k, 4 * k), bow=7 * k,
                  width=(11 if detailed else 13) * k, detail=detailed)
    layers.append(quill.sample)
    stars = star_field(size, size, 14, seed=77, glow_scale=0.8) if detailed else None
    img = render(size, size, layers, stars=stars, ss=4)
    if stars is not None:
        # Keep stars inside the disc only.
        img = [[(rgb, a) if a > 0 else ((0, 0, 0), 0.0) for rgb, a in row] for row in img]
    return img


def build():
    logo_idx, logo_pal, w, h = logo()
    files = [write_bmp(os.path.join(HERE, "Logo.bmp"), logo_idx, logo_pal, w, h)]

    big = icon(64, detailed=True)
    # Index 0 stays black for the transparent pixels; 255 colours for the rest.
    opaque = [rgb for row in big for rgb, a in row if a >= 0.5]
    big_pal = [(0, 0, 0)] + [c for c in median_cut(opaque, 255) if c != (0, 0, 0)]
    images = [(64, 8, icon_image(big, 64, 8, big_pal[:256]))]
    # The small images keep to the colours of the picture (black, navy, olive,
    # greys, yellow, white): the edge of the feather over navy would otherwise
    # pick up stray teal or purple pixels.
    allowed = [0, 3, 4, 7, 8, 11, 15]
    for size in (32, 16):
        images.append((size, 4, icon_image(icon(size, detailed=False), size, 4, VGA16, allowed)))
    files.append(write_ico(os.path.join(HERE, "Quillmere.ico"), images))
    return files


def main(argv):
    check = "--check" in argv
    stale = []
    for path, data in build():
        if check:
            with open(path, "rb") as f:
                if f.read() != data:
                    stale.append(path)
        else:
            with open(path, "wb") as f:
                f.write(data)
            print("wrote %s (%d bytes)" % (os.path.relpath(path), len(data)))
    if stale:
        print("out of date: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
