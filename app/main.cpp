// SPDX-License-Identifier: MIT
#include "app/app.hpp"

int main(int argc, char **argv) {
    start_up(argc, argv);
    run_program_loop();
    shut_down();
}
