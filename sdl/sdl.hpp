// SPDX-License-Identifier: MIT
// sdl: pelko-play, the desktop front-end: the game's frame on a window of
// the desktop through SDL2, native on Wayland and X11. main.cpp reads the
// options and catches the signals that end it; video.cpp owns the options,
// the display's choice, the window, its pixels and the picture's place and
// sampling tables; xio_sdl.cpp the seam's flush, sleep and clock, the events
// they pump, the pause and the flag the signals raise; pause.cpp the look of
// a paused picture; wayland.cpp the watch on a compositor's connection;
// rules.cpp holds the pure rules: the picture's fit, its sampling, the
// window's size, and what each key, button and stick gives the game. The
// frame is the game's picture; a window manager's frame is called its
// decorations.
#pragma once

#include "frame/frame.hpp"

#include <SDL.h>
#include <csignal>
#include <cstdint>

// The picture's place in an output of a given size, in its device pixels,
// centred: the largest that fits keeping its shape (bars on one axis only),
// or with `whole` the largest whole multiple that fits, or `fixed` times the
// frame when set; never less than once.
struct picture_fit {
    int x, y, width, height;
};
picture_fit fit_picture(int output_width, int output_height, int fixed = 0, bool whole = false);

// The window's content when it opens, for the room the desktop leaves it
// (its usable area less a title bar): the picture that fills the room, or the
// whole multiple under it when that is within a tenth of it.
struct window_size {
    int width, height;
};
window_size default_window(int room_width, int room_height, int fixed = 0, bool whole = false);

// How each output pixel along one axis samples the frame: the game pixel it
// reads and the weight of the one after it, in 256ths, 0 inside a game pixel's
// square and on a seam its share, roughly. Made when the size changes.
constexpr int OUTPUT_MAX = 16384; // output pixels along an axis beyond this stay black
struct sample_axis {
    int size, lo, hi;           // output pixels, of which the picture's [lo, hi)
    int16_t source[OUTPUT_MAX]; // -1 outside the picture
    uint16_t weight[OUTPUT_MAX];
    int first[FRAME_WIDTH + 1]; // by game pixel: the first output pixel reading it or later ones
};
void sample_along(sample_axis &axis, int offset, int length, int frame_size, int output_size);
// The output pixels [lo, hi) whose samples read any of the game pixels [from, to).
void output_span(const sample_axis &axis, int from, int to, int &lo, int &hi);

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
    int scale = 0;        // 0: as the window allows
    bool integer = false; // whole multiples only
    bool fullscreen = false;
};
extern sdl_options options;
extern volatile sig_atomic_t stop_signalled; // SIGINT or SIGTERM came

// video.cpp
void video_open();                                  // the window that fits the desktop, shown
constexpr int VIDEO_MAX_BOXES = 256;                // beyond, one box: a wipe's step
void video_put(const frame_box boxes[], int count); // the boxes' pixels to the window
// After a resize or a move to an output of another scale: the whole picture placed anew.
void video_layout();
void video_expose();
// With a renderer the flush's changes go on screen here, at the start of the
// sleep that follows it, which counts the time they take: a renderer without
// a GPU would otherwise slow the game's clock by a present a tick.
void video_present();
void video_toggle_fullscreen();
void video_allow_screensaver(bool allow); // as SDL's calls do
// A picture of the frame's size shown in the frame's place, in colours of
// its own, until the frame is shown again with nullptr.
void video_cover(const uint8_t (*picture)[FRAME_WIDTH], frame_rgb (*colour)(uint8_t value));
[[noreturn]] void display_lost();

// wayland.cpp: whether the Wayland connection of the window watched has failed.
void wayland_watch(SDL_Window *window);
bool wayland_failed();

// xio_sdl.cpp: every event the desktop sends, answered.
void pump_events();

// pause.cpp: the paused picture, the frame's dimmed with the word over it,
// in two values of its own, which the game's palette never takes.
constexpr uint8_t PAUSE_INK = 255, PAUSE_SHADE = 254;
extern uint8_t paused_picture[FRAME_HEIGHT][FRAME_WIDTH];
void draw_paused_picture(); // from the frame as it is
frame_rgb paused_colour(uint8_t value);
