// SPDX-License-Identifier: MIT
// What a whole display stack costs while the game plays: CPU per second of
// the front-end (with everything it starts), the X server and, on Wayland,
// weston, on the title screen and in a game; the time from exec to the
// game's first pixels; the front-end's peak memory. Each stack is a command,
// so today's and tomorrow's front-ends are measured side by side, the first
// stack named being the baseline every figure is also given against.
//   bench_stack [--runs N] [--title S] [--game S] [--shots DIR] LABEL,SERVER,BINARY[,ARG...]...
// SERVER is x8 (an 8-bit Xvfb), x24 (a 24-bit one; SDL_VIDEODRIVER=x11) or
// weston (weston's x11 back-end with pixman on a 24-bit Xvfb;
// SDL_VIDEODRIVER=wayland, DISPLAY unset). Every Xvfb is 1920 x 1080.
#include "tests/harness/harness.hpp"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
using steady = std::chrono::steady_clock;
constexpr int SCREEN_W = 1920, SCREEN_H = 1080;
constexpr int FRAME_W = 647, BORDER = 5; // the window with its border, across

double since(steady::time_point t) {
    return std::chrono::duration<double>(steady::now() - t).count();
}
void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
double median(std::vector<double> v) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
double load_average() {
    double one = NAN;
    if (FILE *f = fopen("/proc/loadavg", "r")) {
        if (fscanf(f, "%lf", &one) != 1) one = NAN;
        fclose(f);
    }
    return one;
}

// --- processes ------------------------------------------------------------

struct proc_info {
    pid_t ppid;
    std::string comm;
    double cpu; // utime + stime, seconds
};

std::map<pid_t, proc_info> all_processes() {
    static const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    std::map<pid_t, proc_info> out;
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::string line;
        if (!std::getline(in, line)) continue;
        const size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        std::vector<std::string> f; // from field 3, the state
        for (std::string s; rest >> s && f.size() < 13;) f.push_back(s);
        if (f.size() < 13) continue;
        out[std::stoi(name)] = {std::stoi(f[1]), line.substr(open + 1, close - open - 1),
                                (std::stod(f[11]) + std::stod(f[12])) / tick};
    }
    return out;
}

// A process and all its descendants.
std::vector<pid_t> tree(const std::map<pid_t, proc_info> &procs, pid_t root) {
    std::vector<pid_t> found{root};
    for (size_t i = 0; i < found.size(); i++)
        for (const auto &[pid, info] : procs)
            if (info.ppid == found[i]) found.push_back(pid);
    return found;
}

long peak_rss_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

