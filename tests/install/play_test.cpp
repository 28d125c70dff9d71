// SPDX-License-Identifier: MIT
// pelko-play on the desktops players have: through SDL's X11 driver on a
// 24-bit server of 1920 x 1080, bare and under a window manager; through its
// Wayland driver under weston; and with no display at all. The picture is
// held against the X build's title on an 8-bit server, pixel for pixel.
#include "gfx/icon.hpp"
#include "tests/harness/harness.hpp"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <thread>

namespace {

constexpr int FRAME_WIDTH = 647, FRAME_HEIGHT = 521;

// Every capture as a PNG in $PELKO_CAPTURES, when set, to look at.
void keep(const snapshot &shot, const std::string &name) {
    if (const char *dir = getenv("PELKO_CAPTURES")) shot.save_png(std::string(dir) + "/" + name);
}

// The X build's title, taken once for all the tests that compare with it.
const snapshot &title() {
    static const snapshot picture = x_title_screen();
    return picture;
}

// The picture filling a room of `width` x `height` from (x, y) by the sharp
// rule: as tall as it or as wide (a pixel either way), centred, its shape kept.
testing::AssertionResult fills_sharp(const snapshot &shot, int x, int y, int width, int height) {
    const std::optional<picture_box> at = white_framed_box(shot);
    if (!at) return testing::AssertionFailure() << "no picture";
    const auto near = [](int a, int b) { return std::abs(a - b) <= 1; };
    const bool tall = near(at->height, height), wide = near(at->width, width);
    const double shape = static_cast<double>(at->width) * FRAME_HEIGHT / FRAME_WIDTH;
    if (!(tall || wide) || !near(static_cast<int>(std::lround(shape)), at->height) ||
        !near(2 * (at->x - x) + at->width, width) || !near(2 * (at->y - y) + at->height, height))
        return testing::AssertionFailure()
               << "the picture " << at->width << "x" << at->height << " at " << at->x << ","
               << at->y << " in " << width << "x" << height << " at " << x << "," << y;
    return shows_sharp(shot, *at, title());
}

// A window's decorations: the window manager's top-level window round it.
XWindowAttributes outer(Display *dpy, Window w) {
    Window root, parent = w, *children = nullptr;
    unsigned count = 0;
    for (Window at = w; at != DefaultRootWindow(dpy); at = parent) {
        w = at;
        XQueryTree(dpy, at, &root, &parent, &children, &count);
        if (children) XFree(children);
    }
    XWindowAttributes a;
    XGetWindowAttributes(dpy, w, &a);
    return a;
}

bool one_line(const std::string &err) {
    return err.starts_with("pelko-play: ") && err.ends_with('\n') &&
           std::count(err.begin(), err.end(), '\n') == 1;
}

void press(Display *dpy, const char *keysym, bool down) {
    XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XStringToKeysym(keysym)), down, CurrentTime);
    XSync(dpy, False);
}

// A message about the window, sent to `to` as a window manager or a pager sends it.
void client_message(Display *dpy, Window w, const char *type, long data, Window to, long mask) {
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = w;
    message.xclient.message_type = XInternAtom(dpy, type, False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = data;
    XSendEvent(dpy, to, False, mask, &message);
    XSync(dpy, False);
}

void close_window(Display *dpy, Window w) {
    client_message(dpy, w, "WM_PROTOCOLS",
                   static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False)), w, NoEventMask);
}

std::vector<unsigned long> property(Display *dpy, Window w, const char *name) {
    Atom type = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char *data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(dpy, w, XInternAtom(dpy, name, False), 0, 1 << 20, False,
                           AnyPropertyType, &type, &format, &n, &after, &data) != Success)
        return items;
    for (unsigned long i = 0; i < n; i++)
        items.push_back(format == 32 ? static_cast<uint32_t>(reinterpret_cast<long *>(data)[i])
                                     : data[i]);
    XFree(data);
    return items;
}

// The worm on the start row, seen through a picture at `scale` from (x0, y0):
// the x of each cell in the worm's colour, in the game window's coordinates.
std::vector<int> worm_on_start_row(Display *dpy, Window w, int x0, int y0, int scale) {
    const int y = y0 + (175 + 5) * scale;
    const snapshot row(dpy, w, x0, y, FRAME_WIDTH * scale, 1);
    std::vector<int> xs;
    for (int x = 35; x <= 630; x += 7)
        if (row.at(x0 + (x + 5) * scale, y) == colour::worm) xs.push_back(x);
    return xs;
}

// The cells of the garden in a colour, in a picture at scale 1 from (x0, y0)
// on a 24-bit server: each cell by its centre, in the game window's
// coordinates, within a box of cells (the whole garden by default). Only the
// centres are read, so that a look takes little of a tick.
using cells = std::set<std::pair<int, int>>;
struct cell_box {
    int left = 7, top = 7, right = 630, bottom = 504;
};
cells cells_in(Display *dpy, Window w, int x0, int y0, rgb colour = colour::worm,
               cell_box box = {}) {
    const int border = (FRAME_WIDTH - 637) / 2;
    XImage *image = XGetImage(dpy, w, x0 + box.left + border, y0 + box.top + border,
                              static_cast<unsigned>(box.right - box.left + 1),
                              static_cast<unsigned>(box.bottom - box.top + 1), AllPlanes, ZPixmap);
    cells found;
    if (!image) return found;
    const auto pixel = static_cast<unsigned long>(colour.r << 16 | colour.g << 8 | colour.b);
    for (int y = box.top; y <= box.bottom; y += 7)
        for (int x = box.left; x <= box.right; x += 7)
            if ((XGetPixel(image, x - box.left, y - box.top) & 0xffffff) == pixel)
                found.insert({x, y});
    XDestroyImage(image);
    return found;
}

