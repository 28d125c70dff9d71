// SPDX-License-Identifier: MIT
// pelko-play's Wayland connection, looked at before SDL reads it again: once
// the compositor has gone with events of its own still queued, libdecor's
// dispatch spins for ever and SDL's word that the display went never comes.
#include "sdl/sdl.hpp"

// The header's X11 half, unused here, would bring in Xlib's headers, which
// only x11/ includes; its union keeps its size without it.
#undef SDL_VIDEO_DRIVER_X11
#include <SDL_syswm.h>
#include <wayland-client-core.h>

namespace {
wl_display *connection; // on Wayland only
}

void wayland_watch(SDL_Window *window) {
    SDL_SysWMinfo about;
    SDL_VERSION(&about.version);
    if (SDL_GetWindowWMInfo(window, &about) && about.subsystem == SDL_SYSWM_WAYLAND)
        connection = about.info.wl.display;
}

bool wayland_failed() {
    return connection && wl_display_get_error(connection) != 0;
}
