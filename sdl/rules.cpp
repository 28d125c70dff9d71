// SPDX-License-Identifier: MIT
#include "sdl/sdl.hpp"

#include <algorithm>
#include <cstdlib>

picture_fit fit_picture(int output_width, int output_height, int fixed) {
    const int scale =
        fixed > 0 ? fixed
                  : std::max(1, std::min(output_width / FRAME_WIDTH, output_height / FRAME_HEIGHT));
    return {scale, (output_width - FRAME_WIDTH * scale) / 2,
            (output_height - FRAME_HEIGHT * scale) / 2};
}

// XLookupString would give the game the same byte for a Latin-1 keysym.
int text_character(const char *utf8) {
    const auto *s = reinterpret_cast<const unsigned char *>(utf8);
    if (s[0] == 'p' && s[1] == 0) return PAUSE;
    if (s[0] != 0 && s[0] < 0x80 && s[1] == 0) return s[0];
    // Two bytes C2 or C3 and a continuation: U+0080 to U+00FF.
    if ((s[0] == 0xc2 || s[0] == 0xc3) && (s[1] & 0xc0) == 0x80 && s[2] == 0)
        return (s[0] & 0x03) << 6 | (s[1] & 0x3f);
    return NO_CHARACTER;
}

namespace {
struct key_rule {
    SDL_Keycode key;
    int character;
    bool keypad; // an arrow only with Num Lock off; with it on, the digit's text comes
};
constexpr key_rule KEYS[] = {
    {SDLK_UP, 'w', false},      {SDLK_LEFT, 'a', false}, {SDLK_DOWN, 'x', false},
    {SDLK_RIGHT, 'd', false},   {SDLK_KP_8, 'w', true},  {SDLK_KP_4, 'a', true},
    {SDLK_KP_2, 'x', true},     {SDLK_KP_6, 'd', true},  {SDLK_ESCAPE, 'q', false},
    {SDLK_PAUSE, PAUSE, false},
};
} // namespace

// A held key repeats as the desktop repeats it; a held Pause toggles once.
int key_character(const SDL_KeyboardEvent &key) {
    if (key.type != SDL_KEYDOWN) return NO_CHARACTER;
    for (const key_rule &rule : KEYS) {
        if (rule.key != key.keysym.sym || (rule.keypad && (key.keysym.mod & KMOD_NUM))) continue;
        return rule.character == PAUSE && key.repeat ? NO_CHARACTER : rule.character;
    }
    return NO_CHARACTER;
}

int pad_button_character(int button, bool in_game) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        return 'w';
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        return 'a';
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        return 'x';
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        return 'd';
    case SDL_CONTROLLER_BUTTON_START:
        return in_game ? PAUSE : 's';
    case SDL_CONTROLLER_BUTTON_A:
        return 's';
    case SDL_CONTROLLER_BUTTON_B:
        return 'q';
    case SDL_CONTROLLER_BUTTON_BACK:
        return 'e';
    default:
        return NO_CHARACTER;
    }
}

namespace {
constexpr int PUSHED = 16000; // past this the stick points somewhere
constexpr int CENTRED = 8000; // back under this it points nowhere

// Where the stick points: its longer axis, once pushed far enough.
int stick_direction(const stick_state &stick, int threshold) {
    const int ax = std::abs(stick.x), ay = std::abs(stick.y);
    if (std::max(ax, ay) < threshold) return NO_CHARACTER;
    if (ax > ay) return stick.x < 0 ? 'a' : 'd';
    return stick.y < 0 ? 'w' : 'x';
}
} // namespace

int stick_character(stick_state &stick, int axis, int value) {
    if (axis == SDL_CONTROLLER_AXIS_LEFTX)
        stick.x = value;
    else if (axis == SDL_CONTROLLER_AXIS_LEFTY)
        stick.y = value;
    else
        return NO_CHARACTER;
    if (stick_direction(stick, CENTRED) == NO_CHARACTER) {
        stick.held = NO_CHARACTER;
        return NO_CHARACTER;
    }
    const int direction = stick_direction(stick, PUSHED);
    if (direction == NO_CHARACTER || direction == stick.held) return NO_CHARACTER;
    stick.held = direction;
    return direction;
}

bool is_fullscreen_key(const SDL_KeyboardEvent &key) {
    if (key.type != SDL_KEYDOWN || key.repeat) return false;
    if (key.keysym.sym == SDLK_F11) return true;
    return (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) &&
           (key.keysym.mod & KMOD_ALT) != 0;
}
