// SPDX-License-Identifier: MIT
// pelko-play's rules: the picture's place in an output and how its pixels
// sample the frame, the window's size, and what keys, buttons and the stick
// give the game.
#include <gtest/gtest.h>

#include "sdl/sdl.hpp"

#include <string>
#include <vector>

namespace {

TEST(PictureFit, FillsKeepingItsShapeOrByWholeMultiplesCentred) {
    struct fit_case {
        int width, height, fixed;
        bool whole;
        picture_fit fit;
    };
    for (const fit_case &c : std::vector<fit_case>{
             {1920, 1080, 0, false, {289, 0, 1341, 1080}}, // as tall as the screen
             {2560, 1440, 0, false, {386, 0, 1788, 1440}},
             {1366, 768, 0, false, {206, 0, 954, 768}},
             {1000, 1000, 0, false, {0, 97, 1000, 805}},   // as wide
             {1294, 1042, 0, false, {0, 0, 1294, 1042}},   // a whole multiple fills exactly
             {300, 200, 0, false, {-173, -160, 647, 521}}, // smaller: once, centred
             {1920, 1080, 0, true, {313, 19, 1294, 1042}}, // --integer
             {1293, 1042, 0, true, {323, 260, 647, 521}},
             {1294, 1042, 3, false, {-323, -260, 1941, 1563}}, // --scale 3 overflows
         }) {
        const picture_fit fit = fit_picture(c.width, c.height, c.fixed, c.whole);
        EXPECT_EQ(std::vector({fit.x, fit.y, fit.width, fit.height}),
                  std::vector({c.fit.x, c.fit.y, c.fit.width, c.fit.height}))
            << c.width << "x" << c.height << " fixed " << c.fixed << " whole " << c.whole;
    }
}

TEST(PictureFit, TheDefaultWindowFillsTheRoomOrTakesAWholeMultipleCloseToIt) {
    const auto size = [](window_size w) { return std::pair(w.width, w.height); };
    EXPECT_EQ(size(default_window(1920, 1080)), std::pair(1294, 1042)); // within a tenth
    EXPECT_EQ(size(default_window(1920, 1024)), std::pair(1272, 1024)); // under a bar and a title
    EXPECT_EQ(size(default_window(1920, 1024, 0, true)), std::pair(647, 521));
    EXPECT_EQ(size(default_window(1366, 700)), std::pair(869, 700));
    EXPECT_EQ(size(default_window(500, 400)), std::pair(647, 521)); // never less than the frame
    EXPECT_EQ(size(default_window(1366, 700, 3)), std::pair(1941, 1563));
}

// Each output pixel wholly inside a game pixel's square reads that pixel
// alone; one on a seam reads the two beside it, weighed within a quarter of
// their shares; outside the picture nothing.
TEST(PictureSampling, ExactInsideSquaresBlendsOnSeamsByShare) {
    static sample_axis axis;
    constexpr int N = FRAME_HEIGHT;
    for (const int length : {521, 522, 700, 1042, 1080, 1440, 1562, 1563, 2084, 3000}) {
        const int offset = 7;
        sample_along(axis, offset, length, N, length + 2 * offset);
        int seams = 0;
        for (int i = 0; i < axis.size; i++) {
            const int p = i - offset;
            if (p < 0 || p >= length) {
                ASSERT_EQ(axis.source[i], -1) << length << ": " << i;
                continue;
            }
            // The game pixels under [p, p + 1): exactly, in units of 1 / length.
            const int first = p * N / length, last = ((p + 1) * N - 1) / length;
            if (first == last) {
                ASSERT_EQ(axis.source[i], first) << length << ": " << p;
                ASSERT_EQ(axis.weight[i], 0) << length << ": " << p;
                continue;
            }
            ASSERT_EQ(last, first + 1);
            // What the pixel takes of the later one: its weight, or all of it.
            const int g = axis.source[i];
            ASSERT_TRUE(g == first || (g == last && axis.weight[i] == 0)) << length << ": " << p;
            const double taken = g == last ? 1 : axis.weight[i] / 256.0;
            const double share = p + 1 - static_cast<double>(last) * length / N;
            ASSERT_NEAR(taken, share, 0.25 + 1 / 256.0) << length << ": " << p;
            seams += axis.weight[i] > 0;
        }
        if (length % N != 0) {
            EXPECT_GT(seams, N / 4) << length; // blended, not rounded to either side
        }
    }
}

TEST(PictureSampling, ABoxReachesTheOutputPixelsThatReadIt) {
    static sample_axis axis;
    sample_along(axis, 289, 1341, FRAME_WIDTH, 1920);
    for (const auto &[from, to] : {std::pair(0, 1), std::pair(300, 302), std::pair(646, 647)}) {
        int lo, hi;
        output_span(axis, from, to, lo, hi);
        for (int i = 0; i < axis.size; i++) {
            const int g = axis.source[i];
            const bool reads =
                g >= 0 && ((g >= from && g < to) || (axis.weight[i] && g + 1 == from));
            EXPECT_TRUE(!reads || (i >= lo && i < hi)) << from << ".." << to << ": " << i;
            EXPECT_TRUE(i < lo || i >= hi || (g >= from - 1 && g < to)) << i;
        }
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
