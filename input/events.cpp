// SPDX-License-Identifier: MIT
#include "input/input.hpp"

#include "app/app.hpp"
#include "gfx/gfx.hpp"
#include "screens/screens.hpp"

input polled;

namespace {
// The steering keys, main keyboard and keypad alike.
struct steering_key {
    char key;
    int32_t dx, dy;
};
constexpr steering_key steering_keys[] = {
    {'1', -CELL, 0}, {'a', -CELL, 0}, {'3', CELL, 0}, {'d', CELL, 0},
    {'5', 0, -CELL}, {'w', 0, -CELL}, {'2', 0, CELL}, {'x', 0, CELL},
};

// Never straight back onto the neck.
void turn(int32_t dx, int32_t dy) {
    if ((dx != 0 && step_x == -dx) || (dy != 0 && step_y == -dy)) return;
    step_x = dx;
    step_y = dy;
}

void game_key(char ch) {
    for (const steering_key &k : steering_keys)
        if (k.key == ch) turn(k.dx, k.dy);
    if (ch == '9' || ch == 'q' || ch == 'e') game_status = STATUS_ENDED;
    if (ch == 'e') quit_requested = 1;
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

void poll_event(void (*handler)()) {
    polled = xio_poll();
    if (polled.kind != INPUT_NONE) handler();
}

// The window was sized back as it came: nothing to draw.
void handle_game_event() {
    if (polled.kind == INPUT_KEY) game_key(polled.character);
}

void handle_title_event() {
    if (polled.kind == INPUT_KEY)
        title_key(polled.character);
    else if (polled.kind == INPUT_EXPOSE)
        redraw_logo_on_expose();
}
