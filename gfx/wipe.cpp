// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "app/xio.hpp"
#include "gfx/gfx.hpp"

#include <cstdio>

grid_cell grid_cells[GRID_RECORDS + 2];

namespace {
char grid_message[4200]; // room for any path the build can name

// Each stage is shown a tick at a time, in steps of equal size, so that a
// player sees it happen however fast the server draws.
void show_step_end(int i, int count, int steps) {
    const int per_step = (count + steps - 1) / steps;
    if ((i + 1) % per_step == 0 || i + 1 == count) pace_tick();
}
} // namespace

void load_grid() {
    FILE *file = fopen(grid_path, "rb");
    if (!file) {
        snprintf(grid_message, sizeof grid_message, "Error opening file %s. unrecoverable ",
                 grid_path);
        die_missing_file(grid_message);
    }
    // A short file leaves EOF (-1) in the rest: those squares fall outside the window.
    for (int i = 1; i <= GRID_RECORDS; i++) {
        grid_cells[i].col = getc(file);
        grid_cells[i].row = getc(file);
    }
    fclose(file);
}

void wipe_dissolve() {
    constexpr int count = GRID_RECORDS + 2;
    for (int i = 0; i < count; i++) {
        cursor = {CELL * grid_cells[i].col, CELL * grid_cells[i].row};
        xio_fill_rectangle(cursor.x - 3, cursor.y - 3, CELL, CELL);
        show_step_end(i, count, WIPE_DISSOLVE_STEPS);
    }
}

void wipe_sweep() {
    for (int y = 0; y < WINDOW_HEIGHT; y++) {
        xio_draw_line(0, y, WINDOW_WIDTH, y);
        show_step_end(y, WINDOW_HEIGHT, WIPE_SWEEP_STEPS);
    }
}

void wipe_screen() {
    saved_cursor = cursor;
    wipe_dissolve();
    wipe_sweep();
    cursor = saved_cursor;
}
