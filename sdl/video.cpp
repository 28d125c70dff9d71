// SPDX-License-Identifier: MIT
// The window and its picture: the frame filling the window by the sharp rule
// (or a whole multiple), only what changed converted and put, the rest black.
// Each output pixel's samples come from tables made when the size changes.
// On X the picture goes into the window's own pixels (shared memory with the
// server); with a renderer (Wayland) into a texture of the window's size,
// drawn 1:1, of which only the changed boxes are uploaded.
#include "app/app.hpp"
#include "frame/frame.hpp"
#include "gfx/icon.hpp"
#include "sdl/sdl.hpp"
#include "x11/desktop.hpp"
#include "x11/lost.hpp"
#include "x11/screensaver.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

sdl_options options;

namespace {
SDL_Window *sdl_window;
SDL_Surface *surface; // what is painted: the window's pixels, or the texture's
picture_fit fit;      // the picture's place in it
sample_axis columns, rows;
SDL_Renderer *renderer; // and with a renderer:
SDL_Texture *texture;
bool present_pending;   // changes uploaded, not yet on screen
uint32_t pixel_of[256]; // each frame value in the surface's format
bool packed;            // 32-bit pixels of 8-bit channels: blended in place
bool on_x11;
SDL_Rect windowed; // the window's place before fullscreen, decorations left out
// Without a window manager nobody acts on SDL's fullscreen request: the
// window itself is made to cover the screen.
bool covering;
double laid_out_density; // device pixels per window unit at the last layout

// What is painted: the frame, or a picture covering it.
const uint8_t (*painted)[FRAME_WIDTH] = frame;
frame_rgb (*colour_of)(uint8_t) = frame_colour;

[[noreturn]] void fail(const char *what) {
    die("pelko-play: %s: %s", what, SDL_GetError());
}

// --- the picture ----------------------------------------------------------

// a + (b - a) w / 256 in each of the four bytes.
uint32_t mix(uint32_t a, uint32_t b, uint32_t w) {
    if (w == 0) return a;
    const uint32_t v = 256 - w;
    const uint32_t low = ((a & 0x00ff00ff) * v + (b & 0x00ff00ff) * w) >> 8 & 0x00ff00ff;
    const uint32_t high = ((a >> 8 & 0x00ff00ff) * v + (b >> 8 & 0x00ff00ff) * w) & 0xff00ff00;
    return low | high;
}

uint8_t mix(uint8_t a, uint8_t b, int w) {
    return static_cast<uint8_t>((a * (256 - w) + b * w) >> 8);
}

frame_rgb mix(frame_rgb a, frame_rgb b, int w) {
    return {mix(a.r, b.r, w), mix(a.g, b.g, w), mix(a.b, b.b, w)};
}

void store_pixel(uint8_t *at, int bytes, uint32_t value) {
    switch (bytes) {
    case 4:
        memcpy(at, &value, 4);
        break;
    case 2: {
        const auto v = static_cast<uint16_t>(value);
        memcpy(at, &v, 2);
        break;
    }
    case 3: // in memory order, as SDL keeps 24-bit pixels
        at[0] = static_cast<uint8_t>(value);
        at[1] = static_cast<uint8_t>(value >> 8);
        at[2] = static_cast<uint8_t>(value >> 16);
        break;
    default:
        *at = static_cast<uint8_t>(value);
    }
}

// One output row of columns [left, right): the game rows `upper` and `lower`
// (the same off a seam) mixed by `w`, each by the columns' samples.
void paint_row(uint8_t *row, int left, int right, const uint8_t *upper, const uint8_t *lower,
               int w) {
    if (packed) {
        auto *out = reinterpret_cast<uint32_t *>(row);
        for (int x = left; x < right; x++) {
            const int g = columns.source[x], wx = columns.weight[x];
            uint32_t c = pixel_of[upper[g]];
            if (wx) c = mix(c, pixel_of[upper[g + 1]], static_cast<uint32_t>(wx));
            if (w) {
                uint32_t below = pixel_of[lower[g]];
                if (wx) below = mix(below, pixel_of[lower[g + 1]], static_cast<uint32_t>(wx));
                c = mix(c, below, static_cast<uint32_t>(w));
            }
            out[x] = c;
        }
        return;
    }
    const int bytes = surface->format->BytesPerPixel;
    for (int x = left; x < right; x++) {
        const int g = columns.source[x], wx = columns.weight[x];
        const auto at = [&](const uint8_t *from) {
            return mix(colour_of(from[g]), colour_of(from[g + (wx ? 1 : 0)]), wx);
        };
        const frame_rgb c = mix(at(upper), at(lower), w);
        store_pixel(row + x * bytes, bytes, SDL_MapRGB(surface->format, c.r, c.g, c.b));
    }
}

// The output pixels that read the frame's box, painted; the output box.
SDL_Rect paint(const frame_box &box) {
    int left, right, top, bottom;
    output_span(columns, box.left, box.right, left, right);
    output_span(rows, box.top, box.bottom, top, bottom);
    if (left >= right || top >= bottom) return {0, 0, 0, 0};
    auto *pixels = static_cast<uint8_t *>(surface->pixels);
    const int bytes = surface->format->BytesPerPixel;
    for (int y = top; y < bottom; y++) {
        uint8_t *row = pixels + y * surface->pitch;
        const int g = rows.source[y], w = rows.weight[y];
        // Rows that sample alike are alike: copied.
        if (y > top && g == rows.source[y - 1] && w == rows.weight[y - 1]) {
            memcpy(row + left * bytes, row - surface->pitch + left * bytes,
                   static_cast<size_t>((right - left) * bytes));
            continue;
        }
        paint_row(row, left, right, painted[g], painted[w ? g + 1 : g], w);
    }
    return {left, top, right - left, bottom - top};
}

void map_colours() {
    const SDL_PixelFormat *f = surface->format;
    const auto byte_wide = [](uint32_t mask) {
        return mask == 0xff || mask == 0xff00 || mask == 0xff0000 || mask == 0xff000000;
    };
    packed =
        f->BytesPerPixel == 4 && byte_wide(f->Rmask) && byte_wide(f->Gmask) && byte_wide(f->Bmask);
    for (int v = 0; v < 256; v++) {
        const frame_rgb c = colour_of(static_cast<uint8_t>(v));
        pixel_of[v] = SDL_MapRGB(f, c.r, c.g, c.b);
    }
}

void present() {
    present_pending = false;
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
}

void upload(const SDL_Rect &r) {
    SDL_UpdateTexture(texture, &r,
                      static_cast<uint8_t *>(surface->pixels) + r.y * surface->pitch + r.x * 4,
                      surface->pitch);
}

// With a renderer: a texture and its pixels the renderer's output size.
bool size_texture(int width, int height) {
    if (surface && surface->w == width && surface->h == height) return true;
    if (texture) SDL_DestroyTexture(texture);
    SDL_FreeSurface(surface);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                width, height);
    surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    return texture && surface;
}

