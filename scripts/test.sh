#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test, with warnings as
# errors: a release build laid out as the Debian package is, so the package
# test lints what the README's commands make (in build-test, leaving build/
# to the README's install); the same again with AddressSanitizer and UBSan,
# laid out as a plain install is; a Clang build with its unit tests; and the
# browser build in Chromium, Firefox ESR and WebKitGTK.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

scripts/deps.sh test

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Release -DPELKO_WERROR=ON \
    -DCMAKE_INSTALL_PREFIX=/usr -DPELKO_GAMES_LAYOUT=ON
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DPELKO_WERROR=ON -DPELKO_SANITIZE=ON
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

CXX=clang++ cmake -S . -B build-clang -DCMAKE_BUILD_TYPE=Release -DPELKO_WERROR=ON
cmake --build build-clang -j "$jobs"
ctest --test-dir build-clang --output-on-failure -j "$jobs" -L unit

# The browser build in three engines, against the X build's title screen.
tests/web/run.sh build-test
