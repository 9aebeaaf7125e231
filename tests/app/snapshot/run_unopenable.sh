#!/bin/sh
# run_unopenable.sh PROGRAM SIMULATOR OUTDIR: the program asked for a picture on a port it
# cannot open. It warns at start of a --port device that does not exist, and when no
# reading comes it says why on stderr besides the time-out. Run as an unprivileged user
# (where this script may switch users), a device it may not open is refused with the
# permission reason.
set -u
program=$1 simulator=$2 outdir=$3
mkdir -p "$outdir"
export QT_QPA_PLATFORM=offscreen
failed=0

expect_line() { # FILE TEXT
    if ! grep -qxF -- "$2" "$1"; then
        echo "missing from $1: $2"
        sed 's/^/    /' "$1"
        failed=1
    fi
}

missing=/dev/ttyUSB-kv27500-missing
"$program" --port "$missing" --snapshot "$outdir/missing.png" --readings 1 \
    >/dev/null 2>"$outdir/missing.err" &
missing_pid=$!

denied_pid=
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null 2>&1; then
    # The simulator's terminal belongs to root and its group, so nobody may not open it.
    rm -f "$outdir/simulator.out"
    "$simulator" --loop >"$outdir/simulator.out" 2>/dev/null &
    simulator_pid=$!
    tries=0
    while [ ! -s "$outdir/simulator.out" ] && [ $tries -lt 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    device=$(head -n 1 "$outdir/simulator.out")
    if [ -z "$device" ]; then
        echo "the simulator told no device within 10 s"
        kill "$simulator_pid" "$missing_pid" 2>/dev/null
        exit 1
    fi
    setpriv --reuid=65534 --regid=65534 --clear-groups \
        env HOME=/tmp XDG_RUNTIME_DIR= "$program" --port "$device" \
        --snapshot /tmp/kv27500-denied-never.png --readings 1 \
        >/dev/null 2>"$outdir/denied.err" &
    denied_pid=$!
fi

wait "$missing_pid"
status=$?
[ "$status" = 1 ] || { echo "exit status $status for a missing device"; failed=1; }
expect_line "$outdir/missing.err" "kv27500: warning: $missing does not exist"
expect_line "$outdir/missing.err" "kv27500: Cannot open $missing: no such device."
expect_line "$outdir/missing.err" "kv27500: 0 of 1 readings came within 5.5 s; no picture taken"

if [ -n "$denied_pid" ]; then
    wait "$denied_pid"
    status=$?
    kill "$simulator_pid" 2>/dev/null
    wait "$simulator_pid" 2>/dev/null
    [ "$status" = 1 ] || { echo "exit status $status for a denied device"; failed=1; }
    expect_line "$outdir/denied.err" "kv27500: Cannot open $device: permission denied. Add your user to the group dialout and log in again."
else
    echo "permission case skipped: needs root and setpriv"
fi
exit $failed
