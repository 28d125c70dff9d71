// SPDX-License-Identifier: MIT
// For pelko-play on an X server: the screensaver let go of once SDL has
// let it run again. SDL 2.26 without D-Bus suspends X's screensaver when
// asked to hold it off and never lets go of it. Without Xlib's headers, so
// that only x11/ includes them.
#pragma once

struct SDL_Window;
void x11_let_screensaver_run(SDL_Window *window);
