// SPDX-License-Identifier: MIT
// One event a poll, never waiting: a key as the one character it types, and
// the window put back to its size when the last of a series of exposures
// comes, whatever a window manager made of it.
#include "app/app.hpp"
#include "app/xio.hpp"
#include "x11/x11.hpp"

XEvent event_buffer;

namespace {
char key_text[10];

void size_window_back() {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    if (attributes.width != 0 || attributes.height != 0)
        XResizeWindow(display, window, WINDOW_WIDTH, WINDOW_HEIGHT);
}

// The events a poll takes: key presses, pointer motion and exposures.
Bool event_filter(Display *, XEvent *event, XPointer) {
    return event->type == KeyPress || event->type == MotionNotify || event->type == Expose;
}
} // namespace

input xio_poll() {
    if (!XCheckIfEvent(display, &event_buffer, event_filter, nullptr)) return {INPUT_NONE, 0};
    if (event_buffer.type == KeyPress) {
        const int n =
            XLookupString(&event_buffer.xkey, key_text, sizeof key_text, nullptr, nullptr);
        return {INPUT_KEY, n == 1 ? key_text[0] : '\0'};
    }
    if (event_buffer.type == Expose && event_buffer.xexpose.count == 0) {
        size_window_back();
        return {INPUT_EXPOSE, 0};
    }
    return {INPUT_NONE, 0};
}
