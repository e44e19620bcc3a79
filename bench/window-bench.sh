#!/usr/bin/env bash
# Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#
# The joiner and converter windows on a real X server (Xvfb with the openbox window manager)
# against engine-driver on the same files, in one run:
#   - join 300 and 3,000 two-second 44.1 kHz stereo WAV files into one WAV: the real program as a
#     user drives it (`quillmere` started with the files in its items list, the main toolbar's
#     Join clicked, then the joiner's Join; drive-program.py) and the joiner-window driver, which
#     fills the joiner directly, both against `engine-driver join`;
#   - convert 300 short WAV files (one second each) to MP3 at 128 kbit/s CBR: converter-window
#     against one `engine-driver convert` process per file, one after the other.
# The window is shown, its button clicked through the X server (xdotool), and timed from the
# click to the last output renamed into place; the time until the window shows the end is given
# too (the drivers only). engine-driver is timed as whole processes, start-up included. The two take turns within
# each round and the best round of each is kept. Goal: window / engine-driver <= 1.10.
#
# Usage: bench/window-bench.sh [BUILD_DIR]   (default: build)
#        RUNS=n rounds of the joins (default 3), CONVERT_RUNS=n of the conversion (default 1:
#        300 engine-driver processes take minutes); DISPLAY_NUM=n private X display (default 71);
#        COUNTS="300 3000" join sizes; CONVERT=0 leaves the converter out.
# Needs: Xvfb, openbox, xdotool, python3 (with the X11 and XTest libraries xdotool brings).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${RUNS:-3}
display=:${DISPLAY_NUM:-71}
counts=${COUNTS:-300 3000}
convert_count=300
driver=$build/bin/engine-driver
joiner=$build/bin/joiner-window
converter=$build/bin/converter-window
program=$build/bin/quillmere
for exe in "$driver" "$joiner" "$converter" "$program" "$build/bin/quillmere-setup" "$build/bin/program-prepare"; do
  [[ -x $exe ]] || { echo "not built: $exe" >&2; exit 2; }
done
for tool in Xvfb openbox xdotool python3; do
  command -v $tool >/dev/null || { echo "missing tool: $tool" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/window-bench.XXXXXX")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/in" "$work/short" "$work/out" "$work/xdg/data" "$work/xdg/config" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_DATA_HOME=$work/xdg/data XDG_CONFIG_HOME=$work/xdg/config XDG_RUNTIME_DIR=$work/runtime
export DISPLAY=$display QT_QPA_PLATFORM=xcb QUILLMERE_BENCH_CLICK=1 QUILLMERE_FORBID_POWEROFF=1
unset SESSION_MANAGER

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for ((i = 0; i < 100; i++)); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $display (in use?)" >&2; exit 2; }
HOME=$work openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

max=0
for n in $counts; do (( n > max )) && max=$n; done
(( convert_count > max )) && max=$convert_count
echo "== making $max two-second WAV files and $convert_count one-second ones (44.1 kHz, 16-bit, stereo)"
python3 - "$work/in" "$max" 2 "$work/short" "$convert_count" 1 <<'EOF'
import os, struct, sys
def make(folder, count, seconds):
    for i in range(count):
        data = os.urandom(seconds * 44100 * 4)  # noise: every file different
        hdr = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 1, 2, 44100, 44100 * 4, 4, 16)
        with open(os.path.join(folder, "item%04d.wav" % i), "wb") as f:
            f.write(hdr + b"data" + struct.pack("<I", len(data)) + data)
make(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]))
make(sys.argv[4], int(sys.argv[5]), int(sys.argv[6]))
EOF

now() { date +%s.%N; }
less() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(b == "" || a < b) }'; }
declare -A best

# The program's own settings and items list for the first N files, made once: quillmere-setup,
# then program-prepare, which adds the files through the real adding pass and says where the two
# Join buttons are. Each round starts the program on a fresh copy.
prepare_program() {
  local n=$1 files=("${@:2}") root=$work/program$n
  mkdir -p "$root/data" "$root/config" "$root/runtime"
  chmod 700 "$root/runtime"
  printf '%s\n' "${files[@]}" >"$work/list$n"
  XDG_DATA_HOME=$root/data XDG_CONFIG_HOME=$root/config XDG_RUNTIME_DIR=$root/runtime \
    "$build/bin/quillmere-setup" >/dev/null
  read -r _ mainx mainy _ joinx joiny < <(XDG_DATA_HOME=$root/data XDG_CONFIG_HOME=$root/config \
    XDG_RUNTIME_DIR=$root/runtime "$build/bin/program-prepare" "$work/list$n" "$work/out" 2>"$work/prepare.err" |
    tr '\n' ' ') || true
  [[ -n ${joiny:-} ]] || { echo "program-prepare failed" >&2; cat "$work/prepare.err" >&2; exit 1; }
  clicks[$n]="$mainx $mainy $joinx $joiny"
}

