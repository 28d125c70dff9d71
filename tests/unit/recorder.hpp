// SPDX-License-Identifier: MIT
// The unit tests' side of the seam: every request the game makes is
// recorded with the foreground in force, and the X back-end's polls take
// their events from a script (the few Xlib calls they make are stood in for
// here), so the X client's rules for keys and exposures are held too.
#pragma once

#include <X11/Xlib.h>

#include <filesystem>
#include <string>
#include <vector>

enum class req { foreground, point, line, rectangle, fill, sync, sleep, resize };

struct request {
    req kind;
    int a = 0, b = 0, c = 0, d = 0; // coordinates, or the sleep's microseconds
    int colour = -1;                // palette index in force, -1 before any
    bool operator==(const request &) const = default;
};

struct recorder_state {
    std::vector<request> requests;
    int colour = -1;
    int syncs = 0;          // pace_tick and explosion frames each sync once
    int64_t now_us = 0;     // the clock: sleeps and syncs move it on
    int64_t sync_us = 0;    // what a sync costs, as if the server drew
    int window_width = 637; // what XGetWindowAttributes reports
    int window_height = 511;
    struct scripted_event {
        XEvent event;
        int after_syncs; // the event is pending once this many syncs happened
    };
    std::vector<scripted_event> events;
    std::vector<std::string> key_texts; // indexed by the fake key code
};
extern recorder_state rec;

// Fresh recorder, a zero tick counter and a fresh seed.
void reset_world(unsigned seed = 1);

void queue_key(const std::string &text, int after_syncs = 0);
void queue_expose(int count, int after_syncs = 0);
void queue_event(int type, int after_syncs = 0);

std::vector<request> requests_of(req kind);
std::vector<request> points_in(int colour);
request point_at(int x, int y, int colour);
request line_at(int x1, int y1, int x2, int y2, int colour);

// A fresh working directory with an empty data/ for the loaders, left and
// removed at the end of the test.
struct scratch_dir {
    scratch_dir();
    ~scratch_dir();
    std::filesystem::path home, dir;
};
void write_file(const char *name, const std::vector<unsigned char> &bytes);
