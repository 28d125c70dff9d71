// SPDX-License-Identifier: MIT
// Writes the title screen as the X build shows it on an 8-bit Xvfb, the
// window with its border, as a binary PPM: the picture the browser build's
// canvas must match.
//   web_title_reference <output.ppm>
#include "tests/harness/harness.hpp"

#include <cstdio>

namespace {
// Both scores' "0", the last thing the title draws: 22 sky pixels each.
bool title_drawn(Display *dpy, Window w) {
    return snapshot(dpy, w, 116, 469, 7, 10).count(colour::sky) == 22 &&
           snapshot(dpy, w, 488, 469, 7, 10).count(colour::sky) == 22;
}
} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: web_title_reference <output.ppm>\n");
        return 2;
    }
    xvfb server;
    Display *dpy = server.dpy();
    game_dir dir;
    game_process game(dir, server.name());
    const Window w = find_window(dpy);
    if (w == None || !wait_until([&] { return title_drawn(dpy, w); }, 60)) {
        fprintf(stderr, "the title screen did not come up\n");
        return 1;
    }
    XWindowAttributes outer;
    XGetWindowAttributes(dpy, w, &outer);
    const int border = outer.border_width;
    const snapshot shot(dpy, DefaultRootWindow(dpy), outer.x, outer.y, outer.width + 2 * border,
                        outer.height + 2 * border);
    return shot.save_ppm(argv[1]) ? 0 : 1;
}
