// SPDX-License-Identifier: MIT
// The harness: the real game on real servers, for the tests, the tools that
// take its pictures and the benchmarks. Xvfb, openbox and weston of our own,
// every program started one way, the game in a directory of its own, keys
// through XTEST, and pixels read back as the colours a player sees.
#pragma once

// gtest before Xlib: X.h defines None, which gtest uses as a name.
#include <gtest/gtest.h>

#include "gfx/colours.hpp"
#include "gfx/sprite_patterns.hpp"

#include <X11/Xlib.h>
#include <csignal>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct rgb {
    uint8_t r, g, b;
    bool operator==(const rgb &) const = default;
};
std::string to_string(const rgb &c);

// A palette entry as a player sees it: the top 8 bits of each intensity.
constexpr rgb palette_rgb(int index) {
    const colour_rgb &c = colour_table[index];
    return {static_cast<uint8_t>(c.red >> 8), static_cast<uint8_t>(c.green >> 8),
            static_cast<uint8_t>(c.blue >> 8)};
}

namespace colour {
constexpr rgb help = palette_rgb(PAL_HELP), white = palette_rgb(PAL_WHITE),
              worm = palette_rgb(PAL_WORM), apple_red = palette_rgb(PAL_APPLE_RED),
              apple_green = palette_rgb(PAL_APPLE_GREEN), grass = palette_rgb(PAL_GRASS),
              grey = palette_rgb(PAL_GREY), cap_red = palette_rgb(PAL_CAP_RED),
              spot = palette_rgb(PAL_SPOT), night = palette_rgb(PAL_NIGHT),
              logo_dark = palette_rgb(PAL_LOGO_DARK), logo_light = palette_rgb(PAL_LOGO_LIGHT),
              pink = palette_rgb(PAL_PINK), sky = palette_rgb(PAL_SKY),
              label = palette_rgb(PAL_LABEL);
}

// The colours by palette index as one hex digit, '0' help to 'e' label ('5' grass,
// '9' night), for region_matches.
const std::vector<std::pair<char, rgb>> &palette_legend();

// The 7 x 7 cell sprites in those digits; 'F' is the current foreground, '.' untouched.
namespace sprite = sprite_patterns;

// The one way the harness starts a program: `command` (a path, or a name looked
// for on PATH) in `directory` (empty: this one), its standard output and error
// to files (one file when they are the same; paths from here, emptied at once),
// with the environment's changes: "NAME=value" sets, a bare "NAME" unsets.
pid_t start_process(const std::vector<std::string> &command, const std::string &directory,
                    const std::string &out, const std::string &err,
                    const std::vector<std::string> &environment);
// Ends it with the signal and reaps it; -1 afterwards.
void stop_process(pid_t &pid, int signal = SIGTERM);
// The processes it started, still running or not yet reaped.
std::vector<pid_t> children(pid_t pid);

// An Xvfb on a free display number, stopped when this goes out of scope.
class xvfb {
  public:
    explicit xvfb(int depth = 8, int width = 1024, int height = 768);
    ~xvfb();
    xvfb(const xvfb &) = delete;
    xvfb &operator=(const xvfb &) = delete;

    const std::string &name() const { return name_; } // ":N"
    Display *dpy() const { return dpy_; }

    // Looks at the condition with the server grabbed, letting the other clients run
    // only between looks, so that a picture lasting a few milliseconds cannot slip by.
    // When it holds, the server stays grabbed and the picture held until release().
    bool hold_when(const std::function<bool()> &condition, double seconds = 10);
    void release();
    // The server killed, as a crash would end it for its clients (our connection first).
    void kill_server();

  private:
    pid_t pid_ = -1;
    std::string name_;
    Display *dpy_ = nullptr;
};

// A scratch directory with a data/ folder holding the build's data files
// (or only some of them), removed afterwards.
class game_dir {
  public:
    explicit game_dir(const std::vector<std::string> &files = {"pelko.grid", "pelko.font",
                                                               "pelko.raw"});
    ~game_dir();
    const std::string &path() const { return path_; }
    std::string data(const std::string &file) const { return path_ + "/data/" + file; }
    void write_data(const std::string &file, const std::string &bytes) const;
    void remove_data(const std::string &file) const;

  private:
    std::string path_;
};

std::string build_data(const std::string &file); // bytes of a generated data file

// The game binary run in a game_dir with DISPLAY set (or unset when empty), then
// the environment's changes: "NAME=value" sets, a bare "NAME" unsets.
class game_process {
  public:
    game_process(const game_dir &dir, const std::string &display,
                 const std::string &binary = PELKO_GAME_BINARY,
                 const std::vector<std::string> &arguments = {},
                 const std::vector<std::string> &environment = {});
    ~game_process();
    game_process(const game_process &) = delete;
    game_process &operator=(const game_process &) = delete;

    // The exit status, or -1 when it did not end in time (it is then killed).
    int wait_exit(double seconds = 20);
    bool running();
    pid_t pid() const { return pid_; }
    std::string out() const;
    std::string err() const;

  private:
    pid_t pid_ = -1;
    int status_ = -1;
    std::string out_path_, err_path_;
};

// For a program on an X server: no Wayland socket of the session the tests run
// in, so SDL takes X11 by itself, and no runtime directory (a root shell, some
// remote sessions), of which it must say nothing.
std::vector<std::string> x11_environment(const game_dir &dir);

