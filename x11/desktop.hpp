// SPDX-License-Identifier: MIT
// For pelko-play on an X server: what the window manager tells of the
// desktop on the root window. Without Xlib's headers, so that only x11/
// includes them.
#pragma once

struct SDL_Window;
bool x11_managed(SDL_Window *window);       // a window manager says it runs
bool x11_has_work_area(SDL_Window *window); // and publishes the usable area
