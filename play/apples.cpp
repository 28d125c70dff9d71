// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "play/play.hpp"

#include <cstdlib>

point apples[APPLE_SLOTS];

namespace {
bool apple_rejected(int slot) {
    const point c = apples[slot];
    if (ring_holds(c.x, c.y) || mushroom_at(c.x, c.y)) return true;
    for (int i = 0; i < APPLE_SLOTS; i++)
        if (i != slot && (apples[i].x == c.x || apples[i].y == c.y)) return true;
    return false;
}
} // namespace

void eat_apple() {
    for (point &apple : apples) {
        if (apple.x != cursor.x || apple.y != cursor.y) continue;
        apple = {0, 0};
        const int32_t k = rand() % 6 + 2;
        score += static_cast<uint64_t>(100 * k);
        grow_ticks = k + 5; // replaces any growth still due
        return;
    }
}

void spawn_apple() {
    int slot = 0;
    while (slot < APPLE_SLOTS && apples[slot].x != 0) slot++;
    if (slot == APPLE_SLOTS) return;
    // A body covering every free cell would keep the search going for ever.
    for (int tries = 0; tries < APPLE_CANDIDATE_LIMIT; tries++) {
        apples[slot] = random_cell();
        if (apple_rejected(slot)) continue;
        saved_cursor = cursor;
        cursor = apples[slot];
        draw_apple();
        cursor = saved_cursor;
        return;
    }
    apples[slot] = {0, 0};
}
