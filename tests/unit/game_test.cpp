// SPDX-License-Identifier: MIT
// gtest before Xlib: X.h defines None, which gtest uses as a name.
#include <gtest/gtest.h>

#include "app/app.hpp"
#include "gfx/gfx.hpp"
#include "input/input.hpp"
#include "play/play.hpp"
#include "screens/screens.hpp"
#include "tests/unit/recorder.hpp"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// A sprite as recorded: {tag, x, y}, tagged with the last colour it set
// (PAL_SPOT for a mushroom, PAL_APPLE_GREEN for an apple, the caller's for
// a segment) and centred on its 7 x 7 box, which every sprite fills out.
using sprite = std::tuple<int, int, int>;

std::vector<sprite> sprites_tagged(std::initializer_list<int> tags) {
    std::vector<sprite> all;
    for (const request &r : rec.requests) {
        if (r.kind == req::foreground && r.a != PAL_APPLE_GREEN && r.a != PAL_CAP_RED &&
            r.a != PAL_SPOT)
            all.emplace_back(r.a, INT_MAX, INT_MAX);
        auto &[tag, x, y] = all.back();
        if (r.kind == req::foreground) tag = r.a;
        if (r.kind == req::point) x = std::min(x, r.a + 3), y = std::min(y, r.b + 3);
    }
    std::erase_if(all,
                  [&](sprite s) { return !std::count(tags.begin(), tags.end(), std::get<0>(s)); });
    return all;
}

TEST(GameLoop, StraightRunGrowsThirtyTicksErasesAfterAndEndsAtTheFence) {
    reset_world(5);
    run_game();
    EXPECT_EQ(game_status, STATUS_ENDED);
    EXPECT_EQ(rec.syncs, 87);
    std::vector<sprite> worm;
    for (int t = 1; t <= 87; t++) {
        if (t > 30) worm.push_back({PAL_GRASS, 28 + 7 * (t - 31), 175});
        worm.push_back({PAL_WORM, 28 + 7 * t, 175});
    }
    EXPECT_EQ(sprites_tagged({PAL_WORM, PAL_GRASS}), worm);
    const std::vector<sprite> posts = sprites_tagged({PAL_GREY});
    EXPECT_EQ(posts.size(), 330u);
    EXPECT_EQ(posts.at(256), sprite(PAL_GREY, -7, 511)) << "the bottom row's clipped post";
    EXPECT_EQ(score, 0u);
}

TEST(GameLoop, TheCycleCutsAnApplesGrowthAndAFatalTickStillEats) {
    reset_world(7);
    game_start();
    apples[0] = {28 + 7 * 29, 175}; // eaten with one start growth tick still due
    for (int t = 1; t <= 29; t++) game_tick();
    EXPECT_EQ(grow_ticks, static_cast<int32_t>(score / 100) + 5) << "replaces the tick still due";
    for (int t = 30; t <= 37; t++) game_tick();
    tick_counter = 100;
    apples[1] = {28 + 7 * 38, 175}; // eaten on the cycle's tick
    game_tick();
    EXPECT_EQ(apples[1].x, 0);
    EXPECT_EQ(grow_ticks, 1);
    EXPECT_EQ(tick_counter, 0);
    mushrooms[0] = apples[2] = {28 + 7 * 39, 175};
    game_tick();
    EXPECT_EQ(game_status, STATUS_COLLIDED);
    EXPECT_EQ(apples[2].x, 0) << "the fatal tick still eats";
}

TEST(GameLoop, QueuedKeysActOneATickAndTheThirdTurnMeetsTheBody) {
    reset_world(3);
    for (const char *key : {"w", "a", "x"}) queue_key(key, 5);
    run_game();
    EXPECT_EQ(game_status, STATUS_COLLIDED);
    EXPECT_EQ(rec.syncs, 8) << "the collision tick still paces";
    const std::vector<sprite> heads = sprites_tagged({PAL_WORM});
    ASSERT_EQ(heads.size(), 8u);
    const std::vector<sprite> turns = {
        {PAL_WORM, 63, 168}, {PAL_WORM, 56, 168}, {PAL_WORM, 56, 175}};
    EXPECT_EQ(std::vector<sprite>(heads.begin() + 5, heads.end()), turns);
}

// The game's draw order for a spawn cell: x first, then y.
point draw_cell() {
    const int32_t x = rand() % 77 * 7 + 28;
    return {x, rand() % 59 * 7 + 28};
}

