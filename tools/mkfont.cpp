// SPDX-License-Identifier: MIT
// mkfont: turns the readable font source (data/font.txt) into pelko.font,
// 200 records of x1 y1 x2 y2 as unsigned bytes, in the glyph table's order.
//
//     mkfont <font.txt> <pelko.font>
//
// Refuses any source that does not match font/glyphs.hpp exactly, so a
// shape can never land in another character's records.

#include "font/glyphs.hpp"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int GLYPH_COUNT = static_cast<int>(sizeof glyph_defs / sizeof glyph_defs[0]);
constexpr int SPARE_RECORDS = FONT_RECORDS - FONT_DRAWN_RECORDS;
constexpr int CAP_BOTTOM = 7;
constexpr int COMMA_BOTTOM = 8; // its tail hangs one pixel below the line

using record = std::array<int, 4>;

struct parsed_glyph {
    int header_line = 0; // 0 while the source has not named it
    std::vector<record> segments;
};

std::string source_path;

[[noreturn]] void fail(int line, const std::string &message) {
    std::cerr << "mkfont: " << source_path;
    if (line > 0) std::cerr << ':' << line;
    std::cerr << ": " << message << '\n';
    std::exit(1);
}

// How the source writes a character: itself, or a name where the letter is
// not plain ASCII or would vanish as whitespace.
std::string glyph_name(unsigned char byte) {
    switch (byte) {
    case ' ':
        return "SPACE";
    case 0xC6:
        return "AE";
    case 0xD8:
        return "OSLASH";
    case 0xC5:
        return "ARING";
    default:
        return std::string(1, static_cast<char>(byte));
    }
}

int find_glyph(const std::string &name) {
    for (int i = 0; i < GLYPH_COUNT; ++i)
        if (glyph_name(glyph_defs[i].byte) == name) return i;
    return -1;
}

std::string quoted(int glyph) {
    return "glyph '" + glyph_name(glyph_defs[glyph].byte) + "'";
}

std::vector<std::string> split(const std::string &line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// `what` names the glyph or the spare block in the messages.
record parse_record(const std::vector<std::string> &words, int line, const std::string &what) {
    if (words.size() != 4)
        fail(line, what + ": expected a segment \"x1 y1 x2 y2\", got " +
                       std::to_string(words.size()) + " fields");
    record r{};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string &w = words[i];
        auto [end, err] = std::from_chars(w.data(), w.data() + w.size(), r[i]);
        if (err != std::errc{} || end != w.data() + w.size())
            fail(line, what + ": '" + w + "' is not a whole number");
        if (r[i] < 0) fail(line, what + ": " + w + " is negative");
        if (r[i] > 255) fail(line, what + ": " + w + " does not fit in a byte");
    }
    return r;
}

void check_limits(int glyph, const record &r, int line) {
    const glyph_def &d = glyph_defs[glyph];
    const int bottom = d.byte == ',' ? COMMA_BOTTOM : CAP_BOTTOM;
    for (int x : {r[0], r[2]})
        if (x > d.advance)
            fail(line, quoted(glyph) + ": x " + std::to_string(x) + " is beyond its advance " +
                           std::to_string(d.advance));
    for (int y : {r[1], r[3]})
        if (y > bottom)
            fail(line, quoted(glyph) + ": y " + std::to_string(y) + " is below its bottom " +
                           std::to_string(bottom));
}

// A segment drawn twice, either way round, is a shape mistake: it costs a
// record and adds nothing on screen.
void check_not_repeated(int glyph, const std::vector<record> &before, const record &r, int line) {
    const record reversed{r[2], r[3], r[0], r[1]};
    for (const record &b : before)
        if (b == r || b == reversed)
            fail(line, quoted(glyph) + ": segment " + std::to_string(r[0]) + " " +
                           std::to_string(r[1]) + " " + std::to_string(r[2]) + " " +
                           std::to_string(r[3]) + " is already drawn");
}

struct font_source {
    std::array<parsed_glyph, GLYPH_COUNT> glyphs;
    std::vector<record> spare;
    int spare_line = 0;
};

