#!/usr/bin/env bash
# Instruction counts (valgrind's callgrind: repeatable on a busy machine) of the benchmark
# programs at small sizes, for one or more interpreter binaries side by side:
#
#     bench/callgrind.sh build/tarnel [other/tarnel ...]
#
# Prints millions of instructions per program and binary, start-up included.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# program -> sed expression that shrinks it
declare -A shrink=(
    [fib]='s/fib(32)/fib(22)/'
    [loop]='s/let n = 2500000/let n = 100000/'
    [mandelbrot]='s/let size = 400/let size = 60/'
    [dict_lookup]='s/let n = 2000000/let n = 80000/'
    [calls]='s/let n = 1800000/let n = 60000/'
    [sort]='s/let n = 200000/let n = 10000/'
    [strings]='s/let n = 100000/let n = 20000/'
    [push_sum]='s/let n = 1800000/let n = 100000/'
)
programs=(fib loop mandelbrot dict_lookup calls sort strings push_sum)

printf '%-12s' program
for bin in "$@"; do printf ' %14s' "$(basename "$(dirname "$bin")")"; done
printf '\n'
for name in "${programs[@]}"; do
    sed "${shrink[$name]}" "$here/programs/$name.tn" > "$work/$name.tn"
    printf '%-12s' "$name"
    for bin in "$@"; do
        valgrind --tool=callgrind --callgrind-out-file="$work/out" "$bin" "$work/$name.tn" \
            > /dev/null 2> "$work/log"
        count=$(grep -o 'Collected : [0-9]*' "$work/log" | grep -o '[0-9]*')
        awk -v c="$count" 'BEGIN { printf " %14.1f", c / 1000000 }'
    done
    printf '\n'
done
