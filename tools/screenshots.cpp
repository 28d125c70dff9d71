// SPDX-License-Identifier: MIT
// screenshots: the README's pictures, taken from the real game on an 8-bit
// Xvfb: the title screen, a game in progress and the game-over screen.
//   screenshots <directory>   writes title.png, game.png and game-over.png
// The mushrooms fall where the clock seeds them, so a worm that meets one
// before its picture is taken just means another try with a new garden.
#include "tests/harness/harness.hpp"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <thread>

namespace {

void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

long count(const snapshot &shot, rgb c) {
    return std::count(shot.pixels.begin(), shot.pixels.end(), c);
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
    return count(s, colour::label) > 200 && count(s, colour::night) > 200000;
}
// A garden behind a fence with the worm in it, no game over on it.
bool game_running(const snapshot &s) {
    return count(s, colour::grey) > 5000 && count(s, colour::grass) > 200000 &&
           count(s, colour::worm) > 0 && count(s, colour::white) == 0;
}
bool apples_out(const snapshot &s) {
    return game_running(s) && count(s, colour::apple_red) >= 2 * 27; // red pixels of an apple
}
// "GAME OVER" over the garden, with the explosion's particles on their way.
bool game_over_drawn(const snapshot &s) {
    return count(s, colour::white) > 1500 && count(s, colour::grass) > 200000;
}

// Round and round a rectangle in the middle of the garden, clear of the
// fence, starting from the start cell heading right. On each leg the head is
// the worm's farthest pixel along the way it goes; once it reaches the leg's
// end, the key turns it onto the next leg.
struct leg {
    int dx, dy;
    int reach; // of dx * x + dy * y
    const char *then;
};
constexpr leg loop[] = {{1, 0, 420, "x"}, {0, 1, 385, "a"}, {-1, 0, -140, "w"}, {0, -1, -175, "d"}};

int head_reach(const snapshot &s, const leg &way) {
    int reach = INT_MIN;
    for (int y = 0; y < s.height; y++)
        for (int x = 0; x < s.width; x++)
            if (s.pixels[size_t(y * s.width + x)] == colour::worm)
                reach = std::max(reach, way.dx * x + way.dy * y);
    return reach;
}

// Steers until one round is done and two apples are out, and the worm is
// bent round its last corner, where it shows its segments best.
std::optional<snapshot> play_until_apples(Display *dpy, Window w) {
    using clock = std::chrono::steady_clock;
    const clock::time_point give_up = clock::now() + std::chrono::seconds(30);
    clock::time_point turned = clock::now();
    for (size_t legs = 0; clock::now() < give_up; pause_ms(2)) {
        const snapshot shot = still(dpy, w);
        if (!game_running(shot)) return std::nullopt;
        const leg &way = loop[legs % std::size(loop)];
        if (head_reach(shot, way) >= way.reach) {
            send_key(dpy, w, way.then);
            turned = clock::now();
            legs++;
        }
        const auto since_turn = clock::now() - turned;
        const bool bent = since_turn > std::chrono::milliseconds(250) &&
                          since_turn < std::chrono::milliseconds(400);
        if (legs > std::size(loop) && bent && apples_out(shot)) return shot;
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
    if (!playing) return "the worm met a mushroom or the fence";
    send_key(dpy, w, "q");
    // The explosion lasts two seconds: time to look without stopping the game.
    pause_ms(300);
    const std::optional<snapshot> over = wait_for(dpy, w, game_over_drawn, 5, false);
    if (!over) return "no game-over screen";

    title->save_png(directory + "/title.png");
    playing->save_png(directory + "/game.png");
    over->save_png(directory + "/game-over.png");
    send_key(dpy, w, "e");
    return game.wait_exit(10) == 0 ? nullptr : "the game did not end on e";
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: screenshots <directory>\n");
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    for (int attempt = 1; attempt <= 8; attempt++) {
        const char *failure = take_pictures(argv[1]);
        if (!failure) return 0;
        fprintf(stderr, "screenshots: attempt %d: %s\n", attempt, failure);
    }
    fprintf(stderr, "screenshots: no attempt got all three pictures\n");
    return 1;
}
