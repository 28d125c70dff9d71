// SPDX-License-Identifier: MIT
// screens: the title screen and the game-over sequence. Owns title_done and
// the explosion's particles.
#pragma once

#include <cstdint>

extern bool title_done;

struct float_point {
    float x;
    float y;
};

constexpr int PARTICLE_COUNT = 20;
constexpr int32_t EXPLOSION_STEPS = 250;
struct particle_table {
    float_point position[PARTICLE_COUNT];
    float_point velocity[PARTICLE_COUNT]; // pixels per step
};
extern particle_table particles;

void run_title_screen();
void draw_title_layout(); // the part redrawn on every tick
void run_game_over();
