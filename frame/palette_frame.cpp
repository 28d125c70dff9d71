// SPDX-License-Identifier: MIT
// The frame has every colour cell free: the palette takes pixels 0 to 14.
#include "frame/frame.hpp"
#include "gfx/gfx.hpp"

void palette_setup() {
    unsigned long pixels[PALETTE_SIZE];
    for (int i = 0; i < PALETTE_SIZE; i++) pixels[i] = static_cast<unsigned long>(i);
    palette_fill(pixels);
    frame_store_colours(palette, PALETTE_SIZE);
}
