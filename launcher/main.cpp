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

Display *open_user_display() {
    const char *name = getenv("DISPLAY");
    if (!name || !*name)
        die("DISPLAY is not set: Pelko plays in a window on an X display, so start it "
            "from a graphical session");
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) die("cannot open display %s", name);
    return dpy;
}

constexpr const char *USAGE = "usage: pelko-play [--help | --version]\n";

int options(const char *option) {
    if (!strcmp(option, "--version")) {
        puts(PELKO_TITLE);
        return 0;
    }
    if (strcmp(option, "--help")) {
        fputs(USAGE, stderr);
        return 2;
    }
    fputs(USAGE, stdout);
    puts("Starts Pelko, the worm arcade game, on the X display named by DISPLAY: there\n"
         "when its default visual has 15 writable colour cells, else in a window of\n"
         "its own that holds a nested 8-bit X server (Xephyr). Ends with the game's\n"
         "exit status, or 0 when that window is closed. See pelko(6).");
    return 0;
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
    if (argc > 2) return options("");
    if (argc == 2) return options(argv[1]);
    remember_signal_mask();
    Display *host = open_user_display();
    if (!has_writable_cells(host)) play_nested(host);
    XCloseDisplay(host);
    execl(PELKO_GAME, PELKO_GAME, static_cast<char *>(nullptr));
    die("cannot run %s: %s", PELKO_GAME, strerror(errno));
}
