#!/bin/sh
# SPDX-License-Identifier: MIT
# Pelko in a web browser: installs what is missing, builds the site into
# build-web/site/ and serves it on http://127.0.0.1:8000/ (Ctrl-C stops it).
#   scripts/web.sh            build and serve
#   scripts/web.sh --build    only build
set -eu
cd "$(dirname "$0")/.."
case "${1:-}" in
"" | --build) ;;
*) echo "usage: scripts/web.sh [--build]" >&2; exit 2 ;;
esac
jobs=$(nproc 2>/dev/null || echo 2)

scripts/deps.sh web
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j "$jobs"
[ "${1:-}" = --build ] && exit 0

echo "Pelko is at http://127.0.0.1:8000/ (Ctrl-C stops the server)"
exec python3 -m http.server 8000 --bind 127.0.0.1 --directory build-web/site
