// SPDX-License-Identifier: MIT
// web: the browser build's counterparts of the X-specific files, the seam
// (xio_web.cpp over the frame of raster.cpp), start-up and shut-down
// (start_web.cpp) and the palette (palette_web.cpp), with the page around
// them (index.html, page.js). xio_web.cpp owns the GC's foreground, the
// canvas's colour for each pixel value and the queue of events; raster.cpp
// owns the frame. Declared here: what start-up and the palette hand the seam.
#pragma once

#include <X11/Xlib.h>

void web_store_colours(const XColor *colours, int count);
void web_queue_event(const XEvent &event); // dropped when the queue is full
