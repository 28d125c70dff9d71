// SPDX-License-Identifier: MIT
// PNG files of 8-bit RGB or RGBA pixels, for the icons and the harness's
// pictures, without a library: each row is filtered by its left or its upper
// neighbour, whichever leaves more zeros, and deflated with the fixed Huffman
// codes, a run of one byte as a copy of the byte before. Flat colours and
// pictures enlarged by whole steps, which is all we write, pack to little.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>

namespace png_detail {

inline uint32_t crc32(const std::string &bytes) {
    uint32_t crc = 0xffffffff;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

inline void put32(std::string &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xff);
}

inline void chunk(std::string &png, const char *type, const std::string &data) {
    put32(png, static_cast<uint32_t>(data.size()));
    const std::string body = type + data;
    png += body;
    put32(png, crc32(body));
}

// Deflate packs its bits from the least significant up, and Huffman codes
// from their most significant bit.
struct bits {
    std::string out;
    uint32_t pending = 0;
    int count = 0;
    void put(uint32_t value, int n) {
        pending |= value << count;
        for (count += n; count >= 8; count -= 8, pending >>= 8)
            out += static_cast<char>(pending & 0xff);
    }
    void code(uint32_t value, int n) {
        for (int i = n - 1; i >= 0; i--) put((value >> i) & 1, 1);
    }
    // A literal byte, the block's end (256) or a length's symbol (257-285).
    void symbol(int s) {
        const auto u = static_cast<uint32_t>(s);
        if (s < 144)
            code(0x30 + u, 8);
        else if (s < 256)
            code(0x190 + u - 144, 9);
        else if (s < 280)
            code(u - 256, 7);
        else
            code(0xc0 + u - 280, 8);
    }
    // `length` (3 to 258) bytes copied from one back.
    void copy(int length) {
        static constexpr int base[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
        int i = 28;
        while (base[i] > length) i--;
        symbol(257 + i);
        put(static_cast<uint32_t>(length - base[i]), i < 8 || i == 28 ? 0 : (i - 4) / 4);
        code(0, 5); // distance 1
    }
};

inline std::string zlib(const std::string &raw) {
    bits b;
    b.put(1, 1); // the last block,
    b.put(1, 2); // in the fixed codes
    for (size_t i = 0; i < raw.size();) {
        size_t run = 0;
        while (i > 0 && run < 258 && i + run < raw.size() && raw[i + run] == raw[i - 1]) run++;
        if (run >= 3) {
            b.copy(static_cast<int>(run));
            i += run;
        } else {
            b.symbol(static_cast<unsigned char>(raw[i++]));
        }
    }
    b.symbol(256);
    b.put(0, 7); // the last byte filled
    uint32_t s1 = 1, s2 = 0;
    for (const char byte : raw) {
        s1 = (s1 + static_cast<unsigned char>(byte)) % 65521;
        s2 = (s2 + s1) % 65521;
    }
    std::string out = "\x78\x01" + b.out;
    put32(out, s2 << 16 | s1);
    return out;
}

} // namespace png_detail

// `channels` is 3 (RGB) or 4 (RGBA); the pixels row by row.
inline std::string png_encode(int width, int height, int channels, const uint8_t *pixels) {
    const auto row = static_cast<size_t>(width * channels);
    const auto step = static_cast<size_t>(channels);
    std::string raw, left(row, 0), up(row, 0);
    for (size_t y = 0; y < static_cast<size_t>(height); y++) {
        const uint8_t *p = pixels + y * row;
        for (size_t i = 0; i < row; i++) {
            left[i] = static_cast<char>(p[i] - (i >= step ? p[i - step] : 0));
            up[i] = static_cast<char>(p[i] - (y > 0 ? p[i - row] : 0));
        }
        const bool by_up =
            std::count(up.begin(), up.end(), 0) > std::count(left.begin(), left.end(), 0);
        raw += static_cast<char>(by_up ? 2 : 1);
        raw += by_up ? up : left;
    }
    std::string header;
    png_detail::put32(header, static_cast<uint32_t>(width));
    png_detail::put32(header, static_cast<uint32_t>(height));
    header += {8, static_cast<char>(channels == 4 ? 6 : 2), 0, 0, 0}; // 8 bits, RGBA or RGB
    std::string out = "\x89PNG\r\n\x1a\n";
    png_detail::chunk(out, "IHDR", header);
    png_detail::chunk(out, "IDAT", png_detail::zlib(raw));
    png_detail::chunk(out, "IEND", "");
    return out;
}

// The bytes as the file at `path`; false when they could not be written.
inline bool write_file(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}
