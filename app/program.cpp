// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "app/xio.hpp"
#include "font/font.hpp"
#include "gfx/gfx.hpp"
#include "screens/screens.hpp"

#include <cstdio>
#include <cstdlib>
#include <ctime>

const char window_name[] = "Pelko v1.02";

Display *display;
int screen;
Window window;
GC gc;
XSizeHints size_hints;

int32_t quit_requested;
int32_t game_status;
uint64_t score;
uint64_t high_score;
int32_t tick_counter;

namespace {
timeval tick_sleep;

void open_display() {
    display = XOpenDisplay("");
    if (display) return;
    const char *name = getenv("DISPLAY");
    if (name && *name)
        fprintf(stderr, "cannot open display %s\n", name);
    else
        fprintf(stderr, "cannot open display: DISPLAY is not set\n");
    exit(EXIT_STATUS_NO_DISPLAY);
}

void free_x_resources() {
    if (!display) return;
    if (gc) XFreeGC(display, gc);
    if (window) XDestroyWindow(display, window);
    XCloseDisplay(display);
    display = nullptr;
}
} // namespace

void fill_size_hints() {
    size_hints.flags = PPosition | PSize;
    size_hints.x = WINDOW_X;
    size_hints.y = WINDOW_Y;
    size_hints.width = WINDOW_WIDTH;
    size_hints.height = WINDOW_HEIGHT;
}

void pace_tick() {
    xio_sync();
    tick_sleep.tv_sec = 0;
    tick_sleep.tv_usec = 20000;
    xio_sleep(&tick_sleep);
}

void start_up(int argc, char **argv) {
    tick_sleep = {0, 0};
    srand(static_cast<uint32_t>(time(nullptr)) >> 1);
    load_grid();
    load_font();
    puts("Pelko v1.02: steer the worm, eat the apples, mind the mushrooms");
    high_score = 0;
    open_display();
    screen = DefaultScreen(display);

    fill_size_hints();
    palette_setup();
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

void run_program_loop() {
    while (!quit_requested) {
        game_status = STATUS_RUNNING;
        quit_requested = 0;
        run_title_screen();
        if (quit_requested) return;
        run_game();
        const int32_t outcome = game_status;
        run_game_over();
        if (outcome == STATUS_RING_FULL) {
            quit_requested = 1;
            return;
        }
    }
}

void shut_down() {
    free_x_resources();
    exit(EXIT_STATUS_OK);
}

void die_missing_file(const char *message) {
    puts(message);
    free_x_resources();
    exit(EXIT_STATUS_NO_DATA_FILE);
}
