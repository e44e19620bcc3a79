#!/bin/sh
# Saves pictures of the main window at its default size, drawn on a virtual X display: the window
# with a small list, and the window with its preview strip playing (on a private sound server).
# Usage: tools/screenshot-main.sh [build-dir] [out.png]   (the second picture is out-strip.png;
# XVFB_SERVERNUM picks the first X display number to try)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
out=${2:-"$here/main-window.png"}
case "$out" in /*) ;; *) out="$(pwd)/$out" ;; esac
strip="${out%.png}-strip.png"
cmake --build "$build" --target mainwindow_Screenshot_test sound_StripScreenshot_test >/dev/null
servernum=${XVFB_SERVERNUM:+-n $XVFB_SERVERNUM}
QT_QPA_PLATFORM=xcb QM_SCREENSHOT="$out" \
  xvfb-run -a $servernum -s "-screen 0 1280x800x24" "$build/tests/mainwindow_Screenshot_test" --gtest_brief=1
QT_QPA_PLATFORM=xcb QM_SCREENSHOT_STRIP="$strip" \
  xvfb-run -a $servernum -s "-screen 0 1280x800x24" "$build/tests/sound_StripScreenshot_test" --gtest_brief=1
echo "$out"
echo "$strip"
