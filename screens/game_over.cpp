// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "app/xio.hpp"
#include "font/font.hpp"
#include "gfx/gfx.hpp"
#include "input/input.hpp"
#include "screens/screens.hpp"

#include <cstdlib>

particle_table particles;

namespace {
constexpr float BIG_SCALE = 5.5f;
constexpr double FALL_PER_PARTICLE = 0.002;
constexpr int64_t STEP_US = 8000; // 250 steps: about 2 s, whatever the server's speed

// Between -5 and 4.999, in single precision as the explosion always was.
float random_speed() {
    return (static_cast<float>(rand() % 10000) / 10000.0f * 2.0f - 1.0f) * 5.0f;
}

void burst_from_cursor() {
    for (int i = 0; i < PARTICLE_COUNT; i++) {
        particles.position[i] = {static_cast<float>(cursor.x), static_cast<float>(cursor.y)};
        particles.velocity[i].x = random_speed();
        particles.velocity[i].y = random_speed();
    }
}

void cursor_to(const float_point &p) {
    cursor = {static_cast<int32_t>(p.x), static_cast<int32_t>(p.y)};
}

void write_game_over() {
    set_colour(PAL_WHITE);
    for (int32_t x = 120; x <= 122; x++) draw_text_scaled("GAME OVER", x, 200, 2, BIG_SCALE);
    if (score >= high_score) {
        draw_text("CONGRATULATIONS! NEW HIGH-SCORE!", 150, 100, 4);
        draw_text("CONGRATULATIONS! NEW HIGH-SCORE!", 151, 100, 4);
        high_score = score;
    }
}

// A deadline, not a pause after drawing: the drawing's own time counts.
void wait_until(int64_t deadline_us) {
    for (int64_t now = xio_clock_us(); now < deadline_us; now = xio_clock_us())
        xio_sleep(deadline_us - now);
}

// The fall term keeps growing across steps: a constant downward pull.
void explosion_step(float &fall) {
    xio_sync();
    poll_event(handle_game_event);
    set_colour(PAL_GRASS);
    for (const float_point &p : particles.position) {
        cursor_to(p);
        draw_segment();
    }
    set_colour(PAL_WORM);
    for (int i = 0; i < PARTICLE_COUNT; i++) {
        float_point &p = particles.position[i];
        p.x = p.x + particles.velocity[i].x;
        p.y = (p.y + particles.velocity[i].y) + fall;
        cursor_to(p);
        draw_segment();
        fall = static_cast<float>(static_cast<double>(fall) + FALL_PER_PARTICLE);
    }
}
} // namespace

void run_game_over() {
    burst_from_cursor();
    game_status = STATUS_RUNNING;
    write_game_over();
    tick_counter = 0;
    float fall = 0.0f;
    for (;;) {
        const int64_t begun = xio_clock_us();
        explosion_step(fall);
        if (++tick_counter >= EXPLOSION_STEPS) break;
        if (game_status != STATUS_RUNNING) break;
        wait_until(begun + STEP_US);
    }
    tick_counter = 0;
}
