// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "app/xio.hpp"
#include "font/font.hpp"
#include "gfx/gfx.hpp"
#include "screens/screens.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

const char window_name[] = "Pelko v1.02";

int32_t quit_requested;
int32_t game_status;
uint64_t score;
uint64_t high_score;
int32_t tick_counter;

namespace {
constexpr int64_t TICK_US = 20000;
} // namespace

void pace_tick() {
    xio_sync();
    xio_sleep(TICK_US);
}

void start_up() {
    srand(static_cast<uint32_t>(time(nullptr)) >> 1);
    load_grid();
    load_font();
    puts("Pelko v1.02: steer the worm, eat the apples, mind the mushrooms");
    high_score = 0;
    open_display();
    palette_setup();
    open_window();
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
    exit(EXIT_STATUS_FATAL);
}

void die(const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vfprintf(stderr, format, arguments);
    va_end(arguments);
    fputc('\n', stderr);
    exit(EXIT_STATUS_FATAL);
}
