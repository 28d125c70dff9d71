// SPDX-License-Identifier: MIT
// font: the vector font file, its two segment tables, the glyph table
// (glyphs.hpp) and text drawing. Only draw_text_scaled changes
// font_segments, and it restores it from font_backup before returning.
#pragma once

#include "font/glyphs.hpp"

#include <cstdint>

struct font_segment {
    float x1, y1, x2, y2;
};

extern font_segment font_segments[FONT_RECORDS];
extern font_segment font_backup[FONT_RECORDS];

void load_font();
void draw_font_range(int32_t x, int32_t y, int32_t first, int32_t last);
int32_t draw_glyph(char ch, int32_t x, int32_t y);
int32_t draw_text(const char *text, int32_t x, int32_t y, int32_t spacing);
int32_t draw_text_scaled(const char *text, int32_t x, int32_t y, int32_t spacing, float scale);
