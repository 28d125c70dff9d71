// SPDX-License-Identifier: MIT
// Times the game's own loops on the X server named by DISPLAY (an 8-bit
// Xvfb): wipes, title ticks, game ticks, explosion frames and an apple
// placement that gives up. Run it from a directory holding data/.
#include "app/app.hpp"
#include "app/xio.hpp"
#include "gfx/gfx.hpp"
#include "play/play.hpp"
#include "screens/screens.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {
using clock_type = std::chrono::steady_clock;

double cpu_seconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char *what, int count, double wall, double cpu, const char *unit) {
    printf("%-34s %6d %-7s %8.2f per s  wall %7.3f ms  cpu %7.3f ms each\n", what, count, unit,
           count / wall, 1e3 * wall / count, 1e3 * cpu / count);
}

void bench_wipes() {
    std::vector<double> times;
    for (int i = 0; i < 21; i++) {
        const auto start = clock_type::now();
        set_colour(i % 2 ? PAL_GRASS : PAL_NIGHT);
        wipe_screen();
        xio_sync();
        times.push_back(since(start));
    }
    printf("%-34s median %.2f ms (min %.2f, max %.2f) over 21\n", "wipe_screen + XSync",
           1e3 * median(times), 1e3 * *std::min_element(times.begin(), times.end()),
           1e3 * *std::max_element(times.begin(), times.end()));
}

void bench_title_ticks() {
    constexpr int ticks = 250;
    const double cpu0 = cpu_seconds();
    const auto start = clock_type::now();
    for (int i = 0; i < ticks; i++) {
        pace_tick();
        draw_title_layout();
    }
    report("title ticks (pace + layout)", ticks, since(start), cpu_seconds() - cpu0, "ticks");
}

void bench_game_ticks() {
    int ticks = 0;
    const double cpu0 = cpu_seconds();
    const auto start = clock_type::now();
    for (int game = 0; game < 5; game++) {
        set_colour(PAL_GRASS);
        wipe_screen();
        game_start();
        while (game_status == STATUS_RUNNING) {
            game_tick();
            ticks++;
        }
    }
    report("game ticks (no keys, 5 games)", ticks, since(start), cpu_seconds() - cpu0, "ticks");
}

void bench_explosion() {
    const double cpu0 = cpu_seconds();
    const auto start = clock_type::now();
    for (int i = 0; i < 4; i++) {
        cursor = {300, 175};
        run_game_over();
    }
    report("explosion frames (4 x 250)", 4 * EXPLOSION_FRAMES, since(start), cpu_seconds() - cpu0,
           "frames");
}

// The worm lies on every cell of the spawn area: no candidate can pass.
void bench_apple_give_up() {
    ring_reset();
    for (int32_t x = 28; x <= 560; x += CELL)
        for (int32_t y = 28; y <= 434; y += CELL) {
            ring_push_x(x);
            ring_push_y(y);
        }
    std::vector<double> times;
    for (int i = 0; i < 21; i++) {
        for (point &apple : apples) apple = {0, 0};
        const auto start = clock_type::now();
        spawn_apple();
        times.push_back(since(start));
    }
    printf("%-34s median %.3f ms over 21 (%d candidates, %d live ring slots)\n",
           "apple placement giving up", 1e3 * median(times), APPLE_CANDIDATE_LIMIT,
           (ring_tail - ring_head + RING_LAST + 1) % (RING_LAST + 1));
}
} // namespace

int main(int argc, char **argv) {
    start_up(argc, argv);
    bench_wipes();
    bench_title_ticks();
    bench_game_ticks();
    bench_explosion();
    bench_apple_give_up();
    shut_down();
}
