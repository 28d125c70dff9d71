// SPDX-License-Identifier: MIT
// What the browser build's start-up, palette and seam share: the colours the
// canvas shows for each pixel value, and the queue of events for the game.
#pragma once

#include <X11/Xlib.h>

void web_store_colours(const XColor *colours, int count);
void web_queue_event(const XEvent &event); // dropped when the queue is full
