"""Runs the measured game (build/bench/tumblox_measured), the shipped game
(build/tumblox) and the floor (build/bench/tumblox_floor) under the X
display it is given, and prints each game figure beside the floor's.
Started by scripts/bench; argv[1] is the build directory."""

import json
import os
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TOP, "tests", "support"))
import scorefile  # noqa: E402
from Xlib import X, display as xdisplay  # noqa: E402

BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(TOP, "build"))
GAME = os.path.join(BUILD, "tumblox")
MEASURED = os.path.join(BUILD, "bench", "tumblox_measured")
FLOOR = os.path.join(BUILD, "bench", "tumblox_floor")
QUICK = os.environ.get("BENCH_QUICK") == "1"  # a short trial of the script itself
FRAMES = 100 if QUICK else 200
FRAME_RUNS = 1 if QUICK else 3
START_RUNS = 1 if QUICK else 5
IDLE_RUNS = 1 if QUICK else 2
IDLE_SECONDS = 2.0 if QUICK else 10.0
TICK = os.sysconf("SC_CLK_TCK")
PAGE = os.sysconf("SC_PAGE_SIZE")
SCENES = ("menu", "scores", "simple", "succeeding", "arcade", "tetris")
# The floor's quads are board cells: of the 16 x 11 boards on their screens,
# of the 16 x 18 board elsewhere (glyphs and buttons have no board). On the
# playing screens they take turns over as many textures as the mode has
# colours, since a board binds one texture per colour.
BOARD_ROWS = {"simple": 11, "succeeding": 11, "arcade": 11}
COLOURS = {"simple": 5, "succeeding": 5, "arcade": 8, "tetris": 6}


def floor_key(scene, draws):
    return "%dx%dx%d" % (draws, BOARD_ROWS.get(scene, 18), COLOURS.get(scene, 1))


def score_file(title):
    """512 bytes: twelve rows of 23-character names and ten-digit scores."""
    data = bytearray(512)
    data[:len(title)] = title.encode("latin-1")
    for i in range(12):
        entry = 24 + 40 * i
        name = ("%c" % (ord("A") + i)) * 23
        data[entry:entry + 23] = name.encode("latin-1")
        struct.pack_into("<i", data, entry + 24, 2147483647 - i)
        struct.pack_into("<q", data, entry + 32, 1700000000 + 86400 * i)
    struct.pack_into("<II", data, 504, scorefile.crc32_msb(bytes(data[:504])), 0)
    return bytes(data)


def make_workdir():
    work = tempfile.mkdtemp(prefix="tumblox-bench-")
    for name in ("textures", "Zived Udozo.kyf"):
        os.symlink(os.path.join(BUILD, name), os.path.join(work, name))
    for path, title in scorefile.FILES:
        with open(os.path.join(work, path), "wb") as f:
            f.write(score_file(title))
    return work


