#!/bin/sh
# Prepares the corpora (the Linux 6.1 source tree from Debian's linux-source-6.1 package
# and a generated 1 GiB log), builds the benchmark in Release and prints one comparison of
# Morl with GNU grep and ripgrep: medians of time and peak memory, and the ratios.
# Usage: bench/run.sh [repetitions] [tools] [scenarios]
#   tools: any of fast,window,literal,grep,rg (default: all); scenarios: any of a,b,c2,d
# MORL_BENCH_DATA (default: ../bench-data beside the repository) holds the corpora,
# MORL_BENCH_BUILD (default: build-bench) the build.
set -e
cd "$(dirname "$0")/.."
data=${MORL_BENCH_DATA:-$(cd .. && pwd)/bench-data}
build=${MORL_BENCH_BUILD:-build-bench}

missing=""
for p in linux-source-6.1 ripgrep grep time xz-utils cmake ninja-build g++ qt6-base-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
fi

mkdir -p "$data/empty" "$data/log"
if [ ! -d "$data/linux-source-6.1" ]; then
    echo "Extracting the Linux source tree into $data"
    tar -xJf /usr/src/linux-source-6.1.tar.xz -C "$data"
fi

cmake -S bench -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target morl_bench --parallel 2
bench="$build/morl_bench"
if [ ! -s "$data/log/big.log" ]; then
    echo "Generating $data/log/big.log"
    "$bench" generate-log "$data/log/big.log" 10000000 20
fi

# Every tool reads from a warm page cache.
find "$data/linux-source-6.1" "$data/log" -type f -exec cat {} + >/dev/null

echo "$(date -u +%Y-%m-%d) on $(nproc) cores; $(grep --version | head -1); $(rg --version | head -1)"
"$bench" compare "$data" "${1:-3}" "${2:-fast,window,literal,grep,rg}" "${3:-a,b,c2,d}"
