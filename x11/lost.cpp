// SPDX-License-Identifier: MIT
#include "x11/lost.hpp"

#include <X11/Xlib.h>

namespace {
void (*lost_handler)();

int connection_lost(Display *) {
    lost_handler();
    return 0; // Xlib exits if the handler returns
}
} // namespace

void x11_when_connection_lost(void (*handler)()) {
    lost_handler = handler;
    XSetIOErrorHandler(connection_lost);
}
