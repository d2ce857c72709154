#!/bin/sh
# Installs what building, running and testing Morl need on Debian 12, only when some of it
# is missing; the one place where the project's scripts install packages.
#
# Usage: scripts/deps.sh run|test|windows [more packages...]
#        scripts/deps.sh sources     (adds apt's deb-src entry that apt-get source needs)
set -e
mode=${1:-test}
[ $# -gt 0 ] && shift

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi

# apt-get source needs a deb-src entry for the same mirror and suites as the binary
# packages: one is derived from the deb entries when there is none.
add_sources() {
    if apt-get indextargets --format '$(IDENTIFIER)' 2>/dev/null | grep -qx Sources; then
        return 0
    fi
    entries=$(mktemp)
    for f in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list; do
        [ -f "$f" ] || continue
        if grep -q '^Types:' "$f"; then
            sed -n '/^Types:/,/^$/p' "$f" | sed 's/^Types:.*/Types: deb-src/'
        else
            grep '^deb ' "$f" | grep -v '\[' | sed 's/^deb /deb-src /'
        fi
    done > "$entries"
    if ! grep -q debian "$entries"; then
        echo "deps: no Debian entry to derive a deb-src entry from in the apt sources" >&2
        rm -f "$entries"
        return 1
    fi
    target=/etc/apt/sources.list.d/morl-deb-src.list
    grep -q '^Types:' "$entries" && target=/etc/apt/sources.list.d/morl-deb-src.sources
    $sudo cp "$entries" "$target"
    rm -f "$entries"
    $sudo apt-get update
}

if [ "$mode" = sources ]; then
    add_sources
    exit
fi

packages="cmake ninja-build g++ qt6-base-dev qt6-l10n-tools libgl-dev fonts-dejavu-core"
if [ "$mode" = test ] || [ "$mode" = windows ]; then
    # windres checks the Windows resources; clang/libFuzzer runs the fuzz targets;
    # dpkg-dev, fakeroot and desktop-file-utils build and check the Debian package.
    packages="$packages qt6-tools-dev binutils-mingw-w64-x86-64 clang libclang-rt-14-dev dpkg-dev fakeroot file desktop-file-utils xvfb xauth"
fi
if [ "$mode" = windows ]; then
    # The Windows build: the MinGW-w64 cross compiler (POSIX threads, which Qt needs),
    # dpkg-dev for apt-get source, Wine to run what it builds and Wine's Tahoma (fonts-wine)
    # for its prefixes, NSIS and zip for the downloads, a window manager and ImageMagick
    # for the picture of the real window.
    packages="$packages g++-mingw-w64-x86-64-posix wine wine64 fonts-wine nsis zip unzip xdotool openbox imagemagick"
fi
packages="$packages $*"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
