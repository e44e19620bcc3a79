#!/usr/bin/env python3
# Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#
# Drives the real program as a user does, once: starts `quillmere` on the X display of $DISPLAY
# with the XDG folders of the environment (made ready by program-prepare), waits for the main
# window and its items list, clicks the main toolbar's Join, waits for the joiner, then clicks its
# Join button and times from that button's release to the joined file renamed into OUT_FOLDER.
# Prints "<seconds> <output bytes> <seconds from the toolbar click to the joiner on the screen>"
# (the last found by polling, to within about 10 ms); exits non-zero when a step does not happen in time.
#
#   drive-program.py PROGRAM OUT_FOLDER MAIN_X MAIN_Y JOINER_X JOINER_Y LIST_SETTLE_SECONDS
#
# DRIVE_PROFILE=FILE records the program with perf from just before the click to the file.
# The clicks are sent through the XTest extension from this process, so the clock starts at the
# release itself and not at the start of a helper process.
import ctypes, ctypes.util, os, select, signal, struct, subprocess, sys, time

program, out, mx, my, jx, jy, settle = sys.argv[1], sys.argv[2], *map(int, sys.argv[3:7]), float(sys.argv[7])

x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
xtst = ctypes.CDLL(ctypes.util.find_library("Xtst"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the X display")

libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
IN_CLOSE_WRITE, IN_MOVED_TO = 0x8, 0x80


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


def window(name, min_width, timeout):
    """The visible window whose title is `name` and that is at least `min_width` wide."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        for wid in xdotool("search", "--onlyvisible", "--name", name):
            geometry = xdotool("getwindowgeometry", wid)
            if "Geometry:" in geometry:
                width = int(geometry[geometry.index("Geometry:") + 1].split("x")[0])
                if width >= min_width:
                    return wid
        time.sleep(0.01)
    sys.exit("no window '%s' within %d s" % (name, timeout))


def click():
    xtst.XTestFakeButtonEvent(display, 1, 1, 0)
    x11.XSync(display, 0)
    time.sleep(0.05)
    xtst.XTestFakeButtonEvent(display, 1, 0, 0)
    at = time.monotonic()
    x11.XFlush(display)
    return at


env = dict(os.environ)
prog = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    main = window("^Quillmere 1\\.2$", 500, 60)
    time.sleep(settle)  # the list is read and painted
    xdotool("mousemove", "--sync", "--window", main, str(mx), str(my))
    time.sleep(0.3)
    opened = click()
    joiner = window("^Audio Joiner", 300, 60)
    opened = time.monotonic() - opened
    time.sleep(1.5)  # the window manager settles, as for the joiner-window driver
    xdotool("mousemove", "--sync", "--window", joiner, str(jx), str(jy))
    time.sleep(0.3)

    profiler = None
    if os.environ.get("DRIVE_PROFILE"):  # perf samples the program from the click to the file
        profiler = subprocess.Popen(["perf", "record", "-F", "4000", "-g", "-p", str(prog.pid), "-o",
                                     os.environ["DRIVE_PROFILE"]], stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        time.sleep(1)
    fd = libc.inotify_init1(os.O_CLOEXEC)
    if fd < 0 or libc.inotify_add_watch(fd, out.encode(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0:
        sys.exit("cannot watch " + out)
    t0 = click()
    seen = None
    end = t0 + 600
    while seen is None and time.monotonic() < end:
        ready, _, _ = select.select([fd], [], [], 1.0)
        if not ready:
            continue
        now = time.monotonic()
        data = os.read(fd, 65536)
        i = 0
        while i < len(data):
            _, mask, _, length = struct.unpack_from("iIII", data, i)
            name = data[i + 16:i + 16 + length].rstrip(b"\0").decode(errors="replace")
            i += 16 + length
            if name.endswith(".wav") and not name.startswith("."):
                seen = (now, name)
    if profiler:
        profiler.send_signal(signal.SIGINT)
        profiler.wait()
    if seen is None:
        sys.exit("no joined file in %s within 600 s" % out)
    path = os.path.join(out, seen[1])
    print("%.6f %d %.6f" % (seen[0] - t0, os.path.getsize(path), opened))
finally:
    prog.send_signal(signal.SIGTERM)
    try:
        prog.wait(20)
    except subprocess.TimeoutExpired:
        prog.kill()
