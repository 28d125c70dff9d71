// SPDX-License-Identifier: MIT
// The seam on the desktop: the frame's changes put on the window at each
// flush, sleeps that go on answering the desktop, and the events turned
// into the characters the game reads. The drawing and the queue are the
// frame's.
#include "app/xio.hpp"

#include "app/app.hpp"
#include "frame/frame.hpp"
#include "sdl/sdl.hpp"

#include <cstdlib>
#include <ctime>

volatile sig_atomic_t stop_signalled;

namespace {
stick_state stick;

void give(int character) {
    if (character != NO_CHARACTER) frame_queue_key(static_cast<unsigned char>(character));
}

[[noreturn]] void end_now() {
    close_display();
    exit(EXIT_STATUS_OK);
}

void window_event(const SDL_WindowEvent &event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        end_now();
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        screen_layout();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        screen_expose();
        break;
    default:
        break;
    }
}

void handle(const SDL_Event &event) {
    switch (event.type) {
    case SDL_QUIT:
        // Closing the window and the signals are handled before SDL gets
        // here: a quit without them is the display going.
        if (stop_signalled) end_now();
        display_lost();
    case SDL_WINDOWEVENT:
        window_event(event.window);
        break;
    case SDL_KEYDOWN:
        if (is_fullscreen_key(event.key)) screen_toggle_fullscreen();
        break;
    case SDL_TEXTINPUT:
        give(text_character(event.text.text));
        break;
    case SDL_CONTROLLERDEVICEADDED:
        SDL_GameControllerOpen(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        if (SDL_GameController *pad = SDL_GameControllerFromInstanceID(event.cdevice.which))
            SDL_GameControllerClose(pad);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
        give(pad_button_character(event.cbutton.button));
        break;
    case SDL_CONTROLLERAXISMOTION:
        give(stick_character(stick, event.caxis.axis, event.caxis.value));
        break;
    default:
        break;
    }
}
} // namespace

void pump_events() {
    if (stop_signalled) end_now();
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle(event);
}

void xio_sync() {
    frame_box boxes[SCREEN_MAX_BOXES];
    screen_show(boxes, frame_take_changes(boxes, SCREEN_MAX_BOXES));
    pump_events();
}

// The desktop is answered at the flush before the sleep and again after it,
// as the X build polls its events once a tick; the sleep ends by the clock.
void xio_sleep(int64_t microseconds) {
    timespec until;
    clock_gettime(CLOCK_MONOTONIC, &until);
    until.tv_sec += static_cast<time_t>(microseconds / 1000000);
    until.tv_nsec += static_cast<long>(microseconds % 1000000 * 1000);
    if (until.tv_nsec >= 1000000000) {
        until.tv_sec++;
        until.tv_nsec -= 1000000000;
    }
    screen_present();
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0)
        if (stop_signalled) end_now();
    pump_events();
}

int64_t xio_clock_us() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000 + now.tv_nsec / 1000;
}
