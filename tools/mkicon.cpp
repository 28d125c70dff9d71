// SPDX-License-Identifier: MIT
// mkicon: writes the desktop icon, the picture of gfx/icon.hpp drawn from
// the game's own cell sprites, as a scalable SVG (one square per pixel run)
// and a 128 x 128 PNG.
//   mkicon <pelko.svg> <pelko.png>
#include "gfx/icon.hpp"
#include "tools/png.hpp"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {
using icon::colour;
using icon::SIDE;
using picture = icon::picture;
constexpr int PNG_SIDE = 128;

bool same(colour a, colour b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// One path per colour, a subpath per run of pixels in a row.
std::string svg(const picture &pixels) {
    std::map<std::string, std::string> paths;
    char text[160];
    for (int y = 0; y < SIDE; y++)
        for (int x = 0; x < SIDE;) {
            const colour c = pixels[size_t(y * SIDE + x)];
            int run = 1;
            while (x + run < SIDE && same(pixels[size_t(y * SIDE + x + run)], c)) run++;
            snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
            std::string &path = paths[text];
            snprintf(text, sizeof text, "M%d %dh%dv1h-%dz", x, y, run, run);
            path += text;
            x += run;
        }
    snprintf(text, sizeof text,
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
             "viewBox=\"0 0 %d %d\" shape-rendering=\"crispEdges\" stroke=\"none\">\n",
             SIDE * 2, SIDE * 2, SIDE, SIDE);
    std::string out = text;
    for (const auto &[fill, path] : paths)
        out += "<path fill=\"" + fill + "\" d=\"" + path + "\"/>\n";
    return out + "</svg>\n";
}

// The picture doubled, with a clear pixel around it.
std::string png(const picture &pixels) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < PNG_SIDE; y++)
        for (int x = 0; x < PNG_SIDE; x++) {
            const auto [c, opaque] = icon::at(pixels, PNG_SIDE, x, y);
            rgba.insert(rgba.end(), {c.r, c.g, c.b, static_cast<uint8_t>(opaque ? 0xff : 0)});
        }
    return png_encode(PNG_SIDE, PNG_SIDE, 4, rgba.data());
}
} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: mkicon <pelko.svg> <pelko.png>\n");
        return 2;
    }
    constexpr picture pixels = icon::draw();
    if (write_file(argv[1], svg(pixels)) && write_file(argv[2], png(pixels))) return 0;
    fprintf(stderr, "mkicon: cannot write the icon\n");
    return 1;
}
