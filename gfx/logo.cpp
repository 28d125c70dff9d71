// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "app/xio.hpp"
#include "gfx/gfx.hpp"

unsigned char logo_bits[LOGO_BYTES];
int32_t logo_pos;
FILE *logo_file;

namespace {
constexpr char logo_missing[] = "file pelko.raw not found ";
constexpr int32_t LOGO_X = 0;
constexpr int32_t LOGO_Y = 60;

void open_logo_file() {
    logo_file = fopen(logo_path, "rb");
    if (!logo_file) die_missing_file(logo_missing);
}
} // namespace

void load_logo() {
    open_logo_file();
    // Past the end getc gives EOF, whose low byte 0xFF shows as solid blocks.
    while (logo_pos <= LOGO_BYTES - 1)
        logo_bits[logo_pos++] = static_cast<unsigned char>(getc(logo_file));
    fclose(logo_file);
    logo_file = nullptr;
}

void draw_logo_plane(int32_t x0, int32_t y0, int colour) {
    set_colour(colour);
    for (int32_t j = 0; j < 50; j++) {
        for (int32_t k = 0; k < 40; k++) {
            const unsigned byte = logo_bits[logo_pos++];
            const int32_t x = x0 + 16 * k;
            // A 1 x 1 outline with a thin line covers a 2 x 2 block.
            for (int n = 7; n >= 0; n--)
                if (byte & (1u << n)) xio_draw_rectangle(x + 2 * (7 - n), y0 + 2 * j, 1, 1);
        }
    }
}

void draw_logo() {
    logo_pos = 0;
    draw_logo_plane(LOGO_X, LOGO_Y, PAL_LOGO_DARK);
    draw_logo_plane(LOGO_X, LOGO_Y, PAL_LOGO_LIGHT);
}

void redraw_logo_on_expose() {
    open_logo_file(); // only to see that it is still there
    draw_logo();
    fclose(logo_file);
    logo_file = nullptr;
}
