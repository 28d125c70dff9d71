#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test: unit and integration
# tests, then the same again built with AddressSanitizer and UBSan.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

scripts/deps.sh test

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DPELKO_SANITIZE=ON
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

# The browser build in headless Chromium, against the X build's title screen.
tests/web/run.sh build