// A child with its environment changed ("NAME=value" sets, "NAME" unsets),
// its output in files under dir.
pid_t start(const std::vector<std::string> &argv, const std::string &dir,
            const std::vector<std::string> &environment, const std::string &log) {
    std::vector<char *> args;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(126);
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(out, 2);
        change_environment(environment);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

bool alive(pid_t pid) {
    return waitpid(pid, nullptr, WNOHANG) == 0;
}

// SIGTERM to the process, then SIGKILL to what is left of its tree.
void stop_tree(pid_t pid) {
    const std::vector<pid_t> members = tree(all_processes(), pid);
    kill(pid, SIGTERM);
    if (!wait_until([&] { return !alive(pid); }, 5)) kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    for (pid_t p : members)
        if (p != pid && kill(p, 0) == 0) kill(p, SIGKILL);
}

// --- the screen -----------------------------------------------------------

// The whole root window through MIT-SHM, and colours by pixel value: on a
// TrueColor screen the value is the colour, on an 8-bit one the colormap says.
class screen {
  public:
    explicit screen(Display *dpy) : dpy_(dpy), root_(DefaultRootWindow(dpy)) {
        Visual *visual = DefaultVisual(dpy, DefaultScreen(dpy));
        true_colour_ = visual->c_class == TrueColor;
        image_ = XShmCreateImage(dpy, visual, static_cast<unsigned>(DefaultDepth(dpy, 0)), ZPixmap,
                                 nullptr, &shm_, SCREEN_W, SCREEN_H);
        shm_.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image_->bytes_per_line * SCREEN_H),
                            IPC_CREAT | 0600);
        shm_.shmaddr = image_->data = static_cast<char *>(shmat(shm_.shmid, nullptr, 0));
        shm_.readOnly = False;
        XShmAttach(dpy, &shm_);
        XSync(dpy, False);
        shmctl(shm_.shmid, IPC_RMID, nullptr);
    }
    ~screen() {
        XShmDetach(dpy_, &shm_);
        XSync(dpy_, False);
        XDestroyImage(image_);
        shmdt(shm_.shmaddr);
    }
    screen(const screen &) = delete;
    screen &operator=(const screen &) = delete;

    const XImage *grab() {
        XShmGetImage(dpy_, root_, image_, 0, 0, AllPlanes);
        refresh_colormap();
        return image_;
    }
    XImage *part(int x, int y, int w, int h) {
        return XGetImage(dpy_, root_, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h),
                         AllPlanes, ZPixmap);
    }
    void refresh_colormap() {
        if (true_colour_) return;
        std::array<XColor, 256> cells;
        for (unsigned i = 0; i < 256; i++) cells[i].pixel = i;
        XQueryColors(dpy_, DefaultColormap(dpy_, 0), cells.data(), 256);
        for (size_t i = 0; i < 256; i++)
            lut_[i] = {static_cast<uint8_t>(cells[i].red >> 8),
                       static_cast<uint8_t>(cells[i].green >> 8),
                       static_cast<uint8_t>(cells[i].blue >> 8)};
    }
    // Pixel values of a colour: one on TrueColor, any number of cells on 8 bits.
    std::vector<unsigned long> values(const rgb &c) const {
        if (true_colour_) return {static_cast<unsigned long>(c.r << 16 | c.g << 8 | c.b)};
        std::vector<unsigned long> v;
        for (size_t i = 0; i < 256; i++)
            if (lut_[i] == c) v.push_back(i);
        return v;
    }

  private:
    Display *dpy_;
    Window root_;
    bool true_colour_;
    XImage *image_;
    XShmSegmentInfo shm_{};
    std::array<rgb, 256> lut_{};
};

unsigned long pixel_at(const XImage *im, int x, int y) {
    const char *row = im->data + static_cast<ptrdiff_t>(y) * im->bytes_per_line;
    if (im->bits_per_pixel == 32) return reinterpret_cast<const uint32_t *>(row)[x] & 0xffffffu;
    return reinterpret_cast<const uint8_t *>(row)[x];
}

bool is_one_of(unsigned long p, const std::vector<unsigned long> &values) {
    return std::find(values.begin(), values.end(), p) != values.end();
}

// Calls f(x, y) for each pixel of the image holding one of the values.
template <typename F>
void each_match(const XImage *im, const std::vector<unsigned long> &values, F f) {
    if (values.empty()) return;
    for (int y = 0; y < im->height; y++)
        for (int x = 0; x < im->width; x++)
            if (is_one_of(pixel_at(im, x, y), values)) f(x, y);
}

bool has(const XImage *im, const std::vector<unsigned long> &values) {
    if (values.empty()) return false;
    if (im->bits_per_pixel == 32 && values.size() == 1) { // the start-up's poll: kept cheap
        const auto want = static_cast<uint32_t>(values[0]);
        for (int y = 0; y < im->height; y++) {
            const auto *row = reinterpret_cast<const uint32_t *>(
                im->data + static_cast<ptrdiff_t>(y) * im->bytes_per_line);
            for (int x = 0; x < im->width; x++)
                if ((row[x] & 0xffffffu) == want) return true;
        }
        return false;
    }
    for (int y = 0; y < im->height; y++)
        for (int x = 0; x < im->width; x++)
            if (is_one_of(pixel_at(im, x, y), values)) return true;
    return false;
}

