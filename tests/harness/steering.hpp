// SPDX-License-Identifier: MIT
// Playing the real game by what it shows, for the tools that need a game in
// progress (the screenshots, the stack benchmark): where a screen shows the
// game's window and at what scale, and a worm steered round the garden.
#pragma once

#include "tests/harness/harness.hpp"

#include <chrono>
#include <optional>
#include <vector>

// The game's window as `w` shows it: the game's pixel (0, 0) at (x, y) of
// `w`, each game pixel a square of `scale` (any number from 1, with the sharp
// fill of a front-end).
struct game_view {
    Display *dpy;
    Window w;
    double x = 0, y = 0, scale = 1;
    // The game's pixels in a box, each sampled at its centre, in the game's
    // coordinates.
    snapshot look(int x0, int y0, int width, int height) const;
};

// Where `shot`, a snapshot of `w` on the title screen, shows the game's
// window: the title's night blue fills it from its top row on, and nothing
// else on the screen is as wide and night blue (a window manager's
// decorations may be as white as the border). At a scale that is no whole
// number the window's edges are blends, a device pixel each at most.
std::optional<game_view> find_game(Display *dpy, Window w, const snapshot &shot);

// Steers the worm from its start, heading right along its row, round a
// rectangle of about 50 x 30 cells clear of the mushrooms (right, down, left,
// up), typing each turn into the window `keys` when the head reaches a leg's
// end. A turn comes a tick or two late at most, which moves that leg outwards
// by a cell or two: those cells are kept clear too.
class steering {
  public:
    using clock = std::chrono::steady_clock;
    steering(const game_view &view, Window keys) : view_(view), keys_(keys) {}
    // The rectangle, from the mushrooms on show; false when none is clear.
    bool plan();
    // One look, and the turn when it is due; false once no turn came for 3.5 s
    // (the longest leg takes 1.4 s): the worm is dead.
    bool step();
    int legs() const { return static_cast<int>(turns_.size()); }
    clock::time_point last_turn() const { return turns_.empty() ? start_ : turns_.back().at; }
    // The game's ticks per second since `from`, a cell a tick: the cells the
    // head went between the first turn since and the last, over the time between.
    double ticks_per_second(clock::time_point from) const;

  private:
    struct turn {
        clock::time_point at;
        int x, y; // the head's cell
    };
    game_view view_;
    Window keys_;
    int left_ = 0, right_ = 0, bottom_ = 0;
    clock::time_point start_ = clock::now();
    std::vector<turn> turns_;
};
