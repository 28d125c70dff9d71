// SPDX-License-Identifier: MIT
// The title screen on a real 8-bit server: its layout in telling places, the
// keys it answers and a whole run from the first title to the exit.
#include "tests/harness/harness.hpp"

#include <chrono>
#include <thread>

namespace {

// "0" as the font draws it, in the scores' sky blue on the night.
const std::vector<std::string> zero = {"9999999", "9ddddd9", "9d999d9", "9d999d9", "9d999d9",
                                       "9d999d9", "9d999d9", "9d999d9", "9ddddd9", "9999999"};

struct Title : testing::Test {
    xvfb server;
    Display *dpy = server.dpy();
    game_dir dir;
    game_process game{dir, server.name()};
    const Window w = find_window(dpy);

    // Both scores 0: the last one, below 100, moved right to x 117; the highest at 489.
    bool zero_scores_shown() const {
        const snapshot s(dpy, w, 116, 469, 380, 10);
        return region_matches(s, 116, 469, zero, palette_legend()) &&
               region_matches(s, 488, 469, zero, palette_legend());
    }
};

TEST_F(Title, ShowsLogoCreditsHelpAndScoresPixelExact) {
    ASSERT_TRUE(wait_until([&] { return zero_scores_shown(); }));
    const snapshot s(dpy, w);
    for (const auto &[x, y] : {std::pair{0, 0}, {636, 40}, {20, 400}, {636, 510}})
        EXPECT_EQ(s.at(x, y), colour::night) << x << "," << y;

    // A 2 x 2 block of the logo where the first plane only holds a bit, both, neither.
    const std::string raw = build_data("pelko.raw");
    const auto bit = [&](int plane, int i) {
        const auto byte =
            static_cast<unsigned char>(raw[static_cast<size_t>(plane * 2000 + i / 8)]);
        return byte >> (7 - i % 8) & 1;
    };
    for (const auto &[dark, light, mark] : {std::tuple{1, 0, 'a'}, {1, 1, 'b'}, {0, 0, '9'}}) {
        int i = 0;
        while (i < 16000 && (i % 320 > 317 || bit(0, i) != dark || bit(1, i) != light)) i++;
        ASSERT_LT(i, 16000);
        EXPECT_TRUE(region_matches(s, sketch(i % 320 * 2, 60 + i / 320 * 2, 2, 2, mark))) << i;
    }
    // The bar of the credits' "A": the pink copy one pixel left of the red one.
    EXPECT_TRUE(region_matches(s, 193, 184, {"ccccc7"}, palette_legend()));
    // The "E" of "E OR 9 - EXIT" in the help colour.
    EXPECT_TRUE(region_matches(s, 479, 299,
                               {"9999999", "9000009", "9099999", "9099999", "9000099", "9099999",
                                "9099999", "9099999", "9000009", "9999999"},
                               palette_legend()));
}

TEST_F(Title, IgnoresNineRunsAGameComesBackWithItsScoreAndQuitsOnE) {
    ASSERT_TRUE(wait_until([&] { return zero_scores_shown(); }));
    send_key(dpy, w, "9");
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // ten ticks
    EXPECT_TRUE(zero_scores_shown()) << "'9' left the title screen";

    send_key(dpy, w, "s");
    ASSERT_TRUE(
        wait_until([&] { return snapshot(dpy, w, 35, 175, 1, 1).at(35, 175) == colour::worm; }));
    // The exit wipe left nothing of the title: only the playfield's colours show.
    const snapshot field(dpy, w);
    long playfield = 0;
    for (const rgb &c : {colour::grass, colour::grey, colour::cap_red, colour::spot, colour::worm})
        playfield += field.count(c);
    EXPECT_EQ(playfield, 637 * 511);

    send_key(dpy, w, "q");
    EXPECT_TRUE(server.hold_when([&] {
        return snapshot(dpy, w, 150, 100, 318, 8).count(colour::white) > 600;
    })) << "the game over, with the congratulation";
    server.release();
    // A game ended at once scores 0, shown again at x 117.
    EXPECT_TRUE(wait_until([&] { return zero_scores_shown(); }));
    send_key(dpy, w, "e");
    EXPECT_EQ(game.wait_exit(5), 0);
    EXPECT_EQ(game.err(), "");
    const std::string out = game.out();
    EXPECT_EQ(out.find('\n'), out.size() - 1) << "only the banner: " << out;
}

} // namespace