bool open_renderer() {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    renderer = SDL_CreateRenderer(sdl_window, -1, 0);
    if (!renderer) return false;
    int width, height;
    SDL_GetRendererOutputSize(renderer, &width, &height);
    if (size_texture(width, height)) return true;
    SDL_DestroyRenderer(renderer); // and the texture with it
    renderer = nullptr;
    texture = nullptr;
    SDL_FreeSurface(surface);
    surface = nullptr;
    return false;
}

// --- the window -----------------------------------------------------------

void set_icon() {
    constexpr int SIDE = 128;
    static const icon::picture picture = icon::draw();
    SDL_Surface *image = SDL_CreateRGBSurfaceWithFormat(0, SIDE, SIDE, 32, SDL_PIXELFORMAT_RGBA32);
    if (!image) return;
    auto *bytes = static_cast<uint8_t *>(image->pixels);
    for (int y = 0; y < SIDE; y++)
        for (int x = 0; x < SIDE; x++) {
            const icon::pixel p = icon::at(picture, SIDE, x, y);
            uint8_t *at = bytes + y * image->pitch + 4 * x;
            at[0] = p.c.r;
            at[1] = p.c.g;
            at[2] = p.c.b;
            at[3] = p.opaque ? 0xff : 0;
        }
    SDL_SetWindowIcon(sdl_window, image);
    SDL_FreeSurface(image);
}

