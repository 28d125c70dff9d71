// SPDX-License-Identifier: MIT
// The thin seam between the game and Xlib: the few requests drawn and polled
// every tick, and the clock and sleep that pace them. The game links the
// Xlib version; unit tests link a recorder.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>
#include <sys/time.h>

using event_predicate = Bool (*)(Display *, XEvent *, XPointer);

void xio_set_foreground(unsigned long pixel);
void xio_draw_point(int x, int y);
void xio_draw_line(int x1, int y1, int x2, int y2);
void xio_draw_rectangle(int x, int y, unsigned width, unsigned height);
void xio_fill_rectangle(int x, int y, unsigned width, unsigned height);
void xio_sync();
void xio_sleep(timeval *timeout);
int64_t xio_clock_us(); // the monotonic clock, in microseconds
bool xio_check_event(XEvent *event, event_predicate predicate);
int xio_lookup_string(XKeyEvent *key, char *buffer, int size, KeySym *keysym);
void xio_window_size(int *width, int *height);
void xio_resize_window(unsigned width, unsigned height);
