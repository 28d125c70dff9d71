#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and starts the game through its launcher:
# on your display when it has writable colour cells, else in a nested 8-bit
# Xephyr window. The game is installed under build-play/stage, so no root is
# needed for it.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
stage="$(pwd)/build-play/stage"

scripts/deps.sh build

cmake -S . -B build-play -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$stage" \
    -DPELKO_BUILD_TESTS=OFF >/dev/null
cmake --build build-play -j "$jobs"
cmake --install build-play >/dev/null
exec "$stage/bin/pelko-play"
