// SPDX-License-Identifier: MIT
#include "x11/screensaver.hpp"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/extensions/scrnsaver.h>

// Nothing to a client that did not suspend it.
void x11_let_screensaver_run(SDL_Window *window) {
    SDL_SysWMinfo wm;
    SDL_VERSION(&wm.version);
    if (SDL_GetWindowWMInfo(window, &wm) && wm.subsystem == SDL_SYSWM_X11)
        XScreenSaverSuspend(wm.info.x11.display, False);
}
