// SPDX-License-Identifier: MIT
// input: event polling and the key bindings of the game and the title
// screen. Owns polled, the one input record every poll fills.
#pragma once

#include "app/xio.hpp"

extern input polled;

void poll_event(void (*handler)()); // takes at most one input, never waits
void handle_game_event();
void handle_title_event();
