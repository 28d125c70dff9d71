// SPDX-License-Identifier: MIT
// The launcher on the displays players have: a 24-bit one, where it must
// bring up a nested 8-bit server around the game and take it down again on
// every way out, an 8-bit one, where the game runs directly, and none.
#include "tests/integration/harness/harness.hpp"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

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
    EXPECT_EQ(launcher.wait_exit(), GetParam().status);
    for (pid_t child : children) EXPECT_EQ(kill(child, 0), -1) << "child " << child << " left";
    EXPECT_TRUE(nested_servers(host).empty());
}

INSTANTIATE_TEST_SUITE_P(Launcher, NestedGame,
                         testing::Values(ending{"key e", 0}, ending{"SIGINT", 128 + SIGINT},
                                         ending{"SIGTERM", 128 + SIGTERM},
                                         ending{"server dies", 1}),
                         [](const testing::TestParamInfo<ending> &param) {
                             std::string name = param.param.how;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

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
