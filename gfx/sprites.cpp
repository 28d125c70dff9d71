#include "app/xio.hpp"
#include "gfx/gfx.hpp"

point cursor;
point saved_cursor;

namespace {

using pattern = const char *[7];

// One row per dy from -3 to +3, one column per dx from -3 to +3. A digit is
// the palette entry of the pixel, F the caller's foreground, '.' untouched.
constexpr pattern segment_pattern = {
    ".FFFFF.", "FFFFFFF", "FFFFFFF", "FFFFFFF", "FFFFFFF", "FFFFFFF", ".FFFFF.",
};
constexpr pattern apple_pattern = {
    "...444.", "..344..", ".33433.", "3333333", "3333333", ".33333.", "..333..",
};
constexpr pattern mushroom_pattern = {
    "..778..", ".78777.", "7877878", "...7...", "...6...", "...6...", "..666..",
};
constexpr pattern fence_pattern = {
    "6666666", "6.6.6.6", "6666666", "6.6.6.6", "6666666", "6.6.6.6", "6666666",
};

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
    draw_pixels(segment_pattern, 'F');
}

void draw_apple() {
    draw_coloured(apple_pattern, {PAL_APPLE_RED, PAL_APPLE_GREEN});
}

void draw_mushroom() {
    draw_coloured(mushroom_pattern, {PAL_GREY, PAL_CAP_RED, PAL_SPOT});
}

void draw_fence() {
    draw_coloured(fence_pattern, {PAL_GREY});
}
