// SPDX-License-Identifier: MIT
// font_sheet: every glyph of the font at its own size and "GAME OVER" at the
// game-over scale, drawn by the game's own text code in its window on the
// display named by DISPLAY (an 8-bit server). It says "drawn" and shows the
// sheet until it is ended: tools/screenshots takes its picture.
//   font_sheet     run from a directory holding data/
#include "app/app.hpp"
#include "app/xio.hpp"
#include "font/font.hpp"
#include "gfx/gfx.hpp"

#include <cstdio>
#include <unistd.h>

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

} // namespace

int main() {
    start_up();
    draw_sheet();
    puts("drawn");
    fflush(stdout);
    for (;;) pause();
}
