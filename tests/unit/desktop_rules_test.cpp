// SPDX-License-Identifier: MIT
// pelko-play's rules: the whole multiple the picture takes in an output, and
// what keys, buttons and the stick give the game.
#include <gtest/gtest.h>

#include "sdl/sdl.hpp"

#include <string>
#include <vector>

namespace {

TEST(PictureFit, LargestWholeMultipleCentredAtLeastOnce) {
    struct fit_case {
        int width, height, fixed;
        int scale, x, y;
    };
    for (const fit_case &c : std::vector<fit_case>{
             {1920, 1080, 0, 2, 313, 19},    // a full HD screen
             {647, 521, 0, 1, 0, 0},         // exactly the frame
             {1293, 1042, 0, 1, 323, 260},   // a pixel short of twice
             {3840, 2160, 0, 4, 626, 38},    // 4K: the height decides
             {2000, 600, 0, 1, 676, 39},     // wide and low
             {300, 200, 0, 1, -173, -160},   // smaller than the frame: still once, centred
             {1294, 1042, 3, 3, -323, -260}, // a fixed multiple overflows, centred
         }) {
        const picture_fit fit = fit_picture(c.width, c.height, c.fixed);
        EXPECT_EQ(fit.scale, c.scale) << c.width << "x" << c.height;
        EXPECT_EQ(fit.x, c.x) << c.width << "x" << c.height;
        EXPECT_EQ(fit.y, c.y) << c.width << "x" << c.height;
    }
}

TEST(DesktopKeys, OneLatin1CharacterOrNothing) {
    EXPECT_EQ(text_character("s"), 's');
    EXPECT_EQ(text_character("S"), 'S'); // the game tells the cases apart
    EXPECT_EQ(text_character("7"), '7');
    EXPECT_EQ(text_character("\xc3\xa9"), 0xe9);             // é
    EXPECT_EQ(text_character("\xc2\xa0"), 0xa0);             // no-break space
    EXPECT_EQ(text_character("\xe2\x82\xac"), NO_CHARACTER); // € is not Latin-1
    EXPECT_EQ(text_character("\xc5\x93"), NO_CHARACTER);     // œ neither
    EXPECT_EQ(text_character("sq"), NO_CHARACTER);           // a composed pair
    EXPECT_EQ(text_character(""), NO_CHARACTER);
    EXPECT_EQ(text_character("\xc3"), NO_CHARACTER); // cut short
    EXPECT_EQ(text_character("p"), PAUSE);           // the front-end's own
    EXPECT_EQ(text_character("P"), 'P');
}

// The keys that type nothing: arrows steer, the keypad's only as arrows
// (Num Lock off; on, they type their digits), Escape ends a game, Pause
// pauses once however long it is held.
TEST(DesktopKeys, ArrowsEscapeAndPause) {
    SDL_KeyboardEvent key{};
    key.type = SDL_KEYDOWN;
    const auto character = [&](SDL_Keycode sym, uint16_t mod = 0, uint8_t repeat = 0) {
        key.keysym.sym = sym;
        key.keysym.mod = mod;
        key.repeat = repeat;
        return key_character(key);
    };
    std::string given;
    for (const SDL_Keycode sym : {SDLK_UP, SDLK_LEFT, SDLK_DOWN, SDLK_RIGHT, SDLK_KP_8, SDLK_KP_4,
                                  SDLK_KP_2, SDLK_KP_6, SDLK_ESCAPE})
        given += static_cast<char>(character(sym));
    EXPECT_EQ(given, "waxdwaxdq");
    EXPECT_EQ(character(SDLK_LEFT, KMOD_NUM | KMOD_SHIFT, 1), 'a')
        << "held: as the desktop repeats";
    EXPECT_EQ(character(SDLK_KP_8, KMOD_NUM), NO_CHARACTER);
    EXPECT_EQ(character(SDLK_KP_5), NO_CHARACTER);
    EXPECT_EQ(character(SDLK_PAUSE), PAUSE);
    EXPECT_EQ(character(SDLK_PAUSE, 0, 1), NO_CHARACTER);
    EXPECT_EQ(character(SDLK_w), NO_CHARACTER) << "its text gives it";
    key.type = SDL_KEYUP;
    EXPECT_EQ(character(SDLK_UP), NO_CHARACTER);
}

TEST(DesktopKeys, F11AndAltEnterAreTheFrontEndsOwn) {
    SDL_KeyboardEvent key{};
    key.type = SDL_KEYDOWN;
    key.keysym.sym = SDLK_F11;
    EXPECT_TRUE(is_fullscreen_key(key));
    key.repeat = 1; // held down: one toggle only
    EXPECT_FALSE(is_fullscreen_key(key));
    key.repeat = 0;
    key.keysym.sym = SDLK_RETURN;
    EXPECT_FALSE(is_fullscreen_key(key));
    key.keysym.mod = KMOD_RALT;
    EXPECT_TRUE(is_fullscreen_key(key));
    key.type = SDL_KEYUP;
    EXPECT_FALSE(is_fullscreen_key(key));
}

TEST(Gamepad, ButtonsGiveTheKeysCharactersAndStartPausesAGame) {
    for (const bool in_game : {false, true}) {
        std::string given;
        for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX; button++)
            if (const int c = pad_button_character(button, in_game); c != NO_CHARACTER)
                given += c == PAUSE ? 'P' : static_cast<char>(c);
        // A, B, Back, Start, then the d-pad's up, down, left, right.
        EXPECT_EQ(given, in_game ? "sqePwxad" : "sqeswxad");
    }
}

TEST(Gamepad, StickSteersOncePerPush) {
    stick_state stick;
    std::string given;
    const auto move = [&](int axis, int value) {
        if (const int c = stick_character(stick, axis, value); c != NO_CHARACTER)
            given += static_cast<char>(c);
    };
    const int X = SDL_CONTROLLER_AXIS_LEFTX, Y = SDL_CONTROLLER_AXIS_LEFTY;
    move(X, 20000);  // right
    move(X, 32767);  // further: still the same push
    move(X, 12000);  // eased off, not centred
    move(X, 30000);  // pushed again without centring: nothing
    move(X, 0);      // centred
    move(X, 30000);  // right again
    move(Y, -32000); // rolled round to up
    move(X, 0);
    move(Y, 0);
    move(Y, 25000); // down
    move(Y, 0);
    move(X, -25000);                         // left
    move(SDL_CONTROLLER_AXIS_RIGHTX, 32767); // the right stick does nothing
    EXPECT_EQ(given, "ddwxa");
}

} // namespace
