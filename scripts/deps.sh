#!/bin/sh
# Installs what building, running and testing Morl need on Debian 12, only when some
# of it is missing. Usage: scripts/deps.sh [run|test|windows]
set -e
mode=${1:-test}

packages="cmake ninja-build g++ qt6-base-dev qt6-l10n-tools libgl-dev fonts-dejavu-core"
if [ "$mode" = test ] || [ "$mode" = windows ]; then
    # windres checks the Windows resources; clang/libFuzzer runs the fuzz targets;
    # dpkg-dev, fakeroot and desktop-file-utils build and check the Debian package.
    packages="$packages qt6-tools-dev binutils-mingw-w64-x86-64 clang libclang-rt-14-dev dpkg-dev fakeroot file desktop-file-utils xvfb xauth"
fi
if [ "$mode" = windows ]; then
    # The Windows build: the MinGW-w64 cross compiler (POSIX threads, which Qt needs),
    # Wine to run what it builds, NSIS and zip for the downloads, a window manager and
    # ImageMagick for the picture of the real window.
    packages="$packages g++-mingw-w64-x86-64-posix wine wine64 fonts-wine nsis zip unzip xdotool openbox imagemagick"
fi

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
