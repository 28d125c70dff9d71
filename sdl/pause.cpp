// SPDX-License-Identifier: MIT
// What a paused game looks like: the picture as it stopped, dimmed, and
// over it the word and how to go on, in letters of the front-end's own so
// that nothing of it is in the frame.
#include "sdl/sdl.hpp"

#include <cstring>

uint8_t paused_picture[FRAME_HEIGHT][FRAME_WIDTH];

namespace {
static_assert(PAUSE_SHADE >= 15, "the palette's values are the game's");

// 5 x 7 letters, a row a string.
struct glyph {
    char letter;
    const char *rows[7];
};
constexpr glyph GLYPHS[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
};
constexpr int GLYPH_WIDTH = 5, GLYPH_HEIGHT = 7, ADVANCE = 6;

struct line {
    const char *text;
    int size; // frame pixels a dot
    int centre_y;
};
constexpr line LINES[] = {{"PAUSED", 6, 238}, {"PRESS P TO GO ON", 2, 295}};

const glyph *glyph_of(char letter) {
    for (const glyph &g : GLYPHS)
        if (g.letter == letter) return &g;
    return nullptr; // a space
}

void dot(int x, int y, int size, uint8_t value) {
    for (int row = y; row < y + size; row++)
        if (row >= 0 && row < FRAME_HEIGHT)
            for (int column = x; column < x + size; column++)
                if (column >= 0 && column < FRAME_WIDTH) paused_picture[row][column] = value;
}

// Each line centred across the frame, its letters shaded a dot down and
// to the right, so that they read on any part of the garden.
void write(const line &l, int offset, uint8_t value) {
    const int length = static_cast<int>(strlen(l.text));
    const int width = (length * ADVANCE - 1) * l.size;
    const int left = (FRAME_WIDTH - width) / 2 + offset * l.size;
    const int top = l.centre_y - GLYPH_HEIGHT * l.size / 2 + offset * l.size;
    for (int i = 0; i < length; i++) {
        const glyph *g = glyph_of(l.text[i]);
        if (!g) continue;
        for (int y = 0; y < GLYPH_HEIGHT; y++)
            for (int x = 0; x < GLYPH_WIDTH; x++)
                if (g->rows[y][x] == '#')
                    dot(left + (i * ADVANCE + x) * l.size, top + y * l.size, l.size, value);
    }
}
} // namespace

void draw_paused_picture() {
    memcpy(paused_picture, frame, sizeof paused_picture);
    for (const line &l : LINES) write(l, 1, PAUSE_SHADE);
    for (const line &l : LINES) write(l, 0, PAUSE_INK);
}

frame_rgb paused_colour(uint8_t value) {
    if (value == PAUSE_INK) return {0xff, 0xff, 0xff};
    if (value == PAUSE_SHADE) return {0, 0, 0};
    const frame_rgb c = frame_colour(value);
    const auto dim = [](uint8_t v) { return static_cast<uint8_t>(v * 2 / 5); };
    return {dim(c.r), dim(c.g), dim(c.b)};
}
