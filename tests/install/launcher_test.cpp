// SPDX-License-Identifier: MIT
// The launcher on the displays players have: a 24-bit one, where it must
// bring up a nested 8-bit server around the game in a window of its own and
// take it down again on every way out, an 8-bit one, where the game runs
// directly, and none.
#include "tests/integration/harness/harness.hpp"

#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

namespace {

std::string proc(pid_t pid, const char *what) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + what, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Live processes (not zombies) whose parent, or whose DISPLAY and name, match.
std::vector<pid_t> processes(pid_t parent, const std::string &display = "",
                             const std::string &name = "") {
    std::vector<pid_t> found;
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        const pid_t pid = atoi(entry.path().filename().c_str());
        const std::string stat = proc(pid, "stat");
        if (pid <= 0 || stat.rfind(')') == std::string::npos) continue;
        std::istringstream fields(stat.substr(stat.rfind(')') + 1));
        char state = 'Z';
        pid_t ppid = 0;
        if (!(fields >> state >> ppid) || state == 'Z') continue;
        const std::string env = proc(pid, "environ"), argv0 = proc(pid, "cmdline").c_str();
        if (parent > 0
                ? ppid == parent
                : env.find("DISPLAY=" + display + '\0') != std::string::npos && argv0 == name)
            found.push_back(pid);
    }
    return found;
}

std::vector<pid_t> nested_servers(const xvfb &host) {
    return processes(0, host.name(), "Xephyr");
}

// The nested screen shows the game's window at (0,0): its white border fills
// the edges, and the night background starts right inside it.
bool nested_screen_fits_the_game(const xvfb &host, Window w) {
    const snapshot shot(host.dpy(), w, 0, 0, 647, 521);
    for (auto [x, y] : {std::pair{0, 0}, {4, 4}, {646, 520}, {642, 516}, {323, 2}, {2, 260}})
        if (shot.at(x, y) != colour::white) return false;
    return shot.at(5, 5) == colour::night && shot.at(641, 515) == colour::night;
}

struct property {
    std::string type;
    std::vector<unsigned long> items; // bytes or 32-bit values, as Xlib hands them over
};

property read_property(Display *dpy, Window w, const char *name) {
    Atom type = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char *data = nullptr;
    property p;
    if (XGetWindowProperty(dpy, w, XInternAtom(dpy, name, False), 0, 1 << 20, False,
                           AnyPropertyType, &type, &format, &n, &after, &data) != Success)
        return p;
    if (type != None) {
        char *type_name = XGetAtomName(dpy, type);
        p.type = type_name;
        XFree(type_name);
    }
    for (unsigned long i = 0; i < n; i++)
        p.items.push_back(format == 32 ? static_cast<uint32_t>(reinterpret_cast<long *>(data)[i])
                                       : data[i]);
    XFree(data);
    return p;
}

// _NET_WM_ICON: images one after another, each its width, height and ARGB
// pixels; by side, or none when the sizes do not add up to the data.
std::map<unsigned long, std::vector<unsigned long>> icons(const std::vector<unsigned long> &items) {
    std::map<unsigned long, std::vector<unsigned long>> found;
    for (size_t at = 0; at < items.size();) {
        if (at + 2 > items.size()) return {};
        const unsigned long width = items[at], height = items[at + 1];
        if (width != height || width == 0 || items.size() - at - 2 < width * height) return {};
        const auto pixels = items.begin() + static_cast<long>(at) + 2;
        found[width].assign(pixels, pixels + static_cast<long>(width * height));
        at += 2 + width * height;
    }
    return found;
}

unsigned long argb(const rgb &c) {
    return 0xff000000ul | static_cast<unsigned long>(c.r << 16 | c.g << 8 | c.b);
}

void close_window(Display *dpy, Window w) {
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = w;
    close.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, w, False, NoEventMask, &close);
    XSync(dpy, False);
}

struct ending {
    const char *how;
    int status;
};
void PrintTo(const ending &e, std::ostream *out) {
    *out << e.how;
}

class NestedGame : public testing::TestWithParam<ending> {};