// The worm of a game under way, not the title's picture of one: on its start row.
cells game_worm(Display *dpy, Window w) {
    const cells worm = cells_in(dpy, w, 0, 0);
    return worm.contains({35, 175}) || worm.contains({42, 175}) ? worm : cells{};
}

// The worm's colours dimmed in the paused look, and its word's white.
constexpr rgb paused_worm{0xd8 * 2 / 5, 0x85 * 2 / 5, 0x4a * 2 / 5};
// No grass left as it was, and the word's first dot, read in one look.
bool looks_paused(Display *dpy, Window w, int x0, int y0) {
    XImage *image = XGetImage(dpy, w, x0, y0, FRAME_WIDTH, FRAME_HEIGHT, AllPlanes, ZPixmap);
    if (!image) return false;
    bool grass = false;
    for (int y = 5; y < FRAME_HEIGHT - 5 && !grass; y++)
        for (int x = 5; x < FRAME_WIDTH - 5 && !grass; x++)
            grass = (XGetPixel(image, x, y) & 0xffffff) == 0x004000;
    const bool word = (XGetPixel(image, 220, 219) & 0xffffff) == 0xffffff;
    XDestroyImage(image);
    return !grass && word;
}

// The worm's next step, looked at tick by tick with the server held between
// looks (the game's picture waits meanwhile): the cell its head newly
// covers, and the way from the head before. The server stays held, so that
// a key sent now is read at the very next tick; release() lets it go on.
struct step {
    std::pair<int, int> head, way;
};
struct worm_track {
    cells seen;
    std::optional<std::pair<int, int>> head; // once a step was seen
};
std::optional<step> next_step(xvfb &server, Window w, int x0, int y0, worm_track &worm) {
    std::optional<step> first;
    // A cell newly covered next to `from`: the head's next, before it has one.
    const auto next_to = [&](const cells &now, std::pair<int, int> from) {
        std::optional<std::pair<int, int>> next;
        for (const auto &[dx, dy] : {std::pair{7, 0}, {-7, 0}, {0, 7}, {0, -7}}) {
            const std::pair at{from.first + dx, from.second + dy};
            const bool head_known = worm.head.has_value() || worm.seen.contains(from);
            if (head_known && now.contains(at) && !worm.seen.contains(at)) next = at;
        }
        return next;
    };
    // Once the head is known only the cells round it are read: a look over
    // the whole garden could take longer than the tick the key must beat.
    constexpr int REACH = 4 * 7;
    cell_box box;
    if (worm.head)
        box = {std::max(7, worm.head->first - REACH), std::max(7, worm.head->second - REACH),
               std::min(630, worm.head->first + REACH), std::min(504, worm.head->second + REACH)};
    server.hold_when(
        [&] {
            const cells now = cells_in(server.dpy(), w, x0, y0, colour::worm, box);
            std::vector<std::pair<int, int>> starts;
            if (worm.head)
                starts.push_back(*worm.head);
            else
                starts.assign(worm.seen.begin(), worm.seen.end());
            for (const std::pair<int, int> &start : starts) {
                std::pair<int, int> head = start;
                // Ticks missed between two looks: the head followed cell by cell.
                while (const auto next = next_to(now, head)) {
                    if (!first)
                        first = step{*next, {next->first - head.first, next->second - head.second}};
                    worm.seen.insert(*next);
                    head = *next;
                }
                if (first) {
                    worm.head = head;
                    break;
                }
            }
            if (first) {
                std::erase_if(worm.seen, [&](std::pair<int, int> c) {
                    return c.first >= box.left && c.first <= box.right && c.second >= box.top &&
                           c.second <= box.bottom;
                });
                worm.seen.insert(now.begin(), now.end());
            }
            return first.has_value();
        },
        5);
    return first;
}

struct play_on_x : testing::Test {
    xvfb server{24, 1920, 1080};
    Display *dpy = server.dpy();
    game_dir dir;
    std::unique_ptr<game_process> play;
    Window w = None;

    void start(const std::vector<std::string> &arguments = {}) {
        play = std::make_unique<game_process>(dir, server.name(), PELKO_PLAY, arguments,
                                              x11_environment(dir));
        w = find_window(dpy, "Pelko v1.02", 20);
        ASSERT_NE(w, None) << play->err();
    }
    // At scale 1, from the title, a game whose worm shows at least `length` cells.
    void start_game(worm_track &worm, size_t length) {
        ASSERT_NO_FATAL_FAILURE(start({"--scale", "1"}));
        ASSERT_TRUE(wait_until([&] { return whole(dpy, w).count(colour::night) > 100000; }));
        send_key(dpy, w, "s");
        ASSERT_TRUE(wait_until([&] { return (worm.seen = game_worm(dpy, w)).size() >= length; }));
    }
    std::pair<int, int> size() const {
        XWindowAttributes a;
        XGetWindowAttributes(dpy, w, &a);
        return {a.width, a.height};
    }
    // The window (or the screen) showing the picture at `scale` from (x, y), within the wait.
    testing::AssertionResult shows(const snapshot &picture, int scale, int x, int y,
                                   const std::string &name, Window in = None) const {
        in = in == None ? w : in;
        testing::AssertionResult last = testing::AssertionFailure();
        wait_until([&] { return last = shows_picture(whole(dpy, in), x, y, picture, scale); }, 15);
        keep(whole(dpy, in), name);
        return last;
    }
};

