#!/usr/bin/env bash
# Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#
# The converter window's own task against the stand-alone encoder, in one run: 200 ten-second
# 44.1 kHz stereo WAV files converted to MP3 at 128 kbit/s CBR, joint stereo, encoder quality 3
# by converter-window (the window filled as the command fills it, Convert pressed, rows run by
# the row runner through the real converter) and by one `lame -b 128 -q 3 -m j` process per
# file, one after the other. Prints both timings, their ratio, and whether the output sizes
# agree once the tags are left out (the window writes no tags for rows without any).
# Usage: bench/converter-bench.sh [BUILD_DIR]   (default: build). Needs: sox, lame.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
count=${COUNT:-200}
window=$build/bin/converter-window
[[ -x $window ]] || { echo "not built: $window" >&2; exit 2; }
for tool in sox lame; do
  command -v $tool >/dev/null || { echo "missing tool: $tool" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/converter-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/window" "$work/lame" "$work/xdg/data" "$work/xdg/config"
export XDG_DATA_HOME=$work/xdg/data XDG_CONFIG_HOME=$work/xdg/config QT_QPA_PLATFORM=offscreen

files=()
for i in $(seq -w 1 "$count"); do
  f=$work/in/item$i.wav
  sox -n -r 44100 -c 2 -b 16 "$f" synth 10 sine $((200 + 10#$i)) sine $((900 + 10#$i)) vol 0.3
  files+=("$f")
done
cat "${files[@]}" >/dev/null  # both sides start with the sources in the cache

now() { date +%s.%N; }
t0=$(now)
for f in "${files[@]}"; do
  lame --quiet -b 128 -q 3 -m j "$f" "$work/lame/$(basename "$f" .wav).mp3"
done
t1=$(now)
lame_s=$(awk -v a="$t1" -v b="$t0" 'BEGIN { printf "%.6f", a - b }')
# The stand-alone encoder also measures ReplayGain unless told not to; the window does not.
mkdir -p "$work/lame-nrg"
t0=$(now)
for f in "${files[@]}"; do
  lame --quiet --noreplaygain -b 128 -q 3 -m j "$f" "$work/lame-nrg/$(basename "$f" .wav).mp3"
done
t1=$(now)
lame_nrg_s=$(awk -v a="$t1" -v b="$t0" 'BEGIN { printf "%.6f", a - b }')

t0=$(now)
out=$("$window" "$work/window" 10 "${files[@]}") || { echo "the converter window run failed" >&2; exit 1; }
read -r _ task_s <<<"$out"
t1=$(now)
process_s=$(awk -v a="$t1" -v b="$t0" 'BEGIN { printf "%.6f", a - b }')

# Sizes without the tags (an ID3v2 block at the front, an ID3v1 block at the end), file by file.
sizes=$(/usr/bin/python3 - "$work/window" "$work/lame" <<'PY'
import os, sys
def audio_bytes(path):
    size = os.path.getsize(path)
    with open(path, 'rb') as f:
        head = f.read(10)
        f.seek(max(0, size - 128))
        tail = f.read(3)
    front = 0
    if head[:3] == b'ID3':
        front = 10 + ((head[6] << 21) | (head[7] << 14) | (head[8] << 7) | head[9]) + (10 if head[5] & 0x10 else 0)
    return size - front - (128 if tail == b'TAG' else 0)
ours, theirs = sys.argv[1], sys.argv[2]
names = sorted(os.listdir(theirs))
same = sum(1 for n in names if os.path.exists(os.path.join(ours, n))
           and audio_bytes(os.path.join(ours, n)) == audio_bytes(os.path.join(theirs, n)))
print(same, len(names) - same)
PY
)
read -r same differ <<<"$sizes"

printf '  %-46s %8.3f s\n' "lame, one process per file ($count files)" "$lame_s" \
  "lame --noreplaygain, one process per file" "$lame_nrg_s" \
  "converter window task (Convert to Done)" "$task_s" "converter-window (whole process)" "$process_s"
awk -v w="$task_s" -v p="$process_s" -v l="$lame_s" -v n="$lame_nrg_s" 'BEGIN {
  printf "  window task / lame:                     %.3f (%+.1f %%)\n", w / l, (w / l - 1) * 100
  printf "  window process / lame:                  %.3f (%+.1f %%)\n", p / l, (p / l - 1) * 100
  printf "  window process / lame --noreplaygain:   %.3f (%+.1f %%)\n", p / n, (p / n - 1) * 100 }'
echo "  output sizes without tags: $same agree, $differ differ"
