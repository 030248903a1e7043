"""Soak: the real binary under a seeded random stream of real X events —
clicks anywhere, pointer motion, key presses and releases of every kind,
window resizes down to a few pixels — through every screen and mode, for
TUMBLOX_SOAK_SECONDS (120 by default). The process must stay alive and
responsive, log no error, keep its memory flat (see LEAK_ALLOWANCE_KIB) and
leave valid score files.
TUMBLOX_SOAK_PREFIX is a command the binary runs under (setarch for a
ThreadSanitizer build); in sanitizer builds (TUMBLOX_SANITIZED) the resident
size is printed but not judged, since their allocators hold freed memory
back on purpose."""
import os
import random
import sys
import time

import player
from Xlib import X, XK
from Xlib.ext import xtest
import scorefile
from waiting import until
from xharness import GameProcess

WIDTH, HEIGHT = 960, 600
KEYS = ["a", "b", "z", "Q", "space", "1", "minus", "period", "Return", "Escape", "BackSpace",
        "Delete", "Left", "Right", "Up", "Down", "Home", "End", "F11", "Tab", "adiaeresis"]
MODES = ["Simple", "Succeeding", "Arcade", "Tetris"]
# What a click on the menu starts, in turn: the four modes and the scores.
TARGETS = MODES + ["Show Score"]
SANITIZER_REPORTS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "WARNING: ThreadSanitizer",
                     "runtime error:")
# The leak check. Memory grows at first by design (each mode's textures and
# the driver's shaders for it), so it is judged only after a warm-up:
# WARMUP_EVENTS events and every menu target started once (or, on a loaded
# machine that has not got that far, a third of the time). Then the resident
# size is read every SAMPLE_SECONDS, over at least JUDGED_EVENTS events and
# 2 x MIN_HALF_SAMPLES reads (the soak runs on, up to twice its time, on a
# machine too loaded to get that far in time). The heap keeps up to 32 MiB of freed memory for reuse
# (platform/HeapTuning), the driver caches shader variants as new states come
# up, and the frame buffers follow the window's size, so a process without a
# leak may read that much higher at any moment (reads 48 MiB apart were seen
# in one run, depending on what the load let happen just before); a leak
# lifts the lowest reads. So the lowest read of the second half is set
# against the lowest of the first, and may exceed it by the heap's 32 MiB and
# 8 MiB for the driver and the frame buffers. A leak of 100 KiB per event
# over the 600 events at least, or of 12 KiB per frame at 50 frames a second
# over the two minutes, exceeds that; smaller ones that free at exit are
# LeakSanitizer's (the asan stage).
WARMUP_EVENTS = 200
SAMPLE_SECONDS = 2
JUDGED_EVENTS = 600
MIN_HALF_SAMPLES = 5
LEAK_ALLOWANCE_KIB = (32 + 8) * 1024


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


