// SPDX-License-Identifier: MIT
#include "tests/harness/steering.hpp"

#include <algorithm>
#include <cmath>
#include <thread>

namespace {
constexpr int CELL = 7, TOP = 175; // the start row
constexpr int SLACK = 3 * CELL, NEAR = 3;

int to_cell(int v) { // the centre of the cell a pixel lies in
    return 28 + CELL * static_cast<int>(std::lround((v - 28) / double(CELL)));
}

bool blocked(int left, int right, int bottom, const std::vector<std::pair<int, int>> &caps) {
    for (const auto &[x, y] : caps) {
        const bool in_rows = y >= TOP - SLACK && y <= bottom + SLACK;
        const bool in_columns = x >= left - SLACK && x <= right + SLACK;
        if (in_columns && ((y <= TOP && y >= TOP - SLACK) || (y >= bottom && y <= bottom + SLACK)))
            return true;
        if (in_rows && ((x >= right && x <= right + SLACK) || (x <= left && x >= left - SLACK)))
            return true;
    }
    return false;
}
} // namespace

snapshot game_view::look(int x0, int y0, int width, int height) const {
    const auto device = [&](double origin, int game) {
        return static_cast<int>(std::floor(origin + (game + 0.5) * scale));
    };
    const int left = device(x, x0), top = device(y, y0);
    const snapshot shot(dpy, w, left, top, device(x, x0 + width - 1) - left + 1,
                        device(y, y0 + height - 1) - top + 1);
    std::vector<rgb> pixels;
    for (int j = 0; j < height; j++)
        for (int i = 0; i < width; i++)
            pixels.push_back(shot.at(device(x, x0 + i), device(y, y0 + j)));
    return snapshot(x0, y0, width, height, std::move(pixels));
}

std::optional<game_view> find_game(Display *dpy, Window w, const snapshot &shot) {
    constexpr int ACROSS = 637;
    for (int j = 0; j < shot.height; j++) {
        int run = 0;
        for (int i = 0; i <= shot.width; i++) {
            if (i < shot.width &&
                shot.pixels[static_cast<size_t>(j * shot.width + i)] == colour::night) {
                run++;
                continue;
            }
            if (run >= ACROSS - 1 && run < shot.width) {
                // A blended pixel at either end leaves the run up to one short.
                const double scale = (run + 0.5) / ACROSS, whole = std::round(scale);
                const bool sharp = std::abs(scale - whole) * ACROSS > 1;
                const double edge = sharp ? 0.5 : 0;
                return game_view{dpy, w, shot.x0 + i - run - edge, shot.y0 + j - edge,
                                 sharp ? scale : whole};
            }
            run = 0;
        }
    }
    return std::nullopt;
}

bool steering::plan() {
    const snapshot field = view_.look(0, 0, 637, 511);
    std::vector<std::pair<int, int>> caps; // cells of the mushrooms
    for (int j = 0; j < field.height; j++)
        for (int i = 0; i < field.width; i++)
            if (field.at(i, j) == colour::cap_red) caps.emplace_back(to_cell(i), to_cell(j));
    // 50 x 30 cells, or the nearest clear of them.
    for (int d = 0; d < 12; d++)
        for (int dl = -d; dl <= d; dl++)
            for (int dr = -d; dr <= d; dr++)
                for (int db = -d; db <= d; db++) {
                    const int left = 133 + CELL * dl, right = 483 + CELL * dr,
                              bottom = 385 + CELL * db;
                    if (std::max({std::abs(dl), std::abs(dr), std::abs(db)}) != d || left < 49 ||
                        right > 560 || bottom > 413 || blocked(left, right, bottom, caps))
                        continue;
                    left_ = left, right_ = right, bottom_ = bottom;
                    start_ = clock::now();
                    return true;
                }
    return false;
}

bool steering::step() {
    struct box {
        int x0, y0, x1, y1;
    };
    const size_t leg = turns_.size() % 4;
    const box ends[4] = {{right_, TOP - SLACK, right_, TOP + NEAR},
                         {right_ - NEAR, bottom_, right_ + SLACK, bottom_},
                         {left_, bottom_ - NEAR, left_, bottom_ + SLACK},
                         {left_ - SLACK, TOP, left_ + NEAR, TOP}};
    const box &end = ends[leg];
    const snapshot s = view_.look(end.x0, end.y0, end.x1 - end.x0 + 1, end.y1 - end.y0 + 1);
    const auto head = std::find(s.pixels.begin(), s.pixels.end(), colour::worm);
    if (head != s.pixels.end()) {
        const int n = static_cast<int>(head - s.pixels.begin());
        turns_.push_back({clock::now(), to_cell(s.x0 + n % s.width), to_cell(s.y0 + n / s.width)});
        send_key(view_.dpy, keys_, std::string(1, "xawd"[leg]));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return clock::now() - last_turn() < std::chrono::milliseconds(3500);
}

double steering::ticks_per_second(clock::time_point from) const {
    const turn *first = nullptr, *last = nullptr;
    int cells = 0;
    for (const turn &t : turns_) {
        if (t.at < from) continue;
        if (last)
            cells += (std::abs(t.x - last->x) + std::abs(t.y - last->y)) / CELL;
        else
            first = &t;
        last = &t;
    }
    if (first == last) return NAN;
    return cells / std::chrono::duration<double>(last->at - first->at).count();
}
