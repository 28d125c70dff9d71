// SPDX-License-Identifier: MIT
// Start-up and shut-down in the browser: the page holds the canvas, so the
// display is always there and the window is the frame, opened as X maps it.
#include "app/app.hpp"
#include "gfx/gfx.hpp"
#include "web/raster.hpp"
#include "web/web.hpp"

void open_display() {
    screen = 0; // display stays null: only Xlib would read it
}

void open_window(int, char **) {
    frame_open(static_cast<uint8_t>(palette[PAL_WHITE].pixel),
               static_cast<uint8_t>(palette[PAL_NIGHT].pixel));
    XEvent mapped{};
    mapped.type = Expose; // a newly mapped window is exposed whole
    web_queue_event(mapped);
}

void close_display() {}
