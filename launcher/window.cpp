// SPDX-License-Identifier: MIT
#include "gfx/icon.hpp"
#include "launcher/launcher.hpp"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstring>
#include <unistd.h>
#include <vector>

namespace {
Display *host;
Window frame = None; // ours, on the user's display
Window inner = None; // the nested server's screen, inside it
Atom wm_protocols, wm_delete_window;

Atom atom(const char *name) {
    return XInternAtom(host, name, False);
}

void set_property(const char *name, const char *type, int format, const void *data, size_t n) {
    XChangeProperty(host, frame, atom(name), atom(type), format, PropModeReplace,
                    static_cast<const unsigned char *>(data), static_cast<int>(n));
}

unsigned long argb(icon::pixel p) {
    const auto channel = [](unsigned value, int shift) {
        return static_cast<unsigned long>(value) << shift;
    };
    return channel(p.opaque ? 0xff : 0, 24) | channel(p.c.r, 16) | channel(p.c.g, 8) | p.c.b;
}

// _NET_WM_ICON: for each size its width, height and ARGB pixels, row by row.
std::vector<unsigned long> icon_property() {
    static constexpr icon::picture pixels = icon::draw();
    std::vector<unsigned long> data;
    for (int side : {16, 32, 48, 64, 128}) {
        data.push_back(static_cast<unsigned long>(side));
        data.push_back(static_cast<unsigned long>(side));
        for (int y = 0; y < side; y++)
            for (int x = 0; x < side; x++) data.push_back(argb(icon::at(pixels, side, x, y)));
    }
    return data;
}

void describe_window(int width, int height) {
    char title[] = PELKO_TITLE, name[] = "pelko", class_name[] = "Pelko";
    char *titles[] = {title};
    XTextProperty text;
    XStringListToTextProperty(titles, 1, &text);
    XSizeHints size{};
    size.flags = PMinSize | PMaxSize;
    size.min_width = size.max_width = width;
    size.min_height = size.max_height = height;
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XClassHint class_hint{name, class_name};
    XSetWMProperties(host, frame, &text, &text, nullptr, 0, &size, &hints, &class_hint);
    XFree(text.value);

    set_property("_NET_WM_NAME", "UTF8_STRING", 8, title, strlen(title));
    const std::vector<unsigned long> icon = icon_property();
    set_property("_NET_WM_ICON", "CARDINAL", 32, icon.data(), icon.size());
    const unsigned long pid = static_cast<unsigned long>(getpid());
    set_property("_NET_WM_PID", "CARDINAL", 32, &pid, 1);
    wm_protocols = atom("WM_PROTOCOLS");
    wm_delete_window = atom("WM_DELETE_WINDOW");
    XSetWMProtocols(host, frame, &wm_delete_window, 1);
}

// Keys go to the focus window, or to the window under the pointer when that
// lies inside it. Given the focus, ours passes it on to the nested server's,
// so that keys reach the game wherever the pointer is; keys that come before
// the focus has moved on are passed on one by one.
void pass_focus() {
    if (inner != None) XSetInputFocus(host, inner, RevertToParent, CurrentTime);
}

void pass_key(const XEvent &event) {
    if (inner == None) return;
    XEvent key = event;
    key.xkey.window = inner;
    key.xkey.subwindow = None;
    XSendEvent(host, inner, False, event.type == KeyPress ? KeyPressMask : KeyReleaseMask, &key);
}
} // namespace

Window open_window(Display *dpy, int width, int height) {
    host = dpy;
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(host, DefaultScreen(host));
    attributes.event_mask =
        SubstructureNotifyMask | FocusChangeMask | KeyPressMask | KeyReleaseMask;
    frame = XCreateWindow(host, DefaultRootWindow(host), 0, 0, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    describe_window(width, height);
    XMapWindow(host, frame);
    XFlush(host);
    return frame;
}

bool window_event(const XEvent &event) {
    switch (event.type) {
    case MapNotify: { // of our one child, the nested server's window
        inner = event.xmap.window;
        Window focus;
        int revert;
        XGetInputFocus(host, &focus, &revert);
        if (focus == frame) pass_focus();
        break;
    }
    case FocusIn:
        if (event.xfocus.detail == NotifyAncestor || event.xfocus.detail == NotifyNonlinear)
            pass_focus();
        break;
    case KeyPress:
    case KeyRelease:
        pass_key(event);
        break;
    case ClientMessage:
        return event.xclient.message_type == wm_protocols &&
               static_cast<Atom>(event.xclient.data.l[0]) == wm_delete_window;
    }
    return false;
}
