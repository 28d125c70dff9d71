// SPDX-License-Identifier: MIT
// bench_stack: what a front-end costs on a whole display stack, each on fresh
// servers, in rounds; what it measures and how to run it: README.md here.
#include "tests/harness/steering.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

namespace {
using clock_type = std::chrono::steady_clock;
using namespace std::chrono_literals;
using figures = std::map<std::string, std::vector<double>>; // samples by name

int screen_width = 1920, screen_height = 1080, runs = 5;
double seconds = 6;
bool loop = false;
std::string shots;

using stack = std::vector<std::string>; // label, server, command and its arguments

double since(clock_type::time_point t) {
    return std::chrono::duration<double>(clock_type::now() - t).count();
}

double median(std::vector<double> v) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// CPU seconds (user and system) of every process the benchmark started, by
// name, the front-end's as "front_end".
std::map<std::string, double> cpu_seconds(pid_t front_end) {
    std::map<std::string, double> cpu;
    std::vector<pid_t> tree{getpid()};
    for (size_t i = 0; i < tree.size(); i++) {
        for (const pid_t child : children(tree[i])) tree.push_back(child);
        std::string stat;
        std::getline(std::ifstream("/proc/" + std::to_string(tree[i]) + "/stat"), stat);
        char name[64];
        unsigned long user = 0, system = 0;
        if (i > 0 && sscanf(stat.c_str(),
                            "%*d (%63[^)]) %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                            name, &user, &system) == 3)
            cpu[tree[i] == front_end ? "front_end" : name] +=
                static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    return cpu;
}

double peak_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) return atof(line.c_str() + 6);
    return NAN;
}

// A run of a stack: its servers, the command started on them, what was measured.
struct run {
    explicit run(const stack &s) : st(s) {}
    const stack &st;
    xvfb x{st[1] == "x8" ? 8 : 24, screen_width, screen_height};
    std::unique_ptr<window_manager> manager =
        st[1] == "openbox" ? std::make_unique<window_manager>(x) : nullptr;
    std::unique_ptr<compositor> weston =
        st[1] == "weston" || st[1] == "xwayland"
            ? std::make_unique<compositor>(x, screen_width, screen_height, st[1] == "xwayland")
            : nullptr;
    game_dir dir;
    clock_type::time_point exec = // once weston's shell has drawn its desktop
        (std::this_thread::sleep_for(weston ? 1500ms : 0ms), clock_type::now());
    game_process fe = game_process(dir, weston ? "" : x.name(), st[2], {st.begin() + 3, st.end()},
                                   weston ? weston->client_environment(st[1] == "xwayland")
                                          : x11_environment(dir));
    Display *dpy = x.dpy();
    figures f;
    std::optional<game_view> view;

    std::runtime_error failed(const std::string &why) const {
        return std::runtime_error(why + ": " + fe.err().substr(0, fe.err().find('\n')));
    }
    snapshot screen() const { return whole(dpy, DefaultRootWindow(dpy)); }
    void shot(const std::string &name) const {
        if (!shots.empty()) screen().save_png(shots + "/" + name + ".png");
    }

    // What the command printed as "NAME VALUE" lines, once it ended.
    void printed() {
        if (fe.wait_exit(900) != 0) throw failed("it failed");
        std::istringstream out(fe.out());
        for (std::string line, n; std::getline(out, line);)
            if (double v; std::istringstream(line) >> n >> v) f[n].push_back(v);
    }

    // Exec to the first pixels of the title screen and to its legend, the
    // whole screen read every 10 ms; then where the game shows.
    void start_up() {
        while (!f.contains("title_ms")) {
            if (since(exec) > 30 || !fe.running()) throw failed("no title screen");
            const snapshot shot = screen();
            const double ms = 1e3 * since(exec);
            if (shot.count(colour::night) && !f.contains("first_pixels_ms"))
                f["first_pixels_ms"] = {ms};
            if (shot.count(colour::label)) f["title_ms"] = {ms};
            std::this_thread::sleep_for(10ms);
        }
        std::this_thread::sleep_for(500ms);
        if (!(view = find_game(dpy, DefaultRootWindow(dpy), screen())))
            throw failed("no game's border on the screen");
        f["scale"] = {static_cast<double>(view->scale)};
    }

    // CPU ms per s of each process of the stack, over `length` seconds while
    // `during` holds.
    bool cpu(const std::string &part, double length, const std::function<bool()> &during) {
        std::map<std::string, double> before = cpu_seconds(fe.pid());
        const auto start = clock_type::now();
        while (since(start) < length)
            if (!during()) return false;
        const double wall = since(start);
        f[part] = {0};
        for (const auto &[who, cpu_s] : cpu_seconds(fe.pid())) {
            f[part + "_" + who] = {1e3 * (cpu_s - before[who]) / wall};
            f[part][0] += f[part + "_" + who][0];
        }
        return true;
    }

    // A game steered round the garden, measured once a second in; a worm that
    // dies first, or finds no way round the mushrooms, means another game.
    void game() {
        const Window keys = weston ? weston->output() : find_window(dpy);
        for (int games = 1; !f.contains("game_cpu"); games++) {
            if (games > 4) throw failed("the worm did not stay alive");
            if (!wait_until([&] { return view->look(320, 380, 100, 12).count(colour::label); }, 15))
                throw failed("the title screen did not come back");
            // The worm's first cell, once the wipe is done and the garden laid out.
            const auto started = [&] { return view->look(28, 175, 7, 1).count(colour::worm) > 0; };
            bool game = false; // an 's' that started nothing is typed again
            for (int tries = 0; tries < 2 && !game; tries++)
                send_key(dpy, keys, "s"), game = wait_until(started, 4);
            if (!game) throw failed("no game after 's' twice");
            std::this_thread::sleep_for(60ms);
            steering steer(*view, keys);
            bool alive = steer.plan();
            for (const auto warm = clock_type::now(); alive && since(warm) < 1;)
                alive = steer.step();
            const auto measured = clock_type::now();
            if (alive && cpu("game_cpu", seconds, [&] { return steer.step(); }))
                f.insert({{"game_ticks_per_s", {steer.ticks_per_second(measured)}},
                          {"front_end_peak_kib", {peak_kib(fe.pid())}}});
        }
    }
};

figures measure(const stack &st, const std::string &name) {
    run r{st};
    if (loop) return r.printed(), r.f;
    r.start_up();
    r.cpu("title_cpu", seconds, [] { return std::this_thread::sleep_for(50ms), true; });
    r.shot(name + "-title");
    r.cpu("looked_at_title_cpu", seconds / 2, [&] { // as the steering looks
        return r.view->look(300, 154, 1, 25), std::this_thread::sleep_for(10ms), true;
    });
    r.game();
    r.shot(name + "-game");
    return r.f;
}

std::optional<stack> parse_stack(const std::string &text) {
    std::vector<std::string> words;
    std::stringstream in(text);
    for (std::string word; std::getline(in, word, ',');) // paths: the command runs elsewhere
        words.push_back(word.find('/') != std::string::npos && std::filesystem::exists(word)
                            ? std::filesystem::absolute(word).string()
                            : word);
    const std::set<std::string> kinds{"x8", "x24", "openbox", "weston", "xwayland"};
    if (words.size() < 3 || !kinds.contains(words[1])) return std::nullopt;
    return words;
}

// Takes an option: --loop or --NAME=VALUE.
bool option(const std::string &a) {
    return (a == "--loop" && (loop = true)) || sscanf(a.c_str(), "--runs=%d", &runs) == 1 ||
           sscanf(a.c_str(), "--seconds=%lf", &seconds) == 1 ||
           sscanf(a.c_str(), "--screen=%dx%d", &screen_width, &screen_height) == 2 ||
           (a.starts_with("--shots=") &&
            (std::filesystem::create_directories(shots = a.substr(8)), true));
}

// One run, its CPU also over the first stack's of its round; printed.
figures measured(const stack &st, int round, const figures &first) {
    const std::string name = st[0] + "-" + std::to_string(round);
    figures f;
    try {
        f = measure(st, name);
    } catch (const std::exception &e) {
        printf("%s FAILED: %s\n", name.c_str(), e.what());
        return f;
    }
    for (const std::string cpu : {"title_cpu", "game_cpu"})
        if (f.contains(cpu) && first.contains(cpu))
            f[cpu + "_over_first"] = {f[cpu][0] / first.at(cpu)[0]};
    printf("%s:", name.c_str());
    for (const auto &[n, samples] : f) printf(" %s %.2f", n.c_str(), median(samples));
    printf("\n");
    fflush(stdout);
    return f;
}
} // namespace

int main(int argc, char **argv) {
    std::vector<stack> stacks;
    for (int i = 1; i < argc; i++) {
        const std::optional<stack> st = parse_stack(argv[i]);
        if (st) stacks.push_back(*st);
        if (!st && !option(argv[i])) stacks.clear(), i = argc;
    }
    if (stacks.empty()) {
        fprintf(stderr, "usage: bench_stack [--runs=N] [--seconds=S] [--screen=WxH] [--shots=DIR] "
                        "[--loop] LABEL,{x8|x24|openbox|weston|xwayland},COMMAND[,ARG...]...\n");
        return 2;
    }
    printf("command:");
    for (int i = 0; i < argc; i++) printf(" %s", argv[i]);
    printf("\nscreen %dx%d; %d rounds of the stacks in turn\n", screen_width, screen_height, runs);
    std::vector<figures> all(stacks.size()); // every run's samples
    for (int round = 1; round <= runs; round++) {
        figures first;
        for (size_t i = 0; i < stacks.size(); i++) {
            const figures f = measured(stacks[i], round, first);
            if (i == 0) first = f;
            for (const auto &[n, v] : f) all[i][n].insert(all[i][n].end(), v.begin(), v.end());
        }
    }
    std::set<std::string> names;
    printf("\n%-34s", "medians");
    for (size_t i = 0; i < stacks.size(); i++) {
        printf(" %14s", stacks[i][0].c_str());
        for (const auto &[n, v] : all[i]) names.insert(n);
    }
    for (const std::string &n : names) {
        printf("\n%-34s", n.c_str());
        for (figures &f : all) printf(" %14.2f", median(f[n]));
    }
    printf("\n");
}
