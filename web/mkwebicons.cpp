// SPDX-License-Identifier: MIT
// mkwebicons: the browser build's app icons and manifest. The icons are
// gfx/icon.hpp's picture at the sizes browsers ask for; the maskable one
// keeps the picture inside the circle a launcher may cut it to, on grass. The manifest takes its
// colours from the palette: the night the title screen is drawn on.
//   mkwebicons <directory>
#include "gfx/icon.hpp"
#include "tools/png.hpp"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {
struct icon_file {
    const char *name;
    int side;
    bool maskable;
};
constexpr icon_file ICONS[] = {
    {"icon-192", 192, false},
    {"icon-512", 512, false},
    {"icon-maskable-512", 512, true},
};

// A maskable icon's safe zone is the circle of 40 % of its side about the
// centre; the picture's square fits inside it at 0.56 of the side.
constexpr int safe_side(int side) {
    return side * 56 / 100;
}

std::string png(const icon::picture &pixels, const icon_file &file) {
    const int inner = file.maskable ? safe_side(file.side) : file.side;
    const int offset = (file.side - inner) / 2;
    std::vector<uint8_t> rgba;
    for (int y = 0; y < file.side; y++)
        for (int x = 0; x < file.side; x++) {
            auto [c, opaque] = icon::at(pixels, inner, x - offset, y - offset);
            if (!opaque && file.maskable) c = icon::grass, opaque = true;
            rgba.insert(rgba.end(), {c.r, c.g, c.b, static_cast<uint8_t>(opaque ? 0xff : 0)});
        }
    return png_encode(file.side, file.side, 4, rgba.data());
}

std::string hex(icon::colour c) {
    char text[8];
    snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

std::string manifest() {
    const std::string night = hex(icon::palette_colour(PAL_NIGHT));
    std::string icons;
    for (const icon_file &file : ICONS) {
        const std::string side = std::to_string(file.side);
        icons += std::string(icons.empty() ? "" : ",\n") + "    {\"src\": \"" + file.name +
                 ".png\", \"sizes\": \"" + side + "x" + side + "\", \"type\": \"image/png\"" +
                 (file.maskable ? ", \"purpose\": \"maskable\"" : "") + "}";
    }
    return "{\n"
           "  \"id\": \"./\",\n"
           "  \"name\": \"Pelko\",\n"
           "  \"short_name\": \"Pelko\",\n"
           "  \"description\": \"Steer Grublo the worm through a fenced garden.\",\n"
           "  \"start_url\": \"./\",\n"
           "  \"scope\": \"./\",\n"
           "  \"display\": \"standalone\",\n"
           "  \"background_color\": \"" +
           night + "\",\n  \"theme_color\": \"" + night + "\",\n  \"icons\": [\n" + icons +
           "\n  ]\n}\n";
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: mkwebicons <directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    constexpr icon::picture pixels = icon::draw();
    bool ok = write_file(dir + "/manifest.webmanifest", manifest());
    for (const icon_file &file : ICONS)
        ok = ok && write_file(dir + "/" + file.name + ".png", png(pixels, file));
    if (ok) return 0;
    fprintf(stderr, "mkwebicons: cannot write into %s\n", argv[1]);
    return 1;
}
