// SPDX-License-Identifier: MIT
#include "app/xio.hpp"
#include "gfx/gfx.hpp"
#include "gfx/sprite_patterns.hpp"

point cursor;
point saved_cursor;

namespace {

using sprite_patterns::pattern;

void draw_pixels(const pattern &rows, char mark) {
    for (int dy = -3; dy <= 3; dy++)
        for (int dx = -3; dx <= 3; dx++)
            if (rows[dy + 3][dx + 3] == mark) xio_draw_point(cursor.x + dx, cursor.y + dy);
}

// The colours in the order they are set: the last stays in the GC.
template <size_t N>
void draw_coloured(const pattern &rows, const int (&colours)[N]) {
    for (int colour : colours) {
        set_colour(colour);
        draw_pixels(rows, static_cast<char>('0' + colour));
    }
}

} // namespace

void draw_segment() {
    draw_pixels(sprite_patterns::segment, 'F');
}

void draw_apple() {
    draw_coloured(sprite_patterns::apple, {PAL_APPLE_RED, PAL_APPLE_GREEN});
}

void draw_mushroom() {
    draw_coloured(sprite_patterns::mushroom, {PAL_GREY, PAL_CAP_RED, PAL_SPOT});
}

void draw_fence() {
    draw_coloured(sprite_patterns::fence, {PAL_GREY});
}