// Device pixels per window coordinate: more than 1 on a scaled Wayland output.
double pixel_density() {
    int width, height, pixel_width, pixel_height;
    SDL_GetWindowSize(sdl_window, &width, &height);
    SDL_GetWindowSizeInPixels(sdl_window, &pixel_width, &pixel_height);
    return width > 0 ? static_cast<double>(pixel_width) / width : 1.0;
}

int in_window_units(int pixels, double density) {
    return static_cast<int>((pixels + density - 1) / density);
}

// The content never smaller than the frame, in device pixels.
void set_minimum_size() {
    const double density = pixel_density();
    SDL_SetWindowMinimumSize(sdl_window, in_window_units(FRAME_WIDTH, density),
                             in_window_units(FRAME_HEIGHT, density));
}

// A Wayland client is told nothing of the panels (a top bar, a dock) nor of
// its title bar's height before it has one, and an X window manager that
// publishes no work area (XWayland's) tells nothing either: room is left
// for them. Without a window manager there is nothing else on the screen.
constexpr int PANELS_AND_TITLE = 96;

bool managed() {
    return !on_x11 || x11_managed(sdl_window);
}

bool usable_area_known() {
    return on_x11 && (x11_has_work_area(sdl_window) || !managed());
}

// The window's content for the room the desktop leaves it, in window units.
window_size content_for(SDL_Rect room, double density) {
    if (!usable_area_known()) room.h -= PANELS_AND_TITLE;
    const window_size pixels =
        default_window(static_cast<int>(room.w * density), static_cast<int>(room.h * density),
                       options.scale, options.integer);
    return {in_window_units(pixels.width, density), in_window_units(pixels.height, density)};
}

SDL_Rect usable_area() {
    SDL_Rect usable{0, 0, FRAME_WIDTH, FRAME_HEIGHT};
    SDL_GetDisplayUsableBounds(std::max(SDL_GetWindowDisplayIndex(sdl_window), 0), &usable);
    return usable;
}

SDL_Rect window_place() {
    SDL_Rect place;
    SDL_GetWindowPosition(sdl_window, &place.x, &place.y);
    SDL_GetWindowSize(sdl_window, &place.w, &place.h);
    return place;
}

// A window manager adds its decorations round the window: once they are
// known, the window and they are fitted inside the usable area, centred.
// Gives the place asked for: a busy window manager may not have moved the
// window there yet.
SDL_Rect fit_decorations_inside() {
    int top = 0, left = 0, bottom = 0, right = 0;
    SDL_PumpEvents();
    SDL_Rect place = window_place();
    if (SDL_GetWindowBordersSize(sdl_window, &top, &left, &bottom, &right) != 0) return place;
    const SDL_Rect usable = usable_area();
    const SDL_Rect room{usable.x, usable.y, usable.w - left - right, usable.h - top - bottom};
    if (!options.scale && (place.w > room.w || place.h > room.h)) {
        const window_size fits = content_for(room, 1.0);
        place.w = fits.width;
        place.h = fits.height;
        SDL_SetWindowSize(sdl_window, place.w, place.h);
    }
    if (place.x - left < usable.x || place.x + place.w + right > usable.x + usable.w ||
        place.y - top < usable.y || place.y + place.h + bottom > usable.y + usable.h) {
        place.x = usable.x + std::max((room.w - place.w) / 2, 0) + left;
        place.y = usable.y + std::max((room.h - place.h) / 2, 0) + top;
        SDL_SetWindowPosition(sdl_window, place.x, place.y);
    }
    return place;
}

