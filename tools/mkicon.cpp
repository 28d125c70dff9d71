// SPDX-License-Identifier: MIT
// mkicon: writes the desktop icon, the picture of gfx/icon.hpp drawn from
// the game's own cell sprites, as a scalable SVG (one square per pixel run)
// and a 128 x 128 PNG.
//   mkicon <pelko.svg> <pelko.png>
#include "gfx/icon.hpp"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

namespace {
using icon::colour;
using icon::SIDE;
using picture = icon::picture;
constexpr int PNG_SIDE = 128; // the picture doubled, with a clear pixel around it

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
    std::string raw;
    for (int y = 0; y < PNG_SIDE; y++) {
        raw += '\0'; // no filter
        for (int x = 0; x < PNG_SIDE; x++) {
            const auto [c, opaque] = icon::at(pixels, PNG_SIDE, x, y);
            raw += {char(c.r), char(c.g), char(c.b), char(opaque ? 0xff : 0)};
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
    constexpr picture pixels = icon::draw();
    if (write(argv[1], svg(pixels)) && write(argv[2], png(pixels))) return 0;
    fprintf(stderr, "mkicon: cannot write the icon\n");
    return 1;
}
