// SPDX-License-Identifier: MIT
#include "sdl/sdl.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {
// Within a tenth of the room, a whole multiple is worth the black it leaves:
// every game pixel the same square.
bool near_enough(int multiple, double fill) {
    return multiple >= 1 && multiple >= 0.9 * fill;
}
} // namespace

picture_fit fit_picture(int output_width, int output_height, int fixed, bool whole) {
    const double fill = std::min(static_cast<double>(output_width) / FRAME_WIDTH,
                                 static_cast<double>(output_height) / FRAME_HEIGHT);
    int width = FRAME_WIDTH * fixed, height = FRAME_HEIGHT * fixed;
    if (fixed <= 0 && (whole || fill < 1)) {
        const int multiple = std::max(1, static_cast<int>(fill));
        width = FRAME_WIDTH * multiple;
        height = FRAME_HEIGHT * multiple;
    } else if (fixed <= 0 && output_width * FRAME_HEIGHT <= output_height * FRAME_WIDTH) {
        // As wide as the output; the height rounded, so bars on one axis only.
        width = output_width;
        height = (output_width * FRAME_HEIGHT + FRAME_WIDTH / 2) / FRAME_WIDTH;
    } else if (fixed <= 0) {
        height = output_height;
        width = (output_height * FRAME_WIDTH + FRAME_HEIGHT / 2) / FRAME_HEIGHT;
    }
    return {(output_width - width) / 2, (output_height - height) / 2, width, height};
}

window_size default_window(int room_width, int room_height, int fixed, bool whole) {
    if (fixed > 0) return {FRAME_WIDTH * fixed, FRAME_HEIGHT * fixed};
    const picture_fit fill = fit_picture(room_width, room_height);
    const int multiple = std::max(1, fill.width / FRAME_WIDTH);
    if (whole || near_enough(multiple, static_cast<double>(fill.width) / FRAME_WIDTH))
        return {FRAME_WIDTH * multiple, FRAME_HEIGHT * multiple};
    return {fill.width, fill.height};
}

// The usual way to keep pixel art sharp at any size: the frame enlarged by
// nearest sampling to the whole multiple m at or above the picture's scale,
// then sampled linearly at each output pixel's centre. In texels of that
// enlargement the centre of output pixel p lies at
//   t = (p + 1/2) N m / L - 1/2 = ((2p + 1) N m - L) / 2L,
// which is counted exactly in integers, so that an output pixel wholly inside
// a game pixel reads it alone and one on a seam blends the two beside it.
void sample_along(sample_axis &axis, int offset, int length, int frame_size, int output_size) {
    axis.size = std::clamp(output_size, 0, OUTPUT_MAX);
    axis.lo = std::clamp(offset, 0, axis.size);
    axis.hi = std::clamp(offset + length, axis.lo, axis.size);
    const int64_t m = std::max((length + frame_size - 1) / frame_size, 1);
    const int64_t texels = frame_size * m, twice = 2 * int64_t{length};
    for (int i = 0; i < axis.size; i++) {
        axis.source[i] = -1;
        axis.weight[i] = 0;
        if (i < axis.lo || i >= axis.hi) continue;
        const int64_t centre = (2 * int64_t{i - offset} + 1) * texels - length;
        const int64_t texel = centre / twice, rest = centre % twice;
        const auto game = static_cast<int16_t>(texel / m);
        axis.source[i] = game;
        // The next texel in the next game pixel: a seam.
        if (rest > 0 && (texel + 1) % m == 0 && game + 1 < frame_size)
            axis.weight[i] = static_cast<uint16_t>((rest * 256 + length) / twice);
    }
    for (int g = 0, i = axis.lo; g <= frame_size; g++) {
        while (i < axis.hi && axis.source[i] < g) i++;
        axis.first[g] = i;
    }
}

void output_span(const sample_axis &axis, int from, int to, int &lo, int &hi) {
    lo = axis.first[std::max(from - 1, 0)];
    hi = axis.first[to];
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
