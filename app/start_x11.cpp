// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "gfx/gfx.hpp"

#include <cstdio>
#include <cstdlib>

void open_display() {
    display = XOpenDisplay("");
    if (display) {
        screen = DefaultScreen(display);
        return;
    }
    const char *name = getenv("DISPLAY");
    if (name && *name)
        fprintf(stderr, "cannot open display %s\n", name);
    else
        fprintf(stderr, "cannot open display: DISPLAY is not set\n");
    exit(EXIT_STATUS_NO_DISPLAY);
}

void open_window(int argc, char **argv) {
    window = XCreateSimpleWindow(display, RootWindow(display, screen), WINDOW_X, WINDOW_Y,
                                 WINDOW_WIDTH, WINDOW_HEIGHT, WINDOW_BORDER,
                                 palette[PAL_WHITE].pixel, palette[PAL_NIGHT].pixel);
    XSetStandardProperties(display, window, window_name, window_name, None, argv, argc,
                           &size_hints);
    gc = XCreateGC(display, window, 0, nullptr);
    XSetBackground(display, gc, palette[PAL_GRASS].pixel);
    XSetForeground(display, gc, palette[PAL_WORM].pixel);
    XSelectInput(display, window, KeyPressMask | ExposureMask);
    XMapRaised(display, window);
}

void close_display() {
    if (!display) return;
    if (gc) XFreeGC(display, gc);
    if (window) XDestroyWindow(display, window);
    XCloseDisplay(display);
    display = nullptr;
}
