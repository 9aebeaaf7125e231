#!/bin/sh
# run_snapshot.sh PROGRAM CHECKER SCRIPT OUTDIR: runs the program under a virtual X server
# on the simulated meter until it has taken its picture, then checks the picture.
set -eu
program=$1 checker=$2 script=$3 outdir=$4
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "skipped: xvfb-run is not installed (scripts/setup installs it)"
    exit 77
fi
mkdir -p "$outdir"
picture="$outdir/kv27500-xvfb.png"
rm -f "$picture"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
    "$program" --simulate "$script" --snapshot "$picture" --readings 10
"$checker" "$picture"
