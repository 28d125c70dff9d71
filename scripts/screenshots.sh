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
cmake --build build --target screenshots font_sheet -j "$jobs"
build/tests/screenshots docs/screenshots

work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/data" && cp build/data/pelko.* "$work/data/"
Xvfb -displayfd 3 -screen 0 1024x768x8 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
while ! [ -s "$work/display" ]; do sleep 0.05; done
(cd "$work" && DISPLAY=":$(cat display)" "$OLDPWD/build/tests/font_sheet" sheet.ppm >/dev/null)
convert "$work/sheet.ppm" docs/screenshots/font.png
convert "$work/sheet.ppm" -crop 637x100+0+0 -scale 300% docs/screenshots/font-x3.png
