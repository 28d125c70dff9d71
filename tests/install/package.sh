#!/bin/sh
# SPDX-License-Identifier: MIT
# The Debian package of a build: every file at its path, the data where the
# game looks for it, the dependencies, a man page that renders without
# warnings, a desktop entry and AppStream metadata that validate, one version
# throughout, and, for a package of /usr, no lintian error or warning.
#   package.sh <build dir> <directory the programs install to>
set -eu
build=$1
bin=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Packed under a strict umask, which must not reach the package's modes.
(umask 077 && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/*.deb)
prefix=$(sed -n 's/^set(CPACK_PACKAGING_INSTALL_PREFIX "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
data=$(sed -n 's/^PELKO_DATA_DIR:PATH=//p' "$build/CMakeCache.txt")
share=$prefix/share
id=org.pelko.Pelko
failed=0
fail() { echo "FAIL: $*"; failed=1; }

dpkg-deb -c "$deb" >"$work/listing"
awk '{ sub(/^\./, "", $6); print $6 }' "$work/listing" >"$work/files"
awk '$1 !~ /^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x)$/ { print; bad = 1 } END { exit bad }' \
    "$work/listing" || fail "modes other than 0755 and 0644"
for file in "$bin/pelko" "$bin/pelko-play" \
    "$data/pelko.grid" "$data/pelko.font" "$data/pelko.raw" \
    "$share/man/man6/pelko.6.gz" "$share/man/man6/pelko-play.6.gz" \
    "$share/applications/$id.desktop" "$share/metainfo/$id.metainfo.xml" \
    "$share/icons/hicolor/scalable/apps/pelko.svg" \
    "$share/icons/hicolor/128x128/apps/pelko.png" \
    "$share/doc/pelko/copyright" "$share/doc/pelko/changelog.gz"; do
    grep -qx "$file" "$work/files" || fail "$file is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libx11-6 libsdl2-2.0-0; do
    echo "$depends" | grep -q "\\b$package\\b" || fail "Depends lacks $package: $depends"
done
dpkg-deb -f "$deb" Recommends | grep -q "libdecor-0-plugin-1-cairo" ||
    fail "Recommends lacks libdecor-0-plugin-1-cairo"

dpkg-deb -x "$deb" "$work/root"
root=$work/root
grep -q "$data/pelko.grid" "$root$bin/pelko" || fail "the game does not look in $data"
grep -q "$data/pelko.grid" "$root$bin/pelko-play" || fail "pelko-play does not look in $data"
desktop=$root$share/applications/$id.desktop
grep -qx "Exec=$bin/pelko-play" "$desktop" || fail "the desktop entry does not start pelko-play"
grep -qx "StartupWMClass=Pelko" "$desktop" || fail "the desktop entry does not name pelko-play's window class"
desktop-file-validate "$desktop" || fail "desktop entry"
metainfo=$root$share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" &&
    appstreamcli validate-tree --no-net "$root" >>"$work/appstream.log" ||
    { cat "$work/appstream.log"; fail "AppStream metadata"; }

# The package, the changelog and the AppStream release name one version.
version=$(dpkg-deb -f "$deb" Version)
zcat "$root$share/doc/pelko/changelog.gz" >"$work/changelog"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] ||
    fail "the changelog's last entry is not $version"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no AppStream release $version"

# pelko-play's page is the game's, through a .so link resolved in the tree.
for page in pelko pelko-play; do
    (cd "$root$share/man" && LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "man6/$page.6.gz") \
        >"$work/$page.txt" 2>"$work/$page.warnings" || fail "man $page"
    [ ! -s "$work/$page.warnings" ] || { cat "$work/$page.warnings"; fail "man $page warns"; }
    grep -q "failed to allocate all 15 colours" "$work/$page.txt" || fail "$page: diagnostics"
    grep -q "$data/pelko.font" "$work/$page.txt" || fail "$page: files"
done

# Debian takes packages of /usr only; lintian rejects /usr/local by design.
if [ "$prefix" != /usr ]; then
    echo "lintian: not run on a package of $prefix"
elif command -v lintian >/dev/null; then
    status=0
    lintian "$deb" >"$work/lintian.log" 2>&1 || status=$?
    if [ $status -ne 0 ] || grep -q '^[EW]:' "$work/lintian.log"; then
        cat "$work/lintian.log"
        fail "lintian"
    fi
else
    echo "lintian: not installed"
fi
exit $failed
