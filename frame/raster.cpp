// SPDX-License-Identifier: MIT
#include "frame/raster.hpp"

#include <algorithm>
#include <cstdlib>
#include <iterator>

uint8_t frame[FRAME_HEIGHT][FRAME_WIDTH];
frame_box frame_changed;
bool frame_tile_changed[FRAME_TILE_ROWS][FRAME_TILE_COLUMNS];

namespace {
void plot(int x, int y, uint8_t pixel) {
    if (x < 0 || y < 0 || x >= WINDOW_WIDTH || y >= WINDOW_HEIGHT) return;
    x += WINDOW_BORDER;
    y += WINDOW_BORDER;
    uint8_t &p = frame[y][x];
    if (p == pixel) return;
    p = pixel;
    frame_tile_changed[y / FRAME_TILE][x / FRAME_TILE] = true;
    frame_grow(frame_changed, {x, y, x + 1, y + 1});
}

// Both ends on the same far side of the window: nothing of it can show.
bool wholly_outside(int x1, int y1, int x2, int y2) {
    return (x1 < 0 && x2 < 0) || (y1 < 0 && y2 < 0) || (x1 >= WINDOW_WIDTH && x2 >= WINDOW_WIDTH) ||
           (y1 >= WINDOW_HEIGHT && y2 >= WINDOW_HEIGHT);
}
} // namespace

void frame_grow(frame_box &box, const frame_box &more) {
    if (more.left == more.right) return;
    if (box.left == box.right) {
        box = more;
        return;
    }
    box = {std::min(box.left, more.left), std::min(box.top, more.top),
           std::max(box.right, more.right), std::max(box.bottom, more.bottom)};
}

void frame_open(uint8_t border, uint8_t background) {
    for (auto &row : frame) std::fill(std::begin(row), std::end(row), border);
    for (int y = 0; y < WINDOW_HEIGHT; y++)
        for (int x = 0; x < WINDOW_WIDTH; x++)
            frame[y + WINDOW_BORDER][x + WINDOW_BORDER] = background;
    frame_changed = {0, 0, FRAME_WIDTH, FRAME_HEIGHT};
    for (auto &row : frame_tile_changed) std::fill(std::begin(row), std::end(row), true);
}

void frame_forget_changes() {
    for (auto &row : frame_tile_changed) std::fill(std::begin(row), std::end(row), false);
    frame_changed = {};
}

void frame_point(int16_t x, int16_t y, uint8_t pixel) {
    plot(x, y, pixel);
}

// Bresenham from the first end to the last, both drawn. The clipped pixels
// are skipped one by one rather than clipped away in advance, so a line
// that leaves the window keeps exactly the pixels it has inside.
void frame_line(int16_t x1, int16_t y1, int16_t x2, int16_t y2, uint8_t pixel) {
    if (wholly_outside(x1, y1, x2, y2)) return;
    int dx = x2 - x1, dy = y2 - y1, x_step = 1, y_step = 1;
    if (dx < 0) {
        dx = -dx;
        x_step = -1;
    }
    if (dy < 0) {
        dy = -dy;
        y_step = -1;
    }
    // Half-way ties step the minor axis, in every octant: the server's
    // zero-line bias is none.
    const bool x_major = dx > dy;
    const int major = x_major ? dx : dy, minor = x_major ? dy : dx;
    int error = -major;
    int x = x1, y = y1;
    for (int i = 0; i <= major; i++) {
        plot(x, y, pixel);
        if (x_major)
            x += x_step;
        else
            y += y_step;
        error += 2 * minor;
        if (error >= 0) {
            if (x_major)
                y += y_step;
            else
                x += x_step;
            error -= 2 * major;
        }
    }
}

// The outline through (x, y) and (x + width, y + height), as the five-point
// thin polyline the protocol defines it to be. One of no size draws nothing,
// as on an uncovered window.
void frame_rectangle(int16_t x, int16_t y, uint16_t width, uint16_t height, uint8_t pixel) {
    if (width == 0 && height == 0) return;
    const int right = x + width, bottom = y + height;
    for (int i = x; i <= right; i++) {
        plot(i, y, pixel);
        plot(i, bottom, pixel);
    }
    for (int j = y; j <= bottom; j++) {
        plot(x, j, pixel);
        plot(right, j, pixel);
    }
}

void frame_fill(int16_t x, int16_t y, uint16_t width, uint16_t height, uint8_t pixel) {
    const int left = std::max<int>(x, 0), right = std::min(x + width, WINDOW_WIDTH);
    const int top = std::max<int>(y, 0), bottom = std::min(y + height, WINDOW_HEIGHT);
    for (int j = top; j < bottom; j++)
        for (int i = left; i < right; i++) plot(i, j, pixel);
}