TEST_F(play_on_x, AtScaleOneShowsTheXBuildsTitleAndNamesItsWindow) {
    start({"--scale", "1"});
    EXPECT_EQ(size(), std::pair(FRAME_WIDTH, FRAME_HEIGHT));
    EXPECT_TRUE(shows(title(), 1, 0, 0, "x11-scale-1.png"));

    // What the desktop ties to Pelko's menu entry and shows in a dock.
    XClassHint class_hint{};
    ASSERT_TRUE(XGetClassHint(dpy, w, &class_hint));
    EXPECT_STREQ(class_hint.res_class, "Pelko");
    XFree(class_hint.res_name);
    XFree(class_hint.res_class);
    const std::vector<unsigned long> name = property(dpy, w, "_NET_WM_NAME");
    EXPECT_EQ(std::string(name.begin(), name.end()), "Pelko v1.02");
    EXPECT_EQ(property(dpy, w, "_NET_WM_PID"),
              std::vector<unsigned long>{static_cast<unsigned long>(play->pid())});
    // _NET_WM_ICON: one image, its side twice and its ARGB pixels: the game's icon.
    const std::vector<unsigned long> icon = property(dpy, w, "_NET_WM_ICON");
    ASSERT_GE(icon.size(), 2u);
    const int side = static_cast<int>(icon[0]);
    ASSERT_EQ(icon.size(), 2 + icon[0] * icon[0]);
    ASSERT_GE(side, icon::SIDE);
    static constexpr icon::picture scene = icon::draw();
    long wrong = 0;
    for (int y = 0; y < side; y++)
        for (int x = 0; x < side; x++) {
            const auto [c, opaque] = icon::at(scene, side, x, y);
            const unsigned long want =
                0xff000000ul | static_cast<unsigned long>(c.r << 16 | c.g << 8 | c.b);
            const unsigned long got = icon[2 + static_cast<size_t>(y * side + x)];
            wrong += opaque ? got != want : got >> 24 != 0;
        }
    EXPECT_EQ(wrong, 0) << "of the " << side << " x " << side << " icon's pixels";
}

// With nothing else on the screen, the window fills it to the whole multiple
// close under it.
TEST_F(play_on_x, AtTheDefaultScaleDoublesEveryPixelAndAKeyStartsAWormThatMovesACellATick) {
    start();
    EXPECT_EQ(size(), std::pair(2 * FRAME_WIDTH, 2 * FRAME_HEIGHT)) << "the multiple that fits";
    ASSERT_TRUE(shows(title(), 2, 0, 0, "x11-scale-2.png"));

    const auto sent = std::chrono::steady_clock::now();
    send_key(dpy, w, "s");
    int first = 0, head = 0;
    bool whole_cells = true;
    ASSERT_TRUE(wait_until([&] {
        const std::vector<int> xs = worm_on_start_row(dpy, w, 0, 0, 2);
        head = xs.empty() ? 0 : xs.back();
        first = first == 0 ? head : first;
        // A segment on each cell from the tail to the head, every one a 2 x 2 block.
        whole_cells =
            whole_cells && (xs.empty() || xs.back() - xs.front() == 7 * int(xs.size() - 1));
        return first > 0 && head >= first + 7 * 30;
    })) << "the head at x "
        << head;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - sent;
    keep(whole(dpy, w), "x11-game.png");
    EXPECT_EQ(first, 35) << "the first cell after the start cell";
    EXPECT_TRUE(whole_cells);
    EXPECT_GE(took.count(), 30 * 0.020) << "thirty cells take thirty ticks of 20 ms";
    EXPECT_TRUE(wait_until([&] {
        const std::vector<int> xs = worm_on_start_row(dpy, w, 0, 0, 2);
        return !xs.empty() && xs.front() > 35;
    })) << "the tail follows once grown";
}

