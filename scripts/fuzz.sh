#!/bin/sh
# Builds the libFuzzer targets with clang and runs each one for a bounded time.
# Usage: scripts/fuzz.sh [total seconds, default 60]
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh test
total=${1:-60}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DMORL_BUILD_TESTS=OFF -DMORL_BUILD_FUZZERS=ON
cmake --build build-fuzz --parallel

targets=$(find build-fuzz -maxdepth 3 -type f -name 'fuzz_*' -perm -u+x | sort)
[ -n "$targets" ] || { echo "no fuzz target"; exit 0; }
count=$(echo "$targets" | wc -l)
each=$((total / count)); [ "$each" -ge 5 ] || each=5
for t in $targets; do
    echo "== $t for ${each}s"
    QT_QPA_PLATFORM=offscreen "$t" -max_total_time="$each" -timeout=20 -rss_limit_mb=4096 -print_final_stats=1
done
