// SPDX-License-Identifier: MIT
// The game's 15 colours: their palette indices and RGB values, shared by the
// palette set-up and the icon, which shows the sprites in the same colours.
#pragma once

#include <cstdint>

enum : int {
    PAL_HELP,
    PAL_WHITE,
    PAL_WORM,
    PAL_APPLE_RED,
    PAL_APPLE_GREEN,
    PAL_GRASS,
    PAL_GREY,
    PAL_CAP_RED,
    PAL_SPOT,
    PAL_NIGHT,
    PAL_LOGO_DARK,
    PAL_LOGO_LIGHT,
    PAL_PINK,
    PAL_SKY,
    PAL_LABEL,
    PALETTE_SIZE
};

// X colour intensities, 16 bits each.
struct colour_rgb {
    uint32_t red, green, blue;
};

constexpr colour_rgb colour_table[PALETTE_SIZE] = {
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
