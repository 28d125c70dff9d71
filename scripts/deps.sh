#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the Debian packages a fresh Debian 12 machine lacks for building
# (deps.sh build), for building and testing (deps.sh test: the browser test
# runs in Chromium, Firefox ESR and WebKitGTK), or for the browser build alone
# (deps.sh web).
set -eu

packages="g++ make cmake pkg-config libx11-dev libsdl2-dev libwayland-dev"
case "${1:-build}" in
build) packages="$packages libdecor-0-plugin-1-cairo" ;;
test) packages="$packages clang clang-format libgtest-dev libxtst-dev zlib1g-dev xvfb x11-utils weston xwayland
    mutter dbus-daemon openbox man-db desktop-file-utils appstream lintian dpkg-dev file emscripten chromium
    firefox-esr webkit2gtk-driver libdecor-0-plugin-1-cairo"
    # The browser test's driver comes from npm: Debian's when the machine has none.
    command -v npm >/dev/null || packages="$packages npm" ;;
web) packages="cmake make emscripten python3" ;; # the browser build alone
*) echo "usage: deps.sh build|test|web" >&2; exit 2 ;;
esac

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
