"""Three games at once in one working directory, each a Simple game played
to its end through real X events and named, closed in an order in which an
earlier window closes before a later one and after another: the score file
keeps every score, and the score screen after a restart shows them all. (A
game of its own beside the play test, for the time three games take.)"""
import os
import subprocess
import sys
import tempfile
import time

from Xlib import X

import player
import scorefile
from desktop_session import simple_with_name, wait_for
from player import button_centre, lit_pixels, menu_shown
from xharness import GameProcess


def main():
    binary = sys.argv[1]
    started = time.time()
    workdir = tempfile.mkdtemp(prefix="tumblox-windows-")
    games = [GameProcess(binary, workdir=workdir, logdir=tempfile.mkdtemp(dir=workdir)) for _ in range(3)]
    made = {}
    try:
        for game in games:
            game.start()
        # Each later window lies over the earlier ones; each is raised and
        # given the keys to be played.
        for i in (2, 1, 0):
            games[i].window.configure(stack_mode=X.Above)
            games[i].dpy.sync()
            subprocess.run(["xdotool", "windowfocus", "--sync", str(games[i].window.id)], check=True, timeout=10)
            made[i] = simple_with_name(games[i], "Window%d" % i)
        for i in (0, 2, 1):
            games[i].close()
            assert games[i].wait_exit(10) == 0, "exit status after the close"
            _, entries, valid = scorefile.read(os.path.join(workdir, "simple.score"))
            kept = [e[:2] for e in entries]
            assert valid and made[i] in kept, "simple.score lacks %s after its close; it holds %s" % (made[i], kept)
    finally:
        for game in games:
            game.kill()
    missing = [entry for entry in made.values() if entry not in kept]
    assert not missing, "after the last close simple.score lacks %s; it holds %s" % (missing, kept)
    game = GameProcess(binary, workdir=workdir).start()
    try:
        wait_for("the menu is not drawn", lambda: menu_shown(game.screenshot()))
        game.click(*button_centre("Show Score"))
        wait_for("after a restart the score screen shows fewer than %d entries" % len(made),
                 lambda: lit_pixels(game.screenshot(), player.score_row(len(made) - 1)) > 50)
        game.close()
        assert game.wait_exit(5) == 0
    finally:
        game.kill()
    print("windows: %d scores kept, in %.0f s" % (len(made), time.time() - started))
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
