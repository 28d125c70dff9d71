// SPDX-License-Identifier: MIT
#include "tests/harness/harness.hpp"

#include "tools/png.hpp"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
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

namespace {
void change_environment(const std::vector<std::string> &changes) {
    for (const std::string &change : changes) {
        const size_t equals = change.find('=');
        if (equals == std::string::npos)
            unsetenv(change.c_str());
        else
            setenv(change.substr(0, equals).c_str(), change.c_str() + equals + 1, 1);
    }
}
} // namespace

std::vector<std::string> x11_environment(const game_dir &) {
    return {"WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "XDG_RUNTIME_DIR"};
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

// --- processes --------------------------------------------------------------

pid_t start_process(const std::vector<std::string> &command, const std::string &directory,
                    const std::string &out, const std::string &err,
                    const std::vector<std::string> &environment) {
    std::vector<char *> argv;
    for (const std::string &word : command) argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    // Emptied before the fork: a test reading the log at once must not see the
    // one a program started before it left in the same file.
    const int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err_fd =
        err == out ? out_fd : open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(126);
        dup2(out_fd, 1);
        dup2(err_fd, 2);
        change_environment(environment);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(out_fd);
    if (err_fd != out_fd) close(err_fd);
    return pid;
}

std::vector<pid_t> children(pid_t pid) {
    std::vector<pid_t> found;
    std::error_code gone;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto &task : fs::directory_iterator(tasks, gone)) {
        std::ifstream in(task.path() / "children");
        for (pid_t child; in >> child;) found.push_back(child);
    }
    return found;
}

void stop_process(pid_t &pid, int signal) {
    if (pid > 0) {
        kill(pid, signal);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

// --- xvfb -----------------------------------------------------------------

xvfb::xvfb(int depth, int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe");
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    pid_ = start_process({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                          "-nolisten", "tcp", "-noreset"},
                         "", "/dev/null", "/dev/null", {});
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
    stop_process(pid_);
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

void xvfb::kill_server() {
    XCloseDisplay(dpy_); // a broken connection of our own would end the test
    dpy_ = nullptr;
    stop_process(pid_, SIGKILL);
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
                           const std::string &binary, const std::vector<std::string> &arguments,
                           const std::vector<std::string> &environment)
    : out_path_(dir.path() + "/stdout"), err_path_(dir.path() + "/stderr") {
    std::vector<std::string> command{binary},
        changes{display.empty() ? "DISPLAY" : "DISPLAY=" + display};
    command.insert(command.end(), arguments.begin(), arguments.end());
    changes.insert(changes.end(), environment.begin(), environment.end());
    pid_ = start_process(command, dir.path(), out_path_, err_path_, changes);
}

game_process::~game_process() {
    if (running()) stop_process(pid_, SIGKILL);
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
    stop_process(pid_, SIGKILL);
    status_ = -1;
    return -1;
}

std::string game_process::out() const {
    return read_file(out_path_);
}
std::string game_process::err() const {
    return read_file(err_path_);
}

// --- windows, keys, pixels ------------------------------------------------

namespace {
// SDL sets both names; weston's output window only the EWMH one.
bool has_name(Display *dpy, Window w, const std::string &name) {
    char *title = nullptr;
    if (XFetchName(dpy, w, &title) && title) {
        const bool same = name == title;
        XFree(title);
        return same;
    }
    Atom type = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(dpy, w, XInternAtom(dpy, "_NET_WM_NAME", False), 0, 256, False,
                           AnyPropertyType, &type, &format, &n, &after, &data) != Success ||
        !data)
        return false;
    const bool same = format == 8 && name == std::string(reinterpret_cast<char *>(data), n);
    XFree(data);
    return same;
}

// Depth first, so that under a window manager it is found inside its frame.
Window find_in(Display *dpy, Window w, const std::string &name) {
    Window root, parent, *children = nullptr, found = None;
    unsigned count = 0;
    if (!XQueryTree(dpy, w, &root, &parent, &children, &count)) return None;
    for (unsigned i = 0; i < count && found == None; i++) {
        XWindowAttributes attributes;
        if (has_name(dpy, children[i], name) &&
            XGetWindowAttributes(dpy, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            found = children[i];
        else
            found = find_in(dpy, children[i], name);
    }
    if (children) XFree(children);
    return found;
}
} // namespace

Window find_window(Display *dpy, const std::string &name, double seconds) {
    Window found = None;
    wait_until([&] { return (found = find_in(dpy, DefaultRootWindow(dpy), name)) != None; },
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

namespace {
void put_image(Display *dpy, XImage *image, XShmSegmentInfo &shm) {
    if (shm.shmaddr) {
        XShmDetach(dpy, &shm);
        XSync(dpy, False);
        shmdt(shm.shmaddr);
    }
    XDestroyImage(image);
}

// A box of the window's pixels, through shared memory when it is large and
// the server offers it: a whole screen comes several times sooner than through
// the connection, but a few pixels come sooner without the setting up.
XImage *get_image(Display *dpy, Window w, const XWindowAttributes &a, int x, int y, int width,
                  int height, XShmSegmentInfo &shm) {
    shm.shmaddr = nullptr;
    XImage *image =
        width * height >= 1 << 16 && XShmQueryExtension(dpy)
            ? XShmCreateImage(dpy, a.visual, static_cast<unsigned>(a.depth), ZPixmap, nullptr, &shm,
                              static_cast<unsigned>(width), static_cast<unsigned>(height))
            : nullptr;
    if (image) {
        shm.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line * height),
                           IPC_CREAT | 0600);
        shm.shmaddr = image->data = static_cast<char *>(shmat(shm.shmid, nullptr, 0));
        shm.readOnly = False;
        XShmAttach(dpy, &shm);
        XSync(dpy, False);
        shmctl(shm.shmid, IPC_RMID, nullptr); // gone once the server and we let go
        if (XShmGetImage(dpy, w, image, x, y, AllPlanes)) return image;
        put_image(dpy, image, shm);
        shm.shmaddr = nullptr;
    }
    return XGetImage(dpy, w, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                     AllPlanes, ZPixmap);
}
} // namespace

namespace {
// The colours of the pixel values through the window's colormap: of each
// value up to 255 on 8 bits; on 24 (TrueColor or DirectColor, a byte a
// component) the red of value i << 16, the green of i << 8 and the blue of i.
std::vector<rgb> colormap_cells(Display *dpy, const XWindowAttributes &a) {
    const Visual *v = a.visual;
    const bool bytes = v->red_mask == 0xff0000 && v->green_mask == 0xff00 && v->blue_mask == 0xff;
    if (a.depth > 8 && !bytes) throw std::runtime_error("a visual the harness cannot read");
    std::vector<rgb> cells;
    if (v->c_class == TrueColor && bytes) { // the value is the colour: nothing to ask
        for (int i = 0; i < 256; i++) cells.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
        return cells;
    }
    std::vector<XColor> query(a.depth > 8 ? 256 : size_t{1} << a.depth);
    for (size_t i = 0; i < query.size(); i++) query[i].pixel = a.depth > 8 ? i * 0x010101 : i;
    XQueryColors(dpy, a.colormap, query.data(), static_cast<int>(query.size()));
    for (const XColor &c : query)
        cells.push_back({static_cast<uint8_t>(c.red >> 8), static_cast<uint8_t>(c.green >> 8),
                         static_cast<uint8_t>(c.blue >> 8)});
    return cells;
}

// A row of the image as colours.
void read_row(XImage *image, int j, const std::vector<rgb> &cells, rgb *out) {
    const auto *row = reinterpret_cast<const uint8_t *>(image->data + j * image->bytes_per_line);
    if (image->depth <= 8 && image->bits_per_pixel == 8) {
        for (int i = 0; i < image->width; i++) *out++ = cells[row[i]];
    } else if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst) {
        for (const uint8_t *p = row; p < row + 4 * image->width; p += 4)
            *out++ = {cells[p[2]].r, cells[p[1]].g, cells[p[0]].b};
    } else {
        for (int i = 0; i < image->width; i++) {
            const unsigned long pixel = XGetPixel(image, i, j);
            *out++ = image->depth <= 8 ? cells[pixel]
                                       : rgb{cells[pixel >> 16 & 0xff].r,
                                             cells[pixel >> 8 & 0xff].g, cells[pixel & 0xff].b};
        }
    }
}
} // namespace

snapshot::snapshot(Display *dpy, Window w, int x, int y, int width_, int height_)
    : x0(x), y0(y), width(width_), height(height_) {
    XWindowAttributes a;
    XGetWindowAttributes(dpy, w, &a);
    const std::vector<rgb> cells = colormap_cells(dpy, a);
    XShmSegmentInfo shm;
    XImage *image = get_image(dpy, w, a, x, y, width, height, shm);
    if (!image) throw std::runtime_error("XGetImage failed");
    pixels.resize(static_cast<size_t>(width * height));
    for (int j = 0; j < height; j++)
        read_row(image, j, cells, pixels.data() + static_cast<size_t>(j * width));
    put_image(dpy, image, shm);
}

snapshot::snapshot(int x, int y, int width_, int height_, std::vector<rgb> pixels_)
    : x0(x), y0(y), width(width_), height(height_), pixels(std::move(pixels_)) {}

snapshot whole(Display *dpy, Window w) {
    XWindowAttributes a;
    XGetWindowAttributes(dpy, w, &a);
    return snapshot(dpy, w, 0, 0, a.width, a.height);
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

bool snapshot::save_png(const std::string &path, int scale) const {
    std::vector<uint8_t> bytes;
    for (int j = 0; j < height * scale; j++)
        for (int i = 0; i < width * scale; i++) {
            const rgb &c = pixels[static_cast<size_t>(j / scale * width + i / scale)];
            bytes.insert(bytes.end(), {c.r, c.g, c.b});
        }
    return write_file(path, png_encode(width * scale, height * scale, 3, bytes.data()));
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
    static const std::vector<std::pair<char, rgb>> legend = [] {
        std::vector<std::pair<char, rgb>> digits;
        for (int i = 0; i < PALETTE_SIZE; i++)
            digits.emplace_back("0123456789abcde"[i], palette_rgb(i));
        return digits;
    }();
    return legend;
}

sketch::sketch(int x, int y, int width, int height, char background)
    : x0(x), y0(y),
      rows(static_cast<size_t>(height), std::string(static_cast<size_t>(width), background)) {}

sketch &sketch::stamp(int cx, int cy, const sprite_patterns::pattern &sprite, char foreground) {
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

// --- pictures at a scale ----------------------------------------------------

::testing::AssertionResult shows_picture(const snapshot &shot, int x, int y,
                                         const snapshot &picture, int scale) {
    if (x < shot.x0 || y < shot.y0 || x + picture.width * scale > shot.x0 + shot.width ||
        y + picture.height * scale > shot.y0 + shot.height)
        return ::testing::AssertionFailure() << "the picture does not fit in the snapshot there";
    std::ostringstream problems;
    long wrong = 0;
    for (int j = 0; j < picture.height * scale; j++)
        for (int i = 0; i < picture.width * scale; i++) {
            const rgb want =
                picture.pixels[static_cast<size_t>(j / scale * picture.width + i / scale)];
            const rgb got = shot.at(x + i, y + j);
            if (got != want && wrong++ < 8)
                problems << " (" << x + i << "," << y + j << ") is " << to_string(got) << " not "
                         << to_string(want) << ";";
        }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ:" << problems.str();
}

std::optional<std::pair<int, int>> find_picture(const snapshot &shot, const snapshot &picture,
                                                int scale) {
    const auto matches_at = [&](int x,
                                int y) { // one pixel of each block first: most places fail at once
        for (int j = 0; j < picture.height; j++)
            for (int i = 0; i < picture.width; i++)
                if (shot.at(x + i * scale, y + j * scale) !=
                    picture.pixels[static_cast<size_t>(j * picture.width + i)])
                    return false;
        return static_cast<bool>(shows_picture(shot, x, y, picture, scale));
    };
    for (int y = shot.y0; y + picture.height * scale <= shot.y0 + shot.height; y++)
        for (int x = shot.x0; x + picture.width * scale <= shot.x0 + shot.width; x++)
            if (matches_at(x, y)) return std::pair{x, y};
    return std::nullopt;
}

std::optional<picture_box> white_framed_box(const snapshot &shot) {
    const auto white = [&](int i, int j) {
        return shot.pixels[static_cast<size_t>(j * shot.width + i)] == colour::white;
    };
    picture_box found{0, 0, 0, 0};
    for (int j = 0; j < shot.height; j++)
        for (int i = 0, run = 0; i <= shot.width; i++) {
            if (i < shot.width && white(i, j)) {
                run++;
                continue;
            }
            if (run > found.width) found = {i - run, j, run, 0};
            run = 0;
        }
    if (found.width == 0) return std::nullopt;
    // Down the left column or the right: a cursor may lie on one of them.
    for (const int x : {found.x, found.x + found.width - 1}) {
        int height = 0;
        while (found.y + height < shot.height && white(x, found.y + height)) height++;
        found.height = std::max(found.height, height);
    }
    return picture_box{shot.x0 + found.x, shot.y0 + found.y, found.width, found.height};
}

namespace {
// The picture pixels under output pixel p of `length` showing `count` of
// them: the first, the last (the same, or the next), and the last's share.
struct under {
    int first, last;
    double share;
};
under pixels_under(int p, int length, int count) {
    const int first = p * count / length, last = ((p + 1) * count - 1) / length;
    return {first, last, first == last ? 0 : p + 1 - static_cast<double>(last) * length / count};
}
} // namespace

::testing::AssertionResult shows_sharp(const snapshot &shot, const picture_box &at,
                                       const snapshot &picture) {
    if (at.x < shot.x0 || at.y < shot.y0 || at.x + at.width > shot.x0 + shot.width ||
        at.y + at.height > shot.y0 + shot.height)
        return ::testing::AssertionFailure() << "the box is not in the snapshot";
    std::ostringstream problems;
    long wrong = 0, seams = 0;
    const auto colour = [&](int i, int j) {
        return picture.pixels[static_cast<size_t>(j * picture.width + i)];
    };
    for (int j = 0; j < at.height; j++) {
        const under v = pixels_under(j, at.height, picture.height);
        for (int i = 0; i < at.width; i++) {
            const under h = pixels_under(i, at.width, picture.width);
            const rgb got = shot.at(at.x + i, at.y + j);
            const rgb in[4] = {colour(h.first, v.first), colour(h.last, v.first),
                               colour(h.first, v.last), colour(h.last, v.last)};
            bool right = got == in[0];
            if (h.first != h.last || v.first != v.last) {
                seams++;
                const double w[4] = {(1 - h.share) * (1 - v.share), h.share * (1 - v.share),
                                     (1 - h.share) * v.share, h.share * v.share};
                right = true;
                for (uint8_t rgb::*c : {&rgb::r, &rgb::g, &rgb::b}) {
                    int low = 255, high = 0;
                    double mixed = 0;
                    for (int k = 0; k < 4; k++) {
                        low = std::min<int>(low, in[k].*c);
                        high = std::max<int>(high, in[k].*c);
                        mixed += w[k] * in[k].*c;
                    }
                    const int value = got.*c;
                    right = right && value >= low && value <= high &&
                            std::abs(value - mixed) <= (high - low) / 2.0 + 1;
                }
            }
            if (!right && wrong++ < 8)
                problems << " (" << at.x + i << "," << at.y + j << ") is " << to_string(got)
                         << " over " << to_string(in[0]) << " " << to_string(in[3]) << ";";
        }
    }
    if (wrong == 0) return ::testing::AssertionSuccess() << seams << " seam pixels";
    return ::testing::AssertionFailure() << wrong << " pixels wrong:" << problems.str();
}

snapshot x_title_screen() {
    xvfb server;
    Display *dpy = server.dpy();
    game_dir dir;
    game_process game(dir, server.name());
    const Window w = find_window(dpy);
    // Both scores' "0", the last thing the title draws: 22 sky pixels each.
    const auto drawn = [&] {
        return snapshot(dpy, w, 116, 469, 7, 10).count(colour::sky) == 22 &&
               snapshot(dpy, w, 488, 469, 7, 10).count(colour::sky) == 22;
    };
    if (w == None || !wait_until(drawn, 60))
        throw std::runtime_error("the X build's title screen did not come up: " + game.err());
    XWindowAttributes outer;
    XGetWindowAttributes(dpy, w, &outer);
    const int border = outer.border_width;
    return snapshot(dpy, DefaultRootWindow(dpy), outer.x, outer.y, outer.width + 2 * border,
                    outer.height + 2 * border);
}

// --- a window manager and a compositor --------------------------------------

namespace {
constexpr size_t npos = std::string::npos;

std::string scratch_directory() {
    char pattern[] =
        "/tmp/pelko-desktop-XXXXXX"; // mkdtemp makes it 0700, as a runtime directory must be
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
    return pattern;
}

// A desktop's program with its output in a log, DISPLAY set and the environment's changes.
pid_t spawn(const std::vector<std::string> &command, const std::string &log,
            const std::string &display, std::vector<std::string> environment) {
    environment.insert(environment.begin(), "DISPLAY=" + display);
    return start_process(command, "", log, log, environment);
}

// What it started goes with it: weston's XWayland, and under dbus-run-session
// the bus and mutter with its XWayland.
void end(pid_t &pid, const std::string &dir) {
    std::vector<pid_t> tree{pid};
    for (size_t i = 0; pid > 0 && i < tree.size(); i++)
        for (const pid_t child : children(tree[i])) tree.push_back(child);
    for (size_t i = 1; i < tree.size(); i++) kill(tree[i], SIGTERM);
    stop_process(pid);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

[[noreturn]] void failed_to_start(const char *what, pid_t &pid, const std::string &dir) {
    const std::string log = read_file(dir + "/log");
    end(pid, dir);
    throw std::runtime_error(std::string(what) + " did not start: " + log);
}
} // namespace

window_manager::window_manager(const xvfb &server) : dir_(scratch_directory()) {
    std::ofstream(dir_ + "/rc.xml") << R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <theme><name>Clearlooks</name></theme>
  <desktops><number>1</number></desktops>
  <margins><top>0</top><bottom>0</bottom><left>0</left><right>0</right></margins>
  <keyboard></keyboard>
  <mouse></mouse>
</openbox_config>
)";
    pid_ = spawn({"openbox", "--sm-disable", "--config-file", dir_ + "/rc.xml"}, dir_ + "/log",
                 server.name(), {"XDG_CONFIG_HOME=" + dir_, "XDG_CACHE_HOME=" + dir_});
    Display *dpy = server.dpy();
    const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False);
    const bool managing = wait_until(
        [&] {
            Atom type = None;
            int format = 0;
            unsigned long n = 0, after = 0;
            unsigned char *data = nullptr;
            XGetWindowProperty(dpy, DefaultRootWindow(dpy), check, 0, 1, False, XA_WINDOW, &type,
                               &format, &n, &after, &data);
            if (data) XFree(data);
            return n == 1;
        },
        20);
    if (!managing) failed_to_start("openbox", pid_, dir_);
}

window_manager::~window_manager() {
    end(pid_, dir_);
}

dock::dock(Display *dpy, int height) : dpy_(dpy) {
    const int width = DisplayWidth(dpy, DefaultScreen(dpy));
    w_ = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, static_cast<unsigned>(width),
                             static_cast<unsigned>(height), 0, 0, 0x303030);
    const Atom dock_type = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(dpy, w_, XInternAtom(dpy, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(&dock_type), 1);
    // left, right, top, bottom, then each one's start and end along its edge
    const long strut[12] = {0, 0, height, 0, 0, 0, 0, 0, 0, width - 1, 0, 0};
    XChangeProperty(dpy, w_, XInternAtom(dpy, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(strut), 12);
    XChangeProperty(dpy, w_, XInternAtom(dpy, "_NET_WM_STRUT", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(strut), 4);
    XSizeHints where{};
    where.flags = USPosition | PPosition; // where it is, not where a placement policy would put it
    XSetWMNormalHints(dpy, w_, &where);
    XMapWindow(dpy, w_);
    XSync(dpy, False);
}

dock::~dock() {
    XDestroyWindow(dpy_, w_);
    XSync(dpy_, False);
}

wayland_sizes wayland_requests(const std::string &log) {
    wayland_sizes sizes;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        size_t at = line.find(".set_min_size(");
        if (at != std::string::npos && line.find("xdg_toplevel@") != std::string::npos)
            sscanf(line.c_str() + at, ".set_min_size(%d, %d)", &sizes.min_width, &sizes.min_height);
        at = line.find(".set_window_geometry(");
        if (at != std::string::npos)
            sscanf(line.c_str() + at, ".set_window_geometry(%d, %d, %d, %d)", &sizes.geometry.x,
                   &sizes.geometry.y, &sizes.geometry.width, &sizes.geometry.height);
    }
    return sizes;
}

compositor::compositor(const xvfb &server, int width, int height, bool xwayland)
    : dir_(scratch_directory()), socket_("pelko-test-" + std::to_string(getpid())) {
    std::ofstream(dir_ + "/weston.ini") << "[core]\nidle-time=0\n"
                                           "[shell]\nbackground-color=0xff204060\n"
                                           "panel-position=none\nlocking=false\nanimation=none\n"
                                           "close-animation=none\nstartup-animation=none\n"
                                           "focus-animation=none\n[input-method]\npath=\n";
    std::vector<std::string> command{"weston",
                                     "--backend=x11-backend.so",
                                     "--use-pixman",
                                     "--socket=" + socket_,
                                     "--width=" + std::to_string(width),
                                     "--height=" + std::to_string(height),
                                     "--config=" + dir_ + "/weston.ini"};
    if (xwayland) command.push_back("--xwayland");
    pid_ = spawn(command, dir_ + "/log", server.name(),
                 {"XDG_RUNTIME_DIR=" + dir_, "WAYLAND_DISPLAY"});
    output_ = find_window(server.dpy(), "Weston Compositor - screen0", 20);
    if (output_ == None || !wait_until([&] { return fs::exists(dir_ + "/" + socket_); }))
        failed_to_start("weston", pid_, dir_);
    // It starts XWayland when a client first connects to the display it names.
    const std::string said = "xserver listening on display ";
    if (xwayland && !wait_until([&] { return read_file(dir_ + "/log").find(said) != npos; }))
        failed_to_start("weston's XWayland", pid_, dir_);
    const std::string log = read_file(dir_ + "/log");
    if (const size_t at = log.find(said); xwayland && at != npos)
        x_display_ = log.substr(at + said.size(), log.find('\n', at) - at - said.size());
}

compositor::~compositor() {
    end(pid_, dir_);
}

void compositor::kill_compositor() {
    stop_process(pid_, SIGKILL);
}

std::vector<std::string> compositor::client_environment(bool sdl_chooses) const {
    return {x_display_.empty() ? "DISPLAY" : "DISPLAY=" + x_display_, "WAYLAND_DISPLAY=" + socket_,
            "XDG_RUNTIME_DIR=" + dir_, sdl_chooses ? "SDL_VIDEODRIVER" : "SDL_VIDEODRIVER=wayland"};
}

// mutter --nested shows one output of the size its dummy monitor is given,
// and needs a session bus; its settings kept in memory, its files in the
// runtime directory.
mutter::mutter(const xvfb &server, int width, int height) {
    dir_ = scratch_directory();
    socket_ = "pelko-mutter-" + std::to_string(getpid());
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    pid_ = spawn({"dbus-run-session", "--", "mutter", "--nested", "--wayland",
                  "--wayland-display=" + socket_},
                 dir_ + "/log", server.name(),
                 {"XDG_RUNTIME_DIR=" + dir_, "XDG_CONFIG_HOME=" + dir_, "XDG_CACHE_HOME=" + dir_,
                  "HOME=" + dir_, "GSETTINGS_BACKEND=memory", "WAYLAND_DISPLAY",
                  "MUTTER_DEBUG_DUMMY_MODE_SPECS=" + size});
    const std::string said = "Using public X11 display ";
    output_ = find_window(server.dpy(), "mutter", 30);
    if (output_ == None || !wait_until(
                               [&] {
                                   return fs::exists(dir_ + "/" + socket_) &&
                                          read_file(dir_ + "/log").find(said) != npos;
                               },
                               30))
        failed_to_start("mutter", pid_, dir_);
    const std::string log = read_file(dir_ + "/log");
    const size_t at = log.find(said) + said.size();
    x_display_ = log.substr(at, log.find_first_of(", \n", at) - at);
}

Display *mutter::open_xwayland() const {
    std::string authority;
    for (const auto &entry : fs::directory_iterator(dir_))
        if (entry.path().filename().string().starts_with(".mutter-Xwaylandauth"))
            authority = entry.path().string();
    const char *before = getenv("XAUTHORITY");
    const std::string kept = before ? before : "";
    setenv("XAUTHORITY", authority.c_str(), 1);
    Display *x = XOpenDisplay(x_display_.c_str());
    if (before)
        setenv("XAUTHORITY", kept.c_str(), 1);
    else
        unsetenv("XAUTHORITY");
    return x;
}
