#!/bin/bash
# The bash completion: options of both programs, check names after --disable, and only .tn files
# (and folders) for the file argument.
#     bash completion_test.sh <completion-script> <tarnel-check>
set -u
source "$1"
checker=$2
cd "$(mktemp -d)" && trap 'rm -rf "$PWD"' EXIT
mkdir games && touch game.tn notes.txt gadget.tn
failed=0

expect() {  # expect "<words>" "<wanted completions, sorted, space-separated>"
    local function=$1 line=$2 want=$3
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    $function
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
    if [[ $got != "$want" ]]; then
        echo "FAIL: '$line' completes to '$got', expected '$want'"
        failed=1
    fi
}

expect _tarnel "tarnel -" "-D -d -h -v"
expect _tarnel "tarnel g" "gadget.tn game.tn games"
expect _tarnel "tarnel -d " "gadget.tn game.tn games"
expect _tarnel_check "$checker --d" "--disable"
expect _tarnel_check "$checker --disable else" "else-if"
expect _tarnel_check "$checker --disable " "$("$checker" --help | sed -n '/^Checks:/,$s/^  \([a-z-]*\) .*/\1/p' | sort | xargs)"
expect _tarnel_check "$checker --disable never-runs ga" "gadget.tn game.tn games"
[[ $("$checker" --help | sed -n '/^Checks:/,$s/^  \([a-z-]*\) .*/\1/p' | wc -l) -ge 12 ]] ||
    { echo "FAIL: no check names found in tarnel-check --help"; failed=1; }
exit $failed
