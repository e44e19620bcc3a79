#!/bin/sh
# Runs a test program on a virtual X display of its own with a window manager (openbox), so that
# frames, placement and window states are a real desktop's. Xvfb picks a free display number.
# Usage: run-on-desktop.sh program [arguments...]
# QM_DESKTOP_SCREEN sets the screen's size (default 1280x1024).
set -u
for tool in Xvfb openbox xprop; do
    command -v "$tool" >/dev/null 2>&1 || { echo "run-on-desktop: $tool is not installed" >&2; exit 1; }
done
work=$(mktemp -d)
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

Xvfb -displayfd 3 -screen 0 "${QM_DESKTOP_SCREEN:-1280x1024}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
i=0
while [ ! -s "$work/display" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
[ -s "$work/display" ] || { echo "run-on-desktop: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY

HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
    i=$((i + 1))
    [ $i -lt 100 ] || { echo "run-on-desktop: openbox did not start" >&2; cat "$work/openbox.log" >&2; exit 1; }
    sleep 0.1
done

QT_QPA_PLATFORM=xcb "$@"
