#!/bin/sh
# Gathers the seed corpus into the folder $1: every script test, checker test and example, named
# after its path. Tests that run with -D start with the 0x01 byte that turns the trace on in the
# run target.
set -eu
out=$1
cd "$(dirname "$0")/.."
rm -rf "$out"
mkdir -p "$out"
find tests/scripts tests/check examples -type f -name '*.tn' | while read -r script; do
    seed="$out/$(echo "$script" | tr / _)"
    if grep -q 'args:.*-D' "$script"; then printf '\001' > "$seed"; else : > "$seed"; fi
    cat "$script" >> "$seed"
done
