// SPDX-License-Identifier: MIT
// The seam's requests drawn into the frame as the server would draw them,
// and events from the front-end's queue as Xlib would hand them over.
#include "app/xio.hpp"

#include "app/app.hpp"
#include "frame/frame.hpp"
#include "gfx/gfx.hpp"

#include <algorithm>
#include <iterator>

frame_rgb frame_colours[256];

namespace {
uint8_t foreground;
uint8_t shown[FRAME_HEIGHT][FRAME_WIDTH];

constexpr int EVENT_QUEUE_SIZE = 64;
XEvent events[EVENT_QUEUE_SIZE];
int queued;

// Xlib sends coordinates as 16-bit numbers, sizes as unsigned ones.
int16_t wire(int v) {
    return static_cast<int16_t>(v);
}
uint16_t wire_size(unsigned v) {
    return static_cast<uint16_t>(v);
}
} // namespace

void frame_store_colours(const XColor *colours, int count) {
    for (int i = 0; i < count; i++) {
        const XColor &c = colours[i];
        frame_colours[c.pixel & 0xff] = {static_cast<uint8_t>(c.red >> 8),
                                         static_cast<uint8_t>(c.green >> 8),
                                         static_cast<uint8_t>(c.blue >> 8)};
    }
}

void frame_queue_event(const XEvent &event) {
    if (queued < EVENT_QUEUE_SIZE) events[queued++] = event;
}

// The character travels in the keycode; xio_lookup_string gives it back.
void frame_queue_key(unsigned char character) {
    XEvent press{};
    press.type = KeyPress;
    press.xkey.keycode = character;
    frame_queue_event(press);
}

void frame_map_window() {
    frame_open(static_cast<uint8_t>(palette[PAL_WHITE].pixel),
               static_cast<uint8_t>(palette[PAL_NIGHT].pixel));
    // The frame was never shown: whatever it shows now is news.
    for (auto &row : shown) std::fill(std::begin(row), std::end(row), uint8_t{0xff});
    XEvent mapped{};
    mapped.type = Expose; // a newly mapped window is exposed whole
    frame_queue_event(mapped);
}

namespace {
// The pixels of a changed tile that show something new, and the box round them.
frame_box take_tile(int row, int column) {
    frame_box changed{};
    const int top = row * FRAME_TILE, bottom = std::min(top + FRAME_TILE, FRAME_HEIGHT);
    const int left = column * FRAME_TILE, right = std::min(left + FRAME_TILE, FRAME_WIDTH);
    for (int y = top; y < bottom; y++)
        for (int x = left; x < right; x++) {
            if (shown[y][x] == frame[y][x]) continue;
            shown[y][x] = frame[y][x];
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
    frame_shown();
    if (count <= most) return count;
    boxes[0] = all;
    return 1;
}

void xio_set_foreground(unsigned long pixel) {
    foreground = static_cast<uint8_t>(pixel);
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

bool xio_check_event(XEvent *event, event_predicate predicate) {
    for (int i = 0; i < queued; i++) {
        if (!predicate(display, &events[i], nullptr)) continue;
        *event = events[i];
        std::copy(events + i + 1, events + queued, events + i);
        queued--;
        return true;
    }
    return false;
}

int xio_lookup_string(XKeyEvent *key, char *buffer, int size, KeySym *keysym) {
    *keysym = key->keycode; // Latin-1 keysyms are their characters
    if (size < 1) return 0;
    buffer[0] = static_cast<char>(key->keycode);
    return 1;
}

// The frame's window is the game's size whatever the front-end shows.
void xio_window_size(int *width, int *height) {
    *width = WINDOW_WIDTH;
    *height = WINDOW_HEIGHT;
}

void xio_resize_window(unsigned, unsigned) {}
