// SPDX-License-Identifier: MIT
// The window: the frame scaled by a whole number, only what changed
// converted and put, the rest of the window black. On X the picture goes
// into the window's own pixels (shared memory with the server); elsewhere,
// where SDL would put a whole window-sized texture at every flush, the frame
// is a texture of its own that the renderer scales.
#include "app/app.hpp"
#include "frame/frame.hpp"
#include "gfx/icon.hpp"
#include "sdl/sdl.hpp"
#include "x11/lost.hpp"
#include "x11/screensaver.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

sdl_options options;

namespace {
SDL_Window *sdl_window;
SDL_Surface *surface;   // what is painted: the window's pixels, or the frame's texture's
picture_fit fit;        // the picture's place in it
SDL_Renderer *renderer; // and with a renderer:
SDL_Texture *texture;
SDL_Rect placed;        // the texture's place in the window
bool present_pending;   // changes uploaded, not yet on screen
uint32_t pixel_of[256]; // each frame value in the surface's format
bool on_x11;

// What is painted: the frame, or a picture covering it.
const uint8_t (*painted)[FRAME_WIDTH] = frame;
frame_rgb (*colour_of)(uint8_t) = frame_colour;

[[noreturn]] void fail(const char *what) {
    fprintf(stderr, "pelko-play: %s: %s\n", what, SDL_GetError());
    exit(EXIT_STATUS_FATAL);
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

// The frame's box scaled onto the surface, clipped to it; the output box.
SDL_Rect paint(const frame_box &box) {
    const int s = fit.scale, bytes = surface->format->BytesPerPixel;
    const int left = std::max(fit.x + box.left * s, 0);
    const int right = std::min(fit.x + box.right * s, surface->w);
    const int top = std::max(fit.y + box.top * s, 0);
    const int bottom = std::min(fit.y + box.bottom * s, surface->h);
    if (left >= right || top >= bottom) return {0, 0, 0, 0};
    auto *pixels = static_cast<uint8_t *>(surface->pixels);
    for (int y = top; y < bottom; y++) {
        uint8_t *row = pixels + y * surface->pitch;
        // Each frame row makes `s` output rows alike: the first is drawn,
        // the others copied from it.
        if ((y - fit.y) % s != 0 && y != top) {
            memcpy(row + left * bytes, row - surface->pitch + left * bytes,
                   static_cast<size_t>((right - left) * bytes));
            continue;
        }
        const uint8_t *source = painted[(y - fit.y) / s];
        if (bytes == 4) { // the usual surface: a frame pixel at a time
            auto *out = reinterpret_cast<uint32_t *>(row) + left;
            int x = left;
            for (; x < right && (x - fit.x) % s != 0; x++)
                *out++ = pixel_of[source[(x - fit.x) / s]];
            for (int from = (x - fit.x) / s; x + s <= right; x += s, from++)
                out = std::fill_n(out, s, pixel_of[source[from]]);
            for (; x < right; x++) *out++ = pixel_of[source[(x - fit.x) / s]];
            continue;
        }
        for (int x = left; x < right; x++)
            store_pixel(row + x * bytes, bytes, pixel_of[source[(x - fit.x) / s]]);
    }
    return {left, top, right - left, bottom - top};
}

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
// A window manager centres the window, its frame left out; the frame is
// brought back inside the usable area when it sticks out.
void keep_frame_inside(const SDL_Rect &usable) {
    int top, left, bottom, right;
    SDL_PumpEvents();
    if (SDL_GetWindowBordersSize(sdl_window, &top, &left, &bottom, &right) != 0) return;
    int x, y, width, height;
    SDL_GetWindowPosition(sdl_window, &x, &y);
    SDL_GetWindowSize(sdl_window, &width, &height);
    const int outer_width = left + width + right, outer_height = top + height + bottom;
    const int fit_x = usable.x + std::max((usable.w - outer_width) / 2, 0) + left;
    const int fit_y = usable.y + std::max((usable.h - outer_height) / 2, 0) + top;
    if (x - left < usable.x || x + width + right > usable.x + usable.w || y - top < usable.y ||
        y + height + bottom > usable.y + usable.h)
        SDL_SetWindowPosition(sdl_window, fit_x, fit_y);
}

void present() {
    present_pending = false;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 0xff);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, &placed);
    SDL_RenderPresent(renderer);
}

bool open_renderer() {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    renderer = SDL_CreateRenderer(sdl_window, -1, 0);
    if (!renderer) return false;
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                FRAME_WIDTH, FRAME_HEIGHT);
    surface =
        SDL_CreateRGBSurfaceWithFormat(0, FRAME_WIDTH, FRAME_HEIGHT, 32, SDL_PIXELFORMAT_ARGB8888);
    if (texture && surface) return true;
    SDL_DestroyRenderer(renderer); // and the texture with it
    renderer = nullptr;
    return false;
}

void map_colours() {
    for (int v = 0; v < 256; v++) {
        const frame_rgb c = colour_of(static_cast<uint8_t>(v));
        pixel_of[v] = SDL_MapRGB(surface->format, c.r, c.g, c.b);
    }
}

// The whole picture into the renderer's texture.
void upload_whole() {
    map_colours();
    fit = {1, 0, 0};
    const SDL_Rect whole = paint({0, 0, FRAME_WIDTH, FRAME_HEIGHT});
    SDL_UpdateTexture(texture, &whole, surface->pixels, surface->pitch);
}
} // namespace

