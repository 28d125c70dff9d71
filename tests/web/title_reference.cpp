// SPDX-License-Identifier: MIT
// Writes the title screen as the X build shows it on an 8-bit Xvfb, the
// window with its border, as a binary PPM: the picture the browser build's
// canvas must match.
//   web_title_reference <output.ppm>
#include "tests/harness/harness.hpp"

#include <cstdio>
#include <stdexcept>

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: web_title_reference <output.ppm>\n");
        return 2;
    }
    try {
        return x_title_screen().save_ppm(argv[1]) ? 0 : 1;
    } catch (const std::runtime_error &e) {
        fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
