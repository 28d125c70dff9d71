// SPDX-License-Identifier: MIT
#include "app/xio.hpp"
#include "gfx/gfx.hpp"

XColor palette[PALETTE_SIZE];

void palette_fill(const unsigned long pixels[PALETTE_SIZE]) {
    for (int i = 0; i < PALETTE_SIZE; i++) {
        palette[i].pixel = pixels[i];
        palette[i].red = static_cast<unsigned short>(colour_table[i].red);
        palette[i].green = static_cast<unsigned short>(colour_table[i].green);
        palette[i].blue = static_cast<unsigned short>(colour_table[i].blue);
        palette[i].flags = DoRed | DoGreen | DoBlue;
    }
}

void set_colour(int index) {
    xio_set_foreground(palette[index].pixel);
}