font_source parse(std::istream &in) {
    font_source src;
    enum { NOTHING, GLYPH, SPARE } block = NOTHING;
    int glyph = -1;
    int line_no = 0;
    for (std::string line; std::getline(in, line);) {
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::vector<std::string> words = split(line);
        if (words.empty() || words[0][0] == '#') continue;

        if (words[0] == "glyph") {
            if (words.size() != 2) fail(line_no, "expected \"glyph <character>\"");
            glyph = find_glyph(words[1]);
            if (glyph < 0) fail(line_no, "unknown character '" + words[1] + "'");
            parsed_glyph &g = src.glyphs[static_cast<std::size_t>(glyph)];
            if (g.header_line != 0)
                fail(line_no, quoted(glyph) + " is already defined on line " +
                                  std::to_string(g.header_line));
            g.header_line = line_no;
            block = GLYPH;
        } else if (words[0] == "spare") {
            if (words.size() != 1) fail(line_no, "expected \"spare\" alone on its line");
            if (src.spare_line != 0)
                fail(line_no,
                     "spare block already started on line " + std::to_string(src.spare_line));
            src.spare_line = line_no;
            block = SPARE;
        } else if (block == GLYPH) {
            const record r = parse_record(words, line_no, quoted(glyph));
            check_limits(glyph, r, line_no);
            std::vector<record> &segs = src.glyphs[static_cast<std::size_t>(glyph)].segments;
            check_not_repeated(glyph, segs, r, line_no);
            segs.push_back(r);
        } else if (block == SPARE) {
            src.spare.push_back(parse_record(words, line_no, "spare block"));
        } else {
            fail(line_no, "segment outside any glyph or spare block");
        }
    }
    if (in.bad()) fail(0, "read error");
    return src;
}

void check_counts(const font_source &src) {
    for (int i = 0; i < GLYPH_COUNT; ++i) {
        const parsed_glyph &g = src.glyphs[static_cast<std::size_t>(i)];
        if (g.header_line == 0) fail(0, quoted(i) + " is missing");
        const int have = static_cast<int>(g.segments.size());
        if (have != glyph_defs[i].count)
            fail(g.header_line, quoted(i) + " has " + std::to_string(have) +
                                    " segments, the glyph table wants " +
                                    std::to_string(glyph_defs[i].count));
    }
    if (src.spare_line == 0) fail(0, "the spare block is missing");
    if (static_cast<int>(src.spare.size()) != SPARE_RECORDS)
        fail(src.spare_line, "spare block has " + std::to_string(src.spare.size()) +
                                 " records, want " + std::to_string(SPARE_RECORDS));
}

std::array<unsigned char, 4 * FONT_RECORDS> layout(const font_source &src) {
    std::array<unsigned char, 4 * FONT_RECORDS> bytes{};
    auto put = [&bytes](int index, const record &r) {
        for (int j = 0; j < 4; ++j)
            bytes[static_cast<std::size_t>(4 * index + j)] =
                static_cast<unsigned char>(r[static_cast<std::size_t>(j)]);
    };
    for (int i = 0; i < GLYPH_COUNT; ++i) {
        const std::vector<record> &segs = src.glyphs[static_cast<std::size_t>(i)].segments;
        for (int k = 0; k < glyph_defs[i].count; ++k)
            put(glyph_defs[i].first + k, segs[static_cast<std::size_t>(k)]);
    }
    for (int k = 0; k < SPARE_RECORDS; ++k)
        put(FONT_DRAWN_RECORDS + k, src.spare[static_cast<std::size_t>(k)]);
    return bytes;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::cerr << "usage: mkfont <font.txt> <pelko.font>\n";
        return 2;
    }
    source_path = argv[1];
    std::ifstream in(source_path);
    if (!in) fail(0, "cannot open");
    const font_source src = parse(in);
    check_counts(src);
    const auto bytes = layout(src);

    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "mkfont: cannot write " << argv[2] << '\n';
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
