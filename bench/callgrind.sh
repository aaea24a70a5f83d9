#!/usr/bin/env bash
# Instruction counts (valgrind's callgrind: repeatable on a busy machine) of the benchmark
# programs at small sizes, for one or more interpreter binaries side by side:
#
#     bench/callgrind.sh build/tarnel [other/tarnel ...]
#
# Prints millions of instructions per program and binary, start-up included, and the same for
# the Lua version of each program (its own start-up is about 1 M).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# program -> sed expression that shrinks it
# program -> sed expression that shrinks it (the same words in the .tn and the .lua version)
declare -A shrink=(
    [fib]='s/fib(32)/fib(22)/'
    [deep]='s/3000/100/g; s/2999/99/'
    [calls]='s/1800000/60000/'
    [loop]='s/2500000/100000/'
    [mandelbrot]='s/size = 400/size = 60/'
    [push_sum]='s/1800000/100000/'
    [sort]='s/200000/10000/'
    [strings]='s/100000/20000/'
    [text]='s/rounds = 40/rounds = 4/; s/1, 40 do/1, 4 do/'
    [dict_lookup]='s/2000000/80000/'
    [dict_build]='s/400000/40000/'
)
programs=(fib deep calls loop mandelbrot push_sum sort strings text dict_lookup dict_build)
count() {
    valgrind --tool=callgrind --callgrind-out-file="$work/out" "$@" > /dev/null 2> "$work/log"
    awk '/Collected :/ { printf " %14.1f", $4 / 1000000 }' "$work/log"
}

printf '%-12s' program
for bin in "$@"; do printf ' %14s' "$(basename "$(dirname "$bin")")"; done
printf ' %14s\n' lua
for name in "${programs[@]}"; do
    sed "${shrink[$name]}" "$here/programs/$name.tn" > "$work/$name.tn"
    sed "${shrink[$name]}" "$here/programs/$name.lua" > "$work/$name.lua"
    printf '%-12s' "$name"
    for bin in "$@"; do count "$bin" "$work/$name.tn"; done
    count lua5.4 "$work/$name.lua"
    printf '\n'
done
