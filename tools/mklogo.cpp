// SPDX-License-Identifier: MIT
// Builds the title logo bitmap from its text picture.
//
//   mklogo logo.txt pelko.raw
//
// The picture is 50 lines of 320 characters; lines starting with ';' are
// comments. '.' sets neither plane, '+' plane 1, 'o' plane 2, '#' both.
// The output is plane 1 then plane 2, each 50 rows of 40 bytes, leftmost
// pixel in the top bit. Nothing is written unless the whole picture is good.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr int LOGO_W = 320;
constexpr int LOGO_H = 50;
constexpr int ROW_BYTES = LOGO_W / 8;
constexpr int PLANE_BYTES = ROW_BYTES * LOGO_H;
constexpr int LOGO_BYTES = 2 * PLANE_BYTES;
static_assert(LOGO_W % 8 == 0 && LOGO_BYTES == 4000);

using logo_bits = std::array<unsigned char, LOGO_BYTES>;

[[noreturn]] void die(const std::string &msg) {
    std::fprintf(stderr, "mklogo: %s\n", msg.c_str());
    std::exit(1);
}

[[noreturn]] void die_at(const std::string &path, int line, const std::string &msg) {
    die(path + ":" + std::to_string(line) + ": " + msg);
}

// Bit 0 is plane 1, bit 1 plane 2; -1 for a character the picture may not use.
int planes_of(char c) {
    switch (c) {
    case '.':
        return 0;
    case '+':
        return 1;
    case 'o':
        return 2;
    case '#':
        return 3;
    default:
        return -1;
    }
}

std::string shown(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7f) return std::string("'") + c + "'";
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02x", u);
    return hex;
}

void set_bit(logo_bits &bits, int plane, int row, int col) {
    int at = plane * PLANE_BYTES + row * ROW_BYTES + col / 8;
    bits[static_cast<size_t>(at)] |= static_cast<unsigned char>(0x80u >> (col % 8));
}

// Characters first, so a stray multi-byte character is named rather than
// miscounted as a long row.
void put_row(logo_bits &bits, int row, const std::string &text, const std::string &path, int line) {
    int width = static_cast<int>(text.size());
    for (int col = 0; col < width && col < LOGO_W; ++col) {
        char c = text[static_cast<size_t>(col)];
        int planes = planes_of(c);
        if (planes < 0)
            die_at(path, line,
                   "column " + std::to_string(col + 1) + ": unknown character " + shown(c) +
                       " (use . + o #)");
        if (planes & 1) set_bit(bits, 0, row, col);
        if (planes & 2) set_bit(bits, 1, row, col);
    }
    if (width != LOGO_W)
        die_at(path, line,
               "row has " + std::to_string(width) + " characters, want " + std::to_string(LOGO_W));
}

logo_bits read_picture(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) die("cannot open " + path);
    logo_bits bits{};
    int rows = 0;
    int line = 0;
    std::string text;
    while (std::getline(in, text)) {
        ++line;
        if (!text.empty() && text.back() == '\r') text.pop_back(); // edited on another system
        if (!text.empty() && text[0] == ';') continue;
        if (rows == LOGO_H)
            die_at(path, line, "more than " + std::to_string(LOGO_H) + " picture rows");
        put_row(bits, rows++, text, path, line);
    }
    if (in.bad()) die("cannot read " + path);
    if (rows < LOGO_H)
        die_at(path, line == 0 ? 1 : line,
               "picture ends after " + std::to_string(rows) + " rows, want " +
                   std::to_string(LOGO_H));
    return bits;
}

void write_bits(const logo_bits &bits, const std::string &path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) die("cannot create " + path);
    out.write(reinterpret_cast<const char *>(bits.data()), LOGO_BYTES);
    out.close();
    if (!out) die("cannot write " + path);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) die("usage: mklogo logo.txt pelko.raw");
    write_bits(read_picture(argv[1]), argv[2]);
    return 0;
}
