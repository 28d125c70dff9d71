// SPDX-License-Identifier: MIT
// gtest before Xlib: X.h defines None, which gtest uses as a name.
#include <gtest/gtest.h>

#include "app/app.hpp"
#include "font/font.hpp"
#include "gfx/gfx.hpp"
#include "input/input.hpp"
#include "screens/screens.hpp"
#include "tests/unit/recorder.hpp"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;
using bytes = std::vector<unsigned char>;

// What a drawing leaves on screen: its requests less the colour changes.
std::vector<request> drawn_by(const std::function<void()> &draw) {
    rec.requests.clear();
    draw();
    std::erase_if(rec.requests, [](const request &r) { return r.kind == req::foreground; });
    return rec.requests;
}

request square(int col, int row) {
    return {req::fill, 7 * col - 3, 7 * row - 3, 7, 7, PAL_NIGHT};
}
request block(int x, int y, int colour) {
    return {req::rectangle, x, y, 1, 1, colour};
}

struct ScreensTest : testing::Test {
    scratch_dir scratch;
    void SetUp() override {
        bytes font(800), logo(4000);
        for (size_t i = 0; i < font.size(); i++) font[i] = static_cast<unsigned char>(i * 7 % 11);
        logo[0] = 0x80, logo[1] = 0x01, logo[41] = 0x40, logo[2000] = 0x81, logo[3999] = 0x01;
        write_file("data/pelko.font", font);
        write_file("data/pelko.grid", {90, 72, 1, 1, 45});
        write_file("data/pelko.raw", logo);
        load_font();
        load_grid();
        reset_world();
        score = high_score = 0;
    }
};

TEST_F(ScreensTest, WipeFillsTheGridSquaresInFileOrderThenSweepsTheLines) {
    set_colour(PAL_NIGHT);
    for (const bytes &file : {bytes{90, 72, 1, 1, 45}, bytes{}}) { // the end reads as -1
        write_file("data/pelko.grid", file);
        load_grid();
        cursor = {42, 77};
        const auto at = [&file](size_t i) { return i < file.size() ? file[i] : -1; };
        std::vector<request> want{square(0, 0)};
        for (size_t i = 0; i < 2 * 6480; i += 2) want.push_back(square(at(i), at(i + 1)));
        want.push_back(square(0, 0));
        for (int y = 0; y < 511; y++) want.push_back(line_at(0, y, 637, y, PAL_NIGHT));
        // Shown a tick at a time: 30 steps of squares, then 10 of lines.
        std::vector<request> drawn;
        std::vector<size_t> steps{0};
        const request sleep{req::sleep, 0, 20000, 0, 0, PAL_NIGHT};
        for (const request &r : drawn_by(wipe_screen)) {
            if (r.kind == req::sync) {
                steps.push_back(0);
            } else if (r.kind == req::sleep) {
                EXPECT_EQ(r, sleep);
            } else {
                drawn.push_back(r);
                steps.back()++;
            }
        }
        EXPECT_EQ(drawn, want) << file.size();
        std::vector<size_t> want_steps(29, 217);
        want_steps.push_back(189);
        want_steps.insert(want_steps.end(), 9, 52);
        want_steps.insert(want_steps.end(), {43, 0});
        EXPECT_EQ(steps, want_steps);
        EXPECT_EQ(requests_of(req::sleep).size(), 40u);
        EXPECT_TRUE(cursor.x == 42 && cursor.y == 77 && saved_cursor.x == 42 &&
                    saved_cursor.y == 77);
    }
    fs::remove("data/pelko.grid");
    EXPECT_EXIT((dup2(2, 1), load_grid()), testing::ExitedWithCode(1),
                "^Error opening file data/pelko.grid. unrecoverable \n$");
}

TEST_F(ScreensTest, LogoBitsBecomeTwoPixelBlocksAndExposeRedrawsThemFromMemory) {
    load_logo();
    EXPECT_EQ(logo_pos, 4000);
    logo_pos = 0;
    std::vector<request> want{block(0, 60, PAL_LOGO_DARK), block(30, 60, PAL_LOGO_DARK),
                              block(18, 62, PAL_LOGO_DARK)};
    EXPECT_EQ(drawn_by([] { draw_logo_plane(0, 60, PAL_LOGO_DARK); }), want);
    EXPECT_EQ(logo_pos, 2000);
    want.insert(want.end(), {block(0, 60, PAL_LOGO_LIGHT), block(14, 60, PAL_LOGO_LIGHT),
                             block(638, 158, PAL_LOGO_LIGHT)});
    EXPECT_EQ(drawn_by([] { draw_logo_plane(0, 60, PAL_LOGO_LIGHT); }),
              std::vector<request>(want.begin() + 3, want.end()));
    EXPECT_EQ(logo_pos, 4000);
    EXPECT_EQ(rec.colour, PAL_LOGO_LIGHT);

    write_file("data/pelko.raw", bytes(2000)); // read only by the next load
    queue_expose(1);
    queue_expose(0);
    EXPECT_TRUE(drawn_by([] { poll_event(handle_title_event); }).empty());
    want.insert(want.begin(), {req::resize, 637, 511, 0, 0, PAL_LOGO_LIGHT});
    EXPECT_EQ(drawn_by([] { poll_event(handle_title_event); }), want);

    logo_pos = 0; // past the end of a short file every byte is 0xFF
    load_logo();
    const auto solid = drawn_by(draw_logo);
    ASSERT_EQ(solid.size(), 16000u);
    EXPECT_EQ(solid.front(), block(0, 60, PAL_LOGO_LIGHT));
    fs::remove("data/pelko.raw");
    queue_expose(0);
    EXPECT_EXIT((dup2(2, 1), poll_event(handle_title_event)), testing::ExitedWithCode(1),
                "^file pelko.raw not found \n$");
}

