// SPDX-License-Identifier: MIT
// font_sheet: every glyph of the font at its own size and "GAME OVER" at the
// game-over scale, drawn by the game's own text code in its window on the
// display named by DISPLAY (an 8-bit server), and written out as a PPM.
//   font_sheet <out.ppm>     run from a directory holding data/
#include "app/app.hpp"
#include "app/xio.hpp"
#include "font/font.hpp"
#include "gfx/gfx.hpp"
#include "x11/x11.hpp"

#include <cstdio>

namespace {
constexpr const char *sheet_lines[] = {
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ \xC6\xD8\xC5",
    "0123456789 . , - !",
    "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG, 12.345-67!",
    "\xC6"
    "BLE P\xC5 \xD8"
    "EN - GR\xD8"
    "D OG BL\xC5"
    "B\xC6"
    "R.",
    "O0D 1I 5S 8B 2Z",
};

void draw_sheet() {
    set_colour(PAL_NIGHT);
    wipe_screen();
    set_colour(PAL_WHITE);
    int32_t y = 20;
    for (const char *line : sheet_lines) {
        draw_text(line, 20, y, 2);
        y += 14;
    }
    set_colour(PAL_HELP);
    draw_text("IN THIS GAME YOU MUST HELP GRUBLO - THE HUNGRY MAGGOT, TO STEAL APPLES FROM", 14,
              y + 10, 2);
    set_colour(PAL_WHITE);
    draw_text("CONGRATULATIONS! NEW HIGH-SCORE!", 150, 160, 4);
    draw_text("CONGRATULATIONS! NEW HIGH-SCORE!", 151, 160, 4);
    for (int32_t x = 120; x <= 122; x++) draw_text_scaled("GAME OVER", x, 200, 2, 5.5f);
    set_colour(PAL_SKY);
    for (int32_t x = 20; x <= 21; x++) draw_text_scaled("0123456789", x, 300, 2, 5.5f);
    set_colour(PAL_LABEL);
    for (int32_t x = 20; x <= 21; x++) draw_text_scaled("\xC6\xD8\xC5 .,-!", x, 380, 2, 5.5f);
    xio_sync();
}

bool write_ppm(const char *path) {
    XImage *image =
        XGetImage(display, window, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT, AllPlanes, ZPixmap);
    FILE *out = fopen(path, "wb");
    if (!image || !out) return false;
    fprintf(out, "P6\n%d %d\n255\n", WINDOW_WIDTH, WINDOW_HEIGHT);
    for (int y = 0; y < WINDOW_HEIGHT; y++) {
        for (int x = 0; x < WINDOW_WIDTH; x++) {
            XColor c{};
            c.pixel = XGetPixel(image, x, y);
            XQueryColor(display, DefaultColormap(display, screen), &c);
            fputc(c.red >> 8, out);
            fputc(c.green >> 8, out);
            fputc(c.blue >> 8, out);
        }
    }
    XDestroyImage(image);
    return fclose(out) == 0;
}
} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: font_sheet <out.ppm>\n");
        return 2;
    }
    start_up();
    draw_sheet();
    if (!write_ppm(argv[1])) {
        perror(argv[1]);
        return 1;
    }
    shut_down();
}
