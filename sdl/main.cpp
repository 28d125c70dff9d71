// SPDX-License-Identifier: MIT
// pelko-play: the game in a window of the desktop.
#include "app/app.hpp"
#include "sdl/sdl.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr const char *USAGE =
    "usage: pelko-play [--integer | --scale N] [--fullscreen] | --help | --version\n";

[[noreturn]] void usage_error() {
    fputs(USAGE, stderr);
    exit(2);
}

void help() {
    fputs(USAGE, stdout);
    puts("Plays Pelko, the worm arcade game, in a window of the desktop (Wayland or X11).\n"
         "  --integer     draw each of the game's pixels as the largest whole number\n"
         "                of pixels that fits (default: the picture fills the window\n"
         "                keeping its shape, each pixel sharp, blended only on seams)\n"
         "  --scale N     draw each of the game's pixels as N x N pixels, the window\n"
         "                sized to fit\n"
         "  --fullscreen  start fullscreen; F11 or Alt+Enter toggles it\n"
         "  --help        show this and exit\n"
         "  --version     show the version and exit\n"
         "Keys: s starts a game; w a x d or the arrows steer; q or Escape ends the game;\n"
         "  p or Pause pauses and goes on; e quits. A gamepad plays too.\n"
         "See pelko(6).");
    exit(0);
}

int scale_of(const char *text) {
    char *end;
    const long n = strtol(text, &end, 10);
    if (*text == 0 || *end != 0 || n < 1 || n > 64) usage_error();
    return static_cast<int>(n);
}

void read_options(int argc, char **argv) {
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i];
        if (!strcmp(arg, "--help")) help();
        if (!strcmp(arg, "--version")) {
            puts(PELKO_TITLE);
            exit(0);
        }
        if (!strcmp(arg, "--fullscreen"))
            options.fullscreen = true;
        else if (!strcmp(arg, "--integer") && !options.scale)
            options.integer = true;
        else if (!strcmp(arg, "--scale") && i + 1 < argc && !options.integer)
            options.scale = scale_of(argv[++i]);
        else if (!strncmp(arg, "--scale=", 8) && !options.integer)
            options.scale = scale_of(arg + 8);
        else
            usage_error();
    }
}

// Ctrl-C and SIGTERM end the game as closing the window does: at the next
// flush or within a sleep.
void on_stop_signal(int) {
    stop_signalled = 1;
}

void name_the_window() {
    // The desktop entry's StartupWMClass and its id tie the window to it.
    setenv("SDL_VIDEO_X11_WMCLASS", "Pelko", 1);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", "org.pelko.Pelko", 1);
    SDL_SetHint(SDL_HINT_APP_NAME, "Pelko");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // The desktop may blank the screen on the title; a game holds it off.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
}
} // namespace

int main(int argc, char **argv) {
    read_options(argc, argv);
    struct sigaction stop {};
    stop.sa_handler = on_stop_signal;
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    name_the_window();
    start_up();
    run_program_loop();
    shut_down();
}
