// SPDX-License-Identifier: MIT
// gtest before Xlib: X.h defines None, which gtest uses as a name.
#include <gtest/gtest.h>

#include "app/app.hpp"
#include "gfx/gfx.hpp"
#include "play/play.hpp"
#include "tests/unit/recorder.hpp"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

std::pair<int, int> xy(point p) {
    return {p.x, p.y};
}

void push(point p) {
    ring_push_x(p.x);
    ring_push_y(p.y);
}

// An empty ring (slot 0 included), table and field, and a fresh seed.
void fresh(unsigned seed) {
    reset_world(seed);
    ring_reset();
    body_ring[0] = {0, 0};
    std::fill(std::begin(apples), std::end(apples), point{0, 0});
    std::fill(std::begin(mushrooms), std::end(mushrooms), point{0, 0});
}

TEST(BodyRing, APositionSplitOverTheWrapComesBackWhole) {
    fresh(1);
    ring_head = ring_tail = RING_LAST;
    push({28, 175});
    EXPECT_EQ(std::make_pair(body_ring[RING_LAST].x, body_ring[0].y), std::make_pair(28, 175));
    EXPECT_EQ(ring_tail, 0);
    EXPECT_EQ(ring_pop_x(), 28);
    EXPECT_EQ(ring_head, 0);
    EXPECT_EQ(ring_peek_y(), 175);
}

TEST(BodyRing, The5001stPushWithoutAPopOverflowsOnce) {
    for (int32_t start : {0, 1, 2500, RING_LAST}) {
        SCOPED_TRACE(start);
        fresh(1);
        ring_head = ring_tail = start;
        testing::internal::CaptureStdout();
        for (int32_t i = 1; i <= RING_LAST; i++) push({i, i});
        EXPECT_EQ(game_status, STATUS_RUNNING);
        push({7, 14});
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "The Queue is full!!\n");
        EXPECT_EQ(game_status, STATUS_RING_FULL);
        EXPECT_EQ(body_ring[start].y, 14) << "the y half is still written";
    }
}

TEST(Collision, FenceBoundsAndMushroomsUpToTheListsEnd) {
    fresh(1);
    mushrooms[0] = {49, 49};
    mushrooms[1] = {63, 0}; // a zero y alone ends the list
    mushrooms[2] = {56, 56};
    const std::pair<point, int32_t> cases[] = {
        {{7, 7}, STATUS_RUNNING},    {{630, 504}, STATUS_RUNNING}, {{0, 175}, STATUS_ENDED},
        {{637, 175}, STATUS_ENDED},  {{28, 0}, STATUS_ENDED},      {{28, 511}, STATUS_ENDED},
        {{49, 49}, STATUS_COLLIDED}, {{56, 56}, STATUS_RUNNING},   {{49, 56}, STATUS_RUNNING}};
    for (auto [head, status] : cases) {
        cursor = head;
        EXPECT_EQ(collision_test(), status) << head.x << "," << head.y;
        EXPECT_EQ(mushroom_at(head.x, head.y), status == STATUS_COLLIDED);
    }
    EXPECT_EQ(mushroom_at(0, 0), 0);
}

TEST(SplitPairs, TheTailsOldCellIsBodyAndTheHeadsCellIsNotAfterAVerticalMove) {
    fresh(12);
    const point c = random_cell();
    fresh(12);
    for (int32_t up = 14; up >= 0; up -= 7) push({c.x, c.y - up}); // down the column onto c
    const int32_t tail_x = ring_pop_x();
    EXPECT_EQ(std::make_pair(tail_x, ring_peek_y()), std::make_pair(c.x, c.y - 14));
    cursor = {c.x, c.y - 14};
    EXPECT_EQ(collision_test(), STATUS_COLLIDED) << "the cell the tail just left";
    cursor = c;
    EXPECT_EQ(collision_test(), STATUS_RUNNING);
    spawn_apple();
    EXPECT_EQ(xy(apples[0]), xy(c)) << "the first candidate lands on the head";
}

TEST(Apples, SpawnRejectsRowColumnMushroomAndLiveBodyAndFillsTheLowestFreeSlot) {
    fresh(11);
    point c[6];
    for (point &p : c) p = random_cell();
    const int next = rand();
    fresh(11);
    apples[0] = {7, c[0].y}; // candidate 0's row
    apples[2] = {c[1].x, 7}; // candidate 1's column
    mushrooms[0] = c[2];
    ring_head = RING_LAST, ring_tail = 1; // live slots 5000 and 0, not 1
    body_ring[RING_LAST] = c[3], body_ring[0] = c[4], body_ring[1] = c[5];
    cursor = {300, 300};
    spawn_apple();
    EXPECT_EQ(xy(apples[1]), xy(c[5]));
    EXPECT_EQ(rand(), next) << "two draws a candidate, none after";
    EXPECT_EQ(xy(cursor), std::make_pair(300, 300));
    EXPECT_EQ(xy(saved_cursor), std::make_pair(300, 300));
    const std::vector<request> drawn = rec.requests;
    rec.requests.clear();
    cursor = c[5];
    draw_apple();
    EXPECT_EQ(drawn, rec.requests) << "one apple, on its cell";
}

TEST(Apples, NothingToPlaceOrEatDrawsNothingAndChangesNothing) {
    fresh(4);
    const int first = rand();
    for (int i = 0; i < 2 * APPLE_CANDIDATE_LIMIT - 1; i++) rand();
    const int after_limit = rand();
    fresh(4);
    for (int i = 0; i < APPLE_SLOTS; i++) apples[i] = {28 + 7 * i, 28 + 7 * i};
    saved_cursor = {1, 2};
    spawn_apple();
    EXPECT_EQ(xy(apples[9]), std::make_pair(91, 91));
    EXPECT_EQ(xy(saved_cursor), std::make_pair(1, 2));
    cursor = {apples[3].x, apples[5].y};
    eat_apple(); // the head has only the x of one apple and the y of another
    EXPECT_EQ(xy(apples[3]), std::make_pair(49, 49));
    EXPECT_EQ(rand(), first);
    EXPECT_TRUE(rec.requests.empty());

    fresh(4);
    for (int32_t i = 0; i < 77 * 59; i++) body_ring[i] = {28 + 7 * (i % 77), 28 + 7 * (i / 77)};
    ring_tail = 77 * 59;
    spawn_apple();
    EXPECT_EQ(xy(apples[0]), std::make_pair(0, 0));
    EXPECT_EQ(rand(), after_limit) << "the search gives up after its candidate limit";
    EXPECT_TRUE(rec.requests.empty());
}

} // namespace
