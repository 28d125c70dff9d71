// SPDX-License-Identifier: MIT
// frame: the game's window for the front-ends without an X server (the
// browser's canvas, the desktop's SDL window). raster.cpp owns the 8-bit
// frame, whose values are palette indices, and draws it by the X server's
// rules; seam.cpp owns the foreground, the queue of input and the values
// last presented. A front-end adds the flush, the sleep and the clock, the
// display's start-up, and puts the frame on its screen.
#pragma once

#include "frame/raster.hpp"

#include <cstdint>

struct frame_rgb {
    uint8_t r, g, b;
};
frame_rgb frame_colour(uint8_t value); // a palette entry's colour; other values black

void frame_queue_key(unsigned char character); // dropped when the queue is full
// The window's border and background, and the exposure of its mapping.
void frame_map_window();
// The pixels whose value is not the one last presented, which from now on
// count as presented: boxes around them, none empty, at most `most` (1 or
// more), and their count. Pixels drawn over and back since (the title's
// two-tone credits) are in none.
int frame_take_changes(frame_box boxes[], int most);
