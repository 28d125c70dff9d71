#!/bin/sh
# SPDX-License-Identifier: MIT
# The browser build's test: builds the site (scripts/web.sh --build), takes
# the X build's title screen from an 8-bit Xvfb, and drives the site in
# Debian's headless Chromium and Firefox ESR and in its WebKitGTK (on an Xvfb
# of the test's own); the key, touch and gamepad mapping and the sharp fill's
# tables have tests of their own.
#   tests/web/run.sh <X build directory>
set -eu
xbuild=$(cd "${1:?usage: tests/web/run.sh <X build directory>}" && pwd)
cd "$(dirname "$0")/../.."
root=$(pwd)

scripts/web.sh --build
"$xbuild/tests/web_title_reference" build-web/title-x.ppm

cd tests/web
[ node_modules/.package-lock.json -nt package-lock.json ] || npm ci --no-audit --no-fund
PELKO_SITE="$root/build-web/site" PELKO_TITLE_PPM="$root/build-web/title-x.ppm" \
    node --test controls_test.mjs sharp_test.mjs browser_test.mjs