TEST(GameLoop, SeededGamesFollowTheRandomStreamExactly) {
    // Five, six and seven mushrooms, rejected candidates among them; each seed
    // brings an apple on tick 101 that the route below reaches before tick 202.
    for (unsigned seed : {3u, 8u, 15u}) {
        SCOPED_TRACE(seed);
        srand(seed);
        std::vector<point> field(static_cast<size_t>(rand() % 3 + 5));
        std::vector<sprite> drawn;
        for (size_t k = 0; k < field.size(); k++) {
            for (bool clash = true; clash;) {
                field[k] = draw_cell();
                clash = field[k].y == 175;
                for (size_t j = 0; j < k; j++)
                    clash = clash || field[j].x == field[k].x || field[j].y == field[k].y;
            }
            drawn.push_back({PAL_SPOT, field[k].x, field[k].y});
        }
        ASSERT_GE(rand() % 1000, 251) << "the seed must bring an apple on tick 101";
        point apple;
        do apple = draw_cell(); // the body lies in row 14 then, outside the area
        while (std::count(drawn.begin(), drawn.end(), sprite(PAL_SPOT, apple.x, apple.y)));
        const unsigned k = static_cast<unsigned>(rand() % 6 + 2);
        const int next = rand();

        // Up the left margin, right along row 14 to x 602, down to the
        // apple's row and left onto it; 'q' once its growth is over.
        const int down = 109 + (apple.y - 14) / 7, eat = down + (602 - apple.x) / 7;
        reset_world(seed);
        const std::pair<const char *, int> script[] = {
            {"w", 0}, {"a", 0}, {"w", 4}, {"d", 26}, {"x", 109}, {"a", down}, {"q", eat + 13}};
        for (auto [key, sync] : script) queue_key(key, sync);
        run_game();

        EXPECT_EQ(sprites_tagged({PAL_SPOT}), drawn);
        for (size_t i = 0; i < MUSHROOM_SLOTS; i++)
            EXPECT_EQ(mushrooms[i].x, i < drawn.size() ? std::get<1>(drawn[i]) : 0);
        EXPECT_EQ(sprites_tagged({PAL_APPLE_GREEN}),
                  (std::vector<sprite>{{PAL_APPLE_GREEN, apple.x, apple.y}}));
        EXPECT_EQ(apples[0].x, 0) << "eaten";
        EXPECT_EQ(score, 100 * k + 50 * (k + 1)) << "growth from the 36th tick on pays";
        EXPECT_EQ(game_status, STATUS_ENDED);
        EXPECT_EQ(rec.syncs, eat + 13);
        EXPECT_EQ(rand(), next) << "not one draw more or less";
    }
}

void press(void (*handler)(), const char *key, int32_t sx, int32_t sy) {
    reset_world();
    title_done = false;
    step_x = sx, step_y = sy;
    queue_key(key);
    poll_event(handler);
    EXPECT_TRUE(rec.requests.empty());
}

TEST(Keys, SingleLowerCaseCharactersTurnNeverStraightBackAndEndOrStart) {
    const std::tuple<const char *, int32_t, int32_t, int32_t, int32_t> cases[] = {
        {"a", 7, 0, 7, 0}, {"1", 0, 7, -7, 0}, {"d", -7, 0, -7, 0}, {"3", 0, -7, 7, 0},
        {"w", 0, 7, 0, 7}, {"5", 7, 0, 0, -7}, {"x", 0, -7, 0, -7}, {"2", -7, 0, 0, 7},
        {"d", 7, 0, 7, 0}, {"A", 0, 7, 0, 7},  {"wa", 7, 0, 7, 0},  {"s", 7, 0, 7, 0}};
    for (auto [key, sx, sy, want_x, want_y] : cases) {
        press(handle_game_event, key, sx, sy);
        EXPECT_EQ(std::make_tuple(step_x, step_y, game_status),
                  std::make_tuple(want_x, want_y, STATUS_RUNNING))
            << key;
    }
    const std::tuple<bool, const char *, int32_t, bool, int32_t> ends[] = {
        {false, "9", STATUS_ENDED, false, 0}, {false, "q", STATUS_ENDED, false, 0},
        {false, "e", STATUS_ENDED, false, 1}, {true, "s", STATUS_RUNNING, true, 0},
        {true, "7", STATUS_RUNNING, true, 0}, {true, "e", STATUS_RUNNING, true, 1},
        {true, "9", STATUS_RUNNING, false, 0}};
    for (auto [title, key, status, done, quit] : ends) {
        press(title ? handle_title_event : handle_game_event, key, 7, 0);
        EXPECT_EQ(std::make_tuple(game_status, title_done, quit_requested),
                  std::make_tuple(status, done, quit))
            << key;
    }
}

TEST(Keys, ExposeSizesTheWindowBackAndDrawsNothing) {
    const int cases[][4] = {{0, 800, 600, 1}, {0, 0, 9, 1}, {0, 0, 0, 0}, {1, 800, 600, 0}};
    for (auto [count, width, height, resized] : cases) {
        reset_world();
        rec.window_width = width, rec.window_height = height;
        queue_event(ButtonPress); // not taken: stays queued
        queue_expose(count);
        poll_event(handle_game_event);
        const std::vector<request> resize = {{req::resize, 637, 511}};
        EXPECT_EQ(rec.requests, resized ? resize : std::vector<request>{});
        EXPECT_EQ(rec.events.size(), 1u);
    }
}

} // namespace
