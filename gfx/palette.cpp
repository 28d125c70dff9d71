// SPDX-License-Identifier: MIT
#include "app/xio.hpp"
#include "gfx/gfx.hpp"

XColor palette[PALETTE_SIZE];

namespace {

struct rgb {
    uint32_t red, green, blue;
};

constexpr rgb colour_table[PALETTE_SIZE] = {
    {0xffff, 0xffff, 0x4000}, // PAL_HELP
    {0xffff, 0xffff, 0xffff}, // PAL_WHITE
    {0xd800, 0x8500, 0x4a00}, // PAL_WORM
    {0xffff, 0x0000, 0x0000}, // PAL_APPLE_RED
    {0x0000, 0xffff, 0x0000}, // PAL_APPLE_GREEN
    {0x0000, 0x4000, 0x0000}, // PAL_GRASS
    {0x9000, 0x9000, 0x9000}, // PAL_GREY
    {0xfd00, 0x3600, 0x3600}, // PAL_CAP_RED
    {0xeb00, 0xeb00, 0xeb00}, // PAL_SPOT
    {0x0000, 0x0000, 0x2800}, // PAL_NIGHT
    {0x2400, 0x5600, 0x2400}, // PAL_LOGO_DARK
    {0x0000, 0xdf00, 0x4000}, // PAL_LOGO_LIGHT
    {0xfe01, 0x4c00, 0x9200}, // PAL_PINK: 0xfe01 on purpose
    {0x6a00, 0xa000, 0xff00}, // PAL_SKY
    {0xfd00, 0xa500, 0xf400}, // PAL_LABEL
};

} // namespace

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
