#!/usr/bin/env bash
# Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#
# Times adding 10,000 files to an items list through the program's own adding pass (the
# add-files driver, offscreen) against two other ways of reading every file's length, each one
# process for all files, in the same run:
#   soxi -D FILE...        (sox's information tool; MP3 through libsox-fmt-mp3)
#   python3 + mutagen      (a script printing mutagen's length of every file)
# The files: 8,000 PCM WAV of mixed formats (8/16/24-bit, mono/stereo, 22.05/44.1/48 kHz, lengths
# of 1 to 40 s), 1,000 CBR and 1,000 VBR MP3 made by lame; copies are hard links of a few
# distinct files. Prints the times, the ratios against each peer and the longest gap of the
# program's event loop during the pass.
# Usage: bench/add-bench.sh [BUILD_DIR]   (default: build); RUNS=n repeats each timing (best kept).
# Needs: soxi (sox, libsox-fmt-mp3), lame, python3 with mutagen.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
driver=${DRIVER:-$build/bin/add-files}
runs=${RUNS:-3}
py=${PYTHON:-/usr/bin/python3}
[[ -x $driver ]] || { echo "add-files not found at $driver (build it, or set DRIVER)" >&2; exit 2; }
for tool in soxi lame "$py"; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 2; }
done
"$py" -c 'import mutagen' 2>/dev/null || { echo "$py has no mutagen (python3-mutagen)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/add-bench.XXXXXX")
[[ -n ${KEEP:-} ]] || trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" "$work/f" "$work/xdg/data" "$work/xdg/config"

echo "== making the files"
"$py" - "$work/src" <<'PYEOF'
import math, os, struct, sys
out = sys.argv[1]
formats = [(8, 1, 22050), (8, 2, 44100), (16, 1, 44100), (16, 2, 44100), (16, 2, 48000), (24, 2, 44100),
           (24, 1, 48000), (16, 1, 22050)]
lengths = [1, 7, 23, 40]
for fi, (bits, ch, rate) in enumerate(formats):
    for li, secs in enumerate(lengths):
        frames = secs * rate
        bpf = ch * bits // 8
        # A quiet tone, one second of it repeated: the files only need to be real PCM.
        one = bytearray()
        for n in range(rate):
            v = 0.3 * math.sin(2 * math.pi * 440 * n / rate)
            for _ in range(ch):
                if bits == 8:
                    one.append(128 + int(v * 127))
                else:
                    s = int(v * ((1 << (bits - 1)) - 1))
                    one += s.to_bytes(bits // 8, "little", signed=True)
        data = bytes(one) * secs
        hdr = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + struct.pack(
            "<IHHIIHH", 16, 1, ch, rate, rate * bpf, bpf, bits)
        with open(os.path.join(out, "w%d_%d.wav" % (fi, li)), "wb") as f:
            f.write(hdr + b"data" + struct.pack("<I", len(data)) + data)
PYEOF
for i in 0 1 2 3; do
  lame --quiet -b 128 "$work/src/w3_$i.wav" "$work/src/c$i.mp3"
  lame --quiet -V 4 "$work/src/w5_$i.wav" "$work/src/v$i.mp3"
done
# Hard links: 10,000 names for the few distinct files.
"$py" - "$work" <<'PYEOF'
import glob, os, sys
work = sys.argv[1]
wavs = sorted(glob.glob(os.path.join(work, "src", "w*.wav")))
plan = [(wavs[i % len(wavs)], "wav") for i in range(8000)]
plan += [(os.path.join(work, "src", "c%d.mp3" % (i % 4)), "mp3") for i in range(1000)]
plan += [(os.path.join(work, "src", "v%d.mp3" % (i % 4)), "mp3") for i in range(1000)]
with open(os.path.join(work, "list"), "w", encoding="utf-8") as listing:
    for n, (src, ext) in enumerate(plan, 1):
        name = os.path.join(work, "f", "%05d.%s" % (n, ext))
        os.link(src, name)
        listing.write(name + "\n")
PYEOF
echo "   $(wc -l < "$work/list") files"
cat "$work"/src/* > /dev/null   # page cache warm for everyone

cat > "$work/lengths.py" <<'PYEOF'
import sys, mutagen
total = 0.0
count = 0
for line in open(sys.argv[1], encoding="utf-8"):
    f = mutagen.File(line.rstrip("\n"))
    total += f.info.length
    count += 1
print("files %d seconds %.1f" % (count, total))
PYEOF

now() { date +%s.%N; }
declare -A best
best_of() {
  local name=$1; shift
  local b="" t0 t1 d
  for ((i = 0; i < runs; i++)); do
    t0=$(now); "$@" > "$work/out.$name" 2>"$work/err.$name" || { echo "$name failed" >&2; cat "$work/err.$name" >&2; exit 1; }; t1=$(now)
    d=$(awk -v a="$t1" -v b="$t0" 'BEGIN { printf "%.6f", a - b }')
    if [[ -z $b ]] || awk -v d="$d" -v b="$b" 'BEGIN { exit !(d < b) }'; then b=$d; cp "$work/out.$name" "$work/best.$name"; fi
  done
  best[$name]=$b
  printf '  %-22s %8.3f s\n' "$name" "$b"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "== reading the length of every file (best of $runs)"
best_of quillmere env XDG_DATA_HOME="$work/xdg/data" XDG_CONFIG_HOME="$work/xdg/config" QT_QPA_PLATFORM=offscreen \
  "$driver" "$work/list"
mapfile -t files < "$work/list"
best_of soxi soxi -D "${files[@]}"
best_of mutagen "$py" "$work/lengths.py" "$work/list"

echo "== results"
echo "  quillmere: $(cat "$work/best.quillmere")"
echo "  soxi:      files $(wc -l < "$work/best.soxi") seconds $(awk '{ s += $1 } END { printf "%.1f", s }' "$work/best.soxi")"
echo "  mutagen:   $(cat "$work/best.mutagen")"
gap=$(sed -n 's/.*gap_ms \([0-9.]*\).*/\1/p' "$work/best.quillmere")
echo "  soxi / quillmere:    $(ratio "${best[soxi]}" "${best[quillmere]}")"
echo "  mutagen / quillmere: $(ratio "${best[mutagen]}" "${best[quillmere]}")"
echo "  longest event-loop gap during the pass: $gap ms"
