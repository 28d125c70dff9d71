// SPDX-License-Identifier: MIT
// The seam between the game and what shows it, in the game's words: colours
// by palette index, the four drawing requests, the flush, the sleep and the
// clock that pace them, and one poll for input. The X client links x11/,
// the front-ends without an X server frame/ and their own folder, the unit
// tests a recorder.
#pragma once

#include <cstdint>

void xio_set_colour(int index); // the foreground, a palette index
void xio_draw_point(int x, int y);
void xio_draw_line(int x1, int y1, int x2, int y2);
void xio_draw_rectangle(int x, int y, unsigned width, unsigned height);
void xio_fill_rectangle(int x, int y, unsigned width, unsigned height);
void xio_sync(); // everything drawn so far goes out
void xio_sleep(int64_t microseconds);
int64_t xio_clock_us(); // the monotonic clock, in microseconds

enum input_kind : int {
    INPUT_NONE,   // nothing pending, or something the game never reads
    INPUT_KEY,    // a key press
    INPUT_EXPOSE, // the last of a series of exposures: the window is shown
                  // whole again, and at its size
};
struct input {
    input_kind kind;
    char character; // a key's one character; 0 when it typed none or several
};
// Takes at most one pending input, without waiting.
input xio_poll();

// The back-end's side of start-up and shut-down. Each ends the program with
// one line when it cannot do its part.
void open_display();
void palette_setup(); // the colours of the palette, before the window
void open_window();
void close_display(); // whatever is open, once
