// SPDX-License-Identifier: MIT
// The canvas has every colour cell free: the palette takes pixels 0 to 14.
#include "gfx/gfx.hpp"
#include "web/web.hpp"

void palette_setup() {
    unsigned long pixels[PALETTE_SIZE];
    for (int i = 0; i < PALETTE_SIZE; i++) pixels[i] = static_cast<unsigned long>(i);
    palette_fill(pixels);
    web_store_colours(palette, PALETTE_SIZE);
}
