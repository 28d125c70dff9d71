// SPDX-License-Identifier: MIT
// The seam's requests drawn into the frame as the server would draw them,
// and input from the front-end's queue, one a poll.
#include "app/xio.hpp"

#include "app/app.hpp"
#include "frame/frame.hpp"
#include "gfx/colours.hpp"

#include <algorithm>
#include <iterator>

namespace {
uint8_t foreground;
uint8_t presented[FRAME_HEIGHT][FRAME_WIDTH]; // what the front-end was last given

constexpr int INPUT_QUEUE_SIZE = 64;
input queue[INPUT_QUEUE_SIZE];
int queued;

void queue_input(input in) {
    if (queued < INPUT_QUEUE_SIZE) queue[queued++] = in;
}

// Xlib sends coordinates as 16-bit numbers, sizes as unsigned ones.
int16_t wire(int v) {
    return static_cast<int16_t>(v);
}
uint16_t wire_size(unsigned v) {
    return static_cast<uint16_t>(v);
}
} // namespace

frame_rgb frame_colour(uint8_t value) {
    if (value >= PALETTE_SIZE) return {0, 0, 0};
    const colour_rgb &c = colour_table[value];
    return {static_cast<uint8_t>(c.red >> 8), static_cast<uint8_t>(c.green >> 8),
            static_cast<uint8_t>(c.blue >> 8)};
}

void frame_queue_key(unsigned char character) {
    queue_input({INPUT_KEY, static_cast<char>(character)});
}

void frame_map_window() {
    frame_open(PAL_WHITE, PAL_NIGHT);
    // The frame was never presented: whatever it holds now is news.
    for (auto &row : presented) std::fill(std::begin(row), std::end(row), uint8_t{0xff});
    queue_input({INPUT_EXPOSE, 0}); // a newly mapped window is exposed whole
}

namespace {
// The pixels of a changed tile that show something new, and the box round them.
frame_box take_tile(int row, int column) {
    frame_box changed{};
    const int top = row * FRAME_TILE, bottom = std::min(top + FRAME_TILE, FRAME_HEIGHT);
    const int left = column * FRAME_TILE, right = std::min(left + FRAME_TILE, FRAME_WIDTH);
    for (int y = top; y < bottom; y++)
        for (int x = left; x < right; x++) {
            if (presented[y][x] == frame[y][x]) continue;
            presented[y][x] = frame[y][x];
            frame_grow(changed, {x, y, x + 1, y + 1});
        }
    return changed;
}
} // namespace

// A box for each run of changed tiles along a row of them, or one box round
// them all when there are more than `most`.
int frame_take_changes(frame_box boxes[], int most) {
    const frame_box box = frame_changed;
    if (box.left == box.right) return 0;
    int count = 0;
    frame_box all{};
    for (int row = box.top / FRAME_TILE; row <= (box.bottom - 1) / FRAME_TILE; row++) {
        frame_box run{};
        for (int column = box.left / FRAME_TILE; column <= (box.right - 1) / FRAME_TILE + 1;
             column++) {
            if (column < FRAME_TILE_COLUMNS && frame_tile_changed[row][column]) {
                frame_grow(run, take_tile(row, column));
                continue;
            }
            if (run.left == run.right) continue;
            if (count < most) boxes[count] = run;
            count++;
            frame_grow(all, run);
            run = {};
        }
    }
    frame_forget_changes();
    if (count <= most) return count;
    boxes[0] = all;
    return 1;
}

void xio_set_colour(int index) {
    foreground = static_cast<uint8_t>(index);
}

void xio_draw_point(int x, int y) {
    frame_point(wire(x), wire(y), foreground);
}

void xio_draw_line(int x1, int y1, int x2, int y2) {
    frame_line(wire(x1), wire(y1), wire(x2), wire(y2), foreground);
}

void xio_draw_rectangle(int x, int y, unsigned width, unsigned height) {
    frame_rectangle(wire(x), wire(y), wire_size(width), wire_size(height), foreground);
}

void xio_fill_rectangle(int x, int y, unsigned width, unsigned height) {
    frame_fill(wire(x), wire(y), wire_size(width), wire_size(height), foreground);
}

input xio_poll() {
    if (queued == 0) return {INPUT_NONE, 0};
    const input first = queue[0];
    std::copy(queue + 1, queue + queued, queue);
    queued--;
    return first;
}

// Every colour is the palette's own: nothing to allocate.
void palette_setup() {}
