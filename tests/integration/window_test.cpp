// SPDX-License-Identifier: MIT
// Start-up, the window and its properties, the palette and the sprites as a
// real 8-bit server shows them, and the ways start-up can fail.
#include "tests/harness/harness.hpp"

#include <X11/Xutil.h>

namespace {

struct RunningGame : testing::Test {
    xvfb server;
    game_dir dir;
    game_process game{dir, server.name()};
    Window w = find_window(server.dpy());
};

TEST_F(RunningGame, WindowHasItsFixedProperties) {
    ASSERT_NE(w, None);
    Display *dpy = server.dpy();

    char *name = nullptr, *icon = nullptr;
    ASSERT_TRUE(XFetchName(dpy, w, &name));
    ASSERT_TRUE(XGetIconName(dpy, w, &icon));
    EXPECT_STREQ(name, "Pelko v1.02");
    EXPECT_STREQ(icon, "Pelko v1.02");
    XFree(name);
    XFree(icon);

    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(dpy, w, &a));
    EXPECT_EQ(a.x, 100);
    EXPECT_EQ(a.y, 100);
    EXPECT_EQ(a.width, 637);
    EXPECT_EQ(a.height, 511);
    EXPECT_EQ(a.border_width, 5);
    EXPECT_EQ(a.all_event_masks, KeyPressMask | ExposureMask) << "the game selects only these";

    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(dpy, w, &hints, &supplied));
    EXPECT_EQ(hints.flags & (PPosition | PSize), PPosition | PSize);
    EXPECT_EQ(hints.flags & ~(PPosition | PSize), 0);
    EXPECT_EQ(hints.x, 100);
    EXPECT_EQ(hints.y, 100);
    EXPECT_EQ(hints.width, 637);
    EXPECT_EQ(hints.height, 511);

    // The window's position is its border's outer corner; the border is white.
    const snapshot root(dpy, DefaultRootWindow(dpy), 100, 100, 647, 521);
    EXPECT_EQ(root.at(100, 100), colour::white);
    EXPECT_EQ(root.at(104, 104), colour::white);
    EXPECT_EQ(root.at(746, 620), colour::white);
    EXPECT_NE(root.at(105, 105), colour::white);
}

TEST_F(RunningGame, EndsWithStatusZeroOnE) {
    ASSERT_NE(w, None);
    send_key(server.dpy(), w, "e");
    EXPECT_EQ(game.wait_exit(), 0);
    EXPECT_EQ(game.err(), "");
    EXPECT_EQ(game.out().find('\n'), game.out().size() - 1) << "only the banner line";
}

TEST_F(RunningGame, TitleLegendShowsTheSpritesPixelExact) {
    ASSERT_NE(w, None);
    ASSERT_TRUE(wait_until([&] {
        return snapshot(server.dpy(), w, 297, 432, 7, 7).at(297, 432) == colour::grey;
    })) << "the legend never appeared";
    const snapshot shot(server.dpy(), w);
    // The worm of six segments from x 300 leftwards, then apple, mushroom, fence.
    sketch worm(262, 387, 42, 7, '9');
    for (int x = 300; x >= 265; x -= 7) worm.stamp(x, 390, sprite::segment);
    EXPECT_TRUE(region_matches(shot, worm));
    EXPECT_TRUE(region_matches(shot, sketch(297, 402, 7, 7, '9').stamp(300, 405, sprite::apple)));
    EXPECT_TRUE(
        region_matches(shot, sketch(297, 417, 7, 7, '9').stamp(300, 420, sprite::mushroom)));
    EXPECT_TRUE(region_matches(shot, sketch(297, 432, 7, 7, '9').stamp(300, 435, sprite::fence)));
}

TEST(StartUp, TrueColorDisplayFailsWithThePaletteMessage) {
    xvfb server(24);
    game_dir dir;
    game_process game(dir, server.name());
    EXPECT_EQ(game.wait_exit(), 1);
    EXPECT_EQ(game.err(), "failed to allocate all 15 colours\n");
    EXPECT_EQ(find_window(server.dpy(), "Pelko v1.02", 0.2), static_cast<Window>(None));
}

TEST(StartUp, NoDisplayIsReportedNotCrashedOn) {
    game_dir dir;
    {
        game_process game(dir, "");
        EXPECT_EQ(game.wait_exit(), 1);
        EXPECT_EQ(game.err(), "cannot open display: DISPLAY is not set\n");
    }
    {
        game_process game(dir, ":4711");
        EXPECT_EQ(game.wait_exit(), 1);
        EXPECT_EQ(game.err(), "cannot open display :4711\n");
    }
}

} // namespace