TEST_P(NestedGame, EndsWithTheServerGoneAndTheStatusPassedOn) {
    xvfb host(24);
    game_dir dir;
    game_process launcher(dir, host.name(), PELKO_LAUNCHER);
    const Window w = find_window(host.dpy(), "Pelko v1.02", 20);
    ASSERT_NE(w, None) << launcher.err();
    EXPECT_TRUE(wait_until([&] { return nested_screen_fits_the_game(host, w); }));

    const std::vector<pid_t> mine = processes(0, host.name(), PELKO_LAUNCHER);
    ASSERT_EQ(mine.size(), 1u);
    const std::vector<pid_t> servers = nested_servers(host), children = processes(mine[0]);
    ASSERT_EQ(servers.size(), 1u);
    ASSERT_EQ(children.size(), 2u) << "Xephyr and the game";

    const std::string how = GetParam().how;
    if (how == "key e") send_key(host.dpy(), w, "e");
    if (how == "SIGINT") kill(mine[0], SIGINT);
    if (how == "SIGTERM") kill(mine[0], SIGTERM);
    if (how == "server dies") kill(servers[0], SIGKILL);
    if (how == "window closed") close_window(host.dpy(), w);
    if (how == "window killed") {
        XKillClient(host.dpy(), w);
        XSync(host.dpy(), False);
    }
    EXPECT_EQ(launcher.wait_exit(how == "window closed" ? 2 : 20), GetParam().status);
    for (pid_t child : children) EXPECT_EQ(kill(child, 0), -1) << "child " << child << " left";
    EXPECT_TRUE(nested_servers(host).empty());

    const std::string err = launcher.err();
    if (how == "window closed") {
        EXPECT_EQ(err, "");
    }
    if (how == "window killed") { // the game may say first that its server went with the window
        EXPECT_TRUE(err.ends_with("pelko-play: lost the display " + host.name() +
                                  ": the game's window was killed, or the X server ended\n"))
            << err;
    }
}

