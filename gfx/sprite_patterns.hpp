// SPDX-License-Identifier: MIT
// The four 7 x 7 cell sprites as pictures, shared by the game and the icon
// tool so that the desktop icon shows exactly what the playfield shows.
#pragma once

namespace sprite_patterns {

using pattern = const char *const[7];

// One row per dy from -3 to +3, one column per dx from -3 to +3. A digit is
// the palette entry of the pixel, F the caller's foreground, '.' untouched.
constexpr pattern segment = {
    ".FFFFF.", "FFFFFFF", "FFFFFFF", "FFFFFFF", "FFFFFFF", "FFFFFFF", ".FFFFF.",
};
constexpr pattern apple = {
    "...444.", "..344..", ".33433.", "3333333", "3333333", ".33333.", "..333..",
};
constexpr pattern mushroom = {
    "..778..", ".78777.", "7877878", "...7...", "...6...", "...6...", "..666..",
};
constexpr pattern fence = {
    "6666666", "6.6.6.6", "6666666", "6.6.6.6", "6666666", "6.6.6.6", "6666666",
};

} // namespace sprite_patterns