void screen_open() {
    SDL_Rect usable{0, 0, FRAME_WIDTH, FRAME_HEIGHT};
    SDL_GetDisplayUsableBounds(0, &usable);
    const int guess = options.scale ? options.scale : fit_picture(usable.w, usable.h).scale;
    sdl_window = SDL_CreateWindow(
        window_name, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, FRAME_WIDTH * guess,
        FRAME_HEIGHT * guess, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!sdl_window) fail("cannot open a window");
    // On a scaled output the multiple is counted again in device pixels.
    const double density = pixel_density();
    const auto in_window_units = [density](int pixels) {
        return static_cast<int>((pixels + density - 1) / density);
    };
    if (density != 1.0) {
        const int multiple = options.scale ? options.scale
                                           : fit_picture(static_cast<int>(usable.w * density),
                                                         static_cast<int>(usable.h * density))
                                                 .scale;
        SDL_SetWindowSize(sdl_window, in_window_units(FRAME_WIDTH * multiple),
                          in_window_units(FRAME_HEIGHT * multiple));
    }
    SDL_SetWindowMinimumSize(sdl_window, in_window_units(FRAME_WIDTH),
                             in_window_units(FRAME_HEIGHT));
    set_icon();
    if (options.fullscreen) SDL_SetWindowFullscreen(sdl_window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_ShowWindow(sdl_window);
    if (!options.fullscreen) keep_frame_inside(usable);
    if (!on_x11 && open_renderer()) upload_whole();
    screen_layout();
}

void screen_layout() {
    if (renderer) {
        int width, height;
        SDL_GetRendererOutputSize(renderer, &width, &height);
        const picture_fit at = fit_picture(width, height, options.scale);
        placed = {at.x, at.y, FRAME_WIDTH * at.scale, FRAME_HEIGHT * at.scale};
        present();
        return;
    }
    surface = SDL_GetWindowSurface(sdl_window);
    if (!surface) fail("cannot draw in the window");
    map_colours();
    fit = fit_picture(surface->w, surface->h, options.scale);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    paint({0, 0, FRAME_WIDTH, FRAME_HEIGHT});
    SDL_UpdateWindowSurface(sdl_window);
}

void screen_show(const frame_box boxes[], int count) {
    if (!surface) return;
    SDL_Rect shown[SCREEN_MAX_BOXES];
    int rects = 0;
    for (int i = 0; i < count && rects < SCREEN_MAX_BOXES; i++)
        if (const SDL_Rect r = paint(boxes[i]); r.w > 0) shown[rects++] = r;
    if (rects == 0) return;
    if (!renderer) {
        SDL_UpdateWindowSurfaceRects(sdl_window, shown, rects);
        return;
    }
    for (int i = 0; i < rects; i++) {
        const SDL_Rect &r = shown[i];
        SDL_UpdateTexture(texture, &r,
                          static_cast<uint8_t *>(surface->pixels) + r.y * surface->pitch + r.x * 4,
                          surface->pitch);
    }
    // Two flushes with no sleep between: the first is not kept waiting.
    if (present_pending) present();
    present_pending = true;
}

void screen_present() {
    if (present_pending) present();
}

void screen_expose() {
    if (renderer)
        present();
    else if (surface)
        SDL_UpdateWindowSurface(sdl_window);
}

void screen_toggle_fullscreen() {
    const bool full = SDL_GetWindowFlags(sdl_window) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowFullscreen(sdl_window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    screen_layout();
}

void screen_cover(const uint8_t (*picture)[FRAME_WIDTH], frame_rgb (*colour)(uint8_t)) {
    painted = picture ? picture : frame;
    colour_of = picture ? colour : frame_colour;
    if (renderer) upload_whole();
    screen_layout();
}

void screen_allow_screensaver(bool allow) {
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

// The game's display: the desktop's, Wayland or X11 as SDL finds it.
void open_display() {
    const char *wayland = getenv("WAYLAND_DISPLAY"), *x = getenv("DISPLAY");
    const char *driver = getenv("SDL_VIDEODRIVER");
    if ((!wayland || !*wayland) && (!x || !*x) && (!driver || !*driver)) {
        fprintf(stderr, "pelko-play: no display: neither WAYLAND_DISPLAY nor DISPLAY is set; "
                        "Pelko plays in a window of a graphical session\n");
        exit(EXIT_STATUS_FATAL);
    }
    // Wayland first (SDL 2 would take XWayland), and never SDL's offscreen fallback.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11"); // SDL_VIDEODRIVER still overrides
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "pelko-play: cannot open a display (WAYLAND_DISPLAY=%s, DISPLAY=%s): %s\n",
                wayland ? wayland : "", x ? x : "", SDL_GetError());
        exit(EXIT_STATUS_FATAL);
    }
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
    screen_open();
}

// The process ends next, and the server or the compositor takes the window
// with the connection. Closed by SDL on X, the window may be gone before SDL's
// wake-up message to it, sent on a second connection, reaches the server:
// BadWindow, fatal in SDL_Quit. On Wayland SDL_Quit unloads the decoration's
// plugin with memory of it still held.
void close_display() {}
