#!/bin/sh
# Saves a picture of the main window at its default size, drawn on a virtual X display.
# Usage: tools/screenshot-main.sh [build-dir] [out.png]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
out=${2:-"$here/main-window.png"}
case "$out" in /*) ;; *) out="$(pwd)/$out" ;; esac
cmake --build "$build" --target mainwindow_Screenshot_test >/dev/null
QT_QPA_PLATFORM=xcb QM_SCREENSHOT="$out" \
  xvfb-run -a -s "-screen 0 1280x800x24" "$build/tests/mainwindow_Screenshot_test" --gtest_brief=1
echo "$out"
