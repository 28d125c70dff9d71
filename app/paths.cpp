// SPDX-License-Identifier: MIT
#include "app/app.hpp"

// PELKO_DATA_DIR comes from the build: the installed data directory, or a
// directory relative to the working directory for the test build.
const char grid_path[] = PELKO_DATA_DIR "/pelko.grid";
const char font_path[] = PELKO_DATA_DIR "/pelko.font";
const char logo_path[] = PELKO_DATA_DIR "/pelko.raw";
