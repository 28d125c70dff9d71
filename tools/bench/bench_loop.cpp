// SPDX-License-Identifier: MIT
// Times the game's own loops on the X server named by DISPLAY (an 8-bit
// Xvfb): the wipe's two stages, title ticks, game ticks, the explosion and
// an apple placement that gives up. Run it from a directory holding data/.
// Built twice: over Xlib (bench_loop), and over pelko-play's seam and window
// through SDL (bench_loop_sdl, which takes pelko-play's --scale N).
#include "app/app.hpp"
#include "app/xio.hpp"
#include "gfx/gfx.hpp"
#include "play/play.hpp"
#include "screens/screens.hpp"
#ifdef PELKO_BENCH_SDL
#include "sdl/sdl.hpp"
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

void print_times(const char *what, const std::vector<double> &times) {
    printf("%-34s median %.1f ms (min %.1f, max %.1f) over %zu\n", what, 1e3 * median(times),
           1e3 * *std::min_element(times.begin(), times.end()),
           1e3 * *std::max_element(times.begin(), times.end()), times.size());
}

// Each stage of a wipe is shown a tick at a time: what a player waits.
void bench_wipes() {
    std::vector<double> dissolves, sweeps;
    for (int i = 0; i < 11; i++) {
        set_colour(i % 2 ? PAL_GRASS : PAL_NIGHT);
        auto start = clock_type::now();
        wipe_dissolve();
        dissolves.push_back(since(start));
        start = clock_type::now();
        wipe_sweep();
        sweeps.push_back(since(start));
    }
    print_times("wipe: dissolve (30 steps)", dissolves);
    print_times("wipe: sweep (10 steps)", sweeps);
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
    double wall = 0, cpu = 0;
    for (int game = 0; game < 5; game++) {
        set_colour(PAL_GRASS);
        wipe_screen(); // paced: not part of the game's figures
        const double cpu0 = cpu_seconds();
        const auto start = clock_type::now();
        game_start();
        while (game_status == STATUS_RUNNING) {
            game_tick();
            ticks++;
        }
        wall += since(start);
        cpu += cpu_seconds() - cpu0;
    }
    report("game ticks (no keys, 5 games)", ticks, wall, cpu, "ticks");
}

void bench_explosion() {
    std::vector<double> times;
    const double cpu0 = cpu_seconds();
    for (int i = 0; i < 7; i++) {
        cursor = {300, 175};
        const auto start = clock_type::now();
        run_game_over();
        times.push_back(since(start));
    }
    print_times("explosion (250 frames, 8 ms each)", times);
    printf("%-34s cpu %.3f ms per frame\n", "", 1e3 * (cpu_seconds() - cpu0) / (7 * 250));
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
#ifdef PELKO_BENCH_SDL
    if (argc == 3 && !strcmp(argv[1], "--scale")) options.scale = atoi(argv[2]);
#else
    (void)argc;
    (void)argv;
#endif
    start_up();
    bench_wipes();
    bench_title_ticks();
    bench_game_ticks();
    bench_explosion();
    bench_apple_give_up();
    shut_down();
}
