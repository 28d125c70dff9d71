// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "play/play.hpp"

#include <cstdio>

point body_ring[RING_LAST + 2];
int32_t ring_head;
int32_t ring_tail;

void ring_reset() {
    ring_head = 0;
    ring_tail = 0;
    for (int32_t i = 1; i <= RING_LAST + 1; i++) body_ring[i] = {0, 0};
}

void ring_push_x(int32_t x) {
    body_ring[ring_tail].x = x;
    ring_tail = ring_next(ring_tail);
    if (ring_tail == ring_head) {
        puts("The Queue is full!!");
        game_status = STATUS_RING_FULL;
    }
}

void ring_push_y(int32_t y) {
    body_ring[ring_tail].y = y;
}

int32_t ring_pop_x() {
    const int32_t x = body_ring[ring_head].x;
    ring_head = ring_next(ring_head);
    return x;
}

int32_t ring_peek_y() {
    return body_ring[ring_head].y;
}

bool ring_holds(int32_t x, int32_t y) {
    for (int32_t i = ring_head; i != ring_tail; i = ring_next(i))
        if (body_ring[i].x == x && body_ring[i].y == y) return true;
    return false;
}
