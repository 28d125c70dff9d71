// SPDX-License-Identifier: MIT
// From exec to the mapped window, and the game's peak resident memory, on an
// 8-bit Xvfb of its own; prints the median of several runs.
#include "tests/harness/harness.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {
// The game is the process working in its game_dir.
std::string process_in(const std::string &dir) {
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        std::error_code error;
        const auto cwd = std::filesystem::read_symlink(entry.path() / "cwd", error);
        if (!error && cwd == dir) return entry.path().filename();
    }
    return "";
}

long peak_rss_kib(const std::string &pid) {
    std::ifstream status("/proc/" + pid + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}
} // namespace

int main() {
    constexpr int runs = 15;
    xvfb server;
    std::vector<double> times;
    std::vector<long> peaks;
    for (int i = 0; i < runs; i++) {
        game_dir dir;
        const auto start = std::chrono::steady_clock::now();
        game_process game(dir, server.name());
        const Window w = find_window(server.dpy());
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (w == None) return 1;
        // Peak memory once the title screen has drawn its layout a few times.
        wait_until(
            [&] { return snapshot(server.dpy(), w, 297, 432, 1, 1).at(297, 432) == colour::grey; });
        peaks.push_back(peak_rss_kib(process_in(dir.path())));
        send_key(server.dpy(), w, "e");
        game.wait_exit();
    }
    std::sort(times.begin(), times.end());
    std::sort(peaks.begin(), peaks.end());
    printf("exec to mapped window: median %.1f ms (min %.1f, max %.1f) over %d runs\n",
           1e3 * times[runs / 2], 1e3 * times.front(), 1e3 * times.back(), runs);
    printf("peak RSS on the title screen: median %ld KiB (min %ld, max %ld)\n", peaks[runs / 2],
           peaks.front(), peaks.back());
}
