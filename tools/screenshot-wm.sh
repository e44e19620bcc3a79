#!/bin/sh
# Starts the program as a new user would (fresh settings and lists, installer step first) on a
# virtual X display with a window manager, and saves a picture of the whole screen once the
# main window is up. Give a display number nobody else uses.
# Usage: tools/screenshot-wm.sh :NUMBER out.png [build-dir] [seconds to wait]
set -eu
display=$1
out=$2
here=$(cd "$(dirname "$0")/.." && pwd)
build=${3:-"$here/build"}
wait=${4:-4}
case "$out" in /*) ;; *) out="$(pwd)/$out" ;; esac

work=$(mktemp -d)
mkdir -m 700 "$work/runtime"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
export DISPLAY="$display" QT_QPA_PLATFORM=xcb QUILLMERE_FORBID_POWEROFF=1
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids="$! $pids"
sleep 1
openbox >/dev/null 2>&1 &
pids="$! $pids"
sleep 1
"$build/bin/quillmere-setup" >/dev/null
"$build/bin/quillmere" >/dev/null 2>&1 &
pids="$! $pids"
sleep "$wait"
import -window root "$out"
echo "$out"