// Where the game's pixel (0,0) is on the screen and how many device pixels
// one game pixel is: the window's white border is the only white run on the
// screen as wide as the frame.
struct placement {
    int x, y, scale;
};
std::optional<placement> find_frame(screen &s) {
    const XImage *im = s.grab();
    const std::vector<unsigned long> white = s.values(colour::white);
    std::optional<placement> found;
    for (int y = 0; y < SCREEN_H && !found; y++) {
        int length = 0;
        for (int x = 0; x <= SCREEN_W && !found; x++) {
            const bool is_white = x < SCREEN_W && is_one_of(pixel_at(im, x, y), white);
            if (is_white) {
                length++;
                continue;
            }
            if (length >= FRAME_W && length % FRAME_W == 0) {
                const int k = length / FRAME_W;
                found = placement{x - length + BORDER * k, y + BORDER * k, k};
            }
            length = 0;
        }
    }
    return found;
}

// --- a stack --------------------------------------------------------------

struct stack {
    std::string label, server;
    std::vector<std::string> command;
};

struct result {
    bool ok = false;
    std::string failure;
    double load = NAN, first_ms = NAN, title_ms = NAN;
    int scale = 0, attempts = 0, keys_lost = 0;
    // ms of CPU per s: front-end, X server, weston
    std::array<double, 3> title{NAN, NAN, NAN}, looked{NAN, NAN, NAN}, game{NAN, NAN, NAN};
    long rss_kib = 0;
    static double total(const std::array<double, 3> &cpu) {
        return cpu[0] + cpu[1] + (std::isnan(cpu[2]) ? 0 : cpu[2]);
    }
    double title_total() const { return total(title); }
    double game_total() const { return total(game); }
};

// The processes whose CPU counts, in three groups.
struct groups {
    pid_t front_end, x_server, weston = -1;
    std::array<double, 3> cpu() const {
        const auto procs = all_processes();
        std::array<double, 3> sums{0, 0, 0};
        const pid_t roots[3] = {front_end, x_server, weston};
        for (int g = 0; g < 3; g++) {
            if (roots[g] <= 0) continue;
            for (pid_t p : tree(procs, roots[g])) sums[static_cast<size_t>(g)] += procs.at(p).cpu;
        }
        return sums;
    }
};

std::array<double, 3> cpu_per_second(const groups &g, double seconds,
                                     const std::function<bool()> &during = {}) {
    const auto before = g.cpu();
    const auto t0 = steady::now();
    while (since(t0) < seconds) {
        if (during && !during()) return {NAN, NAN, NAN};
        if (!during) pause_ms(50);
    }
    const double wall = since(t0);
    const auto after = g.cpu();
    std::array<double, 3> out;
    for (size_t i = 0; i < 3; i++) out[i] = 1e3 * (after[i] - before[i]) / wall;
    if (g.weston <= 0) out[2] = NAN;
    return out;
}

// --- steering round a rectangle ------------------------------------------

// Four lanes: row TOP (where the worm starts, heading right), column right,
// row bottom, column left. A turn comes a tick or two late at most, which
// moves that lane outwards by a cell or two: those cells must be free too.
struct rectangle {
    int left, right, bottom;
};
constexpr int CELL = 7, TOP = 175;

struct game_view {
    screen &s;
    Display *dpy;
    placement at;
    // Does the colour show anywhere in the game's box from (x0,y0) to (x1,y1)
    // (a row or a column of game pixels for the steering's looks)?
    bool shows(const rgb &c, int x0, int y0, int x1, int y1) {
        const int k = at.scale;
        XImage *im = s.part(at.x + x0 * k, at.y + y0 * k, (x1 - x0) * k + 1, (y1 - y0) * k + 1);
        if (!im) return false;
        const bool found = has(im, s.values(c));
        XDestroyImage(im);
        return found;
    }
    bool worm_on(int x0, int y0, int x1, int y1) { return shows(colour::worm, x0, y0, x1, y1); }
    // Game cells (centres) showing a mushroom's cap.
    std::vector<std::pair<int, int>> mushrooms() {
        const int k = at.scale;
        XImage *im = s.part(at.x, at.y, 637 * k, 511 * k);
        std::vector<std::pair<int, int>> cells;
        if (!im) return cells;
        each_match(im, s.values(colour::cap_red), [&](int x, int y) {
            const int cx = 28 + CELL * static_cast<int>(std::lround((x / k - 28) / double(CELL)));
            const int cy = 28 + CELL * static_cast<int>(std::lround((y / k - 28) / double(CELL)));
            if (std::find(cells.begin(), cells.end(), std::pair{cx, cy}) == cells.end())
                cells.emplace_back(cx, cy);
        });
        XDestroyImage(im);
        return cells;
    }
};

