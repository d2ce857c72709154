#!/bin/sh
# Prepares the corpora (the Linux 6.1 source tree from Debian's linux-source-6.1 package,
# a generated 1 GiB log, a generated 200 MB file of one single line and a generated 1 GiB
# file of one line with one hit), builds the
# benchmark in Release and prints one comparison of Morl with GNU grep and ripgrep:
# medians of time and peak memory, and the ratios.
# Usage: bench/run.sh [repetitions] [tools] [scenarios]
#   tools: any of fast,window,floor,literal,grep,rg (default: all); scenarios: any of
#   a,b,c2,d,e,f,g,h,h2,i,i2 (default: a,b,c2,d,e; f and g write reports of gigabytes)
# Only the corpora and tools of the chosen scenarios are prepared.
# MORL_BENCH_DATA (default: ../bench-data beside the repository) holds the corpora,
# MORL_BENCH_BUILD (default: build-bench) the build.
set -e
cd "$(dirname "$0")/.."
data=${MORL_BENCH_DATA:-$(cd .. && pwd)/bench-data}
build=${MORL_BENCH_BUILD:-build-bench}
tools=${2:-fast,window,floor,literal,grep,rg}
scenarios=${3:-a,b,c2,d,e}

wants() { case ",$1," in *",$2,"*) return 0 ;; *) return 1 ;; esac; }
needsTree=false
for s in a b c2 f h h2; do wants "$scenarios" "$s" && needsTree=true; done
needsLog=false
for s in d i i2; do wants "$scenarios" "$s" && needsLog=true; done

packages="grep time"
$needsTree && packages="$packages linux-source-6.1 xz-utils"
wants "$tools" rg && packages="$packages ripgrep"
scripts/deps.sh run $packages

mkdir -p "$data/empty" "$data/log" "$data/line" "$data/hitline"
if $needsTree && [ ! -d "$data/linux-source-6.1" ]; then
    echo "Extracting the Linux source tree into $data"
    tar -xJf /usr/src/linux-source-6.1.tar.xz -C "$data"
fi

cmake -S bench -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target morl_bench --parallel 2
bench="$build/morl_bench"
if $needsLog && [ ! -s "$data/log/big.log" ]; then
    echo "Generating $data/log/big.log"
    "$bench" generate-log "$data/log/big.log" 10000000 20
fi
if wants "$scenarios" e && [ ! -s "$data/line/one-line.txt" ]; then
    echo "Generating $data/line/one-line.txt"
    "$bench" generate-line "$data/line/one-line.txt" 200000000
fi

if wants "$scenarios" g && [ ! -s "$data/hitline/one-hit.txt" ]; then
    echo "Generating $data/hitline/one-hit.txt"
    "$bench" generate-line "$data/hitline/one-hit.txt" 1073741824 1
fi

# Every tool reads from a warm page cache.
if $needsTree; then find "$data/linux-source-6.1" -type f -exec cat {} + >/dev/null; fi
if $needsLog; then cat "$data/log/big.log" >/dev/null; fi
if wants "$scenarios" e; then cat "$data/line/one-line.txt" >/dev/null; fi
if wants "$scenarios" g; then cat "$data/hitline/one-hit.txt" >/dev/null; fi

versions="$(grep --version | head -1)"
wants "$tools" rg && versions="$versions; $(rg --version | head -1)"
echo "$(date -u +%Y-%m-%d) on $(nproc) cores; $versions"
"$bench" compare "$data" "${1:-3}" "$tools" "$scenarios"
