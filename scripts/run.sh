#!/bin/sh
# Installs what is missing, builds Morl and starts it.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh run

cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORL_BUILD_TESTS=OFF
cmake --build build-run --parallel

if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ] && [ -z "$QT_QPA_PLATFORM" ]; then
    echo "Morl is built (build-run/morl), but no display is available to show its window."
    echo "Start it under a virtual display instead:"
    echo "    sudo apt-get install -y xvfb xauth && xvfb-run -a build-run/morl"
    echo "or, to take a picture of it, see scripts/screenshot.sh."
    exit 1
fi
exec build-run/morl "$@"
