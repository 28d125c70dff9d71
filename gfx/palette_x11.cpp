// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "gfx/gfx.hpp"

#include <cstdlib>

void palette_setup() {
    Colormap colormap = DefaultColormap(display, screen);
    unsigned long pixels[PALETTE_SIZE];
    if (!XAllocColorCells(display, colormap, True, nullptr, 0, pixels, PALETTE_SIZE)) {
        fprintf(stderr, "failed to allocate all %d colours\n", PALETTE_SIZE);
        exit(EXIT_STATUS_NO_COLOURS);
    }
    palette_fill(pixels);
    XStoreColors(display, colormap, palette, PALETTE_SIZE);
}
