#!/bin/sh
# Installs what is missing, builds Morl with its tests and runs every test.
# Usage: scripts/test.sh [--sanitize]   (--sanitize: AddressSanitizer + UBSan build)
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh test

build=build
flags="-DCMAKE_BUILD_TYPE=RelWithDebInfo"
if [ "$1" = "--sanitize" ]; then
    build=build-sanitize
    flags="-DCMAKE_BUILD_TYPE=Debug -DMORL_SANITIZE=ON"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

cmake -S . -B "$build" -G Ninja $flags -DMORL_BUILD_TESTS=ON
cmake --build "$build" --parallel
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure --parallel 2