class Run:
    """One process, its stdout lines time-stamped on CLOCK_MONOTONIC, and the
    moment its window was mapped (the display is private to the bench, so
    the first top-level window mapped after the start is the program's)."""

    def __init__(self, argv, cwd, env=None):
        self.lines = []
        self.mapped = None
        self.dpy = xdisplay.Display()
        self.dpy.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.dpy.sync()
        environment = dict(os.environ)
        environment.update(env or {})
        self.start = time.monotonic()
        self.proc = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, env=environment)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.watcher = threading.Thread(target=self._watch, daemon=True)
        self.watcher.start()

    def _watch(self):
        while self.mapped is None:
            if self.dpy.pending_events() == 0:
                if self.proc.poll() is not None:
                    break
                time.sleep(0.001)
                continue
            if self.dpy.next_event().type == X.MapNotify:
                self.mapped = time.monotonic() - self.start
        self.dpy.close()

    def mapped_time(self, timeout=20.0):
        self.watcher.join(timeout)
        return self.mapped

    def _read(self):
        for raw in self.proc.stdout:
            self.lines.append((time.monotonic(), raw.decode("latin-1", "replace")))

    def line_time(self, text, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for when, line in list(self.lines):
                if text in line:
                    return when - self.start
            if self.proc.poll() is not None and not self.reader.is_alive():
                break
            time.sleep(0.005)
        return None

    def cpu_seconds(self):
        with open("/proc/%d/stat" % self.proc.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICK

    def memory(self):
        """(peak, current) resident size in MiB."""
        values = {}
        with open("/proc/%d/status" % self.proc.pid) as f:
            for line in f:
                key, _, rest = line.partition(":")
                if key in ("VmHWM", "VmRSS"):
                    values[key] = int(rest.split()[0]) / 1024.0
        return values.get("VmHWM", 0.0), values.get("VmRSS", 0.0)

    def wait(self, timeout):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.stop()
            return None

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def frame_run(argv, work):
    """One measured run; its report with the start-up times added."""
    report = os.path.join(work, "report.json")
    if os.path.exists(report):
        os.remove(report)
    # The software renderer rasterises on the drawing thread itself, so the
    # main thread's CPU time is the whole cost of a frame, driver included.
    run = Run(argv + [str(FRAMES), report], work, {"LP_NUM_THREADS": "0"})
    loaded = run.line_time("Block texture loading time")
    status = run.wait(FRAMES * 0.5 + 60)
    if status != 0 or not os.path.exists(report):
        raise SystemExit("bench: %s failed (status %s)" % (" ".join(argv), status))
    with open(report) as f:
        data = json.load(f)
    data["first_frame_ms"] = (data["first_presented"] - run.start) * 1e3
    mapped = run.mapped_time()
    data["mapped_ms"] = mapped * 1e3 if mapped is not None else None
    data["textures_loaded_ms"] = loaded * 1e3 if loaded is not None else None
    return data


def idle_run(argv, work, ready):
    run = Run(argv, work)
    if ready is not None and run.line_time(ready) is None:
        run.stop()
        raise SystemExit("bench: %s never printed '%s'" % (argv[0], ready))
    time.sleep(1.0)
    c0, t0 = run.cpu_seconds(), time.monotonic()
    time.sleep(IDLE_SECONDS)
    c1, t1 = run.cpu_seconds(), time.monotonic()
    peak, steady = run.memory()
    run.stop()
    return {"cpu_percent": 100.0 * (c1 - c0) / (t1 - t0), "peak_mb": peak, "steady_mb": steady}


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def summarise_frames(runs):
    return {
        "frame_ms": median(r["frame_cpu"]["median_ms"] for r in runs),
        "worst_ms": max(r["frame_cpu"]["max_ms"] for r in runs),
        "interval_ms": median(r["frame_interval"]["median_ms"] for r in runs),
        "worst_interval_ms": max(r["frame_interval"]["max_ms"] for r in runs),
        "step_ms": median(r["step_cpu"]["median_ms"] for r in runs) if runs[0]["step_cpu"]["count"] else None,
        "draws": max(r["draws"] for r in runs),
        "first_frame_ms": median(r["first_frame_ms"] for r in runs),
        "first_frames_ms": [r["first_frame_ms"] for r in runs],
        "mapped_ms": median(r["mapped_ms"] for r in runs),
        "textures_loaded_ms": median(r.get("textures_loaded_ms") for r in runs),
    }


def main():
    for binary in (GAME, MEASURED, FLOOR):
        if not os.access(binary, os.X_OK):
            raise SystemExit("bench: %s is missing; build first" % binary)
    work = make_workdir()
    result = {"machine": machine(), "frames_per_run": FRAMES, "game": {}, "floor": {}}

    for scene in SCENES:
        runs = [frame_run([MEASURED, scene], work) for _ in range(FRAME_RUNS)]
        result["game"][scene] = summarise_frames(runs)
        print("measured %-10s %s" % (scene, json.dumps(result["game"][scene])), flush=True)
    # More start-ups of the menu than frame runs: start-up varies most.
    starts = [frame_run([MEASURED, "menu"], work) for _ in range(max(0, START_RUNS - FRAME_RUNS))]
    keys = sorted({floor_key(k, v["draws"]) for k, v in result["game"].items()})
    for key in keys:
        runs = [frame_run([FLOOR, key], work) for _ in range(FRAME_RUNS)]
        result["floor"][key] = summarise_frames(runs)
        print("floor    %-10s %s" % (key, json.dumps(result["floor"][key])), flush=True)
    menu = result["game"]["menu"]
    menu["first_frames_ms"] += [r["first_frame_ms"] for r in starts]
    menu["first_frame_ms"] = median(menu["first_frames_ms"])
    loaded = [r["textures_loaded_ms"] for r in starts] + [menu["textures_loaded_ms"]]
    menu["textures_loaded_ms"] = median(loaded)

    idle = {}
    # Each idle screen against the floor drawing what that screen draws.
    idle["menu"] = [idle_run([GAME], work, "Block texture loading time") for _ in range(IDLE_RUNS)]
    idle["game"] = [idle_run([MEASURED, "simple"], work, "Block texture loading time") for _ in range(IDLE_RUNS)]
    for name, scene in (("floor menu", "menu"), ("floor game", "simple")):
        key = floor_key(scene, result["game"][scene]["draws"])
        idle[name] = [idle_run([FLOOR, key], work, "OpenGL Max Version") for _ in range(IDLE_RUNS)]
    result["idle"] = {k: {f: median(r[f] for r in v) for f in ("cpu_percent", "peak_mb", "steady_mb")}
                      for k, v in idle.items()}
    print_table(result)
    out = os.path.join(BUILD, "bench.json")
    with open(out, "w") as f:
        json.dump(result, f, indent=2)
    print("written to %s" % out)


def machine():
    cpu = "unknown"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    renderer = "Mesa llvmpipe under Xvfb 960x600x24"
    return {"cores": os.cpu_count(), "cpu": cpu, "renderer": renderer}


def print_table(r):
    rows = []

    def row(name, game, floor, unit, target=None):
        ratio = game / floor if game is not None and floor else None
        rows.append((name, fmt(game, unit), fmt(floor, unit),
                     "%.2f" % ratio if ratio is not None else "-", target or ""))

    g, fl, idle = r["game"], r["floor"], r["idle"]
    menu = g["menu"]
    floor_menu = fl[floor_key("menu", menu["draws"])]
    row("start-up: window mapped", menu["mapped_ms"], floor_menu["mapped_ms"], "ms")
    row("start-up: first menu frame / floor's map", menu["first_frame_ms"], floor_menu["mapped_ms"], "ms",
        "<=1.5x, <150 ms")
    row("start-up: first menu frame / floor's frame", menu["first_frame_ms"], floor_menu["first_frame_ms"], "ms")
    row("start-up: block textures loaded", menu["textures_loaded_ms"], None, "ms")
    for scene in SCENES:
        s = g[scene]
        key = floor_key(scene, s["draws"])
        same = fl[key]
        label = "%s (%d draws; floor %s)" % (scene, s["draws"], key)
        row("frame CPU: " + label, s["frame_ms"], same["frame_ms"], "ms", "<=1.15x")
        row("worst frame: " + scene, s["worst_ms"], same["worst_ms"], "ms",
            "%.1fx median" % (s["worst_ms"] / s["frame_ms"]) if s["frame_ms"] else "")
        row("frame interval: " + scene, s["interval_ms"], same["interval_ms"], "ms", "20 ms = 50 fps")
    for scene in ("simple", "succeeding", "arcade", "tetris"):
        row("step CPU: " + scene, g[scene]["step_ms"], None, "ms")
    fm, fg = idle["floor menu"], idle["floor game"]
    row("idle CPU: menu", idle["menu"]["cpu_percent"], fm["cpu_percent"], "%", "<=1.15x")
    row("idle CPU: simple game, no input", idle["game"]["cpu_percent"], fg["cpu_percent"], "%", "<=1.15x")
    row("peak RSS: menu", idle["menu"]["peak_mb"], fm["peak_mb"], "MiB", "<=1.2x")
    row("peak RSS: simple game", idle["game"]["peak_mb"], fg["peak_mb"], "MiB", "<=1.2x")
    row("steady RSS: menu", idle["menu"]["steady_mb"], fm["steady_mb"], "MiB")
    row("steady RSS: simple game", idle["game"]["steady_mb"], fg["steady_mb"], "MiB")
    widths = [max(len(x[i]) for x in rows + [HEADER]) for i in range(5)]
    for line in [HEADER] + rows:
        print("  ".join(cell.ljust(w) for cell, w in zip(line, widths)).rstrip())


HEADER = ("figure", "game", "floor", "ratio", "target")


def fmt(value, unit):
    if value is None:
        return "-"
    if unit == "ms" and value < 1.0:
        return "%.3f ms" % value
    return "%.1f %s" % (value, unit)


if __name__ == "__main__":
    main()
