// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "input/input.hpp"
#include "play/play.hpp"

#include <cstdlib>

int32_t step_x;
int32_t step_y;
int32_t grow_ticks;
int32_t growth_total;

namespace {
constexpr point START_CELL = {28, 175};
constexpr int32_t START_GROWTH = 30;
constexpr int32_t UNPAID_GROWTH = 35; // growth ticks before they start to score
constexpr int32_t GROWTH_POINTS = 50;
constexpr int32_t APPLE_CYCLE = 100;   // the periodic event fires every 101 ticks
constexpr int APPLE_CHANCE_FROM = 251; // of 1000

void fence_run(point from, int32_t dx, int32_t dy, int32_t posts) {
    cursor = from;
    for (int32_t i = 0; i < posts; i++) {
        draw_fence();
        cursor.x += dx;
        cursor.y += dy;
    }
}

void draw_fence_around() {
    const int32_t w = WINDOW_WIDTH, h = WINDOW_HEIGHT;
    const int32_t across = w / CELL + 1, down = h / CELL; // 92 and 73 posts
    fence_run({0, 0}, CELL, 0, across);
    fence_run({w, CELL}, 0, CELL, down);
    fence_run({w - CELL, h}, -CELL, 0, across); // its last post lies outside
    fence_run({0, h - CELL}, 0, -CELL, down);
}

void grow_or_erase_tail() {
    if (grow_ticks > 0) {
        grow_ticks--;
        if (growth_total++ >= UNPAID_GROWTH) score += GROWTH_POINTS;
        return;
    }
    saved_cursor = cursor;
    cursor.x = ring_pop_x();
    cursor.y = ring_peek_y();
    set_colour(PAL_GRASS);
    draw_segment();
    cursor = saved_cursor;
}
} // namespace

void game_start() {
    game_status = STATUS_RUNNING;
    ring_reset();
    step_x = CELL;
    step_y = 0;
    score = 0;
    grow_ticks = START_GROWTH;
    growth_total = 0;
    for (point &apple : apples) apple = {0, 0};
    saved_cursor = START_CELL;

    draw_fence_around();
    cursor = saved_cursor;
    place_mushrooms();
    ring_push_x(cursor.x);
    ring_push_y(cursor.y);
}

void game_tick() {
    grow_or_erase_tail();

    set_colour(PAL_WORM);
    cursor.x += step_x;
    cursor.y += step_y;
    draw_segment();

    game_status = collision_test();
    eat_apple();
    ring_push_x(cursor.x);
    ring_push_y(cursor.y);

    if (tick_counter++ >= APPLE_CYCLE) {
        tick_counter = 0;
        grow_ticks = 1; // replaces an apple's larger growth
        if (rand() % 1000 >= APPLE_CHANCE_FROM) spawn_apple();
    }

    pace_tick();
    poll_event(handle_game_event);
}

void run_game() {
    game_start();
    while (game_status == STATUS_RUNNING) game_tick();
}
