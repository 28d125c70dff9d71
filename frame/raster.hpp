// SPDX-License-Identifier: MIT
// The stand-in for the X server's drawing where there is none: an 8-bit
// frame of the game's window and its border, drawn with the server's rules
// for points, thin lines and rectangles, and clipped to the window as it
// clips. Nothing of a front-end in it, so that the X build's tests can hold
// it against a real server.
#pragma once

#include "app/app.hpp"

#include <cstdint>

constexpr int FRAME_WIDTH = WINDOW_WIDTH + 2 * WINDOW_BORDER;   // 647
constexpr int FRAME_HEIGHT = WINDOW_HEIGHT + 2 * WINDOW_BORDER; // 521

extern uint8_t frame[FRAME_HEIGHT][FRAME_WIDTH]; // palette indices, border included

// Where pixels changed since the last frame_forget_changes(), in frame
// coordinates, right and bottom excluded; empty when left == right.
struct frame_box {
    int left, top, right, bottom;
};
extern frame_box frame_changed;
void frame_grow(frame_box &box, const frame_box &more); // the box round both
// The same in tiles of the frame, so that changes far apart (the worm's head
// and its tail) are found without looking at everything between them.
constexpr int FRAME_TILE = 16;
constexpr int FRAME_TILE_COLUMNS = (FRAME_WIDTH + FRAME_TILE - 1) / FRAME_TILE;
constexpr int FRAME_TILE_ROWS = (FRAME_HEIGHT + FRAME_TILE - 1) / FRAME_TILE;
extern bool frame_tile_changed[FRAME_TILE_ROWS][FRAME_TILE_COLUMNS];

// A new window: its border and background.
void frame_open(uint8_t border, uint8_t background);
void frame_forget_changes();

// Window coordinates, as they travel in the protocol: 16 bits.
void frame_point(int16_t x, int16_t y, uint8_t pixel);
void frame_line(int16_t x1, int16_t y1, int16_t x2, int16_t y2, uint8_t pixel);
void frame_rectangle(int16_t x, int16_t y, uint16_t width, uint16_t height, uint8_t pixel);
void frame_fill(int16_t x, int16_t y, uint16_t width, uint16_t height, uint8_t pixel);
