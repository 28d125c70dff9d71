// SPDX-License-Identifier: MIT
// frame: the game's window for the front-ends without an X server (the
// browser's canvas, the desktop's SDL window). raster.cpp owns the 8-bit
// frame and draws it by the X server's rules; seam.cpp owns the GC's
// foreground, the colour of each pixel value, the queue of events and the
// pixels last shown; palette_frame.cpp sets up the palette. A front-end adds
// the flush, the sleep and the clock, and puts the frame on its screen.
#pragma once

#include "frame/raster.hpp"

#include <X11/Xlib.h>
#include <cstdint>

struct frame_rgb {
    uint8_t r, g, b;
};
extern frame_rgb frame_colours[256]; // by pixel value; unset ones black

void frame_store_colours(const XColor *colours, int count);
void frame_queue_event(const XEvent &event);   // dropped when the queue is full
void frame_queue_key(unsigned char character); // a KeyPress that types it
// The window's border and background, and the Expose of its mapping.
void frame_map_window();
// The pixels whose value is not the one last shown, which from now on count
// as shown: boxes around them, none empty, at most `most` (1 or more), and
// their count. Pixels drawn over and back since (the title's two-tone
// credits) are in none.
int frame_take_changes(frame_box boxes[], int most);