class Soak:
    """Sends the events through XTEST in-process, as fast as the server takes
    them (xdotool per event would spend the soak starting processes)."""

    def __init__(self, game, seed, seconds):
        self.game = game
        self.dpy = game.dpy
        self.rng = random.Random(seed)
        self.seconds = seconds
        self.events = 0
        self.size = (WIDTH, HEIGHT)
        self.held = set()
        self.mode = 0
        self.visits = [0] * len(TARGETS)
        self.games_finished = 0
        self.deadline = time.time() + seconds
        self.samples = []  # resident KiB, every SAMPLE_SECONDS once sampling is on
        self.sampling = False
        self.last_sample = 0.0
        self.keycodes = {}
        for name in KEYS:
            code = self.dpy.keysym_to_keycode(XK.string_to_keysym(name))
            if code:
                self.keycodes[name] = code

    def count(self):
        """Counts an event, and reads the resident size when one is due:
        also in the middle of a long run of events (a game played to its end)."""
        self.events += 1
        if self.sampling and time.time() - self.last_sample >= SAMPLE_SECONDS:
            rss = rss_kib(self.game.proc.pid)
            if rss:
                self.samples.append(rss)
            self.last_sample = time.time()

    def send(self, kind, detail):
        xtest.fake_input(self.dpy, kind, detail)
        self.dpy.sync()
        self.count()

    def move(self, x, y):
        origin = self.game.window.translate_coords(self.dpy.screen().root, 0, 0)
        xtest.fake_input(self.dpy, X.MotionNotify, x=int(x) - origin.x, y=int(y) - origin.y)
        self.dpy.sync()
        self.count()

    def click(self, x, y, button=1):
        self.move(x, y)
        self.send(X.ButtonPress, button)
        self.send(X.ButtonRelease, button)

    def key(self, name, down=True, up=True):
        code = self.keycodes.get(name)
        if code is None:
            return
        if down:
            self.send(X.KeyPress, code)
        if up:
            self.send(X.KeyRelease, code)

    def resize(self, width, height):
        self.game.window.configure(width=width, height=height)
        self.dpy.sync()
        self.count()

    def one(self):
        rng = self.rng
        w, h = self.size
        kind = rng.random()
        if kind < 0.35:
            self.click(rng.randrange(w), rng.randrange(h), rng.choice([1, 1, 1, 3, 2]))
        elif kind < 0.55:
            self.move(rng.randrange(w), rng.randrange(h))
        elif kind < 0.80:
            self.key(rng.choice(KEYS))
        elif kind < 0.90:
            name = rng.choice(KEYS)
            if name in self.held:
                self.key(name, down=False)
                self.held.discard(name)
            else:
                self.key(name, up=False)
                self.held.add(name)
        elif kind < 0.95:
            if rng.random() < 0.3:
                self.size = (rng.choice([1, 2, 7, 33]), rng.choice([1, 3, 20]))
            else:
                self.size = (rng.randrange(100, 1200), rng.randrange(80, 1000))
            self.resize(*self.size)
        elif kind < 0.99:
            # On through the screens: finish a game, or start the next thing.
            self.restore()
            if not self.finish_a_game():
                self.next_target()
        else:
            self.restore()
            self.next_target()
        time.sleep(0.002)

    def next_target(self):
        if player.menu_shown(self.game.screenshot()):
            target = self.mode % len(TARGETS)
            self.click(*player.button_centre(TARGETS[target]))
            self.visits[target] += 1
            self.mode += 1
            time.sleep(0.3)
            return True
        return False

    def finish_a_game(self):
        """In a game: removes groups until none is left, names the score and
        leaves the score screen. False if no game was under way."""
        played = False
        for _ in range(200):
            if time.time() > self.deadline or player.menu_shown(self.game.screenshot()):
                break
            groups = None
            for rows in (11, 18):
                view = player.BoardView(WIDTH, HEIGHT, rows)
                shot = player.wait_settled(self.game, view, timeout=2, interval=0.1)
                if shot.size != (WIDTH, HEIGHT):
                    return played  # the resize back has not arrived yet
                grid, _ = player.read_grid(shot, view)
                groups = player.removable_groups(grid)
                if groups:
                    break
            if not groups:
                break
            played = True
            self.click(*view.centre(*self.rng.choice(groups)[0]))
            time.sleep(0.05)
        if played:
            time.sleep(0.5)
            for name in ("s", "o", "a", "k", "Return"):
                self.key(name)
            time.sleep(0.4)
            self.key("BackSpace")
            time.sleep(0.3)
            if player.menu_shown(self.game.screenshot()):
                self.games_finished += 1
        return played

    def restore(self):
        for name in list(self.held):
            self.key(name, down=False)
        self.held.clear()
        if self.full_screen():
            self.key("F11")
            # Leaving full screen, the game gives its window back its own
            # last size; on a loaded machine that comes late, and would undo
            # the size set below.
            deadline = time.time() + 10
            while self.full_screen() and time.time() < deadline:
                time.sleep(0.05)
            time.sleep(0.2)
        self.size = (WIDTH, HEIGHT)
        for _ in range(20):
            self.resize(WIDTH, HEIGHT)
            time.sleep(0.3)
            geometry = self.game.window.get_geometry()
            if (geometry.width, geometry.height) == (WIDTH, HEIGHT):
                break

    def full_screen(self):
        out = self.game.stdout()
        return out.count("Enter full screen mode.") > out.count("Leave full screen mode.")

    def back_to_a_game(self):
        """From any screen to a freshly started Simple game."""
        for _ in range(6):
            shot = self.game.screenshot()
            if player.menu_shown(shot):
                self.click(*player.button_centre(MODES[0]))
                time.sleep(0.6)
                return True
            if self.finish_a_game():
                continue
            self.key("Return")
            time.sleep(0.2)
            self.key("Escape")
            time.sleep(0.4)
        return False

    def responsive(self):
        """In a game (or after starting one), a click on a removable group
        changes the next frames."""
        for rows in (11, 18):
            view = player.BoardView(WIDTH, HEIGHT, rows)
            shot = player.wait_settled(self.game, view, timeout=5)
            if shot.size != (WIDTH, HEIGHT):
                time.sleep(0.5)
                continue
            grid, _ = player.read_grid(shot, view)
            groups = player.removable_groups(grid)
            if not groups:
                continue
            box = (int(view.left), int(view.top), int(view.left + 16 * view.cell),
                   int(view.top + rows * view.cell))
            before = shot.crop(box).tobytes()
            self.game.click(*view.centre(*groups[0][0]))
            if until("a click on a removable group to change the board", self.game.screenshot,
                     lambda image: image.crop(box).tobytes() != before, required=False).crop(box).tobytes() != before:
                return True
        return False


