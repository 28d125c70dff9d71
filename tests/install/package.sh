#!/bin/sh
# SPDX-License-Identifier: MIT
# The Debian package of a build: every file at its path, the data where the
# game looks for it, the dependencies, a man page that renders without
# warnings and a desktop entry that validates.
#   package.sh <build dir>
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" ||
    { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/*.deb)
prefix=$(sed -n 's/^set(CPACK_PACKAGING_INSTALL_PREFIX "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
data=$(sed -n 's/^PELKO_DATA_DIR:PATH=//p' "$build/CMakeCache.txt")
failed=0
fail() { echo "FAIL: $*"; failed=1; }

dpkg-deb -c "$deb" | awk '{ sub(/^\./, "", $6); print $6 }' >"$work/files"
for file in "$prefix/bin/pelko" "$prefix/bin/pelko-play" \
    "$data/pelko.grid" "$data/pelko.font" "$data/pelko.raw" \
    "$prefix/share/man/man6/pelko.6.gz" "$prefix/share/man/man6/pelko-play.6.gz" \
    "$prefix/share/applications/pelko.desktop" \
    "$prefix/share/icons/hicolor/scalable/apps/pelko.svg" \
    "$prefix/share/icons/hicolor/128x128/apps/pelko.png"; do
    grep -qx "$file" "$work/files" || fail "$file is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libx11-6 xserver-xephyr; do
    echo "$depends" | grep -q "\\b$package\\b" || fail "Depends lacks $package: $depends"
done

dpkg-deb -x "$deb" "$work/root"
root="$work/root$prefix"
grep -q "$data/pelko.grid" "$root/bin/pelko" || fail "the game does not look in $data"
grep -q "$prefix/bin/pelko" "$root/bin/pelko-play" || fail "the launcher does not start $prefix/bin/pelko"
grep -qx "Exec=$prefix/bin/pelko-play" "$root/share/applications/pelko.desktop" ||
    fail "the desktop entry does not start the launcher"
grep -qx "StartupWMClass=Pelko" "$root/share/applications/pelko.desktop" ||
    fail "the desktop entry does not name the launcher's window class"
desktop-file-validate "$root/share/applications/pelko.desktop" || fail "desktop entry"

# The launcher's page is the game's, through a .so link resolved in the tree.
for page in pelko pelko-play; do
    (cd "$root/share/man" && LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "man6/$page.6.gz") \
        >"$work/$page.txt" 2>"$work/$page.warnings" || fail "man $page"
    [ ! -s "$work/$page.warnings" ] || { cat "$work/$page.warnings"; fail "man $page warns"; }
    grep -q "failed to allocate all 15 colours" "$work/$page.txt" || fail "$page: diagnostics"
    grep -q "$data/pelko.font" "$work/$page.txt" || fail "$page: files"
done
exit $failed
