// SPDX-License-Identifier: MIT
#include "launcher/launcher.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {
constexpr int COLOUR_CELLS = 15; // the game's palette

// The game's own test: 15 writable cells in the default colormap, which only
// a PseudoColor, GrayScale or DirectColor default visual can have.
bool has_writable_cells(Display *dpy) {
    const int screen = DefaultScreen(dpy);
    const int visual_class = DefaultVisual(dpy, screen)->c_class;
    if (visual_class != PseudoColor && visual_class != GrayScale && visual_class != DirectColor)
        return false;
    const Colormap colormap = DefaultColormap(dpy, screen);
    unsigned long pixels[COLOUR_CELLS];
    if (!XAllocColorCells(dpy, colormap, True, nullptr, 0, pixels, COLOUR_CELLS)) return false;
    XFreeColors(dpy, colormap, pixels, COLOUR_CELLS, 0);
    return true;
}

bool user_display_will_do() {
    const char *name = getenv("DISPLAY");
    if (!name || !*name)
        die("DISPLAY is not set: Pelko plays in a window on an X display, so start it "
            "from a graphical session");
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) die("cannot open display %s", name);
    const bool writable = has_writable_cells(dpy);
    XCloseDisplay(dpy);
    return writable;
}
} // namespace

void die(const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    fputs("pelko-play: ", stderr);
    vfprintf(stderr, format, arguments);
    fputc('\n', stderr);
    va_end(arguments);
    exit(LAUNCH_FAILED);
}

int main(int argc, char **argv) {
    if (argc > 1) {
        fprintf(stderr, "usage: %s\n", argv[0]);
        return 2;
    }
    remember_signal_mask();
    if (!user_display_will_do()) play_nested();
    execl(PELKO_GAME, PELKO_GAME, static_cast<char *>(nullptr));
    die("cannot run %s: %s", PELKO_GAME, strerror(errno));
}
