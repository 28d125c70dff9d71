// SPDX-License-Identifier: MIT
// gtest before Xlib: X.h defines None, which gtest uses as a name.
#include <gtest/gtest.h>

#include "gfx/gfx.hpp"
#include "tests/unit/recorder.hpp"

#include <set>
#include <utility>

namespace {

// Each sprite as a picture of the colours it leaves, read back from the
// recorded points: a digit is the palette entry, F the caller's colour.
std::vector<std::string> picture_at(int cx, int cy, int caller_colour) {
    std::vector<std::string> rows(7, std::string(7, '.'));
    for (const request &r : requests_of(req::point)) {
        const int dx = r.a - cx, dy = r.b - cy;
        EXPECT_TRUE(dx >= -3 && dx <= 3 && dy >= -3 && dy <= 3) << r.a << "," << r.b;
        char &cell = rows.at(static_cast<size_t>(dy + 3)).at(static_cast<size_t>(dx + 3));
        EXPECT_EQ(cell, '.') << "pixel drawn twice at " << r.a << "," << r.b;
        cell = r.colour == caller_colour ? 'F' : static_cast<char>('0' + r.colour);
    }
    return rows;
}

struct SpriteTest : testing::Test {
    void SetUp() override {
        reset_world();
        set_colour(PAL_WORM);
        rec.requests.clear();
        cursor = {300, 390};
    }
};

TEST_F(SpriteTest, SegmentIsTheSquareLessItsCornersInTheCallersColour) {
    draw_segment();
    EXPECT_EQ(picture_at(300, 390, PAL_WORM),
              (std::vector<std::string>{".FFFFF.", "FFFFFFF", "FFFFFFF", "FFFFFFF", "FFFFFFF",
                                        "FFFFFFF", ".FFFFF."}));
    EXPECT_EQ(rec.requests.size(), 45u) << "one point request per pixel, no colour change";
    EXPECT_EQ(rec.colour, PAL_WORM);
    EXPECT_EQ(cursor.x, 300);
    EXPECT_EQ(cursor.y, 390);
}

TEST_F(SpriteTest, ColouredSpritesSetTheirColoursInOrderAndKeepTheLast) {
    struct expected_sprite {
        void (*draw)();
        std::vector<int> colours;
        std::vector<std::string> picture;
    };
    const expected_sprite sprites[] = {
        {draw_apple,
         {PAL_APPLE_RED, PAL_APPLE_GREEN},
         {"...444.", "..344..", ".33433.", "3333333", "3333333", ".33333.", "..333.."}},
        {draw_mushroom,
         {PAL_GREY, PAL_CAP_RED, PAL_SPOT},
         {"..778..", ".78777.", "7877878", "...7...", "...6...", "...6...", "..666.."}},
        {draw_fence,
         {PAL_GREY},
         {"6666666", "6.6.6.6", "6666666", "6.6.6.6", "6666666", "6.6.6.6", "6666666"}},
    };
    for (const expected_sprite &s : sprites) {
        rec.requests.clear();
        s.draw();
        EXPECT_EQ(picture_at(300, 390, -2), s.picture);
        std::vector<int> set;
        int points_before_first_colour = 0;
        for (const request &r : rec.requests) {
            if (r.kind == req::foreground)
                set.push_back(r.a);
            else if (set.empty())
                points_before_first_colour++;
        }
        EXPECT_EQ(set, s.colours) << "each colour set once, in order";
        EXPECT_EQ(points_before_first_colour, 0);
        EXPECT_EQ(rec.colour, s.colours.back());
    }
}

TEST_F(SpriteTest, SegmentAfterAnAppleComesOutGreen) {
    draw_apple();
    rec.requests.clear();
    draw_segment();
    EXPECT_EQ(points_in(PAL_APPLE_GREEN).size(), 45u);
}

TEST_F(SpriteTest, SpritesOnTheEdgeAreLeftToTheServerToClip) {
    cursor = {-7, 511};
    draw_fence();
    const auto points = requests_of(req::point);
    ASSERT_EQ(points.size(), 40u);
    std::set<std::pair<int, int>> seen;
    for (const request &r : points) seen.insert({r.a, r.b});
    EXPECT_TRUE(seen.count({-10, 508}));
    EXPECT_TRUE(seen.count({-4, 514}));
}

} // namespace
