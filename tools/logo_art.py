#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the title logo and writes it as the text picture data/logo.txt.

The letters are built from rounded boxes and capsules and tested at pixel
centres, so every edge is a hard 1-bit edge. The light face sits on a dark
extrusion; dark bands across the lower face give it a sheen.

    python3 tools/logo_art.py data/logo.txt
"""

import math
import sys

W, H = 320, 50


# Signed distances: negative inside, so a union is min and a cut is max(a, -b).
def box(px, py, x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    out = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return out + min(max(qx, qy), 0.0) - r


def capsule(px, py, ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - ax - t * dx, py - ay - t * dy) - r


def ellipse(px, py, cx, cy, rx, ry):
    # Not a true distance, but its sign and zero line are exact.
    return (math.hypot((px - cx) / rx, (py - cy) / ry) - 1.0) * min(rx, ry)


TOP, BASE = 5, 41  # cap height 36 logo pixels
STEM = 10          # stroke width
ROUND = 3.0        # outer corner radius


def letter_p(px, py, x0):
    stem = box(px, py, x0, TOP, x0 + STEM, BASE, ROUND)
    bowl = box(px, py, x0, TOP, x0 + 40, 29, 11)
    hole = box(px, py, x0 + STEM, TOP + 8, x0 + 29, 29 - 8, 3)
    return min(stem, max(bowl, -hole))


def letter_e(px, py, x0):
    stem = box(px, py, x0, TOP, x0 + STEM, BASE, ROUND)
    top = box(px, py, x0, TOP, x0 + 34, TOP + 8, ROUND)
    mid = box(px, py, x0, 19, x0 + 28, 27, ROUND)
    bot = box(px, py, x0, BASE - 8, x0 + 34, BASE, ROUND)
    return min(stem, top, mid, bot)


def letter_l(px, py, x0):
    stem = box(px, py, x0, TOP, x0 + STEM, BASE, ROUND)
    bot = box(px, py, x0, BASE - 8, x0 + 32, BASE, ROUND)
    return min(stem, bot)


def letter_k(px, py, x0):
    stem = box(px, py, x0, TOP, x0 + STEM, BASE, ROUND)
    arm = max(capsule(px, py, x0 + 12, 25, x0 + 32, TOP + 5, 5.5), py - 30)
    leg = capsule(px, py, x0 + 17, 22, x0 + 33, BASE - 5, 5.5)
    crotch = box(px, py, x0 + 8, 20, x0 + 19, 30)  # no gap where arm meets leg
    # Square the ends off against the cap line and baseline.
    arm = max(arm, TOP - py)
    leg = max(leg, py - BASE)
    return min(stem, arm, leg, crotch)


def apple_o(px, py, cx):
    cy = 24
    body = min(ellipse(px, py, cx - 7, cy, 16, 18.5), ellipse(px, py, cx + 7, cy, 16, 18.5))
    notch = ellipse(px, py, cx, TOP - 1.5, 6, 5)
    dimple = ellipse(px, py, cx, 44.5, 4, 2.5)
    hole = ellipse(px, py, cx, cy + 1, 9.5, 9)
    return max(body, -notch, -dimple, -hole)


def stalk(px, py, cx):
    return capsule(px, py, cx - 0.5, TOP + 1, cx + 2.5, 0.5, 1.6)


def lens(px, py, ax, ay, bx, by, sag):
    # The overlap of two equal discs through a and b: a leaf shape whose
    # widest point stands sag pixels off the line a-b on each side.
    half = math.hypot(bx - ax, by - ay) / 2
    r = (half * half + sag * sag) / (2 * sag)
    mx, my = (ax + bx) / 2, (ay + by) / 2
    nx, ny = (ay - by) / (2 * half), (bx - ax) / (2 * half)
    off = r - sag
    d1 = math.hypot(px - mx - nx * off, py - my - ny * off) - r
    d2 = math.hypot(px - mx + nx * off, py - my + ny * off) - r
    return max(d1, d2)


def leaf(px, py, cx):
    return lens(px, py, cx + 2, 6.0, cx + 20, 0.5, 3.4)


def leaf_vein(px, py, cx):
    return capsule(px, py, cx + 5, 4.6, cx + 15, 2.0, 0.45)


def mushroom(px, py, cx):
    cap = max(ellipse(px, py, cx, 33, 12, 10.5), py - 33)
    stem = box(px, py, cx - 4, 30, cx + 4, BASE, 2)
    return min(cap, stem)


# Night shows through the cap spots.
def mushroom_spot(px, py, cx):
    spots = ((cx - 6.5, 29.0, 1.9), (cx, 26.0, 2.2), (cx + 6.5, 29.5, 1.7))
    return min(math.hypot(px - x, py - y) - r for x, y, r in spots)


def bezier(p, t):
    u = 1 - t
    return tuple(
        u**3 * a + 3 * u * u * t * b + 3 * u * t * t * c + t**3 * d for a, b, c, d in zip(*p)
    )


def worm_discs(ax):
    # Body discs from tail to head, evenly spaced along a curve that leaves
    # the apple's side and rears up.
    path = ((ax + 17, 33), (ax + 46, 48), (ax + 50, 3), (ax + 83, 12))
    pts = [bezier(path, i / 400) for i in range(401)]
    discs, run = [pts[0]], 0.0
    for a, b in zip(pts, pts[1:]):
        run += math.hypot(b[0] - a[0], b[1] - a[1])
        if run >= 6.5:
            discs.append(b)
            run = 0.0
    radii = [5.5] * len(discs)
    radii[-1] = 7.0
    return list(zip(discs, radii))


def worm_at(px, py, discs):
    # Index of the front-most disc covering the point, or -1.
    for i in range(len(discs) - 1, -1, -1):
        (cx, cy), r = discs[i]
        if math.hypot(px - cx, py - cy) <= r:
            return i
    return -1


# Face pixels as offsets from the head disc's centre pixel.
EYE = {(3, -3), (4, -3), (3, -2), (4, -2), (3, -1), (4, -1)}
MOUTH = {(2, 3), (3, 3), (4, 3), (5, 2)}


def worm_pixel(px, py, discs, i):
    (cx, cy), r = discs[i]
    if i == len(discs) - 1:
        at = (math.floor(px) - math.floor(cx), math.floor(py) - math.floor(cy))
        if at in EYE:
            return "."
        if at in MOUTH:
            return "+"
    if i > 0:
        # Each ring overlaps the one behind it; its rim there is the crease.
        (qx, qy), q = discs[i - 1]
        edge = r - math.hypot(px - cx, py - cy)
        if edge < 1.0 and math.hypot(px - qx, py - qy) <= q:
            return "+"
    return "#"


LETTERS = [(letter_p, 8), (letter_e, 56), (letter_l, 98), (letter_k, 138)]
APPLE_X = 207
MUSHROOM_X = 291
SHIFT, DROP = 3, 2  # centre the picture in the visible band
SHEEN_ROWS = (30, 34, 37, 39)
DEPTH = 3  # extrusion of the letters, apple, worm and mushroom


def word(px, py):
    d = min(f(px, py, x0) for f, x0 in LETTERS)
    return min(d, apple_o(px, py, APPLE_X))


def sprig(px, py):
    return min(stalk(px, py, APPLE_X), leaf(px, py, APPLE_X))


def pixel_kind(px, py, discs):
    """What covers a point, front to back: 'word', 'sprig', 'worm', 'mush' or ''."""
    if word(px, py) <= 0:
        return "word"
    if sprig(px, py) <= 0:
        return "sprig"
    if worm_at(px, py, discs) >= 0:
        return "worm"
    if mushroom(px, py, MUSHROOM_X) <= 0:
        return "mush"
    return ""


def face_pixel(kind, px, py, discs):
    if kind == "word":
        return "+" if int(py) in SHEEN_ROWS else "#"
    if kind == "sprig":
        return "+" if leaf_vein(px, py, APPLE_X) <= 0 else "#"
    if kind == "worm":
        # The worm comes out from behind the apple's rim.
        if word(px, py) <= 1.0:
            return "+"
        return worm_pixel(px, py, discs, worm_at(px, py, discs))
    if mushroom_spot(px, py, MUSHROOM_X) <= 0:
        return "."
    return "+" if int(py) in SHEEN_ROWS and py > 32 else "#"


def render():
    discs = worm_discs(APPLE_X)
    kinds = [
        [pixel_kind(x + 0.5 - SHIFT, y + 0.5 - DROP, discs) for x in range(W)] for y in range(H)
    ]
    grid = [["." for _ in range(W)] for _ in range(H)]
    for y in range(H):
        for x in range(W):
            kind = kinds[y][x]
            if kind:
                grid[y][x] = face_pixel(kind, x + 0.5 - SHIFT, y + 0.5 - DROP, discs)
                continue
            # Extrusion down and to the right; the thin sprig gets only one.
            for k in range(1, DEPTH + 1):
                if x < k or y < k:
                    break
                behind = kinds[y - k][x - k]
                if behind and (behind != "sprig" or k == 1):
                    grid[y][x] = "+"
                    break
    return grid


def write(grid, path):
    header = [
        "; Pelko title logo: 50 rows of 320 pixels; the game draws each as a 2 x 2 block.",
        "; '.' neither plane: night sky shows   '+' plane 1 only: dark green",
        "; 'o' plane 2 only: light green        '#' both planes: light green",
        "; Plane 1 is drawn first, plane 2 over it. Lines starting with ';' are comments.",
        "; The window cuts off the last one and a half columns: keep art left of them.",
        "; tools/mklogo builds pelko.raw from this; tools/logo_art.py drew it first.",
    ]
    with open(path, "w") as f:
        for line in header:
            f.write(line + "\n")
        for row in grid:
            f.write("".join(row) + "\n")


if __name__ == "__main__":
    write(render(), sys.argv[1] if len(sys.argv) > 1 else "data/logo.txt")
