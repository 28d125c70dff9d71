// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "launcher/launcher.hpp"

#include <X11/Xlib.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// The game's window with its border at (0,0) fills the nested screen exactly.
constexpr int SCREEN_WIDTH = WINDOW_WIDTH + 2 * WINDOW_BORDER;
constexpr int SCREEN_HEIGHT = WINDOW_HEIGHT + 2 * WINDOW_BORDER;
constexpr int SERVER_START_MS = 20000;

pid_t server_pid = -1;
pid_t game_pid = -1;
int game_wait_status = -1; // set once the game has ended on its own
int caught_signal = 0;
bool window_closed = false;
int signal_fd = -1;
FILE *server_log;
Display *host; // the user's display, where our window holds the nested screen
Window frame;
Display *nested; // our connection: we are the nested screen's window manager
char nested_name[32];

int exit_status() {
    if (window_closed) return 0;
    if (game_wait_status < 0) return LAUNCH_FAILED;
    if (WIFEXITED(game_wait_status)) return WEXITSTATUS(game_wait_status);
    return 128 + WTERMSIG(game_wait_status);
}

// Ctrl-C reaches the whole process group: when the game or the server went
// first because of it, the launcher still ends as interrupted, not failed.
int pending_signal() {
    sigset_t pending;
    sigpending(&pending);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        if (sigismember(&pending, s)) return s;
    return 0;
}

// The one way out of the nested game: the game first, while its server still
// stands, then the server.
[[noreturn]] void finish() {
    if (!caught_signal) caught_signal = pending_signal();
    if (game_pid > 0) stop(game_pid);
    if (server_pid > 0) stop(server_pid);
    if (caught_signal) {
        signal(caught_signal, SIG_DFL);
        raise(caught_signal);
        sigset_t just_that;
        sigemptyset(&just_that);
        sigaddset(&just_that, caught_signal);
        sigprocmask(SIG_UNBLOCK, &just_that, nullptr);
        _exit(128 + caught_signal);
    }
    exit(exit_status());
}

[[noreturn]] void fail(const char *message) {
    fprintf(stderr, "pelko-play: %s\n", message);
    finish();
}

[[noreturn]] void server_gone() {
    if (pending_signal()) finish();
    if (host) XSync(host, False); // when it went with the user's display, say that
    fail("the nested X server (Xephyr) ended before the game");
}

[[noreturn]] void host_gone() {
    char message[160];
    snprintf(message, sizeof message,
             "lost the display %s: the game's window was killed, or the X server ended",
             DisplayString(host));
    host = nullptr; // Xlib must not touch it again
    if (pending_signal()) finish();
    fail(message);
}

void show_server_log() {
    rewind(server_log);
    char line[512];
    while (fgets(line, sizeof line, server_log)) fputs(line, stderr);
}

// Signals arrive through a descriptor, so that every wait can watch them.
void take_signals() {
    sigset_t handled;
    sigemptyset(&handled);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&handled, s);
    sigprocmask(SIG_BLOCK, &handled, nullptr);
    signal_fd = signalfd(-1, &handled, SFD_CLOEXEC);
    if (signal_fd < 0) die("signalfd: %s", strerror(errno));
}

void handle_signal() {
    signalfd_siginfo info;
    if (read(signal_fd, &info, sizeof info) != sizeof info) return;
    if (info.ssi_signo != SIGCHLD) {
        caught_signal = static_cast<int>(info.ssi_signo);
        finish();
    }
    int wait_status;
    if (game_pid > 0 && waitpid(game_pid, &wait_status, WNOHANG) == game_pid) {
        game_pid = -1;
        game_wait_status = wait_status;
        finish();
    }
    if (server_pid > 0 && waitpid(server_pid, &wait_status, WNOHANG) == server_pid) {
        server_pid = -1;
        server_gone();
    }
}

// Waits for Xephyr to write its display number on the pipe.
bool read_display_number(int fd) {
    size_t got = 0;
    char number[16] = {};
    for (int waited = 0; waited < SERVER_START_MS; waited += 100) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {signal_fd, POLLIN, 0}};
        if (poll(fds, 2, 100) < 0 && errno != EINTR) break;
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info;
            if (read(signal_fd, &info, sizeof info) == sizeof info && info.ssi_signo != SIGCHLD) {
                caught_signal = static_cast<int>(info.ssi_signo);
                finish();
            }
        }
        if (!(fds[0].revents & (POLLIN | POLLHUP))) continue;
        const ssize_t n = read(fd, number + got, sizeof number - 1 - got);
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
        if (memchr(number, '\n', got)) {
            snprintf(nested_name, sizeof nested_name, ":%d", atoi(number));
            return true;
        }
    }
    return false;
}

