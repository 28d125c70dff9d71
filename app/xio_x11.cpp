// SPDX-License-Identifier: MIT
#include "app/xio.hpp"

#include "app/app.hpp"

#include <sys/select.h>
#include <time.h>

void xio_set_foreground(unsigned long pixel) {
    XSetForeground(display, gc, pixel);
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

void xio_sleep(timeval *timeout) {
    select(0, nullptr, nullptr, nullptr, timeout);
}

int64_t xio_clock_us() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000 + now.tv_nsec / 1000;
}

bool xio_check_event(XEvent *event, event_predicate predicate) {
    return XCheckIfEvent(display, event, predicate, nullptr);
}

int xio_lookup_string(XKeyEvent *key, char *buffer, int size, KeySym *keysym) {
    return XLookupString(key, buffer, size, keysym, nullptr);
}

void xio_window_size(int *width, int *height) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    *width = attributes.width;
    *height = attributes.height;
}

void xio_resize_window(unsigned width, unsigned height) {
    XResizeWindow(display, window, width, height);
}
