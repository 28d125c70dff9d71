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

    fill_size_hints();
    palette_setup();
    open_window(argc, argv);
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
    close_display();
    exit(EXIT_STATUS_OK);
}

void die_missing_file(const char *message) {
    puts(message);
    close_display();
    exit(EXIT_STATUS_NO_DATA_FILE);
}