bool blocked(const rectangle &r, const std::vector<std::pair<int, int>> &mushrooms) {
    const int slack = 3 * CELL;
    for (auto [x, y] : mushrooms) {
        const bool in_rows = y >= TOP - slack && y <= r.bottom + slack;
        const bool in_columns = x >= r.left - slack && x <= r.right + slack;
        if (in_columns &&
            ((y <= TOP && y >= TOP - slack) || (y >= r.bottom && y <= r.bottom + slack)))
            return true;
        if (in_rows &&
            ((x >= r.right && x <= r.right + slack) || (x <= r.left && x >= r.left - slack)))
            return true;
    }
    return false;
}

// A rectangle of 50 x 30 cells, or near it, clear of every mushroom.
std::optional<rectangle> plan(const std::vector<std::pair<int, int>> &mushrooms) {
    for (int d = 0; d < 12; d++)
        for (int dl = -d; dl <= d; dl++)
            for (int dr = -d; dr <= d; dr++)
                for (int db = -d; db <= d; db++) {
                    if (std::max({std::abs(dl), std::abs(dr), std::abs(db)}) != d) continue;
                    const rectangle r{133 + CELL * dl, 483 + CELL * dr, 385 + CELL * db};
                    if (r.left < 49 || r.right > 560 || r.bottom > 413) continue;
                    if (!blocked(r, mushrooms)) return r;
                }
    return std::nullopt;
}

// Sends the turn when the head reaches the leg's end; false when it does not
// come in time (the worm is dead).
class steering {
  public:
    steering(game_view &view, rectangle r) : v_(view), r_(r), leg_start_(steady::now()) {}
    bool step() {
        const int slack = 3 * CELL, near = 3;
        bool reached = false;
        switch (leg_ % 4) {
        case 0:
            reached = v_.worm_on(r_.right, TOP - slack, r_.right, TOP + near);
            break;
        case 1:
            reached = v_.worm_on(r_.right - near, r_.bottom, r_.right + slack, r_.bottom);
            break;
        case 2:
            reached = v_.worm_on(r_.left, r_.bottom - near, r_.left, r_.bottom + slack);
            break;
        case 3:
            reached = v_.worm_on(r_.left - slack, TOP, r_.left + near, TOP);
            break;
        }
        if (reached) {
            static const char *turns[] = {"x", "a", "w", "d"};
            const KeyCode code = XKeysymToKeycode(v_.dpy, XStringToKeysym(turns[leg_ % 4]));
            XTestFakeKeyEvent(v_.dpy, code, True, CurrentTime);
            XTestFakeKeyEvent(v_.dpy, code, False, CurrentTime);
            XSync(v_.dpy, False);
            leg_++;
            leg_start_ = steady::now();
        }
        pause_ms(10);
        return since(leg_start_) < 3.5; // the longest leg is 70 cells, 1.4 s
    }

  private:
    game_view &v_;
    rectangle r_;
    int leg_ = 0;
    steady::time_point leg_start_;
};

// --- one measurement ------------------------------------------------------

struct servers {
    std::unique_ptr<xvfb> x;
    pid_t weston = -1;
    std::string runtime_dir, socket;
    ~servers() {
        if (weston > 0) stop_tree(weston);
        if (!runtime_dir.empty()) std::filesystem::remove_all(runtime_dir);
    }
};

pid_t child_named(const char *comm) {
    const auto procs = all_processes();
    for (const auto &[pid, info] : procs)
        if (info.ppid == getpid() && info.comm == comm) return pid;
    return -1;
}

