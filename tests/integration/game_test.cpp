// SPDX-License-Identifier: MIT
// A game on a real 8-bit server: the playfield as drawn, steering, the ways a
// game ends and the game-over picture over the playfield.
#include "tests/harness/harness.hpp"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>

namespace {

struct cell {
    int x, y;
};

// The title screen draws no random numbers: the first game's field comes from
// the first draws after the game's srand.
std::vector<cell> mushroom_field(unsigned seed) {
    srand(seed);
    const size_t count = static_cast<size_t>(rand() % 3 + 5);
    std::vector<cell> field;
    while (field.size() < count) {
        const cell c{rand() % 77 * 7 + 28, rand() % 59 * 7 + 28}; // x drawn before y
        const auto shares = [&](const cell &m) { return m.x == c.x || m.y == c.y; };
        if (c.y != 175 && std::none_of(field.begin(), field.end(), shares)) field.push_back(c);
    }
    return field;
}

// A post on every cell of the lines x 0 and 637, y 0 and 511; the window clips the rest.
sketch fence_sketch(int x, int y, int width, int height) {
    sketch s(x, y, width, height, '5');
    for (int i = 0; i <= 637; i += 7) s.stamp(i, 0, sprite::fence).stamp(i, 511, sprite::fence);
    for (int j = 0; j <= 511; j += 7) s.stamp(0, j, sprite::fence).stamp(637, j, sprite::fence);
    return s;
}

struct Game : testing::Test {
    xvfb server;
    Display *dpy = server.dpy();
    game_dir dir;
    const time_t before = time(nullptr);
    game_process game{dir, server.name()};
    const Window w = find_window(dpy);
    const time_t after = time(nullptr);

