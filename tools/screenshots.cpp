// SPDX-License-Identifier: MIT
// screenshots: the README's pictures, taken from the real game on an 8-bit
// Xvfb: the title screen, a game in progress and the game-over screen; and
// the font sheet, every glyph drawn by the game's own text code (font_sheet),
// with its small letters enlarged three times.
//   screenshots <directory>   writes title.png, game.png, game-over.png,
//                             font.png and font-x3.png
// The mushrooms fall where the clock seeds them, so a worm that meets one
// before its picture is taken just means another try with a new garden.
#include "tests/harness/steering.hpp"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <thread>

namespace {

void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The picture of one moment: the game waits on its next request while the
// server is ours.
snapshot still(Display *dpy, Window w) {
    XGrabServer(dpy);
    snapshot shot(dpy, w);
    XUngrabServer(dpy);
    XSync(dpy, False);
    return shot;
}

// Polls until the window shows what we wait for, and returns that picture;
// held still for it, or as it comes when it lasts long enough anyway.
std::optional<snapshot> wait_for(Display *dpy, Window w, bool (*shows)(const snapshot &),
                                 double seconds, bool hold = true) {
    std::optional<snapshot> shot;
    wait_until([&] { return shows(*(shot = hold ? still(dpy, w) : snapshot(dpy, w))); }, seconds);
    if (shot && shows(*shot)) return shot;
    return std::nullopt;
}

// The legend's labels come last, after the wipe and the logo.
bool title_drawn(const snapshot &s) {
    return s.count(colour::label) > 200 && s.count(colour::night) > 200000;
}
// A garden behind a fence with the worm in it, no game over on it.
bool game_running(const snapshot &s) {
    return s.count(colour::grey) > 5000 && s.count(colour::grass) > 200000 &&
           s.count(colour::worm) > 0 && s.count(colour::white) == 0;
}
bool apples_out(const snapshot &s) {
    return game_running(s) && s.count(colour::apple_red) >= 2 * 27; // red pixels of an apple
}
// "GAME OVER" over the garden, with the explosion's particles on their way.
bool game_over_drawn(const snapshot &s) {
    return s.count(colour::white) > 1500 && s.count(colour::grass) > 200000;
}

// Steers round the garden until a round is done and two apples are out,
// with the worm bent round its last corner, where it shows its segments best.
std::optional<snapshot> play_until_apples(Display *dpy, Window w) {
    steering steer({dpy, w}, w);
    if (!steer.plan()) return std::nullopt;
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (steer.step() && std::chrono::steady_clock::now() < give_up) {
        const auto since_turn = std::chrono::steady_clock::now() - steer.last_turn();
        if (steer.legs() <= 4 || since_turn < std::chrono::milliseconds(250) ||
            since_turn > std::chrono::milliseconds(400))
            continue;
        const snapshot shot = still(dpy, w);
        if (apples_out(shot)) return shot;
    }
    return std::nullopt;
}

// Null when all three pictures are taken, else what went wrong.
const char *take_pictures(const std::string &directory) {
    xvfb server;
    game_dir dir;
    game_process game(dir, server.name());
    Display *dpy = server.dpy();
    const Window w = find_window(dpy);
    if (w == None) return "no window";

    const std::optional<snapshot> title = wait_for(dpy, w, title_drawn, 10);
    if (!title) return "no title screen";
    send_key(dpy, w, "s");
    if (!wait_for(dpy, w, game_running, 5)) return "no game";
    const std::optional<snapshot> playing = play_until_apples(dpy, w);
    if (!playing) return "the worm met a mushroom or the fence, or no way round the mushrooms";
    send_key(dpy, w, "q");
    // The explosion lasts two seconds: time to look without stopping the game.
    pause_ms(300);
    const std::optional<snapshot> over = wait_for(dpy, w, game_over_drawn, 5, false);
    if (!over) return "no game-over screen";

    if (!title->save_png(directory + "/title.png") || !playing->save_png(directory + "/game.png") ||
        !over->save_png(directory + "/game-over.png"))
        return "cannot write the pictures";
    send_key(dpy, w, "e");
    return game.wait_exit(10) == 0 ? nullptr : "the game did not end on e";
}

// The font sheet as its window shows it once drawn: font.png, and its first
// hundred rows, the small letters, enlarged three times: font-x3.png.
bool take_font_sheet(const std::string &directory) {
    xvfb server;
    game_dir dir;
    game_process sheet(dir, server.name(), PELKO_FONT_SHEET);
    const Window w = find_window(server.dpy());
    if (w == None || !wait_until([&] { return sheet.out().ends_with("drawn\n"); })) {
        fprintf(stderr, "screenshots: no font sheet: %s", sheet.err().c_str());
        return false;
    }
    return snapshot(server.dpy(), w).save_png(directory + "/font.png") &&
           snapshot(server.dpy(), w, 0, 0, 637, 100).save_png(directory + "/font-x3.png", 3);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: screenshots <directory>\n");
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    if (!take_font_sheet(argv[1])) return 1;
    for (int attempt = 1; attempt <= 8; attempt++) {
        const char *failure = take_pictures(argv[1]);
        if (!failure) return 0;
        fprintf(stderr, "screenshots: attempt %d: %s\n", attempt, failure);
    }
    fprintf(stderr, "screenshots: no attempt got all three pictures\n");
    return 1;
}
