#!/bin/sh
# SPDX-License-Identifier: MIT
# Takes the README's screenshots from the real game on an 8-bit Xvfb, typing
# on it as a player would: docs/screenshots/title.png, game.png, game-over.png;
# and the font sheet, every glyph drawn by the game's own text code:
# docs/screenshots/font.png, and font-x3.png for its small letters enlarged.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

scripts/deps.sh test

cmake -S . -B build >/dev/null
cmake --build build --target screenshots -j "$jobs"
build/tests/screenshots docs/screenshots
