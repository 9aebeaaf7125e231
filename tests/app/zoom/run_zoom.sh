#!/usr/bin/env bash
# run_zoom.sh PROGRAM GRAB CHECK OUTDIR: the program on a virtual X server of its own,
# driven by keys as a user drives it, and read back from the screen.
#  - Ctrl+Plus grows the window from 471 x 648 to 589 x 810, its digits drawn at that size
#    (as on a screen of ratio 1.25, not the 100 % picture enlarged);
#  - the size is there again at the next start (a private settings folder);
#  - F11 fills the screen with digits that read as the window's, a third of the screen
#    high; Escape brings the window back and the readings go on;
#  - a snapshot is of 471 x 648 all the same.
set -u
program=$1 grab=$2 check=$3 out=$4
for tool in Xvfb xdotool tesseract; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed (scripts/setup installs it)"
        exit 77
    fi
done
rm -rf "$out"
mkdir -p "$out"
unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
export LC_ALL=C.UTF-8 LANGUAGE=en

# Six seconds of 01.234 V-DC, then six of 05.678, over and over.
script="$out/steady.txt"
{
    for _ in $(seq 60); do echo "240 136 01234"; done
    for _ in $(seq 60); do echo "240 136 05678"; done
} >"$script"

pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

Xvfb -displayfd 3 -screen 0 1920x1080x24 -dpi 96 -nolisten tcp 3>"$out/display" 2>"$out/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$out/display" ] && break
    sleep 0.1
done
[ -s "$out/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(tr -d '\n' <"$out/display")"

# Sets W, WX, WY to the visible window of the program that is WIDTH x HEIGHT; false when
# none is within ten seconds.
wait_window() {
    local width=$1 height=$2 id
    for _ in $(seq 100); do
        for id in $(xdotool search --onlyvisible --name 'VELOMAX KV27500' 2>/dev/null); do
            unset X Y WIDTH HEIGHT
            eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)"
            if [ "${WIDTH:-}" = "$width" ] && [ "${HEIGHT:-}" = "$height" ]; then
                W=$id WX=$X WY=$Y
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

start() {
    env "$@" "$program" --simulate "$script" --autostart >>"$out/program.log" 2>&1 &
    pid=$!
    pids+=("$pid")
}

finish() {
    kill "$pid"
    wait "$pid"
}

# The digits tesseract reads in a rectangle of the screen.
read_digits() {
    "$grab" "$out/ocr.png" "$@" 2>/dev/null || return 1
    tesseract "$out/ocr.png" stdout --psm 7 -c tessedit_char_whitelist=0123456789., 2>/dev/null |
        tr -d ' \n\f'
}

# The value field of the window at ZOOM percent, as tesseract reads it.
window_digits() {
    local zoom=$1
    read_digits $((WX + 225 * zoom / 100)) "$WY" $((WIDTH - 225 * zoom / 100)) $((76 * zoom / 100))
}

# Waits up to `seconds` for the window at ZOOM to show `digits`.
wait_digits() {
    local zoom=$1 digits=$2 seconds=$3 seen=
    for _ in $(seq $((seconds * 2))); do
        seen=$(window_digits "$zoom")
        [ "$seen" = "$digits" ] && return 0
        sleep 0.5
    done
    echo "the window shows '$seen', not '$digits'"
    return 1
}

# --- First run: 100 %, then Ctrl+Plus.
export XDG_CONFIG_HOME="$out/config"
start
wait_window 471 648 || fail "the window did not open at 471 x 648"
wait_digits 100 01.234 15 || fail "no steady reading at 100 %"
"$grab" "$out/at100.png" "$WX" "$WY" 471 648 2>/dev/null || fail "no grab"
xdotool windowfocus --sync "$W" key ctrl+plus
wait_window 589 810 || fail "Ctrl+Plus did not make the window 589 x 810"
wait_digits 125 01.234 15 || fail "no steady reading at 125 %"
"$grab" "$out/at125.png" "$WX" "$WY" 589 810 2>/dev/null || fail "no grab"
finish

# --- The window at 100 % on a screen of ratio 1.25: its displays drawn sharp at that ratio.
start XDG_CONFIG_HOME="$out/config-ratio" QT_SCALE_FACTOR=1.25
wait_window 589 810 || fail "the window at ratio 1.25 is not 589 x 810"
wait_digits 125 01.234 15 || fail "no steady reading at ratio 1.25"
"$grab" "$out/ratio125.png" "$WX" "$WY" 589 810 2>/dev/null || fail "no grab"
finish
"$check" sharp "$out/at100.png" "$out/at125.png" "$out/ratio125.png" 1.25 || fail "zoomed grab"

# --- Second run: the size kept; F11 and Escape.
start
wait_window 589 810 || fail "the size was not kept for the next start"
wait_digits 125 01.234 15 || fail "no steady reading at the second start"
shown=$(window_digits 125)
xdotool windowfocus --sync "$W" key F11
wait_window 1920 1080 || fail "F11 did not fill the screen"
sleep 0.5
"$grab" "$out/readout.png" 2>/dev/null || fail "no grab"
readout=$(read_digits 0 0 1920 605)
echo "window: '$shown', readout: '$readout'"
[ "$readout" = "$shown" ] || fail "the readout's digits '$readout' are not the window's '$shown'"
"$check" tall "$out/readout.png" 0.56 || fail "readout digits"
xdotool key Escape
wait_window 589 810 || fail "Escape did not bring the window back"
wait_digits 125 05.678 15 || fail "the readings did not go on after Escape"
finish

# --- A picture taken with --snapshot is of the form's own size, whatever size was kept.
"$program" --simulate "$script" --snapshot "$out/snapshot.png" --readings 3 >>"$out/program.log" 2>&1 ||
    fail "no snapshot"
file "$out/snapshot.png" | grep -q "471 x 648" || fail "the snapshot is $(file "$out/snapshot.png")"
echo "zoom and readout: all checks passed"
