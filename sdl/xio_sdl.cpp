// SPDX-License-Identifier: MIT
// The seam on the desktop: the frame's changes put on the window at each
// flush, sleeps that go on answering the desktop, and the events turned
// into the characters the game reads. The drawing and the queue are the
// frame's. A game pauses inside a sleep: its clock stands still there, and
// the screensaver, held off while a game runs, may run.
#include "app/xio.hpp"

#include "app/app.hpp"
#include "frame/frame.hpp"
#include "screens/screens.hpp"
#include "sdl/sdl.hpp"

#include <cstdlib>
#include <ctime>

volatile sig_atomic_t stop_signalled;

namespace {
stick_state stick;
bool paused;
int64_t paused_us;      // all the time spent paused, which the game's clock leaves out
bool had_focus;         // the keyboard's, since the last time it went
bool last_key_repeated; // the key whose text comes next is held down
bool screensaver_held;

// From the key that starts a game to the next title screen.
bool in_game() {
    return title_done;
}

void set_paused(bool on) {
    paused = on && in_game();
}

// While paused the game hears only what ends it, which goes on first.
void give(int character) {
    if (character == PAUSE) {
        set_paused(!paused);
        return;
    }
    const bool ends = character == 'q' || character == '9' || character == 'e';
    if (character == NO_CHARACTER || (paused && !ends)) return;
    set_paused(false);
    frame_queue_key(static_cast<unsigned char>(character));
}

[[noreturn]] void end_now() {
    close_display();
    exit(EXIT_STATUS_OK);
}

int64_t monotonic_us() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000 + now.tv_nsec / 1000;
}

void hold_screensaver(bool hold) {
    if (hold == screensaver_held) return;
    screensaver_held = hold;
    video_allow_screensaver(!hold);
}

void window_event(const SDL_WindowEvent &event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        end_now();
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_DISPLAY_CHANGED:
        video_layout();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        video_expose();
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        had_focus = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST: // to another window, or a notification
        if (had_focus) set_paused(true);
        had_focus = false;
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        set_paused(true);
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
        if (is_fullscreen_key(event.key)) video_toggle_fullscreen();
        give(key_character(event.key));
        last_key_repeated = event.key.repeat;
        break;
    case SDL_TEXTINPUT: {
        const int character = text_character(event.text.text);
        if (character != PAUSE || !last_key_repeated) give(character);
        break;
    }
    case SDL_CONTROLLERDEVICEADDED:
        SDL_GameControllerOpen(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        if (SDL_GameController *pad = SDL_GameControllerFromInstanceID(event.cdevice.which))
            SDL_GameControllerClose(pad);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
        give(pad_button_character(event.cbutton.button, in_game()));
        break;
    case SDL_CONTROLLERAXISMOTION:
        give(stick_character(stick, event.caxis.axis, event.caxis.value));
        break;
    default:
        break;
    }
}

// One event if there is one, the display's loss seen before SDL pumps again.
bool next_event(SDL_Event &event) {
    if (wayland_failed()) display_lost();
    return SDL_PollEvent(&event);
}
} // namespace

void pump_events() {
    if (stop_signalled) end_now();
    SDL_Event event;
    while (next_event(event)) handle(event);
}

void xio_sync() {
    frame_box boxes[VIDEO_MAX_BOXES];
    video_put(boxes, frame_take_changes(boxes, VIDEO_MAX_BOXES));
    pump_events();
}

namespace {
// Held in the sleep, the picture covered, answering the desktop, until a
// key, a button or a signal ends the pause.
void stay_paused() {
    const int64_t from = monotonic_us();
    hold_screensaver(false);
    draw_paused_picture();
    video_cover(paused_picture, paused_colour);
    while (paused) {
        // Not SDL's wait, which pumps again inside: polled.
        SDL_Event event;
        if (next_event(event))
            handle(event);
        else
            SDL_Delay(20);
        if (stop_signalled) end_now();
    }
    video_cover(nullptr, nullptr);
    paused_us += monotonic_us() - from;
}
} // namespace

// The desktop is answered at the flush before the sleep and again after it,
// as the X build polls its events once a tick; the sleep ends by the clock.
// A pause asked for since the last sleep begins here, and the whole sleep
// follows it: the next tick comes a tick after the game goes on.
void xio_sleep(int64_t microseconds) {
    int64_t deadline = monotonic_us() + microseconds;
    video_present(); // within the sleep: its time is the tick's, not more
    set_paused(paused);
    if (paused) {
        stay_paused();
        deadline = monotonic_us() + microseconds;
    }
    hold_screensaver(in_game());
    const timespec until{static_cast<time_t>(deadline / 1000000),
                         static_cast<long>(deadline % 1000000 * 1000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0)
        if (stop_signalled) end_now();
    pump_events();
}

int64_t xio_clock_us() {
    return monotonic_us() - paused_us;
}