// The whole screen as a PNG, to look at what was measured.
std::string shots_dir;
void shot(Display *dpy, const std::string &name) {
    if (shots_dir.empty()) return;
    snapshot(dpy, DefaultRootWindow(dpy), 0, 0, SCREEN_W, SCREEN_H)
        .save_png(shots_dir + "/" + name + ".png");
}

result measure(const stack &st, double title_seconds, double game_seconds, int run) {
    result res;
    res.load = load_average();
    servers srv;
    srv.x = std::make_unique<xvfb>(st.server == "x8" ? 8 : 24, SCREEN_W, SCREEN_H);
    // The harness's Xvfb is the one child of ours of that name for now.
    groups g{-1, child_named("Xvfb")};
    char pattern[] = "/tmp/pelko-bench-XXXXXX";
    srv.runtime_dir = mkdtemp(pattern);
    std::vector<std::string> env{"XDG_RUNTIME_DIR=" + srv.runtime_dir};
    if (st.server == "weston") {
        srv.socket = "wayland-bench";
        srv.weston = start(
            {"weston", "--backend=x11-backend.so", "--use-pixman",
             "--width=" + std::to_string(SCREEN_W), "--height=" + std::to_string(SCREEN_H),
             "--socket=" + srv.socket, "--idle-time=0", "--no-config"},
            srv.runtime_dir, {"DISPLAY=" + srv.x->name(), env[0]}, srv.runtime_dir + "/weston.log");
        g.weston = srv.weston;
        // Its socket first; then a while for its shell to draw the desktop.
        if (!wait_until([&] { return std::filesystem::exists(srv.runtime_dir + "/" + srv.socket); },
                        15)) {
            res.failure = "weston did not start";
            return res;
        }
        pause_ms(1500);
        env.insert(env.end(),
                   {"WAYLAND_DISPLAY=" + srv.socket, "DISPLAY", "SDL_VIDEODRIVER=wayland"});
    } else {
        env.insert(env.end(),
                   {"DISPLAY=" + srv.x->name(), "WAYLAND_DISPLAY", "SDL_VIDEODRIVER=x11"});
    }
    Display *dpy = srv.x->dpy();
    screen s(dpy);

    game_dir dir;
    const auto exec_time = steady::now();
    g.front_end = start(st.command, dir.path(), env, dir.path() + "/output");
    struct reaper {
        pid_t pid;
        ~reaper() { stop_tree(pid); }
    } reap{g.front_end};
    const auto failed = [&](const std::string &why) {
        std::ifstream log(dir.path() + "/output");
        std::string first;
        std::getline(log, first);
        res.failure = why + (first.empty() ? "" : " (" + first + ")");
        return res;
    };

    // Start-up: the whole screen looked at every 10 ms.
    while (std::isnan(res.title_ms)) {
        if (since(exec_time) > 30 || !alive(g.front_end)) return failed("no title screen");
        const XImage *im = s.grab();
        const double ms = 1e3 * since(exec_time);
        if (std::isnan(res.first_ms) && has(im, s.values(colour::night))) res.first_ms = ms;
        if (has(im, s.values(colour::label))) res.title_ms = ms;
        if (std::isnan(res.title_ms)) pause_ms(10);
    }
    if (std::isnan(res.first_ms)) res.first_ms = res.title_ms;
    pause_ms(500);
    const std::optional<placement> at = find_frame(s);
    if (!at) return failed("cannot find the game's border on the screen");
    res.scale = at->scale;

    // The title screen, nobody looking.
    res.title = cpu_per_second(g, title_seconds);
    shot(dpy, st.label + "-" + std::to_string(run) + "-title");
    // The same, looked at as the steering looks: what the looks add to the game's figure.
    game_view view{s, dpy, *at};
    res.looked = cpu_per_second(g, title_seconds / 2, [&] {
        view.worm_on(300, 154, 300, 178);
        pause_ms(10);
        return true;
    });

    // The window the keys go to: the top-level one under the game's pixels.
    Window child = None;
    int wx, wy;
    XTranslateCoordinates(dpy, DefaultRootWindow(dpy), DefaultRootWindow(dpy), at->x, at->y, &wx,
                          &wy, &child);
    if (child == None) return failed("no window under the game's pixels");
    for (res.attempts = 1; res.attempts <= 4; res.attempts++) {
        // The legend's words: the title screen is back.
        if (!wait_until([&] { return view.shows(colour::label, 320, 380, 420, 392); }, 15))
            return failed("the title screen did not come back");
        // The worm's first cell, once the wipe to grass is done and the garden laid out;
        // an 's' that started nothing is counted, and typed again.
        const auto game_shown = [&] { return view.worm_on(28, TOP, 34, TOP); };
        send_key(dpy, child, "s");
        if (!wait_until(game_shown, 3)) {
            res.keys_lost++;
            send_key(dpy, child, "s");
            if (!wait_until(game_shown, 5)) return failed("no game after 's' twice");
        }
        pause_ms(60);
        const std::optional<rectangle> r = plan(view.mushrooms());
        if (!r) continue;
        steering steer(view, *r);
        const auto warm = steady::now();
        bool alive_worm = true;
        while (alive_worm && since(warm) < 1.0) alive_worm = steer.step();
        if (alive_worm) res.game = cpu_per_second(g, game_seconds, [&] { return steer.step(); });
        if (alive_worm && !std::isnan(res.game[0])) break;
        res.game = {NAN, NAN, NAN};
    }
    if (std::isnan(res.game[0])) return failed("the worm did not stay alive");
    shot(dpy, st.label + "-" + std::to_string(run) + "-game");
    for (pid_t p : tree(all_processes(), g.front_end)) res.rss_kib += peak_rss_kib(p);
    res.ok = true;
    return res;
}

