#!/bin/sh
# Replays the seed corpus through a fuzz target, then RUNS inputs in all (mutations from a fixed
# random seed); a crash is kept in ARTIFACTS. Usage: replay.sh TARGET RUNS ARTIFACTS
set -eu
here=$(cd "$(dirname "$0")" && pwd)
target=$1
runs=$2
artifacts=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$here/seeds.sh" "$work/seeds"
mkdir -p "$work/found" "$artifacts"
"$target" -runs="$runs" -seed=1 -timeout=10 -dict="$here/tokens.dict" \
    -artifact_prefix="$artifacts/" "$work/found" "$work/seeds"
