"""Soak: the real binary under a seeded random stream of real X events —
clicks anywhere, pointer motion, key presses and releases of every kind,
window resizes down to a few pixels — through every screen and mode, for
TUMBLOX_SOAK_SECONDS (120 by default). The process must stay alive and
responsive, log no error, keep its memory flat and leave valid score files."""
import os
import random
import subprocess
import sys
import time

import player
import scorefile
from xharness import GameProcess

WIDTH, HEIGHT = 960, 600
KEYS = ["a", "b", "z", "Q", "space", "1", "minus", "period", "Return", "Escape", "BackSpace",
        "Delete", "Left", "Right", "Up", "Down", "Home", "End", "F11", "Tab", "adiaeresis"]
MODES = [0.48, 0.28, 0.08, -0.12]  # button y of Simple, Succeeding, Arcade, Tetris
SCORE_BUTTON = -0.42


def button(y_ndc):
    return WIDTH // 2, int((1.0 - (y_ndc + 0.08)) / 2.0 * HEIGHT)


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def menu_shown(shot):
    """The menu's five buttons are lit where they stand."""
    for y in MODES + [SCORE_BUTTON]:
        cx, cy = button(y)
        box = shot.crop((cx - 150, cy - 10, cx + 150, cy + 10))
        if sum(1 for p in box.getdata() if max(p) > 60) < 1500:
            return False
    return True


class Soak:
    def __init__(self, game, seed, seconds):
        self.game = game
        self.rng = random.Random(seed)
        self.seconds = seconds
        self.events = 0
        self.size = (WIDTH, HEIGHT)
        self.held = set()
        self.mode = 0

    def xdo(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], check=False, timeout=20,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.events += 1

    def one(self):
        rng, wid = self.rng, self.game.window.id
        w, h = self.size
        kind = rng.random()
        if kind < 0.35:
            self.xdo("mousemove", "--window", wid, rng.randrange(w), rng.randrange(h),
                     "click", rng.choice([1, 1, 1, 3, 2]))
        elif kind < 0.55:
            self.xdo("mousemove", "--window", wid, rng.randrange(w), rng.randrange(h))
        elif kind < 0.80:
            self.xdo("key", rng.choice(KEYS))
        elif kind < 0.90:
            name = rng.choice(KEYS)
            if name in self.held:
                self.xdo("keyup", name)
                self.held.discard(name)
            else:
                self.xdo("keydown", name)
                self.held.add(name)
        elif kind < 0.96:
            if rng.random() < 0.3:
                self.size = (rng.choice([1, 2, 7, 33]), rng.choice([1, 3, 20]))
            else:
                self.size = (rng.randrange(100, 1200), rng.randrange(80, 1000))
            self.xdo("windowsize", wid, *self.size)
        else:
            self.restore()
            if menu_shown(self.game.screenshot()):
                self.xdo("mousemove", "--window", wid, *button(MODES[self.mode % 4]), "click", 1)
                self.mode += 1

    def restore(self):
        for name in list(self.held):
            self.xdo("keyup", name)
        self.held.clear()
        if "Enter full screen mode." in self.game.stdout():
            out = self.game.stdout()
            if out.count("Enter full screen mode.") > out.count("Leave full screen mode."):
                self.xdo("key", "F11")
        self.size = (WIDTH, HEIGHT)
        self.xdo("windowsize", self.game.window.id, WIDTH, HEIGHT)
        time.sleep(0.2)

    def back_to_a_game(self):
        """From any screen to a freshly started Simple game."""
        for _ in range(6):
            shot = self.game.screenshot()
            if menu_shown(shot):
                self.xdo("mousemove", "--window", self.game.window.id, *button(MODES[0]), "click", 1)
                time.sleep(0.6)
                return True
            self.xdo("key", "Return")
            time.sleep(0.2)
            self.xdo("key", "Escape")
            time.sleep(0.4)
        return False

    def responsive(self):
        """In a game (or after starting one), a click on a removable group
        changes the next frames."""
        for rows in (11, 18):
            view = player.BoardView(WIDTH, HEIGHT, rows)
            shot = player.wait_settled(self.game, view, timeout=5)
            grid, _ = player.read_grid(shot, view)
            groups = player.removable_groups(grid)
            if not groups:
                continue
            box = (int(view.left), int(view.top), int(view.left + 16 * view.cell),
                   int(view.top + rows * view.cell))
            before = shot.crop(box).tobytes()
            self.game.click(*view.centre(*groups[0][0]))
            time.sleep(0.5)
            if self.game.screenshot().crop(box).tobytes() != before:
                return True
        return False


def main():
    seconds = float(os.environ.get("TUMBLOX_SOAK_SECONDS", "120"))
    seed = int(os.environ.get("TUMBLOX_SOAK_SEED", "20261209"))
    game = GameProcess(sys.argv[1]).start()
    soak = Soak(game, seed, seconds)
    problems = []
    started = time.time()
    rss_start = None
    try:
        while time.time() - started < seconds:
            soak.one()
            if not game.alive():
                problems.append("the game died with status %s" % game.proc.returncode)
                break
            if rss_start is None and time.time() - started >= min(60.0, seconds / 2):
                rss_start = rss_kib(game.proc.pid)
        if game.alive():
            soak.restore()
            rss_end = rss_kib(game.proc.pid)
            if rss_start and rss_end > rss_start * 1.10 + 4096:
                problems.append("resident size grew from %d to %d KiB" % (rss_start, rss_end))
            print("resident size %s KiB after the first minute, %d KiB at the end" % (rss_start, rss_end))
            if not soak.back_to_a_game() and not soak.responsive():
                problems.append("could not get back to a game")
            elif not soak.responsive():
                soak.back_to_a_game()
                if not soak.responsive():
                    problems.append("a click on a removable group changed nothing")
            game.close()
            code = game.wait_exit(10)
            if code != 0:
                problems.append("exit status %s" % code)
    finally:
        game.kill()
    log = game.log()
    if "Error:" in log:
        problems.append("the log has errors:\n" + "\n".join(l for l in log.splitlines() if "Error:" in l))
    for name, _ in scorefile.FILES:
        path = os.path.join(game.workdir, name)
        if os.path.exists(path) and not scorefile.read(path)[2]:
            problems.append("%s is not valid" % name)
    print("soak: %d events in %.0f s, seed %d" % (soak.events, time.time() - started, seed))
    for problem in problems:
        print("FAILED", problem)
    print("%d passed, %d failed" % (0 if problems else 1, 1 if problems else 0))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
