// SPDX-License-Identifier: MIT
#include "tests/unit/recorder.hpp"

#include "app/app.hpp"
#include "app/xio.hpp"
#include "gfx/gfx.hpp"
#include "x11/x11.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unistd.h>

recorder_state rec;
Display *display;
Window window;

namespace {
void record(req kind, int a = 0, int b = 0, int c = 0, int d = 0) {
    rec.requests.push_back({kind, a, b, c, d, rec.colour});
}
} // namespace

void reset_world(unsigned seed) {
    rec = recorder_state{};
    tick_counter = 0;
    quit_requested = 0;
    game_status = STATUS_RUNNING;
    cursor = saved_cursor = {0, 0};
    srand(seed);
}

void queue_event(int type, int after_syncs) {
    XEvent event{};
    event.type = type;
    rec.events.push_back({event, after_syncs});
}

void queue_key(const std::string &text, int after_syncs) {
    XEvent event{};
    event.type = KeyPress;
    event.xkey.keycode = static_cast<unsigned>(rec.key_texts.size());
    rec.key_texts.push_back(text);
    rec.events.push_back({event, after_syncs});
}

void queue_expose(int count, int after_syncs) {
    XEvent event{};
    event.type = Expose;
    event.xexpose.count = count;
    rec.events.push_back({event, after_syncs});
}

std::vector<request> requests_of(req kind) {
    std::vector<request> out;
    for (const request &r : rec.requests)
        if (r.kind == kind) out.push_back(r);
    return out;
}

std::vector<request> points_in(int colour) {
    std::vector<request> out;
    for (const request &r : rec.requests)
        if (r.kind == req::point && r.colour == colour) out.push_back(r);
    return out;
}

request point_at(int x, int y, int colour) {
    return {req::point, x, y, 0, 0, colour};
}

request line_at(int x1, int y1, int x2, int y2, int colour) {
    return {req::line, x1, y1, x2, y2, colour};
}

void xio_set_colour(int index) {
    rec.colour = index;
    record(req::foreground, index);
}
void xio_draw_point(int x, int y) {
    record(req::point, x, y);
}
void xio_draw_line(int x1, int y1, int x2, int y2) {
    record(req::line, x1, y1, x2, y2);
}
void xio_draw_rectangle(int x, int y, unsigned w, unsigned h) {
    record(req::rectangle, x, y, static_cast<int>(w), static_cast<int>(h));
}
void xio_fill_rectangle(int x, int y, unsigned w, unsigned h) {
    record(req::fill, x, y, static_cast<int>(w), static_cast<int>(h));
}
void xio_sync() {
    rec.syncs++;
    rec.now_us += rec.sync_us;
    record(req::sync);
}
void xio_sleep(int64_t microseconds) {
    record(req::sleep, static_cast<int>(microseconds / 1000000),
           static_cast<int>(microseconds % 1000000));
    rec.now_us += microseconds;
}
int64_t xio_clock_us() {
    return rec.now_us;
}

// No display: the tests start nothing up.
void open_display() {}
void palette_setup() {}
void open_window() {}
void close_display() {}

// The first pending event the predicate takes is removed.
Bool XCheckIfEvent(Display *, XEvent *event, Bool (*predicate)(Display *, XEvent *, XPointer),
                   XPointer argument) {
    for (auto it = rec.events.begin(); it != rec.events.end(); ++it) {
        if (it->after_syncs > rec.syncs) continue;
        if (!predicate(nullptr, &it->event, argument)) continue;
        *event = it->event;
        rec.events.erase(it);
        return True;
    }
    return False;
}

int XLookupString(XKeyEvent *key, char *buffer, int size, KeySym *, XComposeStatus *) {
    const std::string &text = rec.key_texts.at(key->keycode);
    const int n = std::min(static_cast<int>(text.size()), size);
    memcpy(buffer, text.data(), static_cast<size_t>(n));
    return n;
}

Status XGetWindowAttributes(Display *, Window, XWindowAttributes *attributes) {
    attributes->width = rec.window_width;
    attributes->height = rec.window_height;
    return 1;
}

int XResizeWindow(Display *, Window, unsigned width, unsigned height) {
    record(req::resize, static_cast<int>(width), static_cast<int>(height));
    rec.window_width = static_cast<int>(width);
    rec.window_height = static_cast<int>(height);
    return 1;
}

scratch_dir::scratch_dir() : home(std::filesystem::current_path()) {
    char name[] = "/tmp/pelko-unit-XXXXXX";
    std::filesystem::current_path(dir = mkdtemp(name));
    std::filesystem::create_directory("data");
}

scratch_dir::~scratch_dir() {
    std::filesystem::current_path(home);
    std::filesystem::remove_all(dir);
}

void write_file(const char *name, const std::vector<unsigned char> &bytes) {
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}
