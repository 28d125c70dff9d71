#!/usr/bin/env python3
"""Shows the title logo as the game draws it, without an X server.

    python3 tools/logo_preview.py data/logo.txt OUTDIR

writes OUTDIR/logo.png (the 637 x 100 band the logo covers) and
OUTDIR/title_top.png (the top 200 rows of the 637 x 511 window with the logo
at (0, 60) and a stand-in for the credits line at y 180). Needs ImageMagick's
convert for the PNG step; the PPM files are kept beside them.
"""

import os
import subprocess
import sys

LOGO_W, LOGO_H = 320, 50
WIN_W, WIN_H = 637, 511
LOGO_X, LOGO_Y = 0, 60

NIGHT = (0x00, 0x00, 0x28)
DARK = (0x24, 0x56, 0x24)
LIGHT = (0x00, 0xDF, 0x40)
CAP_RED = (0xFD, 0x36, 0x36)
PINK = (0xFE, 0x4C, 0x92)

PLANES = {".": (False, False), "+": (True, False), "o": (False, True), "#": (True, True)}


def read_logo(path):
    rows = []
    with open(path) as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if line.startswith(";"):
                continue
            if len(line) != LOGO_W or any(c not in PLANES for c in line):
                sys.exit(f"{path}:{n}: not a logo row")
            rows.append(line)
    if len(rows) != LOGO_H:
        sys.exit(f"{path}: {len(rows)} rows, want {LOGO_H}")
    return rows


def blank(w, h):
    return [[NIGHT] * w for _ in range(h)]


def draw_plane(img, rows, plane, colour, x0, y0):
    # Same order and 2 x 2 blocks as the game, clipped to the image.
    for j, row in enumerate(rows):
        for i, c in enumerate(row):
            if not PLANES[c][plane]:
                continue
            for dy in (0, 1):
                for dx in (0, 1):
                    x, y = x0 + 2 * i + dx, y0 + 2 * j + dy
                    if 0 <= x < len(img[0]) and 0 <= y < len(img):
                        img[y][x] = colour


def draw_logo(img, rows, x0, y0):
    draw_plane(img, rows, 0, DARK, x0, y0)
    draw_plane(img, rows, 1, LIGHT, x0, y0)


def draw_credits_stand_in(img, x0, y0):
    # The real line comes from the vector font; 33 outlined cells of about
    # its size are enough to judge the spacing under the logo.
    for colour, shift in ((CAP_RED, 0), (PINK, -1)):
        for k in range(33):
            if k in (8, 17, 24):  # word gaps
                continue
            left = x0 + shift + 8 * k
            for y in range(y0, y0 + 8):
                img[y][left] = img[y][left + 5] = colour
            for x in range(left, left + 6):
                img[y0][x] = img[y0 + 7][x] = colour


def save(img, path):
    ppm = path[:-4] + ".ppm"
    with open(ppm, "wb") as f:
        f.write(f"P6 {len(img[0])} {len(img)} 255\n".encode())
        f.write(bytes(v for row in img for px in row for v in px))
    subprocess.run(["convert", ppm, path], check=True)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: logo_preview.py logo.txt outdir")
    rows = read_logo(sys.argv[1])
    out = sys.argv[2]
    os.makedirs(out, exist_ok=True)

    band = blank(WIN_W, 2 * LOGO_H)
    draw_logo(band, rows, 0, 0)
    save(band, os.path.join(out, "logo.png"))

    top = blank(WIN_W, 200)
    draw_logo(top, rows, LOGO_X, LOGO_Y)
    draw_credits_stand_in(top, 192, 180)
    save(top, os.path.join(out, "title_top.png"))


if __name__ == "__main__":
    main()
