// SPDX-License-Identifier: MIT
// The seam in the browser: the frame handed to the page at each flush, sleeps
// that yield to the browser (Asyncify) and key presses from the page. The
// drawing and the events are the frame's. The page pauses a game inside a
// sleep; the clock leaves the time paused out.
#include "app/xio.hpp"

#include "frame/frame.hpp"
#include "screens/screens.hpp"

#include <emscripten.h>

namespace {
uint32_t canvas_rgba[FRAME_HEIGHT * FRAME_WIDTH]; // the frame's colours as the canvas stores them
} // namespace

// JavaScript, as written:
// clang-format off

// The rows from top to bottom of the frame's colours to the page, of which
// only the box changed: the page paints the picture from them.
EM_JS(void, show_on_canvas,
      (const uint32_t *rgba, int width, int height, int left, int top, int right, int bottom), {
    if (!Module.frameImage) Module.frameImage = new ImageData(width, height);
    const row = width * 4;
    Module.frameImage.data.set(HEAPU8.subarray(rgba + top * row, rgba + bottom * row), top * row);
    Module["onFrame"](Module.frameImage, left, top, right, bottom);
});

// The page counts the flushes.
EM_JS(void, flushed, (), {
    if (Module["onFlush"]) Module["onFlush"]();
});

// The sleep ends by the clock: a timer, which may fire a millisecond or more
// late, is aimed short of the deadline, and turns of the event loop through a
// message channel (never clamped, unlike a timer) close the last gap. A pause
// the page asked for holds it first, and the whole sleep follows.
EM_ASYNC_JS(void, sleep_for, (double ms), {
    if (Module["whilePaused"]) await Module["whilePaused"]();
    const deadline = performance.now() + ms;
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

// The time the page held the game paused, in milliseconds.
EM_JS(double, paused_ms, (), {
    return Module["pausedMs"] || 0;
});

// clang-format on

// The page's keys, touches and gamepads, as the characters they give.
extern "C" EMSCRIPTEN_KEEPALIVE void web_key_press(int character) {
    frame_queue_key(static_cast<unsigned char>(character & 0xff));
}

// From the key that starts a game to the next title screen: when a pause,
// the gamepad's Start and the screen's wake lock are the game's.
extern "C" EMSCRIPTEN_KEEPALIVE int web_in_game() {
    return title_done;
}

// Each putImageData has its cost: a few boxes are put one by one, many as
// the one box round them.
void xio_sync() {
    constexpr int FEW = 16;
    frame_box boxes[FEW];
    const int count = frame_take_changes(boxes, FEW);
    for (int i = 0; i < count; i++) {
        const frame_box &box = boxes[i];
        for (int y = box.top; y < box.bottom; y++) {
            for (int x = box.left; x < box.right; x++) {
                const frame_rgb c = frame_colour(frame[y][x]);
                canvas_rgba[y * FRAME_WIDTH + x] =
                    0xff000000u | uint32_t{c.b} << 16 | uint32_t{c.g} << 8 | uint32_t{c.r};
            }
        }
        show_on_canvas(canvas_rgba, FRAME_WIDTH, FRAME_HEIGHT, box.left, box.top, box.right,
                       box.bottom);
    }
    flushed();
}

void xio_sleep(int64_t microseconds) {
    if (microseconds > 0) sleep_for(static_cast<double>(microseconds) / 1000.0);
}

int64_t xio_clock_us() {
    return static_cast<int64_t>((emscripten_get_now() - paused_ms()) * 1000.0);
}
