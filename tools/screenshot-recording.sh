#!/bin/sh
# Saves pictures of the recorder, the audio editor (with a file loaded), the speech window and
# the conversion window, drawn on a virtual X display with a window manager (openbox) and a
# private sound server, so the device lists are filled as on a desktop.
# Usage: tools/screenshot-recording.sh [build-dir] [out-dir]
# (XVFB_SERVERNUM picks the X display number, 99 by default)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
out=${2:-"$here/recording-windows"}
case "$out" in /*) ;; *) out="$(pwd)/$out" ;; esac
mkdir -p "$out"
cmake --build "$build" --target sound_RecordingScreenshots_test >/dev/null
display=":${XVFB_SERVERNUM:-99}"
work=$(mktemp -d)
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
i=0
until DISPLAY="$display" xprop -root >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -lt 100 ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
DISPLAY="$display" HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
i=0
until DISPLAY="$display" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
    i=$((i + 1))
    [ $i -lt 100 ] || { echo "openbox did not start" >&2; exit 1; }
    sleep 0.1
done
DISPLAY="$display" QT_QPA_PLATFORM=xcb QM_SCREENSHOT_DIR="$out" QUILLMERE_FORBID_POWEROFF=1 \
    "$build/tests/sound_RecordingScreenshots_test" --gtest_brief=1
ls "$out"/*.png
