#!/usr/bin/env bash
# Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#
# The joiner window's own task against the join component alone, offscreen (window-bench.sh
# measures the window on a real X server), in one run: 500 two-second
# 44.1 kHz stereo WAV files joined into one WAV by joiner-window (the window filled as the
# command fills it, Join pressed, progress and log handled) and by engine-driver join. Prints the
# best of RUNS timings of each (whole processes, and the window's task alone) and their ratios.
# Usage: bench/joiner-bench.sh [BUILD_DIR]   (default: build). Needs: sox.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${RUNS:-5}
driver=$build/bin/engine-driver
window=$build/bin/joiner-window
for exe in "$driver" "$window"; do
  [[ -x $exe ]] || { echo "not built: $exe" >&2; exit 2; }
done
command -v sox >/dev/null || { echo "missing tool: sox" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/joiner-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out" "$work/xdg/data" "$work/xdg/config"
export XDG_DATA_HOME=$work/xdg/data XDG_CONFIG_HOME=$work/xdg/config QT_QPA_PLATFORM=offscreen

files=()
for i in $(seq -w 1 500); do
  f=$work/in/item$i.wav
  sox -n -r 44100 -c 2 -b 16 "$f" synth 2 sine $((200 + 10#$i)) vol 0.3
  files+=("$f")
done

now() { date +%s.%N; }
best_driver="" best_window="" best_process=""
for ((r = 0; r < runs; r++)); do
  # Alternate the order so neither profits from the other's warm cache alone.
  t0=$(now); "$driver" join "$work/out/driver.wav" wav:44100:2:16 "${files[@]}" >/dev/null; t1=$(now)
  d=$(awk -v a="$t1" -v b="$t0" 'BEGIN { printf "%.6f", a - b }')
  t0=$(now); out=$("$window" "$work/out" "${files[@]}") || { echo "the joiner window run failed" >&2; exit 1; }; t1=$(now)
  read -r _ w <<<"$out"
  p=$(awk -v a="$t1" -v b="$t0" 'BEGIN { printf "%.6f", a - b }')
  [[ -z $best_process ]] || awk -v d="$p" -v b="$best_process" 'BEGIN { exit !(d < b) }' && best_process=$p
  [[ -z $best_driver ]] || awk -v d="$d" -v b="$best_driver" 'BEGIN { exit !(d < b) }' && best_driver=$d
  [[ -z $best_window ]] || awk -v d="$w" -v b="$best_window" 'BEGIN { exit !(d < b) }' && best_window=$w
  rm -f "$work/out/"*.wav
done
printf '  %-40s %8.3f s\n' "engine-driver join (whole process)" "$best_driver" \
  "joiner-window (whole process)" "$best_process" "joiner window task (Join to Done)" "$best_window"
awk -v w="$best_window" -v p="$best_process" -v d="$best_driver" 'BEGIN {
  printf "  window task / engine process:    %.3f (%+.1f %%)\n", w / d, (w / d - 1) * 100
  printf "  window process / engine process: %.3f (%+.1f %%)\n", p / d, (p / d - 1) * 100 }'
