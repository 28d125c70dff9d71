// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "play/play.hpp"

int32_t collision_test() {
    if (cursor.x < CELL || cursor.x > WINDOW_WIDTH - CELL || cursor.y < CELL ||
        cursor.y > WINDOW_HEIGHT - CELL)
        return STATUS_ENDED;
    if (ring_holds(cursor.x, cursor.y)) return STATUS_COLLIDED;
    if (mushroom_at(cursor.x, cursor.y)) return STATUS_COLLIDED;
    return STATUS_RUNNING;
}
