#!/bin/sh
# Installs what is missing, builds Morl with its tests and runs every test.
# Usage: scripts/test.sh [--sanitize | --tsan]
#   --sanitize: AddressSanitizer + UBSan build of every test
#   --tsan: ThreadSanitizer build of the search's own tests (those without widgets)
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

if [ "$1" = "--tsan" ]; then
    build=build-tsan
    flags="-DCMAKE_BUILD_TYPE=Debug -DMORL_TSAN=ON"
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=$(pwd)/tests/search/tsan.supp"
    cmake -S . -B "$build" -G Ninja $flags -DMORL_BUILD_TESTS=ON
    tests=$(ctest --test-dir "$build" -N -L search | sed -n 's/^ *Test *#[0-9]*: //p')
    cmake --build "$build" --parallel --target $tests
    # The sanitizer's shadow memory needs the address space laid out as it expects: where
    # the kernel spreads mappings too widely, the tests run without that randomisation.
    run=""
    if setarch "$(uname -m)" -R true 2>/dev/null; then run="setarch $(uname -m) -R"; fi
    QT_QPA_PLATFORM=offscreen $run ctest --test-dir "$build" --output-on-failure --parallel 2 \
        -L search
    exit
fi

cmake -S . -B "$build" -G Ninja $flags -DMORL_BUILD_TESTS=ON
cmake --build "$build" --parallel
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure --parallel 2
