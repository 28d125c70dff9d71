// SPDX-License-Identifier: MIT
// The game's own loops timed in-process: the wipe's two stages, title ticks,
// game ticks and the explosion, as "NAME VALUE" lines (bench_stack --loop
// takes their medians). Over Xlib (bench_loop), and over pelko-play's seam
// (bench_loop_sdl, which takes its --scale N, --integer and --fullscreen).
// Run from a directory with data/.
#include "app/app.hpp"
#include "gfx/gfx.hpp"
#include "play/play.hpp"
#include "screens/screens.hpp"
#ifdef PELKO_BENCH_SDL
#include "sdl/sdl.hpp"
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {
using clock_type = std::chrono::steady_clock;

double cpu_seconds() { // user and system
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Runs `what`, which says how many steps it took, and prints its wall time,
// its steps per second and its CPU time per step.
template <typename F>
void time(const char *name, F what) {
    const double cpu = cpu_seconds();
    const auto start = clock_type::now();
    const int steps = what();
    const double wall = std::chrono::duration<double>(clock_type::now() - start).count();
    printf("%s_ms %.3f\n%s_per_s %.3f\n%s_cpu_ms_each %.4f\n", name, 1e3 * wall, name, steps / wall,
           name, 1e3 * (cpu_seconds() - cpu) / steps);
}
} // namespace

int main(int argc, char **argv) {
#ifdef PELKO_BENCH_SDL
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--scale") && i + 1 < argc) options.scale = atoi(argv[++i]);
        options.integer = options.integer || !strcmp(argv[i], "--integer");
        options.fullscreen = options.fullscreen || !strcmp(argv[i], "--fullscreen");
    }
#else
    (void)argc;
    (void)argv;
#endif
    start_up();
    // Each stage of a wipe is shown a tick at a time: what a player waits.
    for (int i = 0; i < 11; i++) {
        set_colour(i % 2 ? PAL_GRASS : PAL_NIGHT);
        time("dissolve_steps", [] { return wipe_dissolve(), 30; });
        time("sweep_steps", [] { return wipe_sweep(), 10; });
    }
    time("title_ticks", [] {
        for (int i = 0; i < 250; i++) {
            pace_tick();
            draw_title_layout();
        }
        return 250;
    });
    for (int game = 0; game < 5; game++) { // no keys: into the fence
        set_colour(PAL_GRASS);
        wipe_screen();
        time("game_ticks", [] {
            int ticks = 0;
            for (game_start(); game_status == STATUS_RUNNING; ticks++) game_tick();
            return ticks;
        });
    }
    for (int i = 0; i < 7; i++) {
        cursor = {300, 175};
        time("explosion_frames", [] { return run_game_over(), 250; });
    }
    shut_down();
}