// A window manager turns F11's request into a window over the whole screen,
// the picture as tall as it, sharp, centred on black. Alt+Enter gives back the
// window's size and place; the close button ends the game; --fullscreen starts
// as F11 leaves it, and leaves to the window it would have opened.
TEST_F(play_on_x, UnderAWindowManagerGoesFullscreenAndBackAndCloses) {
    const window_manager manager(server);
    const Window root = DefaultRootWindow(dpy);
    const auto covers_the_screen = [&](const std::string &name) {
        if (!wait_until([&] { return size() == std::pair(1920, 1080); }))
            return testing::AssertionFailure() << "not fullscreen";
        testing::AssertionResult last = testing::AssertionFailure();
        wait_until([&] { return last = fills_sharp(whole(dpy, root), 0, 0, 1920, 1080); }, 15);
        keep(whole(dpy, root), name);
        if (!last) return last;
        const long black = whole(dpy, root).count({0, 0, 0});
        if (black != 1920L * 1080 - 1341 * 1080)
            return testing::AssertionFailure() << black << " black pixels around the picture";
        return testing::AssertionSuccess();
    };
    const auto place = [&] {
        const XWindowAttributes a = outer(dpy, w);
        return std::vector{a.x, a.y, a.width, a.height};
    };
    start();
    // With its decorations, the window need not fit on the screen: only what shows is read.
    const auto title_up = [&] {
        return snapshot(dpy, root, 0, 0, 1920, 1080).count(colour::night) > 200000;
    };
    ASSERT_TRUE(wait_until(title_up));
    const std::vector<int> windowed = place();

    send_key(dpy, w, "F11");
    EXPECT_TRUE(covers_the_screen("openbox-fullscreen.png"));

    press(dpy, "Alt_L", true);
    send_key(dpy, w, "Return");
    press(dpy, "Alt_L", false);
    ASSERT_TRUE(wait_until([&] { return place() == windowed; })) << "not back where it was";
    EXPECT_TRUE(wait_until(title_up));
    keep(snapshot(dpy, root, 0, 0, 1920, 1080), "openbox-back.png");

    EXPECT_TRUE(children(play->pid()).empty()) << "it runs no other process";
    close_window(dpy, w);
    EXPECT_EQ(play->wait_exit(3), 0);
    EXPECT_EQ(play->err(), "");

    start({"--fullscreen"});
    EXPECT_TRUE(covers_the_screen("openbox-started-fullscreen.png"));
    send_key(dpy, w, "F11");
    EXPECT_TRUE(wait_until([&] { return place() == windowed; }))
        << "left fullscreen to " << testing::PrintToString(place()) << ", not to the window it "
        << "would have opened, " << testing::PrintToString(windowed);
}

// Fullscreen on the screens players have: the picture as tall as the screen
// and sharp; --integer keeps whole multiples, block for block the X build's.
struct play_fullscreen : testing::TestWithParam<std::pair<int, int>> {};

TEST_P(play_fullscreen, FillsTheScreenSharpOrByWholeMultiples) {
    const int width = GetParam().first, height = GetParam().second;
    xvfb server(24, width, height);
    Display *dpy = server.dpy();
    const Window root = DefaultRootWindow(dpy);
    const window_manager manager(server);
    game_dir dir;
    const std::string name = std::to_string(width) + "x" + std::to_string(height);
    for (const bool integer : {false, true}) {
        std::vector<std::string> arguments{"--fullscreen"};
        if (integer) arguments.push_back("--integer");
        game_process play(dir, server.name(), PELKO_PLAY, arguments, x11_environment(dir));
        testing::AssertionResult shown = testing::AssertionFailure();
        const int multiple = std::min(width / FRAME_WIDTH, height / FRAME_HEIGHT);
        wait_until(
            [&] {
                const snapshot screen = whole(dpy, root);
                return shown = integer ? shows_picture(screen, (width - FRAME_WIDTH * multiple) / 2,
                                                       (height - FRAME_HEIGHT * multiple) / 2,
                                                       title(), multiple)
                                       : fills_sharp(screen, 0, 0, width, height);
            },
            20);
        keep(whole(dpy, root), "fullscreen-" + name + (integer ? "-integer.png" : ".png"));
        EXPECT_TRUE(shown) << name << (integer ? " --integer" : "") << "\n" << play.err();
    }
}
INSTANTIATE_TEST_SUITE_P(Play, play_fullscreen,
                         testing::Values(std::pair(1920, 1080), std::pair(2560, 1440),
                                         std::pair(1366, 768)),
                         [](const testing::TestParamInfo<std::pair<int, int>> &p) {
                             return std::to_string(p.param.first) + "x" +
                                    std::to_string(p.param.second);
                         });

// Under a dock that takes the top 32 pixels, the window and its decorations
// open wholly in what is left, the picture filling the window sharp.
TEST_F(play_on_x, OpensInsideTheWorkAreaADockLeaves) {
    const window_manager manager(server);
    const dock panel(dpy, 32);
    start();
    testing::AssertionResult shown = testing::AssertionFailure();
    wait_until(
        [&] {
            try { // the window may be fitted to the work area as it is read
                const snapshot content = whole(dpy, w);
                shown = fills_sharp(content, 0, 0, content.width, content.height);
                return static_cast<bool>(shown);
            } catch (const std::runtime_error &) {
                return false;
            }
        },
        15);
    keep(snapshot(dpy, DefaultRootWindow(dpy), 0, 0, 1920, 1080), "openbox-dock.png");
    EXPECT_TRUE(shown);
    const XWindowAttributes a = outer(dpy, w);
    const int border = a.border_width;
    EXPECT_GE(a.y, 32);
    EXPECT_GE(a.x, 0);
    EXPECT_LE(a.y + a.height + 2 * border, 1080);
    EXPECT_LE(a.x + a.width + 2 * border, 1920);
    EXPECT_GT(size().second, 900) << "as large as the room allows";
}

struct ending {
    const char *how;
    int status;
};
void PrintTo(const ending &e, std::ostream *out) {
    *out << e.how;
}
struct play_ending : play_on_x, testing::WithParamInterface<ending> {};