program_round() {
  local n=$1 root=$work/run p bytes opened
  rm -rf "$root"
  cp -a "$work/program$n" "$root"
  rm -f "$work/out/"*.wav
  sync
  # The list is read and painted before the user clicks: about a second a thousand rows.
  p=$(XDG_DATA_HOME=$root/data XDG_CONFIG_HOME=$root/config XDG_RUNTIME_DIR=$root/runtime \
    python3 "$here/drive-program.py" "$program" "$work/out" ${clicks[$n]} $((2 + n / 1000)) 2>"$work/program.err") ||
    { echo "the program run failed" >&2; cat "$work/program.err" >&2; exit 1; }
  read -r p bytes opened <<<"$p"
  # 2 s of 44.1 kHz 16-bit stereo a file, behind a header
  (( bytes >= n * 352800 + 44 && bytes < n * 352800 + 4096 )) ||
    { echo "the program's joined file has $bytes bytes for $n files" >&2; exit 1; }
  less "$p" "${best[program$n]:-}" && best[program$n]=$p
  less "$opened" "${best[programopen$n]:-}" && best[programopen$n]=$opened
  true
}

# The join of the first N files: the three take turns each round.
join_round() {
  local n=$1 files=("${@:2}") t0 t1 d w
  program_round "$n"
  rm -f "$work/out/"*.wav
  sync
  t0=$(now); "$driver" join "$work/out/driver.wav" wav:44100:2:16 "${files[@]}" >/dev/null; t1=$(now)
  d=$(awk -v a="$t1" -v b="$t0" 'BEGIN { printf "%.6f", a - b }')
  rm -f "$work/out/"*.wav
  sync
  w=$("$joiner" "$work/out" "${files[@]}" 2>"$work/joiner.err") || { echo "joiner-window failed" >&2; cat "$work/joiner.err" >&2; exit 1; }
  read -r wout wend <<<"$w"
  less "$d" "${best[driver$n]:-}" && best[driver$n]=$d
  less "$wout" "${best[window$n]:-}" && best[window$n]=$wout && best[windowend$n]=$wend
  true
}

report() {
  local label=$1 d=$2 w=$3 e=$4 p=${5:-} o=${6:-}
  printf '  %-48s %8.3f s\n' "engine-driver ($label)" "$d"
  [[ -z $p ]] || printf '  %-48s %8.3f s\n' "program, toolbar Join click to the joiner shown" "$o" \
    "program, joiner's Join click to output in place" "$p"
  printf '  %-48s %8.3f s\n' "driver window, click to output in place" "$w" "driver window, click to the end shown" "$e"
  [[ -z $p ]] || awk -v p="$p" -v d="$d" 'BEGIN {
    printf "  ratio program/engine-driver: %.3f  goal <= 1.10%s\n", p / d, (p / d <= 1.10 ? "" : "  NOT MET") }'
  awk -v w="$w" -v e="$e" -v d="$d" 'BEGIN {
    printf "  ratio driver window/engine-driver: %.3f (to the end shown: %.3f)  goal <= 1.10%s\n", w / d, e / d,
      (w / d <= 1.10 ? "" : "  NOT MET") }'
}

all=("$work"/in/item*.wav)
declare -A clicks
for n in $counts; do
  files=("${all[@]:0:$n}")
  prepare_program "$n" "${files[@]}"
  cat "${files[@]}" >/dev/null  # all start with the sources in the cache
  echo "== join $n files ($(du -ch "${files[@]}" | tail -1 | cut -f1)), best of $runs rounds"
  for ((r = 0; r < runs; r++)); do join_round "$n" "${files[@]}"; done
  report "join, $n files" "${best[driver$n]}" "${best[window$n]}" "${best[windowend$n]}" "${best[program$n]}" \
    "${best[programopen$n]}"
done

[[ ${CONVERT:-1} == 1 ]] || exit 0
shorts=("$work"/short/item*.wav)
cat "${shorts[@]}" >/dev/null
convert_runs=${CONVERT_RUNS:-1}
echo "== convert $convert_count one-second files to MP3 128 kbit/s, best of $convert_runs rounds"
for ((r = 0; r < convert_runs; r++)); do
  rm -rf "$work/conv-d" "$work/conv-w"; mkdir -p "$work/conv-d" "$work/conv-w"
  sync
  t0=$(now)
  for f in "${shorts[@]}"; do
    "$driver" convert "$f" "$work/conv-d/$(basename "$f" .wav).mp3" mp3:128 >/dev/null
  done
  t1=$(now)
  d=$(awk -v a="$t1" -v b="$t0" 'BEGIN { printf "%.6f", a - b }')
  w=$("$converter" "$work/conv-w" 1 "${shorts[@]}" 2>"$work/converter.err") || { echo "converter-window failed" >&2; cat "$work/converter.err" >&2; exit 1; }
  read -r wout wend <<<"$w"
  less "$d" "${best[cdriver]:-}" && best[cdriver]=$d
  less "$wout" "${best[cwindow]:-}" && best[cwindow]=$wout && best[cwindowend]=$wend
done
got=$(ls "$work/conv-w" | grep -c '\.mp3$' || true)
[[ $got == "$convert_count" ]] || { echo "the converter window wrote $got of $convert_count files" >&2; exit 1; }
report "convert, $convert_count processes" "${best[cdriver]}" "${best[cwindow]}" "${best[cwindowend]}"
