// SPDX-License-Identifier: MIT
// The glyph table: which run of font segments draws each character, and how
// far it moves the pen. Shared by the game and by the tool that builds the
// font file, so both agree on the record order.
#pragma once

#include <array>
#include <cstdint>

constexpr int FONT_RECORDS = 200;
constexpr int FONT_DRAWN_RECORDS = 190; // 190..199 are loaded but belong to no glyph

struct glyph_def {
    unsigned char byte;
    int32_t first;   // first segment
    int32_t count;   // number of segments
    int32_t advance; // pen movement at the font's own size
};

// In segment order, which is also the order of the records in the file.
constexpr glyph_def glyph_defs[] = {
    {'A', 0, 3, 8},   {'B', 3, 6, 6},    {'C', 9, 7, 8},    {'D', 16, 6, 6},   {'E', 22, 4, 5},
    {'F', 26, 3, 5},  {'G', 29, 7, 6},   {'H', 36, 3, 5},   {'I', 39, 3, 3},   {'J', 42, 4, 6},
    {'K', 46, 3, 6},  {'L', 49, 2, 6},   {'M', 51, 4, 7},   {'N', 55, 3, 8},   {'O', 58, 8, 7},
    {'P', 66, 4, 5},  {'Q', 70, 9, 7},   {'R', 79, 5, 5},   {'S', 84, 11, 6},  {'T', 95, 2, 7},
    {'U', 97, 3, 6},  {'V', 100, 2, 7},  {'W', 102, 4, 7},  {'X', 106, 2, 8},  {'Y', 108, 5, 7},
    {'Z', 113, 3, 8}, {0xC6, 116, 6, 8}, {0xD8, 122, 9, 7}, {0xC5, 131, 4, 8}, {'1', 135, 3, 3},
    {'2', 138, 6, 6}, {'3', 144, 6, 6},  {'4', 150, 3, 6},  {'5', 153, 5, 6},  {'6', 158, 5, 6},
    {'7', 163, 2, 4}, {'8', 165, 7, 6},  {'9', 172, 4, 6},  {'0', 176, 4, 6},  {'.', 180, 2, 2},
    {',', 182, 2, 4}, {'-', 184, 1, 6},  {'!', 185, 5, 4},  {' ', 0, 0, 5},
};

// One entry per byte value; count 0 means nothing is drawn.
struct glyph {
    int32_t first;
    int32_t last;
    int32_t advance;
    int32_t count;
};

constexpr std::array<glyph, 256> make_glyph_table() {
    std::array<glyph, 256> table{};
    for (const glyph_def &d : glyph_defs)
        table[d.byte] = {d.first, d.first + d.count - 1, d.advance, d.count};
    return table;
}

constexpr std::array<glyph, 256> glyph_table = make_glyph_table();

constexpr bool glyph_runs_cover_drawn_records() {
    int next = 0;
    for (const glyph_def &d : glyph_defs) {
        if (d.count == 0) continue;
        if (d.first != next) return false;
        next += d.count;
    }
    return next == FONT_DRAWN_RECORDS;
}
static_assert(glyph_runs_cover_drawn_records(), "glyph runs must tile segments 0..189");
static_assert(sizeof glyph_defs / sizeof glyph_defs[0] == 44);
