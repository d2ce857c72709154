#!/bin/sh
# Builds Morl for Windows x86-64 on Debian 12 and runs its tests under Wine, then makes
# the downloads: installs what is missing, builds (once per machine) the static Qt for
# Windows, builds morl.exe and the test programs, lays out build-windows/deploy/ (morl.exe
# and the license texts), runs every test through Wine, and packs the zip and the
# installer into build-windows/.
#
# Usage: scripts/windows.sh [--no-tests]
#   MORL_WINDOWS_QT=<prefix>  use this Qt for Windows instead of building one
set -eu
cd "$(dirname "$0")/.."
repo=$(pwd)
build=build-windows

step() { printf '\n== %s (%s)\n' "$1" "$(date +%H:%M:%S)"; }

step "Packages"
scripts/deps.sh windows

step "Qt for Windows"
if [ -n "${MORL_WINDOWS_QT:-}" ]; then
    qt=$MORL_WINDOWS_QT
else
    qt=$(scripts/windows-qt.sh | tail -n 1)
fi
[ -f "$qt/lib/cmake/Qt6/qt.toolchain.cmake" ] || {
    echo "windows: no Qt for Windows in $qt" >&2
    exit 1
}

# Stripping a Windows program stamps it with the time of day unless told a date: the
# date of the last commit makes the downloads the same for the same sources.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1700000000)}
export SOURCE_DATE_EPOCH

step "Morl for Windows"
# A build tree made with another Qt keeps that Qt in its cache: start it afresh.
if [ -f "$build/qt-prefix.txt" ] && [ "$(cat "$build/qt-prefix.txt")" != "$qt" ]; then
    rm -rf "$build"
fi
mkdir -p "$build"
echo "$qt" > "$build/qt-prefix.txt"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
    -DMORL_QT_LICENSES="$qt/licenses" \
    -DMORL_BUILD_TESTS=ON
cmake --build "$build" --parallel

step "Deployed folder"
rm -rf "$build/deploy"
cmake --install "$build" --prefix "$build/deploy" --component morl --strip
ls -l "$build/deploy"

if [ "${1:-}" != "--no-tests" ]; then
    step "Tests under Wine"
    ctest --test-dir "$build" --output-on-failure --parallel 2
fi

step "Downloads"
(cd "$build" && cpack)
ls -l "$build"/Morl-*-win64*.zip "$build"/Morl-*-win64*.exe
step "Done"
