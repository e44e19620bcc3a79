#!/usr/bin/env bash
# Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#
# Times the program from its start to the first paint of its main window, on a private Xvfb
# display with isolated XDG folders (set up once by quillmere-setup, copied afresh for every
# run so each start sees the same settings). The program's own Qt log of X events, stamped with
# the monotonic clock, gives the moment: the main window's first Expose, whose paint Qt runs in
# the same pass, and the first event the server sends back after that paint (an upper bound).
# The splash screen's first Expose is shown too: the main window follows the splash's fade-in,
# so the time to the splash is where loading the libraries shows most plainly.
# With several program folders the ratios are against the first one, in the same run, the
# programs taking turns.
#
# Usage: bench/startup-bench.sh [BIN_DIR...]   (default: build/bin)
#        RUNS=n starts each program n times (median and best kept); DISPLAY_NUM=n (default 131).
# Example, before and after a change: bench/startup-bench.sh /tmp/old-build/bin build/bin
# Needs: Xvfb, python3.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
(( $# )) || set -- "$here/../build/bin"
runs=${RUNS:-9}
display=:${DISPLAY_NUM:-131}
for dir in "$@"; do
  [[ -x $dir/quillmere && -x $dir/quillmere-setup ]] || { echo "no quillmere and quillmere-setup in $dir" >&2; exit 2; }
done
command -v Xvfb >/dev/null || { echo "missing tool: Xvfb" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/startup-bench.XXXXXX")
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
sleep 1
kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb did not start on $display (in use?)" >&2; exit 2; }

python3 - "$work" "$display" "$runs" "$@" <<'EOF'
import os, re, shutil, signal, statistics, subprocess, sys, time

work, display, runs, dirs = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]
event = re.compile(r"^\s*([0-9.]+) Event \| (\S+?)\(\d+\) \| sequence: (\d+)")

def environment(root):
    env = dict(os.environ)
    for name in ("data", "config", "cache", "runtime"):
        os.makedirs(os.path.join(root, name), mode=0o700, exist_ok=True)
    env.update(DISPLAY=display, QT_QPA_PLATFORM="xcb", QUILLMERE_FORBID_POWEROFF="1",
               XDG_DATA_HOME=os.path.join(root, "data"), XDG_CONFIG_HOME=os.path.join(root, "config"),
               XDG_CACHE_HOME=os.path.join(root, "cache"), XDG_RUNTIME_DIR=os.path.join(root, "runtime"),
               QT_LOGGING_RULES="qt.qpa.events=true", QT_MESSAGE_PATTERN="%{time boot} %{message}")
    env.pop("SESSION_MANAGER", None)
    return env

# One prepared profile per program folder: the installer step's settings and files.
templates = {}
for i, d in enumerate(dirs):
    root = os.path.join(work, "template%d" % i)
    subprocess.run([os.path.join(d, "quillmere-setup")], env=environment(root), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    templates[d] = root

def one_start(d, n):
    root = os.path.join(work, "run%d" % n)
    shutil.rmtree(root, ignore_errors=True)
    shutil.copytree(templates[d], root)
    env = environment(root)
    t0 = time.monotonic()  # the clock Qt's "boot" time reads
    p = subprocess.Popen([os.path.join(d, "quillmere")], env=env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True, start_new_session=True)
    seen = []
    os.set_blocking(p.stderr.fileno(), False)
    quiet_since = time.monotonic()
    while time.monotonic() - t0 < 10:
        line = p.stderr.readline()
        if not line:
            # Started when the last Expose has been followed by a second without new windows.
            if any(e[1] == "XCB_EXPOSE" for e in seen) and time.monotonic() - quiet_since > 1.0:
                break
            time.sleep(0.005)
            continue
        m = event.match(line)
        if m:
            seen.append((float(m.group(1)), m.group(2), int(m.group(3))))
            if m.group(2) in ("XCB_MAP_NOTIFY", "XCB_EXPOSE"):
                quiet_since = time.monotonic()
    os.killpg(p.pid, signal.SIGKILL)
    p.wait()
    exposes = [e for e in seen if e[1] == "XCB_EXPOSE"]
    if not exposes:
        raise SystemExit("no window appeared from " + d)
    expose = exposes[-1]
    after = [e for e in seen if e[2] > expose[2]]
    painted = after[0][0] if after else expose[0]
    return (expose[0] - t0) * 1000, (painted - t0) * 1000, (exposes[0][0] - t0) * 1000

results = {d: [] for d in dirs}
n = 0
for r in range(runs):
    for d in dirs:
        n += 1
        results[d].append(one_start(d, n))

print("== start to the main window's first paint, %d starts each (Xvfb %s)" % (runs, display))
base = None
for d in dirs:
    exp = sorted(x[0] for x in results[d])
    done = sorted(x[1] for x in results[d])
    splash = sorted(x[2] for x in results[d])
    med, smed = statistics.median(exp), statistics.median(splash)
    base = base or (med, smed)
    print("  %s\n    main window: median %6.1f ms (best %6.1f, paint done by %6.1f), ratio %.2f\n"
          "    splash:      median %6.1f ms (best %6.1f), ratio %.2f"
          % (d, med, exp[0], statistics.median(done), med / base[0], smed, splash[0], smed / base[1]))
EOF
