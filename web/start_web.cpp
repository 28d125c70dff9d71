// SPDX-License-Identifier: MIT
// Start-up and shut-down in the browser: the page holds the canvas, so the
// display is always there and the window is the frame.
#include "app/app.hpp"
#include "app/xio.hpp"
#include "frame/frame.hpp"

int main() {
    start_up();
    run_program_loop();
    shut_down();
}

void open_display() {}

void open_window() {
    frame_map_window();
}

void close_display() {}
