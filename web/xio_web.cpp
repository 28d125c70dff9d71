// SPDX-License-Identifier: MIT
// The seam in the browser: requests drawn into the frame as the server would
// draw them, the frame put on the canvas at each flush, sleeps that yield to
// the browser (Asyncify) and key presses queued by the page.
#include "app/xio.hpp"

#include "app/app.hpp"
#include "web/raster.hpp"
#include "web/web.hpp"

#include <algorithm>
#include <emscripten.h>

namespace {
uint8_t foreground;
uint32_t colour_of[256] = {}; // RGBA as the canvas stores it; unset pixels black
uint32_t shown[FRAME_HEIGHT * FRAME_WIDTH];

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

// JavaScript, as written:
// clang-format off

// The rows from top to bottom of the frame's colours to the canvas, of which
// only the box changed; or only the page's count of flushes.
EM_JS(void, show_on_canvas,
      (const uint32_t *rgba, int width, int height, int left, int top, int right, int bottom), {
    if (rgba) {
        if (!Module.frameImage) {
            Module.frameContext = Module["canvas"].getContext("2d");
            Module.frameImage = Module.frameContext.createImageData(width, height);
        }
        const row = width * 4;
        Module.frameImage.data.set(HEAPU8.subarray(rgba + top * row, rgba + bottom * row), top * row);
        Module.frameContext.putImageData(Module.frameImage, 0, 0, left, top, right - left, bottom - top);
    }
    if (Module["onFlush"]) Module["onFlush"]();
});

// The sleep ends by the clock: a timer, which may fire a millisecond or more
// late, is aimed short of the deadline, and turns of the event loop through a
// message channel (never clamped, unlike a timer) close the last gap.
EM_ASYNC_JS(void, sleep_until, (double deadline), {
    for (let left = deadline - performance.now(); left > 0; left = deadline - performance.now()) {
        await new Promise(function(resolve) {
            if (left > 2) {
                setTimeout(resolve, left - 2);
                return;
            }
            if (!Module.wakeChannel) Module.wakeChannel = new MessageChannel();
            Module.wakeChannel.port1.onmessage = resolve;
            Module.wakeChannel.port2.postMessage(0);
        });
    }
});

// clang-format on

void web_store_colours(const XColor *colours, int count) {
    for (int i = 0; i < count; i++) {
        const XColor &c = colours[i];
        colour_of[c.pixel & 0xff] = 0xff000000u | uint32_t{c.blue} >> 8 << 16 |
                                    uint32_t{c.green} >> 8 << 8 | uint32_t{c.red} >> 8;
    }
}

void web_queue_event(const XEvent &event) {
    if (queued < EVENT_QUEUE_SIZE) events[queued++] = event;
}

// The page's key presses: the character the key gives, as XLookupString
// would give it; it travels in the keycode.
extern "C" EMSCRIPTEN_KEEPALIVE void web_key_press(int character) {
    XEvent press{};
    press.type = KeyPress;
    press.xkey.keycode = static_cast<unsigned>(character & 0xff);
    web_queue_event(press);
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

// Pixels drawn over and back within a tick (the title's two-tone credits)
// leave the canvas as it was: only a box that shows otherwise is put.
void xio_sync() {
    const frame_box box = frame_changed;
    frame_shown();
    bool differs = false;
    for (int y = box.top; y < box.bottom; y++) {
        for (int x = box.left; x < box.right; x++) {
            const uint32_t colour = colour_of[frame[y][x]];
            uint32_t &shown_colour = shown[y * FRAME_WIDTH + x];
            if (shown_colour == colour) continue;
            shown_colour = colour;
            differs = true;
        }
    }
    show_on_canvas(differs ? shown : nullptr, FRAME_WIDTH, FRAME_HEIGHT, box.left, box.top,
                   box.right, box.bottom);
}

void xio_sleep(timeval *timeout) {
    const double ms = static_cast<double>(timeout->tv_sec) * 1000.0 +
                      static_cast<double>(timeout->tv_usec) / 1000.0;
    if (ms > 0) sleep_until(emscripten_get_now() + ms);
}

int64_t xio_clock_us() {
    return static_cast<int64_t>(emscripten_get_now() * 1000.0);
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

void xio_window_size(int *width, int *height) {
    *width = WINDOW_WIDTH;
    *height = WINDOW_HEIGHT;
}

void xio_resize_window(unsigned, unsigned) {}
