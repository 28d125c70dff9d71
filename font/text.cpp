// SPDX-License-Identifier: MIT
#include "font/font.hpp"

int32_t draw_text(const char *text, int32_t x, int32_t y, int32_t spacing) {
    if (!text) return x;
    for (const char *p = text; *p; p++) x += draw_glyph(*p, x, y) + spacing;
    return x;
}

// Scales the shared table in place for the length of the call and copies the
// loaded values back afterwards, so draw_glyph knows nothing of scale.
int32_t draw_text_scaled(const char *text, int32_t x, int32_t y, int32_t spacing, float scale) {
    for (font_segment &s : font_segments) {
        s.x1 *= scale;
        s.y1 *= scale;
        s.x2 *= scale;
        s.y2 *= scale;
    }
    if (text && *text) {
        const float scaled_spacing = static_cast<float>(spacing) * scale;
        for (const char *p = text; *p; p++) {
            const int32_t advance = draw_glyph(*p, x, y);
            x = static_cast<int32_t>(static_cast<float>(x) +
                                     (static_cast<float>(advance) * scale + scaled_spacing));
        }
    }
    for (int k = 0; k < FONT_RECORDS; k++) font_segments[k] = font_backup[k];
    return x;
}
