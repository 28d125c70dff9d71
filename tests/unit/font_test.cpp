// SPDX-License-Identifier: MIT
// gtest before Xlib: X.h defines None, which gtest uses as a name.
#include <gtest/gtest.h>

#include "font/font.hpp"
#include "gfx/gfx.hpp"
#include "tests/unit/recorder.hpp"

#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

// No two records alike, so a drawn line names its segment; record 29, the
// first of "G", is the 3,0,3,7 of the worked examples.
const std::vector<unsigned char> font_file = [] {
    std::vector<unsigned char> b(800);
    for (size_t i = 0; i < b.size(); i++) b[i] = static_cast<unsigned char>(i * 7 % 251);
    b[116] = b[118] = 3, b[117] = 0, b[119] = 7;
    return b;
}();

struct FontTest : testing::Test {
    scratch_dir scratch;
    void SetUp() override {
        reset_world();
        load(font_file);
    }
    static void load(const std::vector<unsigned char> &bytes) {
        write_file("data/pelko.font", bytes);
        load_font();
        set_colour(PAL_WHITE);
        rec.requests.clear();
    }
};

TEST_F(FontTest, EveryByteDrawsItsOwnRunOfSegmentsAndAdvances) {
    // In segment order, so each run starts where the one before ended.
    const std::string drawn = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC6\xD8\xC5"
                              "1234567890.,-!";
    const int lines[] = {3, 6, 7, 6, 4, 3, 7, 3, 3, 4, 3, 2, 4, 3, 8, 4, 9, 5, 11, 2, 3, 2,
                         4, 2, 5, 3, 6, 9, 4, 3, 6, 6, 3, 5, 5, 2, 7, 4, 4, 2, 2,  1, 5};
    const int advances[] = {8, 6, 8, 6, 5, 5, 6, 5, 3, 6, 6, 6, 7, 8, 7, 5, 7, 5, 6, 7, 6, 7,
                            7, 8, 7, 8, 8, 7, 8, 3, 6, 6, 6, 6, 6, 4, 6, 6, 6, 2, 4, 6, 4};
    std::vector<request> want;
    for (size_t g = 0; g < drawn.size(); g++) {
        EXPECT_EQ(draw_glyph(drawn[g], 100, 50), advances[g]) << drawn[g];
        for (int i = 0; i < lines[g]; i++) {
            const unsigned char *k = &font_file[4 * want.size()];
            want.push_back(line_at(100 + k[0], 50 + k[1], 100 + k[2], 50 + k[3], PAL_WHITE));
        }
    }
    ASSERT_EQ(rec.requests, want) << "segments 0..189 once each, in order";
    for (int b = 0; b < 256; b++) {
        const char ch = static_cast<char>(b);
        if (drawn.find(ch) != std::string::npos) continue;
        EXPECT_EQ(draw_glyph(ch, 9, 9), ch == ' ' ? 5 : 0) << b;
    }
    EXPECT_EQ(rec.requests.size(), 190u);
}

TEST_F(FontTest, OnlyTheFirst800BytesCountAndMissingOnesReadAsMinusOne) {
    for (size_t size : {800u, 1000u, 10u, 0u}) {
        std::vector<unsigned char> file = font_file;
        file.resize(size, 0x77);
        load(file);
        float want[800];
        for (size_t i = 0; i < 800; i++) want[i] = i < size ? file[i] : -1.0f;
        EXPECT_EQ(memcmp(font_segments, want, sizeof want), 0) << size;
        EXPECT_EQ(memcmp(font_backup, want, sizeof want), 0) << size;
    }
    EXPECT_EQ(draw_text("AB", 10, 20, 2), 28) << "an empty file keeps the advances";
    std::vector<request> want(3, line_at(9, 19, 9, 19, PAL_WHITE));
    want.resize(9, line_at(19, 19, 19, 19, PAL_WHITE));
    EXPECT_EQ(rec.requests, want) << "every line collapses to the point up and left of its pen";
    EXPECT_EXIT((fs::remove("data/pelko.font"), dup2(2, 1), load_font()),
                testing::ExitedWithCode(1), "^can't open file pelko.font\n$");
}

TEST_F(FontTest, PensMoveByAdvancePlusSpacingTruncatedTowardZero) {
    EXPECT_EQ(draw_text(" ", 10, 20, 2), 17);
    EXPECT_EQ(draw_text("a", 10, 20, 2), 12);
    EXPECT_EQ(draw_text("", 10, 20, 2) + draw_text(nullptr, 10, 20, 2), 20);
    EXPECT_EQ(draw_text_scaled("", 10, 20, 2, 5.5f) + draw_text_scaled(nullptr, 10, 20, 2, 5.5f),
              20);
    EXPECT_TRUE(rec.requests.empty());
    const std::string text = "GAME OVER"; // each prefix ends at the next glyph's pen
    const int32_t pens[] = {120, 164, 219, 268, 306, 344, 393, 442, 480, 518};
    for (size_t n = 0; n <= text.size(); n++) {
        EXPECT_EQ(draw_text_scaled(text.substr(0, n).c_str(), 120, 200, 2, 5.5f), pens[n]) << n;
        EXPECT_EQ(draw_text_scaled(text.substr(0, n).c_str(), 121, 200, 2, 5.5f), pens[n] + 1);
    }
    rec.requests.clear();
    draw_text_scaled("G", 120, 200, 2, 5.5f);
    draw_text_scaled("G", -100, -300, 2, 5.5f);
    EXPECT_EQ(rec.requests.at(0), line_at(136, 200, 136, 238, PAL_WHITE));
    EXPECT_EQ(rec.requests.at(7), line_at(-84, -300, -84, -262, PAL_WHITE))
        << "each coordinate truncated before the pen is added";
    EXPECT_EQ(draw_text_scaled("E", -100, 200, 2, 5.5f), -61);
    EXPECT_EQ(draw_text_scaled("E", 100, 200, 2, 5.5f), 138);
}

TEST_F(FontTest, ScaledCallsPutTheTableBackBitForBit) {
    const char text[] = "GAME OVER! 0123456789 \xC5\xC6\xD8 a/";
    const int32_t pen = draw_text(text, 7, 9, 4);
    const std::vector<request> plain = rec.requests;
    rec.requests.clear();
    EXPECT_EQ(draw_text_scaled(text, 7, 9, 4, 1.0f), pen);
    EXPECT_EQ(rec.requests, plain) << "scale 1 draws as draw_text";
    float as_loaded[800];
    std::copy(font_file.begin(), font_file.end(), as_loaded);
    for (float scale : {5.5f, 0.0f, -2.5f, 1.0f / 3.0f}) {
        for (const char *t : {static_cast<const char *>(nullptr), "", "THIRD"}) {
            draw_text_scaled(t, 40, 50, 2, scale);
            EXPECT_EQ(memcmp(font_segments, as_loaded, sizeof as_loaded), 0) << scale;
            EXPECT_EQ(memcmp(font_backup, as_loaded, sizeof as_loaded), 0) << scale;
        }
    }
}

} // namespace