// Every way out ends the one process at once: 0 and nothing said, but for a
// display gone, which says so in one line.
TEST_P(play_ending, EndsAtOnceWithItsStatus) {
    start();
    ASSERT_TRUE(wait_until([&] { return whole(dpy, w).count(colour::night) > 100000; }))
        << "the title is up";
    EXPECT_TRUE(children(play->pid()).empty()) << "it runs no other process";
    const std::string how = GetParam().how;
    if (how == "key e") send_key(dpy, w, "e");
    if (how == "window closed") close_window(dpy, w);
    if (how == "SIGINT") kill(play->pid(), SIGINT);
    if (how == "SIGTERM") kill(play->pid(), SIGTERM);
    if (how == "server killed") server.kill_server();
    EXPECT_EQ(play->wait_exit(3), GetParam().status);
    if (GetParam().status == 0)
        EXPECT_EQ(play->err(), "");
    else
        EXPECT_TRUE(one_line(play->err())) << play->err();
}
INSTANTIATE_TEST_SUITE_P(Play, play_ending,
                         testing::Values(ending{"key e", 0}, ending{"window closed", 0},
                                         ending{"SIGINT", 0}, ending{"SIGTERM", 0},
                                         ending{"server killed", 1}),
                         [](const testing::TestParamInfo<ending> &p) {
                             std::string name = p.param.how;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

// The arrows (the keypad's with Num Lock off too) turn the worm at the next
// tick as the letters do; Escape ends the game as q does.
TEST_F(play_on_x, ArrowKeysSteerAsTheLettersAndEscapeEndsTheGame) {
    worm_track worm;
    ASSERT_NO_FATAL_FAILURE(start_game(worm, 2));
    std::optional<step> moved;
    for (int tick = 0; tick < 4; tick++) {
        server.release();
        ASSERT_TRUE(moved = next_step(server, w, 0, 0, worm));
        EXPECT_EQ(moved->way, std::pair(7, 0));
    }
    for (const auto &[key, way] : {std::pair{"Up", std::pair{0, -7}},
                                   {"KP_Right", {7, 0}},
                                   {"Down", {0, 7}},
                                   {"KP_Left", {-7, 0}}}) {
        send_key(dpy, w, key);
        server.release();
        moved = next_step(server, w, 0, 0, worm);
        ASSERT_TRUE(moved) << key;
        EXPECT_EQ(moved->way, way) << key << ", the tick after it";
        // Three cells on, so that the worm's path never comes back onto itself.
        for (int more = 0; more < 2; more++) {
            server.release();
            ASSERT_TRUE(moved = next_step(server, w, 0, 0, worm));
        }
    }
    send_key(dpy, w, "Escape");
    server.release();
    EXPECT_TRUE(wait_until([&] { return whole(dpy, w).count(colour::night) > 100000; }))
        << "the title not back";
}

// p stops the game: its picture dimmed under a word, and still; the clock
// stands too, so that the worm goes on from the cell where it stopped, a
// cell a tick. Closing the window ends it at once all the same.
TEST_F(play_on_x, PPausesTheGameUntilPressedAgain) {
    worm_track worm;
    ASSERT_NO_FATAL_FAILURE(start_game(worm, 3));
    ASSERT_TRUE(next_step(server, w, 0, 0, worm));
    send_key(dpy, w, "p");
    server.release();
    ASSERT_TRUE(wait_until([&] { return looks_paused(dpy, w, 0, 0); })) << "no paused look";
    const snapshot paused = whole(dpy, w);
    keep(paused, "x11-paused.png");
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    EXPECT_EQ(whole(dpy, w).pixels, paused.pixels) << "the picture moved while paused";
    const cells stopped = cells_in(dpy, w, 0, 0, paused_worm);
    const std::pair<int, int> head = *std::max_element(stopped.begin(), stopped.end());

    send_key(dpy, w, "p");
    worm = {stopped, head};
    for (int tick = 1; tick <= 3; tick++) {
        const std::optional<step> moved = next_step(server, w, 0, 0, worm);
        server.release();
        ASSERT_TRUE(moved) << "tick " << tick;
        EXPECT_EQ(moved->head, std::pair(head.first + 7 * tick, 175)) << "tick " << tick;
    }

    send_key(dpy, w, "p");
    ASSERT_TRUE(wait_until([&] { return looks_paused(dpy, w, 0, 0); }));
    close_window(dpy, w);
    EXPECT_EQ(play->wait_exit(3), 0);
    EXPECT_EQ(play->err(), "");
}

// The window a taskbar or Alt+Tab brings forward: the window manager gives it the focus.
void activate(Display *dpy, Window w) {
    client_message(dpy, w, "_NET_ACTIVE_WINDOW", 2 /* from a pager */, DefaultRootWindow(dpy),
                   SubstructureRedirectMask | SubstructureNotifyMask);
}

// The server's screensaver, set to start after a second of idleness: it
// starts on the title screen and while paused, never while a game runs.
TEST_F(play_on_x, TheScreensaverMayStartOnTheTitleAndWhilePausedNeverInAGame) {
    start({"--scale", "1"});
    ASSERT_TRUE(wait_until([&] { return whole(dpy, w).count(colour::night) > 100000; }));
    XSetScreenSaver(dpy, 1, 0, DefaultBlanking, DefaultExposures);
    XScreenSaverInfo *info = XScreenSaverAllocInfo();
    const auto saver_on = [&] {
        XScreenSaverQueryInfo(dpy, DefaultRootWindow(dpy), info);
        return info->state == ScreenSaverOn;
    };
    EXPECT_TRUE(wait_until(saver_on, 5)) << "on the title";
    send_key(dpy, w, "s");
    ASSERT_TRUE(wait_until([&] { return game_worm(dpy, w).size() >= 2; }));
    EXPECT_FALSE(wait_until(saver_on, 3)) << "during a game";
    send_key(dpy, w, "p");
    EXPECT_TRUE(wait_until(saver_on, 5)) << "while paused";
    XFree(info);
}

// A window of another program taking the focus pauses the game; the focus
// coming back leaves it paused until p. A signal ends it at once all the same.
TEST_F(play_on_x, UnderAWindowManagerLosingTheFocusPausesUntilP) {
    const window_manager manager(server);
    worm_track worm;
    ASSERT_NO_FATAL_FAILURE(start_game(worm, 1));

    const Window other = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 40, 40, 0, 0, 0);
    XMapWindow(dpy, other);
    ASSERT_TRUE(wait_until([&] {
        XWindowAttributes a;
        return XGetWindowAttributes(dpy, other, &a) && a.map_state == IsViewable;
    }));
    activate(dpy, other);
    ASSERT_TRUE(wait_until([&] { return looks_paused(dpy, w, 0, 0); })) << "not paused";
    keep(snapshot(dpy, DefaultRootWindow(dpy), 0, 0, 1920, 1080), "openbox-paused.png");
    activate(dpy, w);
    const snapshot paused = whole(dpy, w);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(whole(dpy, w).pixels, paused.pixels) << "the focus back went on by itself";

    // The paused worm read before p, which may have it moving by the time of a look after.
    worm = {cells_in(dpy, w, 0, 0, paused_worm), {}};
    send_key(dpy, w, "p");
    EXPECT_TRUE(next_step(server, w, 0, 0, worm)) << "p went on";
    server.release();
    send_key(dpy, w, "p");
    ASSERT_TRUE(wait_until([&] { return looks_paused(dpy, w, 0, 0); }));
    kill(play->pid(), SIGTERM);
    EXPECT_EQ(play->wait_exit(3), 0);
    EXPECT_EQ(play->err(), "");
    XDestroyWindow(dpy, other);
}

bool park_pointer(Display *dpy, int x, int y) {
    XWarpPointer(dpy, None, DefaultRootWindow(dpy), 0, 0, 0, 0, x, y);
    return XSync(dpy, False);
}

// Weston on its X11 back-end shows its output in a window of the Xvfb and
// takes its seat's keys from there; the game has no X server to fall back to.
// Weston moves its own cursor by the X pointer's steps, not to where it is:
// the pointer is kept off weston's window, so that its cursor stays where it
// starts, clear of the picture, and the desktop shell gives a new window the
// keyboard by itself.
// Weston's cursor starts at (100, 100) of its output, where a large window
// has its picture: the X pointer led through its output's far corner takes it there.
bool corner_cursor(Display *dpy, int width, int height) {
    park_pointer(dpy, width - 1, height - 1);
    XSync(dpy, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return park_pointer(dpy, 1919, 1079);
}

struct play_on_wayland : testing::Test {
    xvfb server{24, 1920, 1080};
    Display *dpy = server.dpy();
    const bool parked = park_pointer(dpy, 1919, 1079);
    compositor weston{server, 1280, 1024};
    const bool cornered = corner_cursor(dpy, 1280, 1024);
    game_dir dir;
    std::unique_ptr<game_process> play;

    void start(const std::vector<std::string> &arguments) {
        play = std::make_unique<game_process>(dir, "", PELKO_PLAY, arguments,
                                              weston.client_environment());
    }
    snapshot output() const { return snapshot(dpy, weston.output(), 0, 0, 1280, 1024); }
};

TEST_F(play_on_wayland, OpensNativelyShowsTheXBuildsTitleAndTakesKeys) {
    start({"--scale", "1"});
    std::optional<std::pair<int, int>> at;
    ASSERT_TRUE(wait_until([&] { return (at = find_picture(output(), title())).has_value(); }, 20))
        << play->err();
    keep(output(), "weston.png");
    const int x = at->first, y = at->second;
    EXPECT_EQ(find_window(dpy, "Pelko v1.02", 0), None) << "a window of its own on the Xvfb";
    EXPECT_TRUE(children(play->pid()).empty()) << "it runs no other process";

    send_key(dpy, weston.output(), "s");
    EXPECT_TRUE(wait_until([&] {
        return snapshot(dpy, weston.output(), x + 5, y + 5, 637, 511).count(colour::grass) >
               637 * 511 / 2;
    })) << "no game on the playfield";
    EXPECT_TRUE(wait_until([&] {
        const std::vector<int> xs = worm_on_start_row(dpy, weston.output(), x, y, 1);
        return !xs.empty() && xs.front() == 35 && xs.back() >= 35 + 7 * 10;
    })) << "the worm under way";
    keep(output(), "weston-game.png");

    // The arrows, p and Escape as on X.
    const Window out = weston.output();
    worm_track worm{cells_in(dpy, out, x, y), {}};
    ASSERT_TRUE(next_step(server, out, x, y, worm));
    send_key(dpy, out, "Up");
    server.release();
    // weston shows a tick a frame of its own later: the step seen may be the
    // one the game had drawn when the key came.
    std::optional<step> moved = next_step(server, out, x, y, worm);
    server.release();
    ASSERT_TRUE(moved);
    if (moved->way == std::pair(7, 0)) {
        moved = next_step(server, out, x, y, worm);
        server.release();
        ASSERT_TRUE(moved);
    }
    EXPECT_EQ(moved->way, std::pair(0, -7));
    send_key(dpy, out, "p");
    EXPECT_TRUE(wait_until([&] { return looks_paused(dpy, out, x, y); })) << "not paused";
    keep(output(), "weston-paused.png");
    worm = {cells_in(dpy, out, x, y, paused_worm), {}};
    send_key(dpy, out, "p");
    EXPECT_TRUE(next_step(server, out, x, y, worm)) << "p went on";
    send_key(dpy, out, "Escape");
    server.release();
    EXPECT_TRUE(wait_until([&] {
        return snapshot(dpy, out, x + 5, y + 5, 637, 511).count(colour::night) > 100000;
    })) << "the title not back";
    kill(play->pid(), SIGTERM);
    EXPECT_EQ(play->wait_exit(3), 0);
    EXPECT_EQ(play->err(), "");
}

// What the window asks of the compositor: a minimum that holds the frame
// under its title bar (libdecor's, which counts in the title bar), and at
// --scale 1 content of exactly the frame.
testing::AssertionResult holds_the_frame(const std::string &log, bool at_scale_one) {
    const wayland_sizes asked = wayland_requests(log);
    const int title_bar = -asked.geometry.y;
    if (asked.min_width < FRAME_WIDTH || asked.min_height < FRAME_HEIGHT + title_bar)
        return testing::AssertionFailure()
               << "a minimum of " << asked.min_width << "x" << asked.min_height
               << " under a title bar of " << title_bar;
    if (at_scale_one &&
        (asked.geometry.width != FRAME_WIDTH || asked.geometry.height - title_bar != FRAME_HEIGHT))
        return testing::AssertionFailure()
               << "content " << asked.geometry.width << "x" << asked.geometry.height - title_bar;
    return testing::AssertionSuccess();
}

TEST_F(play_on_wayland, KeepsAtLeastTheFrameAndFillsItsWindowSharp) {
    std::vector<std::string> environment = weston.client_environment();
    environment.push_back("WAYLAND_DEBUG=client");
    play = std::make_unique<game_process>(dir, "", PELKO_PLAY,
                                          std::vector<std::string>{"--scale", "1"}, environment);
    ASSERT_TRUE(wait_until([&] { return find_picture(output(), title()).has_value(); }, 20));
    EXPECT_TRUE(holds_the_frame(play->err(), true));
    kill(play->pid(), SIGTERM);
    play->wait_exit(3);

    play = std::make_unique<game_process>(dir, "", PELKO_PLAY, std::vector<std::string>{},
                                          environment);
    testing::AssertionResult shown = testing::AssertionFailure();
    // Where weston puts the window is its own choice: the content is what the window asked.
    wait_until(
        [&] {
            const picture_box content = wayland_requests(play->err()).geometry;
            const std::optional<picture_box> at = white_framed_box(output());
            if (!at || !holds_the_frame(play->err(), false)) return false;
            const int width = content.width, height = content.height + content.y;
            shown = fills_sharp(output(), at->x - (width - at->width) / 2,
                                at->y - (height - at->height) / 2, width, height);
            return static_cast<bool>(shown);
        },
        20);
    keep(output(), "weston-default.png");
    EXPECT_TRUE(shown);
    EXPECT_TRUE(holds_the_frame(play->err(), false));
}

// A Wayland desktop runs XWayland too. Where Wayland has only a software
// renderer (here, as on a machine without a GPU) the game shows through X11's
// shared memory; SDL_VIDEODRIVER still decides.
struct play_on_xwayland : testing::Test {
    xvfb server{24, 1920, 1080};
    const bool parked = park_pointer(server.dpy(), 1919, 1079);
    compositor weston{server, 1280, 1024, true};
    game_dir dir;
};

TEST_F(play_on_xwayland, ShowsThroughXWithoutAGpuAndNativelyWhenAsked) {
    const auto picture = [&] { return snapshot(server.dpy(), weston.output(), 0, 0, 1280, 1024); };
    // The game started until its title shows: whether its window is XWayland's.
    const auto on_xwayland = [&](const std::vector<std::string> &environment, double wait) {
        game_process play(dir, "", PELKO_PLAY, {}, environment);
        EXPECT_TRUE(wait_until([&] { return picture().count(colour::night) > 100000; }, 30))
            << play.err();
        Display *x = XOpenDisplay(weston.x_display().c_str());
        EXPECT_NE(x, nullptr);
        const bool found = x && find_window(x, "Pelko v1.02", wait) != None;
        if (x) XCloseDisplay(x);
        keep(picture(), wait > 0 ? "xwayland.png" : "xwayland-native.png");
        EXPECT_TRUE(white_framed_box(picture()).has_value());
        EXPECT_EQ(play.err(), "");
        return found;
    };
    std::vector<std::string> environment = weston.client_environment(true);
    EXPECT_TRUE(on_xwayland(environment, 5)) << "a window of XWayland's";
    environment.push_back("SDL_VIDEODRIVER=wayland");
    EXPECT_FALSE(on_xwayland(environment, 0)) << "natively on Wayland";
}

// GNOME: mutter, its top bar (a strut of 32 pixels, on its own XWayland) and
// libdecor's title bar drawn by the game. The whole window opens on the screen
// below the bar, the picture filling its content sharp.
TEST(PlayOnMutter, OpensBelowTheTopBarAndFillsItsWindowSharp) {
    xvfb server(24, 1920, 1080);
    park_pointer(server.dpy(), 1919, 1079);
    const mutter gnome(server, 1920, 1080);
    Display *x = gnome.open_xwayland();
    ASSERT_NE(x, nullptr) << "mutter's XWayland";
    std::optional<dock> top_bar(std::in_place, x, 32);
    game_dir dir;
    std::vector<std::string> environment = gnome.client_environment();
    environment.push_back("WAYLAND_DEBUG=client");
    game_process play(dir, "", PELKO_PLAY, {}, environment);
    const auto output = [&] { return snapshot(server.dpy(), gnome.output(), 0, 0, 1920, 1080); };
    testing::AssertionResult shown = testing::AssertionFailure();
    picture_box content{};
    int title_bar = 0;
    wait_until(
        [&] {
            const wayland_sizes asked = wayland_requests(play.err());
            const std::optional<picture_box> at = white_framed_box(output());
            if (!at || asked.geometry.width == 0) return false;
            title_bar = -asked.geometry.y;
            content = {0, 0, asked.geometry.width, asked.geometry.height - title_bar};
            content.x = at->x - (content.width - at->width) / 2;
            content.y = at->y - (content.height - at->height) / 2;
            shown = fills_sharp(output(), content.x, content.y, content.width, content.height);
            return static_cast<bool>(shown);
        },
        30);
    keep(output(), "mutter.png");
    EXPECT_TRUE(shown) << play.err().substr(0, 2000);
    EXPECT_GE(content.y - title_bar, 32 - 1) << "the title bar below the top bar";
    EXPECT_LE(content.y + content.height, 1080);
    EXPECT_GE(content.x, 0);
    EXPECT_LE(content.x + content.width, 1920);
    EXPECT_TRUE(holds_the_frame(play.err(), false));
    top_bar.reset();
    XCloseDisplay(x);
}

TEST_F(play_on_wayland, EndsWithOneLineWhenTheCompositorGoes) {
    start({});
    ASSERT_TRUE(wait_until([&] { return output().count(colour::night) > 100000; }, 20))
        << play->err();
    // Going while the window still has events of it to read: 3 runs in 20
    // hung in libdecor's dispatch before the connection was watched.
    for (int i = 0; i < 200; i++) XTestFakeMotionEvent(dpy, 0, 200 + i % 50 * 7, 300, CurrentTime);
    XFlush(dpy);
    weston.kill_compositor();
    EXPECT_EQ(play->wait_exit(3), 1);
    EXPECT_TRUE(one_line(play->err())) << play->err();
}

TEST(Play, AnswersHelpAndVersionAndRefusesOtherArguments) {
    game_dir dir;
    game_process help(dir, "", PELKO_PLAY, {"--help"});
    EXPECT_EQ(help.wait_exit(), 0);
    EXPECT_TRUE(help.out().starts_with("usage: pelko-play")) << help.out();
    EXPECT_EQ(help.err(), "");
    const std::string usage = help.out().substr(0, help.out().find('\n') + 1);
    game_process version(dir, "", PELKO_PLAY, {"--version"});
    EXPECT_EQ(version.wait_exit(), 0);
    EXPECT_EQ(version.out(), "Pelko v1.02\n");
    for (const std::vector<std::string> &arguments : {std::vector<std::string>{"-h"},
                                                      {""},
                                                      {"--scale"},
                                                      {"--scale", "0"},
                                                      {"--scale", "two"},
                                                      {"--fullscreen", "--frobnicate"}}) {
        game_process wrong(dir, "", PELKO_PLAY, arguments);
        EXPECT_EQ(wrong.wait_exit(), 2) << arguments.back();
        EXPECT_TRUE(wrong.err().starts_with(usage)) << wrong.err();
        EXPECT_EQ(wrong.out(), "");
    }
}

TEST(Play, EndsWithTheGamesOwnStatusAndMessage) {
    game_dir dir({"pelko.grid", "pelko.raw"});
    game_process play(dir, "", PELKO_PLAY, {}, {"WAYLAND_DISPLAY"});
    EXPECT_EQ(play.wait_exit(), 1);
    EXPECT_NE(play.out().find("can't open file pelko.font\n"), std::string::npos) << play.out();
}

TEST(Play, SaysWhatIsMissingWithoutADisplay) {
    game_dir dir;
    for (const std::vector<std::string> &environment :
         {std::vector<std::string>{"WAYLAND_DISPLAY", "SDL_VIDEODRIVER"},
          {"WAYLAND_DISPLAY=pelko-nowhere", "DISPLAY=:4711", "SDL_VIDEODRIVER"}}) {
        std::vector<std::string> changes = environment;
        changes.push_back("XDG_RUNTIME_DIR=" + dir.path()); // no compositor's socket there
        game_process play(dir, "", PELKO_PLAY, {}, changes);
        EXPECT_EQ(play.wait_exit(10), 1) << environment[0];
        EXPECT_TRUE(one_line(play.err())) << play.err();
    }
}

} // namespace
