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

// clang-format off: JavaScript
// The page's canvas, or its counter of flushes alone when nothing changed.
EM_JS(void, show_on_canvas, (const uint32_t *rgba, int width, int height), {
    if (rgba) {
        const canvas = Module["canvas"];
        if (!Module.frameImage) {
            Module.frameContext = canvas.getContext("2d");
            Module.frameImage = Module.frameContext.createImageData(width, height);
        }
        Module.frameImage.data.set(HEAPU8.subarray(rgba, rgba + width * height * 4));
        Module.frameContext.putImageData(Module.frameImage, 0, 0);
    }
    if (Module["onFlush"]) Module["onFlush"]();
});

// A timer gets close to the deadline, which the clock then decides; the
// timer's lateness is not added to every tick.
EM_ASYNC_JS(void, sleep_until, (double deadline), {
    for (let left = deadline - performance.now(); left > 0; left = deadline - performance.now())
        await new Promise(function(resolve) { setTimeout(resolve, left); });
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

void xio_sync() {
    if (!frame_changed) {
        show_on_canvas(nullptr, FRAME_WIDTH, FRAME_HEIGHT);
        return;
    }
    const uint8_t *pixel = &frame[0][0];
    for (uint32_t &p : shown) p = colour_of[*pixel++];
    frame_shown();
    show_on_canvas(shown, FRAME_WIDTH, FRAME_HEIGHT);
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
