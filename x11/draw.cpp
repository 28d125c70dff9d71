// SPDX-License-Identifier: MIT
// The seam's requests as Xlib calls on the one window and GC, and the
// select() sleep that paces them.
#include "app/xio.hpp"
#include "x11/x11.hpp"

#include <sys/select.h>
#include <time.h>

void xio_set_colour(int index) {
    XSetForeground(display, gc, palette[index].pixel);
}

void xio_draw_point(int x, int y) {
    XDrawPoint(display, window, gc, x, y);
}

void xio_draw_line(int x1, int y1, int x2, int y2) {
    XDrawLine(display, window, gc, x1, y1, x2, y2);
}

void xio_draw_rectangle(int x, int y, unsigned width, unsigned height) {
    XDrawRectangle(display, window, gc, x, y, width, height);
}

void xio_fill_rectangle(int x, int y, unsigned width, unsigned height) {
    XFillRectangle(display, window, gc, x, y, width, height);
}

void xio_sync() {
    XSync(display, False);
}

void xio_sleep(int64_t microseconds) {
    timeval timeout{static_cast<time_t>(microseconds / 1000000),
                    static_cast<suseconds_t>(microseconds % 1000000)};
    select(0, nullptr, nullptr, nullptr, &timeout);
}

int64_t xio_clock_us() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000 + now.tv_nsec / 1000;
}
