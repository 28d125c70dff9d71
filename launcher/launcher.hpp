// SPDX-License-Identifier: MIT
// launcher: pelko-play, the command a player starts. Owns the choice of
// display (the user's own when its default visual has writable colour cells,
// else a nested 8-bit Xephyr sized for the game, in a window of the
// launcher's own), the lives of the nested server and of the game inside it,
// and passing on the game's exit status.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

constexpr int LAUNCH_FAILED = 1; // the launcher's own failures, as the game's

[[noreturn]] void die(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Children: they get back the signal mask the launcher started with, and die
// with it (SIGTERM) however it ends, so nothing is ever left behind.
void remember_signal_mask();
pid_t spawn(const char *const argv[], const char *display, int keep_fd, int output_fd);
bool reap(pid_t pid, int &wait_status, int milliseconds);
int stop(pid_t pid); // its wait status

// The top-level window on the user's display that holds the nested server:
// the game's name, class and icon, a fixed size, and the keyboard passed on to
// the nested server's window inside it.
Window open_window(Display *host, int width, int height);
// One event of the user's display; true when the window manager asks to close.
bool window_event(const XEvent &event);

// Runs the game in a nested 8-bit server inside that window and exits with the
// game's status (0 when the window is closed).
[[noreturn]] void play_nested(Display *host);