bool is_fullscreen() {
    return covering || (SDL_GetWindowFlags(sdl_window) & SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void enter_fullscreen(const SDL_Rect &back) {
    windowed = back;
    covering = !managed();
    if (!covering) {
        SDL_SetWindowFullscreen(sdl_window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        return;
    }
    SDL_Rect screen;
    SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(sdl_window), 0), &screen);
    SDL_SetWindowPosition(sdl_window, screen.x, screen.y);
    SDL_SetWindowSize(sdl_window, screen.w, screen.h);
}

// The window as it was before, where it was: a window manager left to itself
// may put it anywhere.
void leave_fullscreen() {
    if (!covering) SDL_SetWindowFullscreen(sdl_window, 0);
    covering = false;
    SDL_SetWindowSize(sdl_window, windowed.w, windowed.h);
    SDL_SetWindowPosition(sdl_window, windowed.x, windowed.y);
}
} // namespace

void video_open() {
    sdl_window = SDL_CreateWindow(
        window_name, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, FRAME_WIDTH, FRAME_HEIGHT,
        SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!sdl_window) fail("cannot open a window");
    if (!on_x11) wayland_watch(sdl_window);
    // On a scaled output the room is counted in device pixels.
    const window_size size = content_for(usable_area(), pixel_density());
    SDL_SetWindowSize(sdl_window, size.width, size.height);
    SDL_SetWindowPosition(sdl_window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    set_icon();
    // Shown as a window first, so that leaving fullscreen has a place to go back to.
    SDL_ShowWindow(sdl_window);
    const SDL_Rect opened = fit_decorations_inside();
    if (options.fullscreen) enter_fullscreen(opened);
    if (!on_x11 && !open_renderer()) renderer = nullptr;
    video_layout();
}

void video_layout() {
    // On an output of another scale the smallest content is counted anew; and
    // only once shown: under libdecor SDL drops a minimum set before its title
    // bar exists.
    if (const double now = pixel_density(); now != laid_out_density) {
        laid_out_density = now;
        set_minimum_size();
    }
    int width, height;
    if (renderer) {
        SDL_GetRendererOutputSize(renderer, &width, &height);
        if (!size_texture(width, height)) fail("cannot draw in the window");
    } else {
        surface = SDL_GetWindowSurface(sdl_window);
        if (!surface) fail("cannot draw in the window");
        width = surface->w;
        height = surface->h;
    }
    map_colours();
    fit = fit_picture(width, height, options.scale, options.integer);
    sample_along(columns, fit.x, fit.width, FRAME_WIDTH, width);
    sample_along(rows, fit.y, fit.height, FRAME_HEIGHT, height);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    paint({0, 0, FRAME_WIDTH, FRAME_HEIGHT});
    if (renderer) {
        upload({0, 0, width, height});
        present();
    } else {
        SDL_UpdateWindowSurface(sdl_window);
    }
}

void video_put(const frame_box boxes[], int count) {
    if (!surface) return;
    SDL_Rect put[VIDEO_MAX_BOXES];
    int rects = 0;
    for (int i = 0; i < count && rects < VIDEO_MAX_BOXES; i++)
        if (const SDL_Rect r = paint(boxes[i]); r.w > 0) put[rects++] = r;
    if (rects == 0) return;
    if (!renderer) {
        SDL_UpdateWindowSurfaceRects(sdl_window, put, rects);
        return;
    }
    for (int i = 0; i < rects; i++) upload(put[i]);
    // Two flushes with no sleep between: the first is not kept waiting.
    if (present_pending) present();
    present_pending = true;
}

void video_present() {
    if (present_pending) present();
}

void video_expose() {
    if (renderer)
        present();
    else if (surface)
        SDL_UpdateWindowSurface(sdl_window);
}

void video_toggle_fullscreen() {
    if (is_fullscreen())
        leave_fullscreen();
    else
        enter_fullscreen(window_place());
    video_layout();
}

void video_cover(const uint8_t (*picture)[FRAME_WIDTH], frame_rgb (*colour)(uint8_t)) {
    painted = picture ? picture : frame;
    colour_of = picture ? colour : frame_colour;
    video_layout();
}

void video_allow_screensaver(bool allow) {
    if (!allow) {
        SDL_DisableScreenSaver();
        return;
    }
    SDL_EnableScreenSaver();
    if (on_x11) x11_let_screensaver_run(sdl_window);
}

void display_lost() {
    const char *name = on_x11 ? getenv("DISPLAY") : getenv("WAYLAND_DISPLAY");
    fprintf(stderr, "pelko-play: lost the connection to the %s display %s\n",
            on_x11 ? "X" : "Wayland", name && *name ? name : "wayland-0");
    fflush(stdout);
    _exit(EXIT_STATUS_FATAL); // nothing left to close on a dead connection
}

// --- the display ------------------------------------------------------------

namespace {
bool is_set(const char *value) {
    return value && *value;
}

// The compositor's socket is there: a probe without it only prints libwayland's complaints.
bool wayland_reachable() {
    const char *name = getenv("WAYLAND_DISPLAY"), *runtime = getenv("XDG_RUNTIME_DIR");
    if (!is_set(name) || (name[0] != '/' && !is_set(runtime))) return false;
    char path[4096];
    if (snprintf(path, sizeof path, "%s/%s", name[0] == '/' ? "" : runtime, name) >=
        static_cast<int>(sizeof path))
        return false;
    struct stat about;
    return stat(path, &about) == 0 && S_ISSOCK(about.st_mode);
}

// Mesa's rasterisers on the CPU: every present drawn whole by the processor.
bool renders_in_software() {
    SDL_Window *probe = SDL_CreateWindow("", 0, 0, 64, 64, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
    if (!probe) return true; // no OpenGL at all: SDL's own software renderer
    bool software = true;
    if (SDL_GLContext context = SDL_GL_CreateContext(probe)) {
        using get_string = const unsigned char *(*)(unsigned);
        constexpr unsigned GL_RENDERER = 0x1F01;
        const auto gl_get_string =
            reinterpret_cast<get_string>(SDL_GL_GetProcAddress("glGetString"));
        const auto *name =
            gl_get_string ? reinterpret_cast<const char *>(gl_get_string(GL_RENDERER)) : nullptr;
        software = !name || strstr(name, "llvmpipe") || strstr(name, "softpipe") ||
                   strstr(name, "swrast") || strstr(name, "Software");
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(probe);
    return software;
}

bool start_video(const char *driver) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

// Wayland first (SDL 2 would take XWayland), unless it can only draw on the
// CPU and an X server is there: X's shared memory then costs far less than
// a software renderer's presents. Never SDL's offscreen fallback.
bool choose_video(const char *x) {
    if (is_set(getenv("SDL_VIDEODRIVER"))) return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!wayland_reachable()) return start_video("x11");
    if (!start_video("wayland")) return is_set(x) && start_video("x11");
    if (!is_set(x) || !renders_in_software()) return true;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return start_video("x11") || start_video("wayland");
}
} // namespace

// The game's display: the desktop's, Wayland or X11 as above.
void open_display() {
    const char *wayland = getenv("WAYLAND_DISPLAY"), *x = getenv("DISPLAY");
    if (!is_set(wayland) && !is_set(x) && !is_set(getenv("SDL_VIDEODRIVER")))
        die("pelko-play: no display: neither WAYLAND_DISPLAY nor DISPLAY is set; "
            "Pelko plays in a window of a graphical session");
    if (!choose_video(x))
        die("pelko-play: cannot open a display (WAYLAND_DISPLAY=%s, DISPLAY=%s): %s",
            wayland ? wayland : "", x ? x : "", SDL_GetError());
    on_x11 = strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0;
    if (on_x11) {
        x11_when_connection_lost(display_lost); // one line, not Xlib's several
        // XShm straight to the window: a GPU texture on X would cost more
        // than it saves for a picture this size, and more still without a GPU.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER); // no gamepads is no failure
}

void open_window() {
    frame_map_window();
    video_open();
}

// The process ends next, and the server or the compositor takes the window
// with the connection. Closed by SDL on X, the window may be gone before SDL's
// wake-up message to it, sent on a second connection, reaches the server:
// BadWindow, fatal in SDL_Quit. On Wayland SDL_Quit unloads the decoration's
// plugin with memory of it still held.
void close_display() {}