void print_result(int run, const stack &st, const result &r) {
    if (!r.ok) {
        printf("run %d  %-16s load %.2f  FAILED: %s\n", run, st.label.c_str(), r.load,
               r.failure.c_str());
        return;
    }
    printf("run %d  %-16s load %.2f  scale %d  first %6.0f ms  title %6.0f ms  "
           "title cpu %6.1f (%5.1f fe %5.1f X %5.1f weston)  looked at %5.1f  game cpu %6.1f "
           "(%5.1f fe %5.1f X %5.1f "
           "weston) ms/s  rss %ld KiB  games %d%s\n",
           run, st.label.c_str(), r.load, r.scale, r.first_ms, r.title_ms, r.title_total(),
           r.title[0], r.title[1], r.title[2], result::total(r.looked), r.game_total(), r.game[0],
           r.game[1], r.game[2], r.rss_kib, r.attempts, r.keys_lost ? "  ('s' typed again)" : "");
    fflush(stdout);
}

std::optional<stack> parse_stack(const std::string &text) {
    stack st;
    std::stringstream in(text);
    std::vector<std::string> parts;
    for (std::string part; std::getline(in, part, ',');) parts.push_back(part);
    if (parts.size() < 3) return std::nullopt;
    st.label = parts[0];
    st.server = parts[1];
    if (st.server != "x8" && st.server != "x24" && st.server != "weston") return std::nullopt;
    st.command.assign(parts.begin() + 2, parts.end());
    st.command[0] = std::filesystem::absolute(st.command[0]);
    return st;
}
} // namespace

