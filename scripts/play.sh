#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and plays: pelko-play, the game in a
# window of your Wayland or X11 desktop. It is installed under
# build-play/stage, so no root is needed for it; options go to pelko-play.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
stage="$(pwd)/build-play/stage"

scripts/deps.sh build

cmake -S . -B build-play -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$stage" \
    -DPELKO_BUILD_TESTS=OFF >/dev/null
cmake --build build-play -j "$jobs"
cmake --install build-play >/dev/null
exec "$stage/bin/pelko-play" "$@"
