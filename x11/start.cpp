// SPDX-License-Identifier: MIT
// The display, the palette's colour cells and the window: the back-end's
// part of start-up and shut-down.
#include "app/app.hpp"
#include "app/xio.hpp"
#include "x11/x11.hpp"

#include <cstdlib>

Display *display;
int screen;
Window window;
GC gc;
XSizeHints size_hints;
XColor palette[PALETTE_SIZE];
int command_argc;
char **command_argv;

void open_display() {
    display = XOpenDisplay("");
    if (!display) {
        const char *name = getenv("DISPLAY");
        if (name && *name) die("cannot open display %s", name);
        die("cannot open display: DISPLAY is not set");
    }
    screen = DefaultScreen(display);
    size_hints.flags = PPosition | PSize;
    size_hints.x = WINDOW_X;
    size_hints.y = WINDOW_Y;
    size_hints.width = WINDOW_WIDTH;
    size_hints.height = WINDOW_HEIGHT;
}

void palette_setup() {
    Colormap colormap = DefaultColormap(display, screen);
    unsigned long pixels[PALETTE_SIZE];
    if (!XAllocColorCells(display, colormap, True, nullptr, 0, pixels, PALETTE_SIZE))
        die("failed to allocate all %d colours", PALETTE_SIZE);
    for (int i = 0; i < PALETTE_SIZE; i++) {
        palette[i].pixel = pixels[i];
        palette[i].red = static_cast<unsigned short>(colour_table[i].red);
        palette[i].green = static_cast<unsigned short>(colour_table[i].green);
        palette[i].blue = static_cast<unsigned short>(colour_table[i].blue);
        palette[i].flags = DoRed | DoGreen | DoBlue;
    }
    XStoreColors(display, colormap, palette, PALETTE_SIZE);
}

void open_window() {
    window = XCreateSimpleWindow(display, RootWindow(display, screen), WINDOW_X, WINDOW_Y,
                                 WINDOW_WIDTH, WINDOW_HEIGHT, WINDOW_BORDER,
                                 palette[PAL_WHITE].pixel, palette[PAL_NIGHT].pixel);
    XSetStandardProperties(display, window, window_name, window_name, None, command_argv,
                           command_argc, &size_hints);
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
