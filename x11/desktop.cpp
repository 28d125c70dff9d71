// SPDX-License-Identifier: MIT
#include "x11/desktop.hpp"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace {
bool root_has(SDL_Window *window, const char *property) {
    SDL_SysWMinfo wm;
    SDL_VERSION(&wm.version);
    if (!SDL_GetWindowWMInfo(window, &wm) || wm.subsystem != SDL_SYSWM_X11) return false;
    Display *x = wm.info.x11.display;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    XGetWindowProperty(x, DefaultRootWindow(x), XInternAtom(x, property, False), 0, 1, False,
                       AnyPropertyType, &type, &format, &count, &after, &data);
    if (data) XFree(data);
    return count > 0;
}
} // namespace

bool x11_managed(SDL_Window *window) {
    return root_has(window, "_NET_SUPPORTING_WM_CHECK");
}

bool x11_has_work_area(SDL_Window *window) {
    return root_has(window, "_NET_WORKAREA");
}