int main(int argc, char **argv) {
    int runs = 5;
    double title_seconds = 6, game_seconds = 6;
    std::vector<stack> stacks;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--shots" && i + 1 < argc) {
            shots_dir = argv[++i];
            std::filesystem::create_directories(shots_dir);
        } else if ((a == "--runs" || a == "--title" || a == "--game") && i + 1 < argc) {
            const double value = std::stod(argv[++i]);
            if (a == "--runs") runs = static_cast<int>(value);
            if (a == "--title") title_seconds = value;
            if (a == "--game") game_seconds = value;
        } else if (auto st = parse_stack(a)) {
            stacks.push_back(*st);
        } else {
            fprintf(stderr, "usage: bench_stack [--runs N] [--title S] [--game S] [--shots DIR] "
                            "LABEL,{x8|x24|weston},BINARY[,ARG...]...\n");
            return 2;
        }
    }
    if (stacks.empty()) return 2;

    printf("command:");
    for (int i = 0; i < argc; i++) printf(" %s", argv[i]);
    printf(
        "\nscreens 1920x1080; %d runs, the stacks in turn; title window %.0f s, game window %.0f "
        "s\n"
        "cpu: utime+stime (/proc/PID/stat) per second of wall time of the front-end and all its\n"
        "  descendants (fe), the Xvfb (X) and weston with its clients, in ms/s\n"
        "first: exec to the game's night blue #000028 anywhere on the root window (the window's\n"
        "  background); title: exec to the title's label colour #fda5f4 anywhere on it (the\n"
        "  legend's words, drawn by the first title tick after the wipe and the logo); the whole\n"
        "  root window read through MIT-SHM every 10 ms (under weston: its output window)\n"
        "looked at: the title again for half as long, one line of 25 game pixels read every\n"
        "  10 ms as the steering reads: what the looks add to the game's figures\n"
        "game: the worm steered round a rectangle of about 50 x 30 cells clear of the mushrooms,\n"
        "  its head looked for on one line of pixels every 10 ms; the window starts 1 s in\n"
        "rss: VmHWM of the front-end and all its descendants together, after the game\n",
        runs, title_seconds, game_seconds);
    fflush(stdout);

    std::vector<std::vector<result>> all(stacks.size());
    for (int run = 1; run <= runs; run++)
        for (size_t i = 0; i < stacks.size(); i++) {
            all[i].push_back(measure(stacks[i], title_seconds, game_seconds, run));
            print_result(run, stacks[i], all[i].back());
        }

    printf("\nmedians over the runs (ratio: the stack's total over %s's total in the same run)\n",
           stacks[0].label.c_str());
    printf("%-16s %5s %8s %8s %24s %7s %24s %9s %9s %9s\n", "stack", "ok", "first", "title",
           "title cpu ms/s (fe+X+w)", "looked", "game cpu ms/s (fe+X+w)", "title x", "game x",
           "rss KiB");
    for (size_t i = 0; i < stacks.size(); i++) {
        std::vector<double> first, title, tc, lc, gc, tr, gr, rss, parts[6];
        int ok = 0;
        for (size_t run = 0; run < all[i].size(); run++) {
            const result &r = all[i][run];
            if (!r.ok) continue;
            ok++;
            first.push_back(r.first_ms);
            title.push_back(r.title_ms);
            tc.push_back(r.title_total());
            lc.push_back(result::total(r.looked));
            gc.push_back(r.game_total());
            rss.push_back(static_cast<double>(r.rss_kib));
            for (size_t p = 0; p < 3; p++) {
                parts[p].push_back(std::isnan(r.title[p]) ? 0 : r.title[p]);
                parts[3 + p].push_back(std::isnan(r.game[p]) ? 0 : r.game[p]);
            }
            const result &base = all[0][run];
            if (base.ok) {
                tr.push_back(r.title_total() / base.title_total());
                gr.push_back(r.game_total() / base.game_total());
            }
        }
        char tcs[64], gcs[64];
        snprintf(tcs, sizeof tcs, "%.1f (%.1f+%.1f+%.1f)", median(tc), median(parts[0]),
                 median(parts[1]), median(parts[2]));
        snprintf(gcs, sizeof gcs, "%.1f (%.1f+%.1f+%.1f)", median(gc), median(parts[3]),
                 median(parts[4]), median(parts[5]));
        printf("%-16s %2d/%-2zu %8.0f %8.0f %24s %7.1f %24s %9.2f %9.2f %9.0f\n",
               stacks[i].label.c_str(), ok, all[i].size(), median(first), median(title), tcs,
               median(lc), gcs, median(tr), median(gr), median(rss));
    }
}
