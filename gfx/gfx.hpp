// SPDX-License-Identifier: MIT
// gfx: the palette, the 7 x 7 cell sprites, the screen wipe with its grid
// file and the title logo. Owns cursor and saved_cursor, the drawing
// position every sprite draws around.
#pragma once

#include "gfx/colours.hpp"

#include <cstdint>
#include <cstdio>

struct point {
    int32_t x;
    int32_t y;
};

extern point cursor;
extern point saved_cursor;

void set_colour(int index); // the foreground to a palette entry

void draw_segment();
void draw_apple();
void draw_mushroom();
void draw_fence();

constexpr int GRID_RECORDS = 6480; // 90 x 72 cells inside the fence
struct grid_cell {
    int32_t col;
    int32_t row;
};
extern grid_cell grid_cells[GRID_RECORDS + 2]; // 0 and the last are never loaded
void load_grid();
void wipe_screen();                     // the dissolve, then the sweep
constexpr int WIPE_DISSOLVE_STEPS = 30; // of a tick each: about 0.6 s
constexpr int WIPE_SWEEP_STEPS = 10;
void wipe_dissolve(); // the grid's squares in file order
void wipe_sweep();    // lines from the top row down

constexpr int LOGO_PLANE_BYTES = 2000; // 50 rows of 40 bytes
constexpr int LOGO_BYTES = 2 * LOGO_PLANE_BYTES;
extern unsigned char logo_bits[LOGO_BYTES];
extern int32_t logo_pos;
extern FILE *logo_file;
void load_logo();
void draw_logo_plane(int32_t x0, int32_t y0, int colour);
void draw_logo(); // both planes from logo_pos 0
void redraw_logo_on_expose();
