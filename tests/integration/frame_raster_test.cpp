// SPDX-License-Identifier: MIT
// The frame (frame/raster.cpp) against a real 8-bit server:
// every short line in every direction, long lines leaving the window,
// outlines (of no size too), fills and points, compared pixel for pixel with the border.
#include "tests/harness/harness.hpp"

#include "frame/raster.hpp"

#include <X11/Xutil.h>

#include <functional>
#include <sstream>

namespace {

constexpr uint8_t BORDER = 1, BACKGROUND = 9;

struct FrameRaster : testing::Test {
    xvfb server;
    Display *dpy = server.dpy();
    const Window w = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, WINDOW_WIDTH,
                                         WINDOW_HEIGHT, WINDOW_BORDER, BORDER, BACKGROUND);
    const GC gc = XCreateGC(dpy, w, 0, nullptr);

    FrameRaster() {
        XMapRaised(dpy, w);
        XSync(dpy, False);
        frame_open(BORDER, BACKGROUND);
    }
    ~FrameRaster() override {
        XFreeGC(dpy, gc);
        XDestroyWindow(dpy, w);
    }

    // One batch of drawing on both, then the window and its border compared.
    testing::AssertionResult same_after(const std::function<void(bool on_server)> &draw) {
        XSetForeground(dpy, gc, BACKGROUND);
        XFillRectangle(dpy, w, gc, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT);
        frame_fill(0, 0, WINDOW_WIDTH, WINDOW_HEIGHT, BACKGROUND);
        draw(true);
        draw(false);
        XSync(dpy, False);
        XImage *image = XGetImage(dpy, DefaultRootWindow(dpy), 0, 0, FRAME_WIDTH, FRAME_HEIGHT,
                                  AllPlanes, ZPixmap);
        if (!image) return testing::AssertionFailure() << "XGetImage failed";
        std::ostringstream where;
        int wrong = 0;
        for (int y = 0; y < FRAME_HEIGHT; y++)
            for (int x = 0; x < FRAME_WIDTH; x++)
                if (XGetPixel(image, x, y) != frame[y][x] && wrong++ < 6)
                    where << " (" << x - WINDOW_BORDER << "," << y - WINDOW_BORDER << ")";
        XDestroyImage(image);
        if (wrong == 0) return testing::AssertionSuccess();
        return testing::AssertionFailure()
               << wrong << " pixels differ, in window coordinates" << where.str();
    }

    void line(bool on_server, int x1, int y1, int x2, int y2, uint8_t pixel) {
        if (on_server) {
            XSetForeground(dpy, gc, pixel);
            XDrawLine(dpy, w, gc, x1, y1, x2, y2);
        } else {
            frame_line(static_cast<int16_t>(x1), static_cast<int16_t>(y1), static_cast<int16_t>(x2),
                       static_cast<int16_t>(y2), pixel);
        }
    }
};

// Lines from the middle of 82-pixel cells, one (dx, dy) in [-40, 40]^2 a cell.
TEST_F(FrameRaster, EveryShortLineInEveryOctant) {
    constexpr int REACH = 40, SIDE = 2 * REACH + 2, ACROSS = 7, DOWN = 6;
    for (int first = 0; first < (2 * REACH + 1) * (2 * REACH + 1); first += ACROSS * DOWN) {
        const auto draw = [&](bool on_server) {
            for (int cell = 0; cell < ACROSS * DOWN; cell++) {
                const int n = first + cell;
                if (n >= (2 * REACH + 1) * (2 * REACH + 1)) break;
                const int dx = n % (2 * REACH + 1) - REACH, dy = n / (2 * REACH + 1) - REACH;
                const int cx = REACH + 1 + cell % ACROSS * SIDE,
                          cy = REACH + 1 + cell / ACROSS * SIDE;
                line(on_server, cx, cy, cx + dx, cy + dy, static_cast<uint8_t>(2 + cell % 5));
            }
        };
        ASSERT_TRUE(same_after(draw)) << "lines " << first << " on";
    }
}

// Long lines, many of them leaving the window on one side or both.
TEST_F(FrameRaster, LongAndClippedLines) {
    uint32_t seed = 12345;
    const auto next = [&](int low, int high) {
        seed = seed * 1103515245 + 12345;
        return low + static_cast<int>((seed >> 8) % static_cast<uint32_t>(high - low + 1));
    };
    for (int batch = 0; batch < 40; batch++) {
        int ends[20][4];
        for (auto &e : ends)
            e[0] = next(-700, 1300), e[1] = next(-600, 1100), e[2] = next(-700, 1300),
            e[3] = next(-600, 1100);
        ASSERT_TRUE(same_after([&](bool on_server) {
            for (int i = 0; i < 20; i++)
                line(on_server, ends[i][0], ends[i][1], ends[i][2], ends[i][3],
                     static_cast<uint8_t>(20 + i));
        })) << "batch "
            << batch;
    }
    // Along the edges, and the sweep's lines that end one pixel outside.
    ASSERT_TRUE(same_after([&](bool on_server) {
        line(on_server, 0, 0, 637, 0, 2);
        line(on_server, -3, 510, 640, 510, 3);
        line(on_server, 636, -9, 636, 520, 4);
        line(on_server, -1, -1, 637, 511, 5);
        line(on_server, 700, 0, 0, 600, 6);
    }));
}

TEST_F(FrameRaster, OutlinesFillsAndPoints) {
    ASSERT_TRUE(same_after([&](bool on_server) {
        uint8_t pixel = 2;
        for (int x : {-3, -1, 0, 40, 633, 636})
            for (int y : {-2, 0, 70, 508, 510})
                for (unsigned size : {0u, 1u, 2u, 6u}) {
                    const int16_t sx = static_cast<int16_t>(x + 11 * static_cast<int>(size)),
                                  sy = static_cast<int16_t>(y);
                    if (on_server) {
                        XSetForeground(dpy, gc, pixel);
                        XDrawRectangle(dpy, w, gc, sx, sy, size, size + 1);
                        XDrawRectangle(dpy, w, gc, sx, static_cast<int16_t>(sy + 60), size, size);
                        XFillRectangle(dpy, w, gc, sx, static_cast<int16_t>(sy + 20), size, size);
                        XDrawPoint(dpy, w, gc, sx, static_cast<int16_t>(sy + 40));
                    } else {
                        frame_rectangle(sx, sy, static_cast<uint16_t>(size),
                                        static_cast<uint16_t>(size + 1), pixel);
                        frame_rectangle(sx, static_cast<int16_t>(sy + 60),
                                        static_cast<uint16_t>(size), static_cast<uint16_t>(size),
                                        pixel);
                        frame_fill(sx, static_cast<int16_t>(sy + 20), static_cast<uint16_t>(size),
                                   static_cast<uint16_t>(size), pixel);
                        frame_point(sx, static_cast<int16_t>(sy + 40), pixel);
                    }
                    pixel = static_cast<uint8_t>(2 + pixel % 40);
                }
    }));
}

} // namespace
