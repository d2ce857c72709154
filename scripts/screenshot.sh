#!/bin/sh
# Takes the README's pictures of the main window from the real widgets, without a display:
# docs/screenshots/main-window.png (the window as it opens) and docs/screenshots/search.png
# (after a search in a small demo folder).
# Usage: scripts/screenshot.sh   (BUILD_DIR overrides the build folder, build-screenshot)
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh run

build=${BUILD_DIR:-build-screenshot}
# The tool reuses the tests' dialog watcher, so the tests' support library is configured.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORL_BUILD_TESTS=ON
cmake --build "$build" --parallel --target morl_screenshot

# The offscreen platform draws with the fonts that fontconfig finds (DejaVu here).
export QT_QPA_PLATFORM=offscreen
"$build/morl_screenshot" docs/screenshots
"$build/morl_screenshot" search docs/screenshots
