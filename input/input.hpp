// SPDX-License-Identifier: MIT
// input: event polling and the key bindings of the game and the title
// screen. Owns event_buffer, the one event record every poll fills.
#pragma once

#include <X11/Xlib.h>

extern XEvent event_buffer;

Bool event_filter(Display *display, XEvent *event, XPointer argument);
void poll_event(void (*handler)()); // takes at most one event, never waits
void handle_game_event();
void handle_title_event();