// The layout as its table reads, the credits line aside.
void draw_layout_by_hand(int32_t last_score_x) {
    const auto text = [](int colour, const std::string &s, int32_t x, int32_t y) {
        set_colour(colour);
        draw_text(s.c_str(), x, y, 2);
    };
    text(PAL_WHITE, "IN THIS GAME YOU MUST HELP GRUBLO - THE HUNGRY MAGGOT, TO STEAL APPLES FROM",
         14, 210);
    text(PAL_WHITE, "BRUMO THE EVIL. BRUMO HAS PUT AN ELECTRIC FENCE AROUND THE GARDEN, AND HE", 17,
         220);
    text(PAL_WHITE, "HAS ALSO BEEN SPREADING POISIONOUS MUSHROOMS INTO IT. YOU MUST GUIDE GRUBLO",
         16, 230);
    text(PAL_WHITE, "AROUND THESE OBJECTS, AND YOU MUST KEEP HIM FROM EATING HIMSELF.", 59, 240);
    text(PAL_HELP, "5 OR W - UP", 295, 285);
    text(PAL_HELP, "1 OR A - LEFT     D OR 3 - RIGHT", 226, 305);
    text(PAL_HELP, "X OR 2 - DOWN", 284, 325);
    text(PAL_HELP, "S OR 7 - START", 90, 300);
    text(PAL_HELP, "E OR 9 - EXIT", 480, 300);
    set_colour(PAL_WORM);
    for (int32_t x = 300; x >= 265; x -= 7) cursor = {x, 390}, draw_segment();
    cursor = {300, 405}, draw_apple();
    cursor = {300, 420}, draw_mushroom();
    cursor = {300, 435}, draw_fence();
    text(PAL_LABEL, "GRUBLO", 320, 385);
    text(PAL_LABEL, "APPLE", 320, 400);
    text(PAL_LABEL, "MUSHROOM", 320, 415);
    text(PAL_LABEL, "FENCE", 320, 430);
    text(PAL_SKY, "LAST SCORE ", 80, 455);
    text(PAL_SKY, "HIGHEST SCORE ", 450, 455);
    text(PAL_SKY, std::to_string(score), last_score_x, 470);
    text(PAL_SKY, std::to_string(high_score), 489, 470);
}

TEST_F(ScreensTest, TitleDrawsItsLayoutEveryTickUntilStartOrQuitThenWipesToGrass) {
    struct title_case {
        uint64_t last;
        int32_t x;
        const char *key;
        int32_t quit;
    };
    const title_case cases[] = {{0, 117, "s", 0},     {99, 117, "7", 0},        {100, 113, "e", 1},
                                {999, 113, "s", 0},   {1000, 109, "s", 0},      {9999, 109, "s", 0},
                                {10000, 105, "s", 0}, {1ull << 63, 105, "s", 0}};
    bytes logo(4000);
    logo[0] = logo[2000] = 0x80;
    write_file("data/pelko.raw", logo);
    for (const title_case &c : cases) {
        reset_world();
        score = c.last;
        high_score = UINT64_MAX - c.last;
        const auto layout = drawn_by(draw_title_layout);
        size_t n = 0; // the credits line in red, then in pink a pixel to the left
        while (n < layout.size() && layout[n].colour == PAL_CAP_RED) n++;
        ASSERT_TRUE(n > 0 && 2 * n < layout.size());
        for (size_t i = 0; i < n; i++) {
            const request &red = layout[i];
            EXPECT_EQ(layout[n + i], line_at(red.a - 1, red.b, red.c - 1, red.d, PAL_PINK));
        }
        EXPECT_EQ(std::vector<request>(layout.begin() + 2 * long(n), layout.end()),
                  drawn_by([&c] { draw_layout_by_hand(c.x); }))
            << c.last;

        set_colour(PAL_NIGHT);
        std::vector<request> want = drawn_by(wipe_screen);
        want.insert(want.end(), {block(0, 60, PAL_LOGO_DARK), block(0, 60, PAL_LOGO_LIGHT)});
        for (int colour : {PAL_LOGO_LIGHT, PAL_SKY}) { // a tick reading '9', then the key's
            want.insert(want.end(),
                        {{req::sync, 0, 0, 0, 0, colour}, {req::sleep, 0, 20000, 0, 0, colour}});
            want.insert(want.end(), layout.begin(), layout.end());
        }
        set_colour(PAL_GRASS);
        const auto grass = drawn_by(wipe_screen);
        want.insert(want.end(), grass.begin(), grass.end());
        queue_key("9", 1);
        queue_key(c.key, 2);
        EXPECT_EQ(drawn_by(run_title_screen), want) << c.key;
        EXPECT_TRUE(title_done && quit_requested == c.quit);
    }
}

