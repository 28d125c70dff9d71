// SPDX-License-Identifier: MIT
// sdl: pelko-play, the desktop front-end: the game's frame on a window of
// the desktop through SDL2, native on Wayland and X11. main.cpp reads the
// options and catches the signals that end it; screen.cpp owns the options,
// the window, its surface and the picture's place in it; xio_sdl.cpp the
// seam's flush, sleep and clock, the events they pump, the pause and the
// flag the signals raise; pause.cpp the look of a paused picture; rules.cpp
// holds the pure rules: the scale and what each key, button and stick gives
// the game.
#pragma once

#include "frame/frame.hpp"

#include <SDL.h>
#include <csignal>

// The picture of the frame in an output of a given size: game pixels as
// squares of `scale` output pixels, placed at (x, y), centred.
struct picture_fit {
    int scale, x, y;
};
// The largest whole multiple that fits (at least 1), or `fixed` when set.
picture_fit fit_picture(int output_width, int output_height, int fixed = 0);

// What an event gives the game: the character it types, or NO_CHARACTER;
// or PAUSE, the front-end's own, which pauses a game or resumes it.
constexpr int NO_CHARACTER = -1;
constexpr int PAUSE = -2;
int text_character(const char *utf8); // one Latin-1 character, or none; 'p' pauses
// The keys that type nothing the game reads: the arrows (the keypad's too,
// with Num Lock off) steer as w a x d do, Escape is q, and Pause pauses.
int key_character(const SDL_KeyboardEvent &key);
// SDL_GameControllerButton; Start starts a game, and pauses one.
int pad_button_character(int button, bool in_game);
// The left stick steers once per push past the dead zone, as a d-pad does:
// back to the centre, or over to another direction, before it steers again.
struct stick_state {
    int x = 0, y = 0; // the axes' last values
    int held = NO_CHARACTER;
};
int stick_character(stick_state &stick, int axis, int value); // SDL_GameControllerAxis
// The front-end's own keys: F11 and Alt+Enter toggle fullscreen.
bool is_fullscreen_key(const SDL_KeyboardEvent &key);

struct sdl_options {
    int scale = 0; // 0: the largest that fits
    bool fullscreen = false;
};
extern sdl_options options;
extern volatile sig_atomic_t stop_signalled; // SIGINT or SIGTERM came

// screen.cpp
void screen_open();                   // the window at the multiple that fits the desktop
constexpr int SCREEN_MAX_BOXES = 256; // beyond, one box: a wipe's step
void screen_show(const frame_box boxes[], int count); // the boxes' pixels to the window
void screen_layout(); // after a resize: the whole picture placed anew
void screen_expose();
// With a renderer the flush's changes go on screen here, at the start of the
// sleep that follows it, which counts the time they take: a renderer without
// a GPU would otherwise slow the game's clock by a present a tick.
void screen_present(); // the window shown again as it was
void screen_toggle_fullscreen();
void screen_allow_screensaver(bool allow); // as SDL's calls do
// A picture of the frame's size shown in the frame's place, in colours of
// its own, until the frame is shown again with nullptr.
void screen_cover(const uint8_t (*picture)[FRAME_WIDTH], frame_rgb (*colour)(uint8_t value));
[[noreturn]] void display_lost();

// xio_sdl.cpp: every event the desktop sends, answered.
void pump_events();

// pause.cpp: the paused picture, the frame's dimmed with the word over it,
// in two values of its own, which the game's palette never takes.
constexpr uint8_t PAUSE_INK = 255, PAUSE_SHADE = 254;
extern uint8_t paused_picture[FRAME_HEIGHT][FRAME_WIDTH];
void draw_paused_picture(); // from the frame as it is
frame_rgb paused_colour(uint8_t value);
