#!/usr/bin/env bash
# Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#
# Times the engine driver against other tools on the same data, in one run:
#   1. joining 500 two-second 44.1 kHz stereo WAV files into one WAV, each a whole process with
#      its start-up (nothing subtracted): engine-driver, cat of the same files (the copy floor;
#      like the driver it lets the kernel copy), shntool join, sox. Goal: driver <= 1.3x cat and
#      faster than shntool;
#   2. WAV to MP3 at 128 kbit/s CBR: engine-driver against the lame command line (same quality);
#   3. probing 1,000 files (WAV, CBR MP3, VBR MP3) with one driver process, plus the durations of
#      long files, to show probing reads no whole file, and the VBR durations against the exact
#      sample counts.
# Usage: bench/join-bench.sh [BUILD_DIR]   (default: build); RUNS=n repeats each timing (best kept);
#        JOIN_ONLY=1 stops after the join.
# Needs: sox, shntool, lame, python3.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
driver=${DRIVER:-$build/bin/engine-driver}
runs=${RUNS:-3}
[[ -x $driver ]] || { echo "engine-driver not found at $driver (build it, or set DRIVER)" >&2; exit 2; }
for tool in sox shntool lame python3; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/join-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out" "$work/probe"

now() { date +%s.%N; }
# best_of NAME COMMAND...: runs the command $runs times, keeps the fastest wall time in seconds.
declare -A best
best_of() {
  local name=$1; shift
  local b="" t0 t1 d
  for ((i = 0; i < runs; i++)); do
    t0=$(now); "$@" >/dev/null 2>&1 || { echo "$name failed: $*" >&2; "$@" >&2 || true; exit 1; }; t1=$(now)
    d=$(awk -v a="$t1" -v b="$t0" 'BEGIN { printf "%.6f", a - b }')
    if [[ -z $b ]] || awk -v d="$d" -v b="$b" 'BEGIN { exit !(d < b) }'; then b=$d; fi
  done
  best[$name]=$b
  printf '  %-28s %8.3f s\n' "$name" "$b"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "== making 500 two-second WAV files (44.1 kHz, 16-bit, stereo)"
python3 - "$work/in" <<'EOF'
import os, struct, sys, random
out = sys.argv[1]
frames = 2 * 44100
for i in range(500):
    rnd = random.Random(i)
    data = rnd.randbytes(frames * 4)
    hdr = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 1, 2, 44100, 44100 * 4, 4, 16)
    with open(os.path.join(out, "part%03d.wav" % i), "wb") as f:
        f.write(hdr + b"data" + struct.pack("<I", len(data)) + data)
EOF
files=("$work"/in/part*.wav)
cat "${files[@]}" > /dev/null   # page cache warm for everyone

# Start-up alone, for reading the join figures; nothing is subtracted from them.
sox -n -r 44100 -c 2 -b 16 "$work/tiny.wav" trim 0 0.01
echo "== driver start-up alone (probe of a 10 ms WAV), best of $runs"
best_of "engine-driver start-up" "$driver" probe "$work/tiny.wav"
startup=${best[engine-driver start-up]}
net() { awk -v a="$1" -v s="$startup" 'BEGIN { printf "%.6f", a - s }'; }

# The contenders take turns within each round, so that a busy moment of the machine falls on
# all of them alike; the best round of each is kept. Each writes a new file: the previous
# round's outputs are deleted before the clock starts, since replacing a 170 MB file costs
# whoever replaces it the file system's freeing of the old one.
echo "== join 500 files ($(du -sh "$work/in" | cut -f1)), whole processes, best of $runs rounds"
declare -A jbest
join_round() {
  local name t0 t1 d
  for name in driver cat shntool sox; do
    rm -f "$work/out/$name.wav" "$work/out/joined.wav"
    t0=$(now)
    case $name in
      driver) "$driver" join "$work/out/driver.wav" wav:44100:2:16 "${files[@]}" ;;
      cat) cat "${files[@]}" > "$work/out/cat.wav" ;;
      shntool) shntool join -q -O always -d "$work/out" "${files[@]}" ;;
      sox) sox "${files[@]}" "$work/out/sox.wav" ;;
    esac >/dev/null 2>&1 || { echo "$name join failed" >&2; exit 1; }
    t1=$(now)
    d=$(awk -v a="$t1" -v b="$t0" 'BEGIN { printf "%.6f", a - b }')
    if [[ -z ${jbest[$name]:-} ]] || awk -v d="$d" -v b="${jbest[$name]}" 'BEGIN { exit !(d < b) }'; then
      jbest[$name]=$d
    fi
  done
}
for ((r = 0; r < runs; r++)); do join_round; done
printf '  %-28s %8.3f s\n' "engine-driver join" "${jbest[driver]}" "cat (copy floor)" "${jbest[cat]}" \
  "shntool join" "${jbest[shntool]}" "sox" "${jbest[sox]}"

