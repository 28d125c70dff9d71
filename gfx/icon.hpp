// SPDX-License-Identifier: MIT
// The game's icon: a worm in a fenced corner of the garden, beside an apple
// and a mushroom, stamped from the cell sprites. Owns the scene and its
// scaling to a square of any side, so that the icon files (tools/mkicon) and
// the launcher's window icon are one picture. Not part of the game.
#pragma once

#include "gfx/colours.hpp"
#include "gfx/sprite_patterns.hpp"

#include <array>
#include <cstddef>
#include <cstdint>

namespace icon {

constexpr int CELLS = 9;
constexpr int SIDE = CELLS * 7; // the picture, in game pixels

struct colour {
    uint8_t r, g, b;
};
// A palette entry as a picture shows it: the top 8 bits of each intensity.
constexpr colour palette_colour(int index) {
    const colour_rgb &c = colour_table[index];
    return {uint8_t(c.red >> 8), uint8_t(c.green >> 8), uint8_t(c.blue >> 8)};
}
constexpr colour worm = palette_colour(PAL_WORM), grass = palette_colour(PAL_GRASS);

// F fence, W worm segment, A apple, M mushroom, '.' grass.
constexpr const char *scene[CELLS] = {
    "FFFFFFFFF", "F.M.....F", "F.....A.F", "F.....W.F", "F.WWWWW.F",
    "F.W.....F", "F.WWWW..F", "F....W.MF", "FFFFFFFFF",
};

using picture = std::array<colour, SIDE * SIDE>; // row by row

constexpr void stamp(picture &pixels, int col, int row, const sprite_patterns::pattern &sprite) {
    for (int y = 0; y < 7; y++)
        for (int x = 0; x < 7; x++) {
            const char mark = sprite[y][x];
            if (mark == '.') continue;
            const colour c = mark == 'F' ? worm : palette_colour(mark - '0');
            pixels[size_t((row * 7 + y) * SIDE + col * 7 + x)] = c;
        }
}

constexpr const sprite_patterns::pattern *sprite_for(char mark) {
    return mark == 'F'   ? &sprite_patterns::fence
           : mark == 'W' ? &sprite_patterns::segment
           : mark == 'A' ? &sprite_patterns::apple
           : mark == 'M' ? &sprite_patterns::mushroom
                         : nullptr;
}

constexpr picture draw() {
    picture pixels{};
    pixels.fill(grass);
    for (int row = 0; row < CELLS; row++)
        for (int col = 0; col < CELLS; col++)
            if (const auto *sprite = sprite_for(scene[row][col])) stamp(pixels, col, row, *sprite);
    return pixels;
}

struct pixel {
    colour c;
    bool opaque;
};

// The picture in a square of `side` pixels, nearest neighbour: enlarged by
// whole steps and centred in a clear margin when it fits, else sampled down
// to fill the square.
constexpr pixel at(const picture &pixels, int side, int x, int y) {
    const int scale = side / SIDE;
    if (scale == 0) {
        const auto sample = [side](int v) { return (2 * v + 1) * SIDE / (2 * side); };
        return {pixels[size_t(sample(y) * SIDE + sample(x))], true};
    }
    const int margin = (side - SIDE * scale) / 2;
    const int sx = (x - margin) / scale, sy = (y - margin) / scale;
    if (x < margin || y < margin || sx >= SIDE || sy >= SIDE) return {{0, 0, 0}, false};
    return {pixels[size_t(sy * SIDE + sx)], true};
}

} // namespace icon
