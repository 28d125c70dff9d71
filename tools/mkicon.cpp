// SPDX-License-Identifier: MIT
// mkicon: draws the desktop icon from the game's own cell sprites: a worm
// in a fenced corner of the garden, beside an apple and a mushroom. Writes
// a scalable SVG (one square per pixel run) and a 128 x 128 PNG.
//   mkicon <pelko.svg> <pelko.png>
#include "gfx/sprite_patterns.hpp"

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {
constexpr int CELLS = 9;
constexpr int SIDE = CELLS * 7; // the picture, in game pixels
constexpr int PNG_SCALE = 2;
constexpr int PNG_SIDE = 128; // the picture doubled, with a clear pixel around it

// F fence, W worm segment, A apple, M mushroom, '.' grass.
constexpr const char *scene[CELLS] = {
    "FFFFFFFFF", "F.M.....F", "F.....A.F", "F.....W.F", "F.WWWWW.F",
    "F.W.....F", "F.WWWW..F", "F....W.MF", "FFFFFFFFF",
};

struct colour {
    uint8_t r, g, b;
};
// The game's palette entries that the sprites use, by index (top 8 bits).
constexpr colour worm{0xd8, 0x85, 0x4a}, grass{0x00, 0x40, 0x00};
constexpr std::array<colour, 9> palette_entries = {{{0, 0, 0},
                                                    {0, 0, 0},
                                                    worm,
                                                    {0xff, 0x00, 0x00},
                                                    {0x00, 0xff, 0x00},
                                                    grass,
                                                    {0x90, 0x90, 0x90},
                                                    {0xfd, 0x36, 0x36},
                                                    {0xeb, 0xeb, 0xeb}}};

using picture = std::vector<colour>; // SIDE x SIDE, row by row

void stamp(picture &pixels, int col, int row, const sprite_patterns::pattern &sprite) {
    for (int y = 0; y < 7; y++)
        for (int x = 0; x < 7; x++) {
            const char mark = sprite[y][x];
            if (mark == '.') continue;
            const colour c = mark == 'F' ? worm : palette_entries.at(size_t(mark - '0'));
            pixels[size_t((row * 7 + y) * SIDE + col * 7 + x)] = c;
        }
}

picture draw_scene() {
    picture pixels(SIDE * SIDE, grass);
    for (int row = 0; row < CELLS; row++)
        for (int col = 0; col < CELLS; col++) switch (scene[row][col]) {
            case 'F':
                stamp(pixels, col, row, sprite_patterns::fence);
                break;
            case 'W':
                stamp(pixels, col, row, sprite_patterns::segment);
                break;
            case 'A':
                stamp(pixels, col, row, sprite_patterns::apple);
                break;
            case 'M':
                stamp(pixels, col, row, sprite_patterns::mushroom);
                break;
            }
    return pixels;
}

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

// --- PNG: stored (uncompressed) deflate blocks need no library -------------

uint32_t crc32(const std::string &bytes) {
    uint32_t crc = 0xffffffff;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void put32(std::string &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += char((v >> shift) & 0xff);
}

void chunk(std::string &png, const char *type, const std::string &data) {
    put32(png, uint32_t(data.size()));
    const std::string body = type + data;
    png += body;
    put32(png, crc32(body));
}

std::string zlib_stored(const std::string &raw) {
    std::string out = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (const char byte : raw) {
        a = (a + static_cast<unsigned char>(byte)) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at == 0 || at < raw.size(); at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        out += char(at + n >= raw.size() ? 1 : 0);
        out += char(n & 0xff);
        out += char(n >> 8);
        out += char(~n & 0xff);
        out += char((~n >> 8) & 0xff);
        out += raw.substr(at, n);
    }
    put32(out, (b << 16) | a);
    return out;
}

std::string png(const picture &pixels) {
    constexpr int margin = (PNG_SIDE - SIDE * PNG_SCALE) / 2;
    std::string raw;
    for (int y = 0; y < PNG_SIDE; y++) {
        raw += '\0'; // no filter
        for (int x = 0; x < PNG_SIDE; x++) {
            const int sx = (x - margin) / PNG_SCALE, sy = (y - margin) / PNG_SCALE;
            const bool inside = x >= margin && y >= margin && sx < SIDE && sy < SIDE;
            const colour c = inside ? pixels[size_t(sy * SIDE + sx)] : colour{0, 0, 0};
            raw += {char(c.r), char(c.g), char(c.b), char(inside ? 0xff : 0)};
        }
    }
    std::string header;
    put32(header, PNG_SIDE);
    put32(header, PNG_SIDE);
    header += {8, 6, 0, 0, 0}; // 8-bit RGBA
    std::string out = "\x89PNG\r\n\x1a\n";
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", zlib_stored(raw));
    chunk(out, "IEND", "");
    return out;
}

bool write(const char *path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return bool(out);
}
} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: mkicon <pelko.svg> <pelko.png>\n");
        return 2;
    }
    const picture pixels = draw_scene();
    if (write(argv[1], svg(pixels)) && write(argv[2], png(pixels))) return 0;
    fprintf(stderr, "mkicon: cannot write the icon\n");
    return 1;
}
