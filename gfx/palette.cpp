// SPDX-License-Identifier: MIT
#include "app/xio.hpp"
#include "gfx/gfx.hpp"

void set_colour(int index) {
    xio_set_colour(index);
}
