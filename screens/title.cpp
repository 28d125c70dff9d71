// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "font/font.hpp"
#include "gfx/gfx.hpp"
#include "input/input.hpp"
#include "screens/screens.hpp"

#include <cinttypes>
#include <cstdio>

bool title_done;

namespace {
char number_text[21]; // any 64-bit number in decimal and its terminator

constexpr char credits_line[] = "A WORM GAME FROM THE PELKO GARDEN";
static_assert(sizeof credits_line - 1 == 33);

struct title_text {
    int colour;
    const char *text;
    int32_t x, y;
};

// Above the sprite legend: the credits line twice for a two-tone bold, the
// story and the keys.
constexpr title_text upper_texts[] = {
    {PAL_CAP_RED, credits_line, 192, 180},
    {PAL_PINK, credits_line, 191, 180},
    {PAL_WHITE, "IN THIS GAME YOU MUST HELP GRUBLO - THE HUNGRY MAGGOT, TO STEAL APPLES FROM", 14,
     210},
    {PAL_WHITE, "BRUMO THE EVIL. BRUMO HAS PUT AN ELECTRIC FENCE AROUND THE GARDEN, AND HE", 17,
     220},
    {PAL_WHITE, "HAS ALSO BEEN SPREADING POISIONOUS MUSHROOMS INTO IT. YOU MUST GUIDE GRUBLO", 16,
     230},
    {PAL_WHITE, "AROUND THESE OBJECTS, AND YOU MUST KEEP HIM FROM EATING HIMSELF.", 59, 240},
    {PAL_HELP, "5 OR W - UP", 295, 285},
    {PAL_HELP, "1 OR A - LEFT     D OR 3 - RIGHT", 226, 305},
    {PAL_HELP, "X OR 2 - DOWN", 284, 325},
    {PAL_HELP, "S OR 7 - START", 90, 300},
    {PAL_HELP, "E OR 9 - EXIT", 480, 300},
};

constexpr title_text lower_texts[] = {
    {PAL_LABEL, "GRUBLO", 320, 385},   {PAL_LABEL, "APPLE", 320, 400},
    {PAL_LABEL, "MUSHROOM", 320, 415}, {PAL_LABEL, "FENCE", 320, 430},
    {PAL_SKY, "LAST SCORE ", 80, 455}, {PAL_SKY, "HIGHEST SCORE ", 450, 455},
};

constexpr int32_t TEXT_SPACING = 2;
constexpr int32_t LEGEND_X = 300;
constexpr int32_t LEGEND_WORM_LENGTH = 6;
constexpr int32_t SCORE_Y = 470;
constexpr int32_t HIGH_SCORE_X = 489;

template <size_t N>
void draw_texts(const title_text (&texts)[N]) {
    for (const title_text &t : texts) {
        set_colour(t.colour);
        draw_text(t.text, t.x, t.y, TEXT_SPACING);
    }
}

void draw_legend() {
    set_colour(PAL_WORM);
    cursor = {LEGEND_X, 390};
    for (int i = 0; i < LEGEND_WORM_LENGTH; i++) {
        draw_segment();
        cursor.x -= CELL;
    }
    cursor = {LEGEND_X, 405};
    draw_apple();
    cursor = {LEGEND_X, 420};
    draw_mushroom();
    cursor = {LEGEND_X, 435};
    draw_fence();
}

// Shorter last scores move right so that they end near where long ones do.
int32_t last_score_x(uint64_t value) {
    const int32_t shift = value < 100 ? 3 : value < 1000 ? 2 : value < 10000 ? 1 : 0;
    return 105 + 4 * shift;
}

void draw_score(uint64_t value, int32_t x) {
    set_colour(PAL_SKY);
    snprintf(number_text, sizeof number_text, "%" PRIu64, value);
    draw_text(number_text, x, SCORE_Y, TEXT_SPACING);
}
} // namespace

void draw_title_layout() {
    draw_texts(upper_texts);
    draw_legend();
    draw_texts(lower_texts);
    draw_score(score, last_score_x(score));
    draw_score(high_score, HIGH_SCORE_X);
}

void run_title_screen() {
    title_done = false;
    set_colour(PAL_NIGHT);
    wipe_screen();
    logo_pos = 0;
    load_logo();
    draw_logo();
    while (!title_done) {
        pace_tick();
        poll_event(handle_title_event);
        draw_title_layout();
    }
    set_colour(PAL_GRASS);
    wipe_screen();
}
