// SPDX-License-Identifier: MIT
#include "app/app.hpp"
#include "x11/x11.hpp"

int main(int argc, char **argv) {
    command_argc = argc;
    command_argv = argv;
    start_up();
    run_program_loop();
    shut_down();
}
