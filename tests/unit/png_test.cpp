// SPDX-License-Identifier: MIT
// The PNG writer of the icons and the harness, read back by zlib: its chunks,
// and its pixels through both row filters and runs longer than a copy.
#include "tools/png.hpp"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

namespace {

uint32_t get32(const std::string &s, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; i++) v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

// The pixels of a PNG of one IDAT, its chunks' CRCs checked.
std::vector<uint8_t> decode(const std::string &png, int width, int height, int channels) {
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    std::string idat, types;
    for (size_t at = 8; at < png.size();) {
        const uint32_t length = get32(png, at);
        const std::string body = png.substr(at + 4, 4 + length);
        EXPECT_EQ(get32(png, at + 8 + length),
                  crc32(0, reinterpret_cast<const Bytef *>(body.data()), 4 + length));
        types += body.substr(0, 4) + " ";
        if (body.starts_with("IDAT")) idat = body.substr(4);
        at += 12 + length;
    }
    EXPECT_EQ(types, "IHDR IDAT IEND ");
    const auto row = static_cast<size_t>(width * channels);
    std::vector<uint8_t> raw(static_cast<size_t>(height) * (row + 1));
    uLongf size = raw.size();
    EXPECT_EQ(
        uncompress(raw.data(), &size, reinterpret_cast<const Bytef *>(idat.data()), idat.size()),
        Z_OK);
    EXPECT_EQ(size, raw.size());
    std::vector<uint8_t> pixels;
    for (size_t y = 0; y < static_cast<size_t>(height); y++) {
        const uint8_t filter = raw[y * (row + 1)];
        EXPECT_TRUE(filter == 1 || filter == 2);
        for (size_t i = 0; i < row; i++) {
            const size_t step = static_cast<size_t>(channels);
            const uint8_t before = filter == 1 ? (i >= step ? pixels[y * row + i - step] : 0)
                                               : (y > 0 ? pixels[(y - 1) * row + i] : 0);
            pixels.push_back(static_cast<uint8_t>(raw[y * (row + 1) + 1 + i] + before));
        }
    }
    return pixels;
}

TEST(Png, ReadsBackAsWritten) {
    for (const int channels : {3, 4}) {
        constexpr int width = 301, height = 5;
        std::vector<uint8_t> pixels;
        uint32_t seed = 7;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width * channels; x++) {
                seed = seed * 1103515245 + 12345;
                // Noise, runs past 258 bytes, a row as the one above, the noise again.
                const auto at = [&](int row) {
                    return pixels[static_cast<size_t>(row * width * channels + x)];
                };
                pixels.push_back(y == 0   ? static_cast<uint8_t>(seed >> 16)
                                 : y == 2 ? at(1)
                                 : y == 3 ? at(0)
                                          : static_cast<uint8_t>(x < 200 ? y : x % channels * 60));
            }
        const std::string png = png_encode(width, height, channels, pixels.data());
        EXPECT_EQ(png.substr(16, 13), std::string("\0\0\1\x2d\0\0\0\5\x08", 9) +
                                          static_cast<char>(channels == 4 ? 6 : 2) +
                                          std::string(3, '\0'));
        EXPECT_EQ(decode(png, width, height, channels), pixels) << channels << " channels";
    }
}

} // namespace
