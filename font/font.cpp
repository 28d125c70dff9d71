// SPDX-License-Identifier: MIT
#include "font/font.hpp"

#include "app/app.hpp"
#include "app/xio.hpp"

#include <cstdio>

font_segment font_segments[FONT_RECORDS];
font_segment font_backup[FONT_RECORDS];

void load_font() {
    FILE *file = fopen(font_path, "rb");
    if (!file) die_missing_file("can't open file pelko.font");
    // A short file leaves -1 (EOF) in the coordinates it did not deliver.
    for (font_segment &s : font_segments) {
        s.x1 = static_cast<float>(getc(file));
        s.y1 = static_cast<float>(getc(file));
        s.x2 = static_cast<float>(getc(file));
        s.y2 = static_cast<float>(getc(file));
    }
    fclose(file);
    for (int k = 0; k < FONT_RECORDS; k++) font_backup[k] = font_segments[k];
}

void draw_font_range(int32_t x, int32_t y, int32_t first, int32_t last) {
    for (int32_t k = first; k <= last; k++) {
        const font_segment &s = font_segments[k];
        xio_draw_line(x + static_cast<int32_t>(s.x1), y + static_cast<int32_t>(s.y1),
                      x + static_cast<int32_t>(s.x2), y + static_cast<int32_t>(s.y2));
    }
}

int32_t draw_glyph(char ch, int32_t x, int32_t y) {
    // A signed char brings the Latin-1 letters as negatives; the byte is what counts.
    const glyph &g = glyph_table[static_cast<unsigned char>(ch)];
    if (g.count > 0) draw_font_range(x, y, g.first, g.last);
    return g.advance;
}