INSTANTIATE_TEST_SUITE_P(Launcher, NestedGame,
                         testing::Values(ending{"key e", 0}, ending{"SIGINT", 128 + SIGINT},
                                         ending{"SIGTERM", 128 + SIGTERM}, ending{"server dies", 1},
                                         ending{"window closed", 0}, ending{"window killed", 1}),
                         [](const testing::TestParamInfo<ending> &param) {
                             std::string name = param.param.how;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

// What a window manager, a dock and a player see of the window, from another client.
TEST(Launcher, OwnsTheWindowThatHoldsTheNestedServer) {
    xvfb host(24);
    game_dir dir;
    game_process launcher(dir, host.name(), PELKO_LAUNCHER);
    Display *dpy = host.dpy();
    const Window w = find_window(dpy, "Pelko v1.02", 20);
    ASSERT_NE(w, None) << launcher.err();

    const property name = read_property(dpy, w, "_NET_WM_NAME");
    EXPECT_EQ(name.type, "UTF8_STRING");
    EXPECT_EQ(std::string(name.items.begin(), name.items.end()), "Pelko v1.02");
    XClassHint class_hint{};
    ASSERT_TRUE(XGetClassHint(dpy, w, &class_hint));
    EXPECT_STREQ(class_hint.res_name, "pelko");
    EXPECT_STREQ(class_hint.res_class, "Pelko");
    XFree(class_hint.res_name);
    XFree(class_hint.res_class);
    EXPECT_EQ(read_property(dpy, w, "_NET_WM_PID").items,
              std::vector<unsigned long>{static_cast<unsigned long>(launcher.pid())});
    EXPECT_FALSE(read_property(dpy, w, "WM_CLIENT_MACHINE").items.empty());

    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(dpy, w, &a));
    EXPECT_EQ(std::pair(a.width, a.height), std::pair(647, 521));
    XSizeHints size{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(dpy, w, &size, &supplied));
    EXPECT_EQ(size.flags & (PMinSize | PMaxSize), PMinSize | PMaxSize);
    EXPECT_EQ(std::tuple(size.min_width, size.min_height, size.max_width, size.max_height),
              std::tuple(647, 521, 647, 521));
    Atom *protocols = nullptr;
    int count = 0;
    ASSERT_TRUE(XGetWMProtocols(dpy, w, &protocols, &count));
    EXPECT_NE(std::find(protocols, protocols + count, XInternAtom(dpy, "WM_DELETE_WINDOW", False)),
              protocols + count);
    XFree(protocols);

    // The installed icon's picture, doubled in a clear margin: fence, grass,
    // mushroom cap, apple and worm where the sprites put them.
    const auto images = icons(read_property(dpy, w, "_NET_WM_ICON").items);
    ASSERT_GE(images.size(), 3u);
    ASSERT_EQ(images.rbegin()->first, 128u);
    const std::vector<unsigned long> &icon = images.rbegin()->second;
    const auto at = [&](int x, int y) { return icon[static_cast<size_t>(y * 128 + x)]; };
    EXPECT_EQ(at(0, 0) >> 24, 0u);
    EXPECT_EQ(at(1, 1), argb(colour::grey));
    EXPECT_EQ(at(21, 21), argb(colour::grass));
    EXPECT_EQ(at(33, 15), argb(colour::cap_red));
    EXPECT_EQ(at(91, 35), argb(colour::apple_red));
    EXPECT_EQ(at(35, 63), argb(colour::worm));

    // A key typed into the window, the pointer outside it, starts a game; the
    // nested screen shows in the window.
    ASSERT_TRUE(wait_until([&] { return nested_screen_fits_the_game(host, w); }));
    XWarpPointer(dpy, None, DefaultRootWindow(dpy), 0, 0, 0, 0, 1000, 700);
    send_key(dpy, w, "s");
    EXPECT_TRUE(wait_until([&] {
        return snapshot(dpy, w, 5, 5, 637, 511).count(colour::grass) > 637 * 511 / 2;
    })) << "no game on the playfield";
}

TEST(Launcher, AnswersHelpAndVersionAndRefusesOtherArguments) {
    game_dir dir;
    const std::string usage = "usage: pelko-play [--help | --version]\n";
    game_process help(dir, "", PELKO_LAUNCHER, {"--help"});
    EXPECT_EQ(help.wait_exit(), 0);
    EXPECT_EQ(help.out().rfind(usage, 0), 0u) << help.out();
    EXPECT_NE(help.out().find("Xephyr"), std::string::npos) << "says what it does";
    EXPECT_EQ(help.err(), "");
    game_process version(dir, "", PELKO_LAUNCHER, {"--version"});
    EXPECT_EQ(version.wait_exit(), 0);
    EXPECT_EQ(version.out(), "Pelko v1.02\n");
    for (const std::vector<std::string> &arguments :
         {std::vector<std::string>{"-h"}, {"--help", "--version"}, {""}}) {
        game_process wrong(dir, "", PELKO_LAUNCHER, arguments);
        EXPECT_EQ(wrong.wait_exit(), 2) << arguments[0];
        EXPECT_EQ(wrong.err(), usage);
        EXPECT_EQ(wrong.out(), "");
    }
}

TEST(Launcher, PassesOnAFailingGamesStatusAndMessageFromTheNestedServer) {
    xvfb host(24);
    game_dir dir({"pelko.grid", "pelko.raw"});
    game_process launcher(dir, host.name(), PELKO_LAUNCHER);
    EXPECT_EQ(launcher.wait_exit(), 1);
    EXPECT_NE(launcher.out().find("can't open file pelko.font\n"), std::string::npos);
    EXPECT_TRUE(nested_servers(host).empty());
}

TEST(Launcher, RunsTheGameDirectlyOnAnEightBitDisplay) {
    xvfb host(8);
    game_dir dir;
    game_process launcher(dir, host.name(), PELKO_LAUNCHER);
    const Window w = find_window(host.dpy());
    ASSERT_NE(w, None) << launcher.err();
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(host.dpy(), w, &a));
    EXPECT_EQ(a.x, 100) << "the game's own window, where the game put it";
    EXPECT_EQ(a.width, 637);
    EXPECT_TRUE(nested_servers(host).empty());
    send_key(host.dpy(), w, "e");
    EXPECT_EQ(launcher.wait_exit(), 0);
    EXPECT_EQ(launcher.err(), "");
}

TEST(Launcher, SaysWhatIsMissingWithoutADisplay) {
    game_dir dir;
    for (auto [display, message] :
         {std::pair{"", "DISPLAY is not set"}, {":4711", "cannot open display :4711"}}) {
        game_process launcher(dir, display, PELKO_LAUNCHER);
        EXPECT_EQ(launcher.wait_exit(), 1) << display;
        EXPECT_EQ(launcher.err().rfind(std::string("pelko-play: ") + message, 0), 0u)
            << launcher.err();
        EXPECT_EQ(launcher.out(), "");
    }
}

} // namespace