    snapshot shot(int x = 0, int y = 0, int width = 637, int height = 511) const {
        return snapshot(dpy, w, x, y, width, height);
    }
    // The cells of row 175 in the worm's colour, left to right.
    std::vector<int> worm_on_start_row() const {
        const snapshot row = shot(0, 175, 637, 1);
        std::vector<int> xs;
        for (int x = 35; x <= 630; x += 7)
            if (row.at(x, 175) == colour::worm) xs.push_back(x);
        return xs;
    }
    int head_on_start_row() const {
        const std::vector<int> xs = worm_on_start_row();
        return xs.empty() ? 0 : xs.back();
    }
    // 's'; the head's first cell comes after the fence and the mushrooms.
    void start() {
        send_key(dpy, w, "s");
        ASSERT_TRUE(wait_until([&] { return head_on_start_row() > 0; }));
    }
    // The field of the seed, of the two the game can have taken, that shows.
    std::vector<cell> field_on(const snapshot &s) const {
        const auto shown = [&](const cell &m) {
            return region_matches(
                s, sketch(m.x - 3, m.y - 3, 7, 7, '5').stamp(m.x, m.y, sprite::mushroom));
        };
        for (time_t t = before; t <= after; t++) {
            const std::vector<cell> field = mushroom_field(static_cast<uint32_t>(t) >> 1);
            if (s.count(colour::cap_red) == static_cast<long>(11 * field.size()) &&
                std::all_of(field.begin(), field.end(), shown))
                return field;
        }
        return {};
    }
    // Held while the particles have barely begun to nick the letters.
    bool hold_game_over() {
        return server.hold_when(
            [&] { return shot(120, 200, 390, 39).count(colour::white) > 1500; });
    }
};

TEST_F(Game, WithoutKeysRunsFromItsStartCellIntoTheFenceAndEndsUnderGameOver) {
    start();
    const auto started = std::chrono::steady_clock::now();
    const snapshot field = shot();
    EXPECT_TRUE(region_matches(field, fence_sketch(0, 0, 637, 11)));
    EXPECT_TRUE(region_matches(field, fence_sketch(0, 500, 637, 11)));
    EXPECT_TRUE(region_matches(field, fence_sketch(0, 11, 11, 489)));
    EXPECT_TRUE(region_matches(field, fence_sketch(626, 11, 11, 489)));
    EXPECT_FALSE(field_on(field).empty()) << "no seed of the times " << before << " to " << after;
    // The start cell (28, 175) itself is never drawn.
    EXPECT_TRUE(region_matches(field, sketch(25, 172, 14, 7, '5').stamp(35, 175, sprite::segment)));

    // 31 cells long once the 30 ticks of growth are over and the tail follows the head.
    // (A head at 630 may be the body behind one at 637, outside the window.)
    ASSERT_TRUE(wait_until(
        [&] {
            const std::vector<int> xs = worm_on_start_row();
            return xs.size() == 31 && xs.back() - xs.front() == 210 && xs.back() >= 300 &&
                   xs.back() < 630;
        },
        5));
    ASSERT_TRUE(hold_game_over());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    const snapshot s = shot();
    // White nowhere but in the boxes of "GAME OVER" and of the congratulation.
    const long boxed =
        shot(120, 200, 390, 39).count(colour::white) + shot(150, 100, 318, 8).count(colour::white);
    server.release();
    EXPECT_GT(took.count(), 86 * 0.020) << "86 more ticks of at least 20 ms after the first";
    EXPECT_EQ(s.count(colour::white), boxed);
    // The G, three pixels bold, spans the letters' height: its upright and its bars at
    // y 200 and 238. The particles from the fence reach it last.
    EXPECT_TRUE(region_matches(s, sketch(120, 205, 3, 29, '1')));
    EXPECT_TRUE(region_matches(s, sketch(125, 200, 25, 1, '1')));
    EXPECT_TRUE(region_matches(s, sketch(125, 238, 25, 1, '1')));
    // The first game always beats the high score of 0: the uprights of the C and the
    // O, both copies.
    EXPECT_TRUE(region_matches(s, sketch(150, 102, 2, 4, '1')));
    EXPECT_TRUE(region_matches(s, sketch(162, 102, 2, 4, '1')));
}

TEST_F(Game, TurnsOnOneKeyPerTickAndDrawsThePath) {
    start();
    const std::vector<cell> field = field_on(shot());
    ASSERT_FALSE(field.empty());
    // A zigzag down and back to row 175: only a mushroom on row 182 can be in its way.
    int past = 42;
    for (const cell &m : field) past = m.y == 182 ? m.x : past;
    ASSERT_TRUE(wait_until([&] { return head_on_start_row() > past; }));
    for (const char *key : {"x", "d", "w", "d"}) send_key(dpy, w, key);

    int turn = 0;
    ASSERT_TRUE(wait_until([&] {
        const snapshot row = shot(0, 182, 637, 1);
        for (int x = 630; x >= 35; x -= 7) turn = row.at(x, 182) == colour::worm ? x : turn;
        return turn > 0 && head_on_start_row() >= turn + 14;
    }));
    sketch path(turn - 10, 165, 28, 21, '5');
    for (const cell &m : field) path.stamp(m.x, m.y, sprite::mushroom);
    for (const cell &c : {cell{turn - 7, 175}, cell{turn, 175}, cell{turn, 182},
                          cell{turn + 7, 182}, cell{turn + 7, 175}, cell{turn + 14, 175}})
        path.stamp(c.x, c.y, sprite::segment);
    EXPECT_TRUE(region_matches(shot(), path)) << "turned down at x " << turn;
}

// Sampled as a player sees it, without holding the server: the clock, not the
// server's speed, sets how long the game over and the title's dissolve last.
TEST_F(Game, GameOverStaysTwoSecondsThenTheTitleDissolvesInStepByStep) {
    start();
    using clock = std::chrono::steady_clock;
    struct span {
        clock::time_point first{}, last{};
        void saw(clock::time_point t) { (first == clock::time_point{} ? first : last) = t; }
        double seconds() const { return std::chrono::duration<double>(last - first).count(); }
    } letters, part_way;
    bool dissolving = false, dissolved = false;
    ASSERT_TRUE(wait_until(
        [&] {
            const clock::time_point now = clock::now();
            if (shot(120, 200, 390, 39).count(colour::white) > 1000) letters.saw(now);
            // Three rows of cells across the garden, clear of the worm and the letters.
            long grass = 0, night = 0;
            for (int y : {49, 301, 448}) {
                const snapshot row = shot(7, y, 623, 1);
                grass += row.count(colour::grass);
                night += row.count(colour::night);
            }
            const bool mixed = grass > 0 && night > 0;
            if (mixed) part_way.saw(now);
            dissolving = dissolving || mixed;
            dissolved = dissolving && !mixed;
            return dissolved;
        },
        30));
    EXPECT_GE(letters.seconds(), 1.5);
    EXPECT_GE(part_way.seconds(), 0.3);
}

struct ending {
    const char *key;
    bool quits;
};
struct GameEndedByKey : Game, testing::WithParamInterface<ending> {};

TEST_P(GameEndedByKey, ShowsGameOverThenTheTitleOrExits) {
    start();
    ASSERT_TRUE(wait_until([&] { return head_on_start_row() >= 84; }));
    send_key(dpy, w, GetParam().key);
    ASSERT_TRUE(hold_game_over());
    // At the fence the worm would lie from x 427 on.
    const std::vector<int> xs = worm_on_start_row();
    server.release();
    EXPECT_LT(xs.empty() ? 0 : xs.back(), 427) << "ended by the key, not by the fence";
    if (GetParam().quits) {
        EXPECT_EQ(game.wait_exit(5), 0);
        EXPECT_EQ(game.err(), "");
    } else {
        EXPECT_TRUE(wait_until([&] { return shot(117, 470, 1, 1).at(117, 470) == colour::sky; }))
            << "the title's last score";
        EXPECT_TRUE(game.running());
    }
}
INSTANTIATE_TEST_SUITE_P(Keys, GameEndedByKey,
                         testing::Values(ending{"q", false}, ending{"9", false}, ending{"e", true}),
                         [](const testing::TestParamInfo<ending> &p) {
                             return "key_" + std::string(p.param.key);
                         });

} // namespace
