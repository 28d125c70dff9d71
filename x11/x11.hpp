// SPDX-License-Identifier: MIT
// x11: the seam over Xlib, for the game binary pelko. Owns the display
// connection, its screen, the window, the GC, the size hints handed to the
// window manager, the palette's 15 colour cells and the event buffer every
// poll fills. Nothing above this folder knows Xlib.
#pragma once

#include "gfx/colours.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern Display *display;
extern int screen;
extern Window window;
extern GC gc;
extern XSizeHints size_hints;
extern XColor palette[PALETTE_SIZE];
extern XEvent event_buffer;

// The command line, for the window manager alone: the game reads no option.
extern int command_argc;
extern char **command_argv;
