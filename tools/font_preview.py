#!/usr/bin/env python3
"""Shows the vector font as the game draws it, without an X server.

    python3 tools/font_preview.py pelko.font font/glyphs.hpp OUTDIR

Reads the built font file (what the game loads) and the glyph table, and
writes into OUTDIR, as PPM and (through ImageMagick's convert) PNG:
  charset.png      every character at scale 1, spacing 2
  charset_x4.png   the same, enlarged 4 x for the eye
  title.png        the title-screen texts at their places in the window
                   (the credits line is a stand-in of the right length)
  title_intro_x2.png  the credits and intro lines, enlarged 2 x
  gameover.png     the bold "GAME OVER" at scale 5.5 and the high-score message
  pairs.png        the look-alike pairs side by side, scale 1 (and pairs_x4.png)
Lines are drawn like X's thin lines: every pixel of a Bresenham line, both
end points included. Scaling truncates as the game does, in single precision.
"""

import os
import re
import struct
import subprocess
import sys

WIN_W, WIN_H = 637, 511
NIGHT = (0x00, 0x00, 0x28)
HELP = (0xFF, 0xFF, 0x40)
WHITE = (0xFF, 0xFF, 0xFF)
CAP_RED = (0xFD, 0x36, 0x36)
PINK = (0xFE, 0x4C, 0x92)
SKY = (0x6A, 0xA0, 0xFF)
LABEL = (0xFD, 0xA5, 0xF4)


def f32(v):
    return struct.unpack("f", struct.pack("f", v))[0]


def trunc(v):
    return int(v)  # toward zero, like the C++ conversion


def read_table(path):
    # {'A', 0, 3, 8} or {0xC6, 116, 6, 8}: byte, first, count, advance
    text = open(path).read()
    body = text[text.index("glyph_defs[]") :]
    table = {}
    for m in re.finditer(r"\{\s*('(.)'|0x[0-9A-Fa-f]+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*\}", body):
        byte = ord(m.group(2)) if m.group(2) is not None else int(m.group(1), 16)
        table[byte] = (int(m.group(3)), int(m.group(4)), int(m.group(5)))
    if len(table) != 44:
        sys.exit(f"{path}: found {len(table)} glyphs, want 44")
    return table


def read_font(path):
    data = list(open(path, "rb").read()[:800])
    data += [-1] * (800 - len(data))  # getc's end-of-file value, as the game reads it
    return [tuple(data[4 * k : 4 * k + 4]) for k in range(200)]


