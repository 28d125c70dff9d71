// SPDX-License-Identifier: MIT
// play: the playfield model. Owns the body ring, the apples and the
// mushrooms, and the collision test that reads them.
#pragma once

#include "gfx/gfx.hpp"

#include <cstdint>

// Positions are stored split: x at the tail slot, y in the slot after it.
// Walks compare the slot pairs as stored; that quirk is part of the game.
constexpr int32_t RING_LAST = 5000; // slots 0..5000 are used
extern point body_ring[RING_LAST + 2];
extern int32_t ring_head; // next slot to read, the oldest segment
extern int32_t ring_tail; // next slot to write

inline int32_t ring_next(int32_t i) {
    return i < RING_LAST ? i + 1 : 0;
}
void ring_reset();
void ring_push_x(int32_t x);
void ring_push_y(int32_t y);
int32_t ring_pop_x();
int32_t ring_peek_y();
bool ring_holds(int32_t x, int32_t y); // some live slot pair equals (x, y)

int32_t collision_test();

constexpr int MUSHROOM_SLOTS = 12;
extern point mushrooms[MUSHROOM_SLOTS]; // the list ends at the first 0 coordinate
void place_mushrooms();
int32_t mushroom_at(int32_t x, int32_t y);

constexpr int APPLE_SLOTS = 10;
constexpr int APPLE_CANDIDATE_LIMIT = 1000;
extern point apples[APPLE_SLOTS]; // a free slot is {0, 0}
void eat_apple();
void spawn_apple();

// A random cell of the spawn area, x drawn before y.
point random_cell();