def main():
    seconds = float(os.environ.get("TUMBLOX_SOAK_SECONDS", "120"))
    seed = int(os.environ.get("TUMBLOX_SOAK_SEED", "20261209"))
    sanitized = bool(os.environ.get("TUMBLOX_SANITIZED"))
    prefix = os.environ.get("TUMBLOX_SOAK_PREFIX", "").split()
    game = GameProcess(sys.argv[1], prefix=prefix).start(timeout=90 if prefix or sanitized else 20)
    soak = Soak(game, seed, seconds)
    problems = []
    started = time.time()
    samples = soak.samples
    warm_at = None

    def judging():
        return not sanitized and warm_at is not None and (
            soak.events - warm_at < JUDGED_EVENTS or len(samples) < 2 * MIN_HALF_SAMPLES)

    try:
        while time.time() - started < seconds or (judging() and time.time() - started < 2 * seconds):
            soak.one()
            if not game.alive():
                problems.append("the game died with status %s" % game.proc.returncode)
                break
            if warm_at is None and soak.events >= WARMUP_EVENTS and (
                    min(soak.visits) > 0 or time.time() - started >= seconds / 3):
                warm_at = soak.events
                soak.sampling = True
        soak.sampling = False
        if game.alive():
            soak.restore()
            samples.append(rss_kib(game.proc.pid))
            judged = soak.events - warm_at if warm_at is not None else 0
            half = len(samples) // 2
            if judged >= JUDGED_EVENTS and half >= MIN_HALF_SAMPLES:
                first, last = min(samples[:half]), min(samples[half:])
                print("resident size after the warm-up (%d events), %d samples over %d events: %.0f to %.0f "
                      "MiB in the first half, %.0f to %.0f MiB in the second; the lowest %d and %d KiB" % (
                          warm_at, len(samples), judged, first / 1024, max(samples[:half]) / 1024,
                          last / 1024, max(samples[half:]) / 1024, first, last))
                if last > first + LEAK_ALLOWANCE_KIB and not sanitized:
                    problems.append("resident size grew from %d to %d KiB over %d events" % (first, last, judged))
            else:
                print("resident size not judged: %d events in %d samples after the warm-up (%s), %d needed" % (
                    judged, len(samples), "reached" if warm_at is not None else "not reached",
                    JUDGED_EVENTS))
            if not soak.back_to_a_game() and not soak.responsive():
                path = os.path.join(game.workdir, "stuck.png")
                game.screenshot(path)
                problems.append("could not get back to a game (the screen: %s)" % path)
            elif not soak.responsive():
                soak.back_to_a_game()
                if not soak.responsive():
                    problems.append("a click on a removable group changed nothing")
            game.close()
            code = game.wait_exit(60 if prefix or sanitized else 10)
            if code != 0:
                problems.append("exit status %s" % code)
    finally:
        game.kill()
    log = game.log()
    if "Error:" in log:
        problems.append("the log has errors:\n" + "\n".join(l for l in log.splitlines() if "Error:" in l))
    for report in SANITIZER_REPORTS:
        if report in log:
            problems.append("a sanitizer reported:\n" + log[log.index(report) - 200:][:4000])
            break
    for name, _ in scorefile.FILES:
        path = os.path.join(game.workdir, name)
        if os.path.exists(path) and not scorefile.read(path)[2]:
            problems.append("%s is not valid" % name)
    print("soak: %d events in %.0f s, seed %d; menu targets started %s (Simple, Succeeding, Arcade, "
          "Tetris, scores), %d games played to their end" % (soak.events, time.time() - started, seed, soak.visits,
                                                       soak.games_finished))
    for problem in problems:
        print("FAILED", problem)
    print("%d passed, %d failed" % (0 if problems else 1, 1 if problems else 0))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