class Canvas:
    def __init__(self, w, h, bg=NIGHT):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def point(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def line(self, x1, y1, x2, y2, c):
        dx, dy = abs(x2 - x1), -abs(y2 - y1)
        sx, sy = (1 if x2 >= x1 else -1), (1 if y2 >= y1 else -1)
        err = dx + dy
        while True:
            self.point(x1, y1, c)
            if x1 == x2 and y1 == y2:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x1 += sx
            if e2 <= dx:
                err += dx
                y1 += sy

    def enlarged(self, k):
        out = Canvas(self.w * k, self.h * k)
        out.px = [[c for c in row for _ in range(k)] for row in self.px for _ in range(k)]
        return out

    def save(self, outdir, name):
        ppm = os.path.join(outdir, name + ".ppm")
        with open(ppm, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (self.w, self.h))
            f.write(bytes(v for row in self.px for c in row for v in c))
        png = os.path.join(outdir, name + ".png")
        subprocess.run(["convert", ppm, png], check=True)
        print(png)


class Font:
    def __init__(self, segments, table):
        self.segments, self.table = segments, table

    def glyph(self, canvas, byte, x, y, c, scale):
        first, count, advance = self.table.get(byte, (0, 0, 0))
        for k in range(first, first + count):
            x1, y1, x2, y2 = (trunc(f32(v * scale)) for v in self.segments[k])
            canvas.line(x + x1, y + y1, x + x2, y + y2, c)
        return advance

    def text(self, canvas, s, x, y, spacing, c):
        for byte in s.encode("latin-1"):
            x += self.glyph(canvas, byte, x, y, c, 1) + spacing
        return x

    def text_scaled(self, canvas, s, x, y, spacing, scale, c):
        scale = f32(scale)
        gap = f32(spacing * scale)
        for byte in s.encode("latin-1"):
            adv = self.glyph(canvas, byte, x, y, c, scale)
            x = trunc(f32(x + f32(f32(adv * scale) + gap)))
        return x


CHARSET_LINES = [
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
    "\u00c6\u00d8\u00c5 1234567890 .,-!",
    "THE QUICK BROWN FOX JUMPS OVER",
    "THE LAZY DOG, 12.345-67!",
    "\u00c6BLE P\u00c5 \u00d8EN GR\u00d8D",
]

TITLE = [
    (CAP_RED, "PELKO V1.02 BY THE PELKO CREW 94.", 192, 180),
    (PINK, "PELKO V1.02 BY THE PELKO CREW 94.", 191, 180),
    (WHITE, "IN THIS GAME YOU MUST HELP GRUBLO - THE HUNGRY MAGGOT, TO STEAL APPLES FROM", 14, 210),
    (WHITE, "BRUMO THE EVIL. BRUMO HAS PUT AN ELECTRIC FENCE AROUND THE GARDEN, AND HE", 17, 220),
    (WHITE, "HAS ALSO BEEN SPREADING POISIONOUS MUSHROOMS INTO IT. YOU MUST GUIDE GRUBLO", 16, 230),
    (WHITE, "AROUND THESE OBJECTS, AND YOU MUST KEEP HIM FROM EATING HIMSELF.", 59, 240),
    (HELP, "5 OR W - UP", 295, 285),
    (HELP, "1 OR A - LEFT     D OR 3 - RIGHT", 226, 305),
    (HELP, "X OR 2 - DOWN", 284, 325),
    (HELP, "S OR 7 - START", 90, 300),
    (HELP, "E OR 9 - EXIT", 480, 300),
    (LABEL, "GRUBLO", 320, 385),
    (LABEL, "APPLE", 320, 400),
    (LABEL, "MUSHROOM", 320, 415),
    (LABEL, "FENCE", 320, 430),
    (SKY, "LAST SCORE ", 80, 455),
    (SKY, "HIGHEST SCORE ", 450, 455),
    (SKY, "1280", 109, 470),
    (SKY, "90876", 489, 470),
]

PAIRS = "\u00c6\u00d8\u00c5 0123456789 .,-! O0D 1I 5S 8B 2Z"


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    font = Font(read_font(sys.argv[1]), read_table(sys.argv[2]))
    outdir = sys.argv[3]
    os.makedirs(outdir, exist_ok=True)

    cs = Canvas(300, 14 * len(CHARSET_LINES) + 4)
    for i, s in enumerate(CHARSET_LINES):
        font.text(cs, s, 4, 4 + 14 * i, 2, WHITE)
    cs.save(outdir, "charset")
    cs.enlarged(4).save(outdir, "charset_x4")

    title = Canvas(WIN_W, WIN_H)
    for colour, s, x, y in TITLE:
        font.text(title, s, x, y, 2, colour)
    title.save(outdir, "title")
    title_crop = Canvas(WIN_W, 80)
    title_crop.px = title.px[175:255]
    title_crop.enlarged(2).save(outdir, "title_intro_x2")

    over = Canvas(WIN_W, 250)
    font.text(over, "CONGRATULATIONS! NEW HIGH-SCORE!", 150, 100, 4, WHITE)
    font.text(over, "CONGRATULATIONS! NEW HIGH-SCORE!", 151, 100, 4, WHITE)
    for x in (120, 121, 122):
        end = font.text_scaled(over, "GAME OVER", x, 200, 2, 5.5, WHITE)
    print("GAME OVER from x 122 ends at", end)
    over.save(outdir, "gameover")

    pairs = Canvas(300, 16)
    font.text(pairs, PAIRS, 4, 4, 2, WHITE)
    pairs.save(outdir, "pairs")
    pairs.enlarged(4).save(outdir, "pairs_x4")


if __name__ == "__main__":
    main()