void start_server() {
    int fds[2];
    server_log = tmpfile();
    if (pipe2(fds, O_CLOEXEC) != 0 || !server_log) die("cannot start Xephyr: %s", strerror(errno));
    char fd_text[16], parent[32], screen[32];
    snprintf(fd_text, sizeof fd_text, "%d", fds[1]);
    snprintf(parent, sizeof parent, "%lu", frame);
    snprintf(screen, sizeof screen, "%dx%dx8", SCREEN_WIDTH, SCREEN_HEIGHT);
    const char *const argv[] = {"Xephyr",    "-displayfd", fd_text, "-parent",
                                parent,      "-screen",    screen,  "-no-host-grab",
                                "-nolisten", "tcp",        nullptr};
    server_pid = spawn(argv, nullptr, fds[1], fileno(server_log));
    close(fds[1]);
    const bool up = read_display_number(fds[0]);
    close(fds[0]);
    if (up) return;

    int wait_status = 0;
    if (reap(server_pid, wait_status, 0)) server_pid = -1;
    if (WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 127)
        fail("this display has no writable colour cells for the game, and Xephyr, which "
             "would give it some, is not installed: install the package xserver-xephyr");
    show_server_log();
    fail("the nested X server (Xephyr) did not start");
}

int ignore_x_error(Display *, XErrorEvent *) {
    return 0; // a window, the game's or the nested screen's, may be gone when we touch it
}

int lost_display(Display *dpy) {
    if (dpy == host) host_gone();
    server_gone();
}

void manage_windows() {
    nested = XOpenDisplay(nested_name);
    if (!nested) fail("cannot connect to the nested X server");
    XSelectInput(nested, DefaultRootWindow(nested),
                 SubstructureRedirectMask | SubstructureNotifyMask);
    XSync(nested, False);
}

// A window manager of one rule: top-level windows live at (0,0), and the
// one just mapped has the keyboard.
void handle_event(const XEvent &event) {
    switch (event.type) {
    case MapRequest:
        XMoveWindow(nested, event.xmaprequest.window, 0, 0);
        XMapRaised(nested, event.xmaprequest.window);
        break;
    case ConfigureRequest: {
        const XConfigureRequestEvent &request = event.xconfigurerequest;
        XWindowChanges changes{0,
                               0,
                               request.width,
                               request.height,
                               request.border_width,
                               request.above,
                               request.detail};
        XConfigureWindow(nested, request.window,
                         static_cast<unsigned>(request.value_mask | CWX | CWY), &changes);
        break;
    }
    case MapNotify:
        XSetInputFocus(nested, event.xmap.window, RevertToPointerRoot, CurrentTime);
        break;
    }
}

// The user's display first: its events tell of our window and its closing.
void handle_events() {
    while (XPending(host)) {
        XEvent event;
        XNextEvent(host, &event);
        if (window_event(event)) {
            window_closed = true;
            finish();
        }
    }
    while (XPending(nested)) {
        XEvent event;
        XNextEvent(nested, &event);
        handle_event(event);
    }
    XFlush(host);
    XFlush(nested);
}
} // namespace

void play_nested(Display *user_display) {
    host = user_display;
    XSetErrorHandler(ignore_x_error);
    XSetIOErrorHandler(lost_display);
    take_signals();
    frame = open_window(host, SCREEN_WIDTH, SCREEN_HEIGHT);
    start_server();
    manage_windows();
    const char *const game[] = {PELKO_GAME, nullptr};
    game_pid = spawn(game, nested_name, -1, -1);
    for (;;) {
        handle_events();
        pollfd fds[3] = {{signal_fd, POLLIN, 0},
                         {ConnectionNumber(nested), POLLIN, 0},
                         {ConnectionNumber(host), POLLIN, 0}};
        if (poll(fds, 3, -1) < 0 && errno != EINTR) fail(strerror(errno));
        if (fds[2].revents & POLLIN) continue; // the user's display first
        if (fds[0].revents & POLLIN) handle_signal();
    }
}