python3 - "$work/out/driver.wav" "${files[@]}" <<'EOF'
import sys
w = open(sys.argv[1], "rb").read()
raw = b"".join(open(f, "rb").read()[44:] for f in sys.argv[2:])
i = w.find(b"data"); n = int.from_bytes(w[i+4:i+8], "little")
ok = w[i+8:i+8+n] == raw
print("  driver output samples == concatenated sources:", "yes" if ok else "NO")
if not ok: sys.exit(1)
EOF
j=${jbest[driver]}
echo "  ratios (whole processes): driver/cat $(ratio "$j" "${jbest[cat]}") (goal <= 1.30)," \
     "driver/shntool $(ratio "$j" "${jbest[shntool]}") (goal < 1), driver/sox $(ratio "$j" "${jbest[sox]}")"
[[ ${JOIN_ONLY:-0} == 1 ]] && exit 0

echo "== WAV to MP3, 128 kbit/s CBR, quality 3 (5 minutes of music-like noise), best of $runs"
sox -n -r 44100 -c 2 -b 16 "$work/long.wav" synth 300 pinknoise vol 0.3 sine 440 vol 0.5 2>/dev/null \
  || sox -n -r 44100 -c 2 -b 16 "$work/long.wav" synth 300 pinknoise vol 0.3
best_of "engine-driver mp3" "$driver" convert "$work/long.wav" "$work/out/driver.mp3" mp3:128
best_of "lame -b 128 -q 3" lame --quiet -b 128 -q 3 "$work/long.wav" "$work/out/lame.mp3"
echo "  sizes: driver $(stat -c %s "$work/out/driver.mp3"), lame $(stat -c %s "$work/out/lame.mp3") bytes"
echo "  ratio: driver/lame $(ratio "${best[engine-driver mp3]}" "${best[lame -b 128 -q 3]}")," \
     "without the driver's start-up $(ratio "$(net "${best[engine-driver mp3]}")" "${best[lame -b 128 -q 3]}")"

echo "== probing 1,000 files"
# 500 WAV, 250 CBR MP3 and 250 VBR MP3 of different lengths (copies of a few encodings).
for s in 3 7 11 13 17; do
  sox -n -r 44100 -c 2 -b 16 "$work/probe/src$s.wav" synth "$s.37" sine 300 vol 0.5
  lame --quiet -b 128 "$work/probe/src$s.wav" "$work/probe/cbr$s.mp3"
  lame --quiet -V 2 "$work/probe/src$s.wav" "$work/probe/vbr$s.mp3"
done
list=()
for ((i = 0; i < 500; i++)); do list+=("${files[$i]}"); done
lens=(3 7 11 13 17)
for ((i = 0; i < 250; i++)); do
  s=${lens[$((i % 5))]}
  cp "$work/probe/cbr$s.mp3" "$work/probe/c$i.mp3"; list+=("$work/probe/c$i.mp3")
  cp "$work/probe/vbr$s.mp3" "$work/probe/v$i.mp3"; list+=("$work/probe/v$i.mp3")
done
best_of "engine-driver probe x1000" "$driver" probe "${list[@]}"
awk -v t="$(net "${best[engine-driver probe x1000]}")" 'BEGIN { printf "  per file, start-up left out: %.3f ms\n", t }'

# A long file probes as fast as a short one when nothing is decoded.
sox -n -r 44100 -c 2 -b 16 "$work/probe/hour.wav" synth 3600 sine 300 vol 0.5
lame --quiet -b 128 "$work/probe/hour.wav" "$work/probe/hour-cbr.mp3"
best_of "probe 1 h WAV" "$driver" probe "$work/probe/hour.wav"
best_of "probe 1 h CBR MP3" "$driver" probe "$work/probe/hour-cbr.mp3"
best_of "probe 3 s WAV" "$driver" probe "$work/probe/src3.wav"
best_of "probe 3 s CBR MP3" "$driver" probe "$work/probe/cbr3.mp3"
best_of "decode 1 h CBR MP3 (lame)" lame --quiet --decode "$work/probe/hour-cbr.mp3" /dev/null

echo "  CBR/VBR MP3 durations against the source length (gapless):"
exact=0
for s in "${lens[@]}"; do
  want=$(python3 -c "print(int(round(int(44100 * $s.37) * 1000 / 44100)))")
  for kind in cbr vbr; do
    got=$("$driver" probe "$work/probe/$kind$s.mp3" | sed -n 's/^duration_ms=//p')
    printf '    %-10s source %6s ms  probed %6s ms\n' "$kind$s.mp3" "$want" "$got"
    d=$(( got - want )); (( d < 0 )) && d=$(( -d ))
    (( d <= 1 )) && exact=$((exact + 1))
  done
done
echo "  within 1 ms (ms rounding) of the exact length: $exact of $(( ${#lens[@]} * 2 ))"
