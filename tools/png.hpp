// SPDX-License-Identifier: MIT
// PNG files of 8-bit RGB or RGBA pixels, for the icons and the harness's
// pictures, without a library: each row is filtered by its left or its upper
// neighbour, whichever leaves more zeros, and deflated with the fixed Huffman
// codes and a greedy search for repeats. Flat colours and pictures enlarged by
// whole steps, which is all we write, pack to little.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

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
    // `length` (3 to 258) bytes copied from `distance` (1 to 32768) back.
    void copy(int length, int distance) {
        static constexpr int lengths[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                          15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                          67, 83, 99, 115, 131, 163, 195, 227, 258};
        static constexpr int distances[] = {
            1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
            193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        int i = 28, d = 29;
        while (lengths[i] > length) i--;
        while (distances[d] > distance) d--;
        symbol(257 + i);
        put(static_cast<uint32_t>(length - lengths[i]), i < 8 || i == 28 ? 0 : (i - 4) / 4);
        code(static_cast<uint32_t>(d), 5);
        put(static_cast<uint32_t>(distance - distances[d]), d < 4 ? 0 : (d - 2) / 2);
    }
};

// One block in the fixed codes. Each place is matched against the byte before
// it (a run) and the last place that began with the same three bytes; the
// longer match is copied.
inline std::string deflate(const std::string &raw) {
    bits b;
    b.put(1, 1); // the last block,
    b.put(1, 2); // in the fixed codes
    std::vector<size_t> last(1 << 15, SIZE_MAX);
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(raw[i]); };
    const auto seen = [&](size_t i) -> size_t & {
        return last[(byte(i) << 10 ^ byte(i + 1) << 5 ^ byte(i + 2)) & 0x7fff];
    };
    for (size_t i = 0; i < raw.size();) {
        size_t length = 1, distance = 0;
        for (const size_t from : {i - 1, i + 3 <= raw.size() ? seen(i) : SIZE_MAX}) {
            if (from >= i || i - from > 32768) continue;
            size_t n = 0;
            while (n < 258 && i + n < raw.size() && raw[from + n] == raw[i + n]) n++;
            if (n >= 3 && n > length) length = n, distance = i - from;
        }
        for (size_t j = i; j < i + length && j + 3 <= raw.size(); j++) seen(j) = j;
        if (length == 1)
            b.symbol(byte(i));
        else
            b.copy(static_cast<int>(length), static_cast<int>(distance));
        i += length;
    }
    b.symbol(256);
    b.put(0, 7); // the last byte filled
    return b.out;
}

inline std::string zlib(const std::string &raw) {
    uint32_t s1 = 1, s2 = 0; // Adler-32
    for (const char c : raw) {
        s1 = (s1 + static_cast<unsigned char>(c)) % 65521;
        s2 = (s2 + s1) % 65521;
    }
    std::string out = "\x78\x01" + deflate(raw);
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