bool wait_until(const std::function<bool()> &condition, double seconds = 10);

// The game's window, at the top or in a window manager's frame, by WM_NAME or
// _NET_WM_NAME; None after the timeout.
Window find_window(Display *dpy, const std::string &name = "Pelko v1.02", double seconds = 10);

// Keys by their keysym name ("e", "a", "space", "Shift_L"); the window gets the focus first.
void send_key(Display *dpy, Window w, const std::string &keysym, bool shifted = false);

// The window's pixels as colours, through its colormap on any visual.
class snapshot {
  public:
    snapshot(Display *dpy, Window w, int x = 0, int y = 0, int width = 637, int height = 511);
    snapshot(int x, int y, int width, int height, std::vector<rgb> pixels);
    rgb at(int x, int y) const; // window coordinates
    long count(const rgb &c) const;
    int x0, y0, width, height;
    std::vector<rgb> pixels;
    bool save_ppm(const std::string &path) const;
    bool save_png(const std::string &path, int scale = 1) const; // each pixel a square of scale
};
snapshot whole(Display *dpy, Window w); // all of the window (the screen, of the root)

// Expected pictures: '.' is "not checked", other characters map to colours.
::testing::AssertionResult region_matches(const snapshot &shot, int x, int y,
                                          const std::vector<std::string> &rows,
                                          const std::vector<std::pair<char, rgb>> &legend);

// An expected picture in palette digits: a background with sprites stamped on
// their centres, all in window coordinates.
struct sketch {
    sketch(int x, int y, int width, int height, char background);
    sketch &stamp(int cx, int cy, const sprite_patterns::pattern &sprite, char foreground = '2');
    int x0, y0;
    std::vector<std::string> rows;
};
::testing::AssertionResult region_matches(const snapshot &shot, const sketch &expected);

// Whether `shot` shows `picture` enlarged `scale` times (each of its pixels a square
// block), its top-left corner at (x, y) in the snapshot's coordinates.
::testing::AssertionResult shows_picture(const snapshot &shot, int x, int y,
                                         const snapshot &picture, int scale = 1);
// Where `shot` shows it, in the snapshot's coordinates.
std::optional<std::pair<int, int>> find_picture(const snapshot &shot, const snapshot &picture,
                                                int scale = 1);

// Where a picture with a white border (the game's window) shows: the box round
// its top row, the longest white run of all, and its left column.
struct picture_box {
    int x, y, width, height;
    bool operator==(const picture_box &) const = default;
};
std::optional<picture_box> white_framed_box(const snapshot &shot);

// Whether `shot` shows `picture` filling `at` by the sharp rule: a pixel
// wholly inside one picture pixel's rectangle has its colour exactly; one
// that straddles rectangles has, in each channel, a value within the range of
// those it overlaps and within half that range of their mix by share.
::testing::AssertionResult shows_sharp(const snapshot &shot, const picture_box &at,
                                       const snapshot &picture);

// The X build's title screen as an 8-bit Xvfb shows it: the window with its
// border, 647 x 521, read from the root window.
snapshot x_title_screen();

// A window manager (openbox, with a configuration of our own: no key bindings,
// no desktop margins) managing the server until this goes out of scope.
class window_manager {
  public:
    explicit window_manager(const xvfb &server);
    ~window_manager();
    window_manager(const window_manager &) = delete;
    window_manager &operator=(const window_manager &) = delete;

  private:
    pid_t pid_ = -1;
    std::string dir_;
};

// A window along the top of the screen that a window manager keeps clear, as
// a panel or GNOME's top bar: a dock with a strut of its height.
class dock {
  public:
    dock(Display *dpy, int height);
    ~dock();
    dock(const dock &) = delete;
    dock &operator=(const dock &) = delete;

  private:
    Display *dpy_;
    Window w_;
};

// The client's own requests, read from its WAYLAND_DEBUG=client log: the last
// xdg_toplevel.set_min_size and xdg_surface.set_window_geometry (title bar included).
struct wayland_sizes {
    int min_width = 0, min_height = 0;
    picture_box geometry{};
};
wayland_sizes wayland_requests(const std::string &log);

// A Wayland compositor (weston, its desktop shell without animations, panel or
// screen lock) showing its output in a window on the server; its socket in a
// private runtime directory. Without XWayland its clients cannot fall back to X.
class compositor {
  public:
    compositor(const xvfb &server, int width, int height, bool xwayland = false);
    ~compositor();
    compositor(const compositor &) = delete;
    compositor &operator=(const compositor &) = delete;

    Window output() const { return output_; } // weston's window on the X server
    // For game_process: the compositor's socket and no X server (or XWayland's),
    // Wayland chosen unless SDL is to choose itself.
    std::vector<std::string> client_environment(bool sdl_chooses = false) const;
    const std::string &x_display() const { return x_display_; } // XWayland's, when asked for
    void kill_compositor();

  protected:
    compositor() = default;
    pid_t pid_ = -1;
    std::string dir_, socket_, x_display_;
    Window output_ = None;
};

// GNOME's compositor: mutter nested on the server in a window of the given
// size, on a D-Bus session bus of its own, with its XWayland. Its clients
// draw their own title bars (libdecor).
class mutter : public compositor {
  public:
    mutter(const xvfb &server, int width, int height);
    Display *open_xwayland() const; // a connection to its XWayland, with its authority
};
