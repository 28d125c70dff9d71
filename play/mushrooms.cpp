// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "play/play.hpp"

#include <cstdlib>

point mushrooms[MUSHROOM_SLOTS];

namespace {
constexpr int32_t START_ROW = 175; // the worm's start row stays free

bool mushroom_rejected(int k) {
    if (mushrooms[k].y == START_ROW) return true;
    for (int j = 0; j < k; j++)
        if (mushrooms[j].x == mushrooms[k].x || mushrooms[j].y == mushrooms[k].y) return true;
    return false;
}
} // namespace

point random_cell() {
    point cell;
    cell.x = (rand() % (WINDOW_WIDTH / CELL - 14)) * CELL + 28;
    cell.y = (rand() % (WINDOW_HEIGHT / CELL - 14)) * CELL + 28;
    return cell;
}

void place_mushrooms() {
    saved_cursor = cursor;
    for (point &m : mushrooms) m = {0, 0};
    const int n = rand() % 3 + 4;
    for (int k = 0; k <= n; k++) {
        do mushrooms[k] = random_cell();
        while (mushroom_rejected(k));
        cursor = mushrooms[k];
        draw_mushroom();
    }
    cursor = saved_cursor;
}

int32_t mushroom_at(int32_t x, int32_t y) {
    for (const point &m : mushrooms) {
        if (m.x == 0 || m.y == 0) return 0;
        if (m.x == x && m.y == y) return 1;
    }
    return 0;
}