TEST_F(ScreensTest, ExplosionTakesFortySpeedsAndFallsFor250Frames) {
    float speed[40]; // the draws alternate vx, vy particle after particle
    for (float &s : speed) s = (static_cast<float>(rand() % 10000) / 10000.0f * 2.0f - 1.0f) * 5.0f;
    const int next_draw = rand();
    reset_world();
    cursor = {0, 3}; // near 0, where truncation and flooring part
    game_status = STATUS_COLLIDED;
    run_game_over();
    EXPECT_EQ(rand(), next_draw);
    EXPECT_TRUE(rec.syncs == 250 && tick_counter == 0 && game_status == STATUS_RUNNING);
    const auto points = requests_of(req::point);
    ASSERT_EQ(points.size(), 250u * 40 * 45);
    for (int i = 0; i < 40; i++) { // a segment's first point is (x - 2, y - 3)
        const request &top_left = points[45 * size_t(i)];
        const float fall = 0.002f * float(i - 20);
        const request want = i < 20 ? point_at(0, 3, PAL_GRASS)
                                    : point_at(int(0.0f + speed[2 * i - 40]),
                                               int((3.0f + speed[2 * i - 39]) + fall), PAL_WORM);
        EXPECT_EQ(point_at(top_left.a + 2, top_left.b + 3, top_left.colour), want) << i;
    }
    // Particle 19 after 250 frames: the fall term never resets.
    EXPECT_NEAR(cursor.x, 250 * speed[38], 1.0);
    EXPECT_NEAR(cursor.y, 3 + 250 * speed[39] + 0.002 * (20 * 31125 + 19 * 250), 1.0);
}

TEST_F(ScreensTest, ExplosionFramesBeginEightMillisecondsApartWhateverTheDrawingTakes) {
    struct pace_case {
        int64_t sync_us; // what the server takes for a frame
        const char *key; // read in frame 3, if any
        size_t frames;   // the frames run
        int sleep;       // the sleep before each but the first, in microseconds
    };
    for (const pace_case &c : {pace_case{3000, "", 250, 5000},
                               {8000, "", 250, 0},
                               {11000, "", 250, 0},
                               {3000, "q", 3, 5000}}) {
        reset_world();
        rec.sync_us = c.sync_us;
        if (*c.key) queue_key(c.key, 3);
        run_game_over();
        const auto sleeps = requests_of(req::sleep);
        EXPECT_EQ(size_t(rec.syncs), c.frames);
        EXPECT_EQ(sleeps.size(), c.sleep ? c.frames - 1 : 0) << c.sync_us;
        for (const request &r : sleeps) EXPECT_EQ(r.b, c.sleep);
        EXPECT_EQ(rec.now_us,
                  std::max<int64_t>(c.sync_us, 8000) * int64_t(c.frames - 1) + c.sync_us);
    }
}

TEST_F(ScreensTest, GameOverCongratulatesOnATieOrBetterAndEndsOnAGameKey) {
    struct over_case {
        uint64_t score, high;
        bool congratulated;
        const char *key;
        int frames, status, quit;
    };
    for (const over_case &c : {over_case{0, 0, true, "9", 1, STATUS_ENDED, 0},
                               {5, 5, true, "q", 3, STATUS_ENDED, 0},
                               {4, 5, false, "e", 3, STATUS_ENDED, 1},
                               {1ull << 63, 5, true, "x", 250, STATUS_RUNNING, 0},
                               {5, 1ull << 63, false, "q", 1, STATUS_ENDED, 0}}) {
        reset_world();
        score = c.score;
        high_score = c.high;
        queue_key(c.key, std::min(c.frames, 3));
        const auto shown = drawn_by(run_game_over);
        EXPECT_TRUE(rec.syncs == c.frames && game_status == c.status && quit_requested == c.quit);
        EXPECT_EQ(requests_of(req::point).size(), 40u * 45 * size_t(c.frames)) << c.key;
        EXPECT_EQ(high_score, c.congratulated ? c.score : c.high);
        const request first_sync{req::sync, 0, 0, 0, 0, PAL_WHITE};
        EXPECT_EQ(
            std::vector<request>(shown.begin(), std::find(shown.begin(), shown.end(), first_sync)),
            drawn_by([&c] {
                set_colour(PAL_WHITE);
                for (int32_t x : {120, 121, 122}) draw_text_scaled("GAME OVER", x, 200, 2, 5.5f);
                if (!c.congratulated) return;
                draw_text("CONGRATULATIONS! NEW HIGH-SCORE!", 150, 100, 4);
                draw_text("CONGRATULATIONS! NEW HIGH-SCORE!", 151, 100, 4);
            }))
            << c.score;
    }
}

} // namespace
