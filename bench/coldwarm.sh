#!/bin/sh
# Times the first search of a folder (the page cache dropped before each run, which needs
# root) and the same search from a warm cache, side by side with ripgrep on one thread and
# on sixteen: Morl's whole search through the window (morl_bench measure window), each tool
# taking its turn round after round. Prints each tool's median and the median of each
# round's ratio to rg -j16 (cold) and to rg -j1 (warm).
# Usage: bench/coldwarm.sh <folder> <text> <0|1 case respected> [rounds] [morl_bench...]
#   With several morl_bench programs (an older build beside this one), each is a tool.
set -e
folder=$1 text=$2 sensitive=$3 rounds=${4:-3}
shift 3; [ $# -gt 0 ] && shift
[ $# -gt 0 ] || set -- build-bench/morl_bench
case_flag=-i; [ "$sensitive" = 1 ] && case_flag=
cold=true
if [ "$(id -u)" -ne 0 ] || ! [ -w /proc/sys/vm/drop_caches ]; then
    echo "not root: the page cache cannot be dropped, cold figures skipped"; cold=false
fi
drop() { sync; echo 3 > /proc/sys/vm/drop_caches; }
seconds() { # the wall time of a command, its output dropped
    start=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}
run() { # one tool's search: rg1, rg16 or a morl_bench program
    i=$1
    case $i in
        rg1) seconds rg -j1 -L -a -nF $case_flag -B1 -A1 --no-ignore --hidden -- "$text" "$folder" ;;
        rg16) seconds rg -j16 -L -a -nF $case_flag -B1 -A1 --no-ignore --hidden -- "$text" "$folder" ;;
        *) QT_QPA_PLATFORM=offscreen "$i" measure window "$folder" "$text" "$sensitive" \
               | sed -n 's/^seconds=\([0-9.]*\).*/\1/p' ;;
    esac
}
tools="$* rg1 rg16"
out=$(mktemp)
for state in cold warm; do
    [ $state = cold ] && ! $cold && continue
    for r in $(seq "$rounds"); do
        for t in $tools; do
            if [ $state = cold ]; then drop; else run "$t" >/dev/null; fi
            echo "$state $r $t $(run "$t")" >> "$out"
        done
    done
done
awk -v tools="$tools" '
    { t[$1 " " $2 " " $3] = $4; states[$1] = 1; if ($2 > rounds) rounds = $2 }
    function median(a, n,   i, j, x) {
        for (i = 2; i <= n; i++) { x = a[i]; for (j = i - 1; j >= 1 && a[j] > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
        return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    }
    END {
        n = split(tools, names, " ")
        for (s in states) {
            ref = s == "cold" ? "rg16" : "rg1"
            for (k = 1; k <= n; k++) {
                for (r = 1; r <= rounds; r++) { v[r] = t[s " " r " " names[k]]; q[r] = v[r] / t[s " " r " " ref] }
                printf "%s %-40s %7.2f s  %5.2fx %s\n", s, names[k], median(v, rounds), median(q, rounds), ref
            }
        }
    }' "$out"
rm -f "$out"
