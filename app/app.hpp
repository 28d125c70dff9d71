// SPDX-License-Identifier: MIT
// app: start-up, the program loop and the game loop, over the seam of
// xio.hpp. Owns the window's constants, the program-wide flags, the scores,
// the per-game state of run_game and tick_counter.
#pragma once

#include <cstdint>

enum : int32_t {
    STATUS_RUNNING = 0,
    STATUS_ENDED = 1,     // fence reached, or the player ended the game
    STATUS_RING_FULL = 2, // the body ring overflowed
    STATUS_COLLIDED = 3,  // head met body or mushroom
};

// Every exit status of the program.
enum : int {
    EXIT_STATUS_OK = 0, // 'e', or a full body ring after its game over
    // A data file that cannot be opened, no display or a lost one, no 15
    // writable colour cells.
    EXIT_STATUS_FATAL = 1,
};

constexpr int32_t WINDOW_X = 100;
constexpr int32_t WINDOW_Y = 100;
constexpr int32_t WINDOW_WIDTH = 637;  // 91 cells of 7, and the only size
constexpr int32_t WINDOW_HEIGHT = 511; // 73 cells of 7
constexpr int32_t WINDOW_BORDER = 5;
constexpr int32_t CELL = 7;
extern const char window_name[];

// Data files, full paths fixed at build time.
extern const char grid_path[];
extern const char font_path[];
extern const char logo_path[];

extern int32_t quit_requested;
extern int32_t game_status;
extern uint64_t score;
extern uint64_t high_score;
extern int32_t tick_counter; // apple cycle in a game, frame count in the explosion

// Per-game state, reset by game_start.
extern int32_t step_x;
extern int32_t step_y;
extern int32_t grow_ticks;
extern int32_t growth_total;

void start_up();
void run_program_loop();
[[noreturn]] void shut_down();
void pace_tick();

// A data file that cannot be opened: its message on standard output, the
// display closed when it is open, exit status 1.
[[noreturn]] void die_missing_file(const char *message);
// Any other fatal condition: one line on standard error, exit status 1.
[[noreturn]] void die(const char *format, ...) __attribute__((format(printf, 1, 2)));

void run_game();
void game_start();
void game_tick();
