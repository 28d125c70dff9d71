// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "app/xio.hpp"
#include "gfx/gfx.hpp"

#include <cstdio>

grid_cell grid_cells[GRID_RECORDS + 2];

namespace {
char grid_message[4200]; // room for any path the build can name
}

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

void wipe_screen() {
    saved_cursor = cursor;
    for (const grid_cell &cell : grid_cells) {
        cursor = {CELL * cell.col, CELL * cell.row};
        xio_fill_rectangle(cursor.x - 3, cursor.y - 3, CELL, CELL);
    }
    for (int y = 0; y < size_hints.height; y++) xio_draw_line(0, y, size_hints.width, y);
    cursor = saved_cursor;
}
