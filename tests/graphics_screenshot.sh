#!/usr/bin/env bash
# End-to-end graphics check: runs a drawing script on a private X server, takes screenshots of
# its window and checks a few pixel colours.
#   usage: graphics_screenshot.sh <tarnel-binary>
# Needs Xvfb, xwininfo (x11-utils) and ImageMagick (import, convert).
set -euo pipefail

tarnel=$(realpath "$1")
work=$(mktemp -d)
xvfb_pid=""
script_pid=""

cleanup() {
    local status=$?
    set +e
    for pid in $script_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT

cat >"$work/shot.tn" <<'EOF'
sdl2.create_window("Screenshot", 160, 120)
frames = 0
while sdl2.is_window_open() and frames < 20000 {
    sdl2.clear_screen()
    sdl2.set_draw_color(255, 0, 0)
    sdl2.fill_rect(10, 10, 40, 30)
    fill(circle(110, 60, 20), color(0, 255, 0))
    draw(rect(60, 80, 30, 20), color(0, 0, 255))
    sdl2.render_present()
    frames = frames + 1
}
print(frames)
EOF

# Xvfb picks a free display itself and writes its number to the given descriptor.
Xvfb -displayfd 3 -screen 0 320x240x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
display=":$(tr -d '[:space:]' <"$work/display")"
[[ $display != ":" ]] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=$display SDL_VIDEODRIVER=x11
unset WAYLAND_DISPLAY

(cd "$work" && exec "$tarnel" shot.tn >"$work/out" 2>"$work/err") &
script_pid=$!

pixel() {  # pixel <image> <x> <y> -> RRGGBB
    convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6
}

declare -A want=([20,20]=FF0000 [45,35]=FF0000 [110,60]=00FF00 [110,41]=00FF00
                 [60,80]=0000FF [89,99]=0000FF [75,90]=000000 [5,5]=000000 [150,110]=000000)
deadline=$((SECONDS + 15))
while :; do
    failures=""
    window=$(xwininfo -name Screenshot 2>/dev/null | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p' || true)
    if [[ -n $window ]] && import -window "$window" "$work/shot.png" 2>/dev/null; then
        for at in "${!want[@]}"; do
            got=$(pixel "$work/shot.png" "${at%,*}" "${at#*,}")
            [[ $got == "${want[$at]}" ]] || failures+=" ($at) expected ${want[$at]} got $got;"
        done
        [[ -z $failures ]] && break
    else
        failures=" no window titled Screenshot"
    fi
    if ((SECONDS > deadline)) || ! kill -0 "$script_pid" 2>/dev/null; then
        echo "FAIL:$failures"
        echo "stdout: $(cat "$work/out")  stderr: $(cat "$work/err")"
        exit 1
    fi
    sleep 0.2
done
echo "PASS: window pixels as drawn"
