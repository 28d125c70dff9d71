// SPDX-License-Identifier: MIT
// A data file that cannot be opened ends the program with its message alone on
// standard output and status 1: the grid and the font before any display is
// opened, the logo on the title screen, at its load or at an Expose.
#include "tests/harness/harness.hpp"

#include <memory>

namespace {

const std::string grid_message = "Error opening file data/pelko.grid. unrecoverable \n";
const std::string logo_message = "file pelko.raw not found \n";

struct missing_file {
    const char *name;
    std::vector<std::string> present;
    bool windowed; // got as far as the window, after the banner
    bool at_expose;
    std::string message;
};
struct MissingDataFile : testing::TestWithParam<missing_file> {};

TEST_P(MissingDataFile, PrintsItsMessageAndExitsWithOne) {
    const missing_file &c = GetParam();
    game_dir dir(c.present);
    // No server without a window: a connection attempt would show on standard error.
    const auto server = c.windowed ? std::make_unique<xvfb>() : nullptr;
    game_process game(dir, c.windowed ? server->name() : ":4711");
    if (c.at_expose) {
        const Window w = find_window(server->dpy());
        ASSERT_TRUE(wait_until([&] {
            return snapshot(server->dpy(), w, 117, 470, 1, 1).at(117, 470) == colour::sky;
        }));
        dir.remove_data("pelko.raw");
        XClearArea(server->dpy(), w, 0, 0, 0, 0, True);
        XFlush(server->dpy());
    }
    EXPECT_EQ(game.wait_exit(5), 1);
    EXPECT_EQ(game.err(), "");
    const std::string out = game.out();
    const std::string banner = c.windowed ? out.substr(0, out.find('\n') + 1) : "";
    EXPECT_EQ(out, banner + c.message);
    EXPECT_EQ(banner.size() > 1, c.windowed) << "the banner line";
}

INSTANTIATE_TEST_SUITE_P(
    Files, MissingDataFile,
    testing::Values(
        missing_file{"Grid", {"pelko.font", "pelko.raw"}, false, false, grid_message},
        missing_file{
            "Font", {"pelko.grid", "pelko.raw"}, false, false, "can't open file pelko.font\n"},
        missing_file{"GridAndFont", {"pelko.raw"}, false, false, grid_message},
        missing_file{
            "LogoAtTheFirstTitle", {"pelko.grid", "pelko.font"}, true, false, logo_message},
        missing_file{
            "LogoAtAnExpose", {"pelko.grid", "pelko.font", "pelko.raw"}, true, true, logo_message}),
    [](const testing::TestParamInfo<missing_file> &p) { return p.param.name; });

} // namespace
