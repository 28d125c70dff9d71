// SPDX-License-Identifier: MIT
#include "tests/integration/harness/harness.hpp"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

std::string to_string(const rgb &c) {
    char text[16];
    snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

bool wait_until(const std::function<bool()> &condition, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

namespace {
std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int ignore_x_errors(Display *, XErrorEvent *) {
    return 0;
}
} // namespace

// --- xvfb -----------------------------------------------------------------

xvfb::xvfb(int depth, int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe");
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char number[32] = {};
    size_t got = 0;
    while (got < sizeof number - 1) {
        const ssize_t n = read(fds[0], number + got, sizeof number - 1 - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
        if (memchr(number, '\n', got)) break;
    }
    close(fds[0]);
    if (got == 0) throw std::runtime_error("Xvfb did not start (is it installed?)");
    // Not ":" + std::string(...): GCC 12 at -O3 takes that for an overlapping copy (-Wrestrict).
    name_ = std::string(":").append(number, strcspn(number, "\n"));
    dpy_ = XOpenDisplay(name_.c_str());
    if (!dpy_) throw std::runtime_error("cannot connect to Xvfb " + name_);
    XSetErrorHandler(ignore_x_errors); // the game's window may go away under us
}

xvfb::~xvfb() {
    if (dpy_) XCloseDisplay(dpy_);
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

bool xvfb::hold_when(const std::function<bool()> &condition, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        XGrabServer(dpy_);
        XSync(dpy_, False);
        if (condition()) return true;
        release(); // the others get a turn while the server waits for the next grab
        if (std::chrono::steady_clock::now() > end) return false;
    }
}

void xvfb::release() {
    XUngrabServer(dpy_);
    XSync(dpy_, False);
}

// --- game_dir -------------------------------------------------------------

std::string build_data(const std::string &file) {
    return read_file(PELKO_BUILD_DATA "/" + file);
}

game_dir::game_dir(const std::vector<std::string> &files) {
    char pattern[] = "/tmp/pelko-test-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
    path_ = pattern;
    fs::create_directory(path_ + "/data");
    for (const std::string &file : files) fs::copy_file(PELKO_BUILD_DATA "/" + file, data(file));
}

game_dir::~game_dir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void game_dir::write_data(const std::string &file, const std::string &bytes) const {
    std::ofstream(data(file), std::ios::binary) << bytes;
}

void game_dir::remove_data(const std::string &file) const {
    fs::remove(data(file));
}

// --- game_process ---------------------------------------------------------

game_process::game_process(const game_dir &dir, const std::string &display,
                           const std::string &binary, const std::vector<std::string> &arguments)
    : out_path_(dir.path() + "/stdout"), err_path_(dir.path() + "/stderr") {
    std::vector<char *> argv{const_cast<char *>(binary.c_str())};
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(dir.path().c_str()) != 0) _exit(126);
        const int out = open(out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        if (display.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", display.c_str(), 1);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
}

game_process::~game_process() {
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool game_process::running() {
    if (status_ >= 0 || pid_ <= 0) return false;
    int status;
    if (waitpid(pid_, &status, WNOHANG) == 0) return true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
}

int game_process::wait_exit(double seconds) {
    if (wait_until([this] { return !running(); }, seconds)) return status_;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    status_ = -1;
    pid_ = -1;
    return -1;
}

std::string game_process::out() const {
    return read_file(out_path_);
}
std::string game_process::err() const {
    return read_file(err_path_);
}

// --- windows, keys, pixels ------------------------------------------------

Window find_window(Display *dpy, const std::string &name, double seconds) {
    Window found = None;
    wait_until(
        [&] {
            Window root, parent, *children = nullptr;
            unsigned count = 0;
            XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count);
            for (unsigned i = 0; i < count && found == None; i++) {
                char *title = nullptr;
                if (XFetchName(dpy, children[i], &title) && title) {
                    XWindowAttributes attributes;
                    if (name == title && XGetWindowAttributes(dpy, children[i], &attributes) &&
                        attributes.map_state == IsViewable)
                        found = children[i];
                    XFree(title);
                }
            }
            if (children) XFree(children);
            return found != None;
        },
        seconds);
    return found;
}

void send_key(Display *dpy, Window w, const std::string &keysym, bool shifted) {
    XSetInputFocus(dpy, w, RevertToParent, CurrentTime);
    const KeyCode shift = XKeysymToKeycode(dpy, XK_Shift_L);
    const KeyCode code = XKeysymToKeycode(dpy, XStringToKeysym(keysym.c_str()));
    if (shifted) XTestFakeKeyEvent(dpy, shift, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    if (shifted) XTestFakeKeyEvent(dpy, shift, False, CurrentTime);
    XSync(dpy, False);
}

snapshot::snapshot(Display *dpy, Window w, int x, int y, int width_, int height_)
    : x0(x), y0(y), width(width_), height(height_) {
    XImage *image = XGetImage(dpy, w, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) throw std::runtime_error("XGetImage failed");
    XWindowAttributes attributes;
    XGetWindowAttributes(dpy, w, &attributes);
    std::map<unsigned long, rgb> known;
    pixels.reserve(static_cast<size_t>(width * height));
    for (int j = 0; j < height; j++) {
        for (int i = 0; i < width; i++) {
            const unsigned long pixel = XGetPixel(image, i, j);
            auto it = known.find(pixel);
            if (it == known.end()) {
                XColor c{};
                c.pixel = pixel;
                XQueryColor(dpy, attributes.colormap, &c);
                it = known
                         .emplace(pixel, rgb{static_cast<uint8_t>(c.red >> 8),
                                             static_cast<uint8_t>(c.green >> 8),
                                             static_cast<uint8_t>(c.blue >> 8)})
                         .first;
            }
            pixels.push_back(it->second);
        }
    }
    XDestroyImage(image);
}

rgb snapshot::at(int x, int y) const {
    if (x < x0 || y < y0 || x >= x0 + width || y >= y0 + height)
        throw std::out_of_range("pixel outside the snapshot");
    return pixels[static_cast<size_t>((y - y0) * width + (x - x0))];
}

long snapshot::count(const rgb &c) const {
    return std::count(pixels.begin(), pixels.end(), c);
}

bool snapshot::save_ppm(const std::string &path) const {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    for (const rgb &c : pixels)
        out.put(static_cast<char>(c.r)).put(static_cast<char>(c.g)).put(static_cast<char>(c.b));
    return out.good();
}

void snapshot::save_png(const std::string &path) const {
    const std::string ppm = path + ".ppm";
    save_ppm(ppm);
    const std::string command = "convert '" + ppm + "' '" + path + "' && rm -f '" + ppm + "'";
    if (system(command.c_str()) != 0) fprintf(stderr, "could not write %s\n", path.c_str());
}

::testing::AssertionResult region_matches(const snapshot &shot, int x, int y,
                                          const std::vector<std::string> &rows,
                                          const std::vector<std::pair<char, rgb>> &legend) {
    std::ostringstream problems;
    int wrong = 0;
    for (size_t j = 0; j < rows.size(); j++) {
        for (size_t i = 0; i < rows[j].size(); i++) {
            const char mark = rows[j][i];
            if (mark == '.') continue;
            const rgb *want = nullptr;
            for (const auto &[m, c] : legend)
                if (m == mark) want = &c;
            if (!want) return ::testing::AssertionFailure() << "no colour for '" << mark << "'";
            const int px = x + static_cast<int>(i), py = y + static_cast<int>(j);
            const rgb got = shot.at(px, py);
            if (got == *want) continue;
            if (wrong++ < 8)
                problems << " (" << px << "," << py << ") is " << to_string(got) << " not "
                         << to_string(*want) << ";";
        }
    }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ:" << problems.str();
}

// --- expected pictures ----------------------------------------------------

const std::vector<std::pair<char, rgb>> &palette_legend() {
    using namespace colour;
    static const std::vector<std::pair<char, rgb>> legend = {
        {'0', help},      {'1', white},      {'2', worm},    {'3', apple_red}, {'4', apple_green},
        {'5', grass},     {'6', grey},       {'7', cap_red}, {'8', spot},      {'9', night},
        {'a', logo_dark}, {'b', logo_light}, {'c', pink},    {'d', sky},       {'e', label},
    };
    return legend;
}

namespace sprite {
const std::vector<std::string> segment = {".FFFFF.", "FFFFFFF", "FFFFFFF", "FFFFFFF",
                                          "FFFFFFF", "FFFFFFF", ".FFFFF."};
const std::vector<std::string> apple = {"...444.", "..344..", ".33433.", "3333333",
                                        "3333333", ".33333.", "..333.."};
const std::vector<std::string> mushroom = {"..778..", ".78777.", "7877878", "...7...",
                                           "...6...", "...6...", "..666.."};
const std::vector<std::string> fence = {"6666666", "6.6.6.6", "6666666", "6.6.6.6",
                                        "6666666", "6.6.6.6", "6666666"};
} // namespace sprite

sketch::sketch(int x, int y, int width, int height, char background)
    : x0(x), y0(y),
      rows(static_cast<size_t>(height), std::string(static_cast<size_t>(width), background)) {}

sketch &sketch::stamp(int cx, int cy, const std::vector<std::string> &sprite, char foreground) {
    for (int dy = -3; dy <= 3; dy++) {
        for (int dx = -3; dx <= 3; dx++) {
            const char mark = sprite[static_cast<size_t>(dy + 3)][static_cast<size_t>(dx + 3)];
            const int i = cx + dx - x0, j = cy + dy - y0;
            if (mark == '.' || j < 0 || j >= static_cast<int>(rows.size()) || i < 0 ||
                i >= static_cast<int>(rows[0].size()))
                continue; // outside the picture, as the server clips outside the window
            rows[static_cast<size_t>(j)][static_cast<size_t>(i)] = mark == 'F' ? foreground : mark;
        }
    }
    return *this;
}

::testing::AssertionResult region_matches(const snapshot &shot, const sketch &expected) {
    return region_matches(shot, expected.x0, expected.y0, expected.rows, palette_legend());
}
