// SPDX-License-Identifier: MIT
// Start-up and shut-down in the browser: the page holds the canvas, so the
// display is always there and the window is the frame.
#include "app/app.hpp"
#include "frame/frame.hpp"

void open_display() {
    screen = 0; // display stays null: only Xlib would read it
}

void open_window(int, char **) {
    frame_map_window();
}

void close_display() {}
