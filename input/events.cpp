// SPDX-License-Identifier: MIT
#include "input/input.hpp"

#include "app/app.hpp"
#include "app/xio.hpp"
#include "gfx/gfx.hpp"
#include "screens/screens.hpp"

XEvent event_buffer;

namespace {
char key_text[10];
KeySym key_sym;

// The character a key produces; 0 when it produces none or several.
char key_char() {
    const int n = xio_lookup_string(&event_buffer.xkey, key_text, sizeof key_text, &key_sym);
    return n == 1 ? key_text[0] : 0;
}

// A window manager may have changed the size; the game knows only one.
void size_window_back() {
    int width, height;
    xio_window_size(&width, &height);
    if (width != 0 || height != 0)
        xio_resize_window(static_cast<unsigned>(size_hints.width),
                          static_cast<unsigned>(size_hints.height));
}

bool is_last_expose() {
    return event_buffer.type == Expose && event_buffer.xexpose.count == 0;
}

// Never straight back onto the neck.
void turn(int32_t dx, int32_t dy) {
    if ((dx != 0 && step_x == -dx) || (dy != 0 && step_y == -dy)) return;
    step_x = dx;
    step_y = dy;
}

void game_key(char ch) {
    switch (ch) {
    case '1':
    case 'a':
        turn(-CELL, 0);
        break;
    case '3':
    case 'd':
        turn(CELL, 0);
        break;
    case '5':
    case 'w':
        turn(0, -CELL);
        break;
    case '2':
    case 'x':
        turn(0, CELL);
        break;
    case '9':
    case 'q':
        game_status = STATUS_ENDED;
        break;
    case 'e':
        game_status = STATUS_ENDED;
        quit_requested = 1;
        break;
    default:
        break;
    }
}

void title_key(char ch) {
    switch (ch) {
    case 's':
    case '7':
        title_done = true;
        break;
    case 'e':
        title_done = true;
        quit_requested = 1;
        break;
    default:
        break; // '9' included, whatever the help line says
    }
}
} // namespace

Bool event_filter(Display *, XEvent *event, XPointer) {
    return event->type == KeyPress || event->type == MotionNotify || event->type == Expose;
}

void poll_event(void (*handler)()) {
    if (xio_check_event(&event_buffer, event_filter)) handler();
}

void handle_game_event() {
    if (event_buffer.type == KeyPress)
        game_key(key_char());
    else if (is_last_expose())
        size_window_back();
}

void handle_title_event() {
    if (event_buffer.type == KeyPress) {
        title_key(key_char());
    } else if (is_last_expose()) {
        size_window_back();
        redraw_logo_on_expose();
    }
}
