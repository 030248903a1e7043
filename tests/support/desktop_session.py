"""One short session of the real game, the same on every desktop stack the
desktops stage runs it on: the menu drawn, the score screen, full screen
through F11 and back, a Simple game played to its end by reading the board
from the screen (every removal checked against the board it must leave),
the name entered, the close, the exit status, the log and the score files.
Optionally the window resized to other sizes (by the window manager, when
one runs) with a group removed at each, and the other three modes started
in games of their own. Every game runs with MESA_DEBUG=1, and any OpenGL
error the driver reports fails the session.

Usage: desktop_session.py BINARY [--openbox] [--weston WxH [--weston-backend
           headless|x11]] [--keys-only] [--sizes WxH,...] [--modes]
--openbox starts openbox on the display first (the close is then its Close
action, bound to Alt+F4, pressed through XTEST); --weston starts Weston
with Xwayland (headless, or in a window on the display) and plays on its
Xwayland; --keys-only sends no pointer input. Prints what it checked and
the driver's error count; exits non-zero on the first failed check."""
import argparse
import os
import subprocess
import tempfile
import time

from Xlib import display as xdisplay

import player
import reporting
import scorefile
from player import button_centre, lit_pixels, menu_shown, playing
from waiting import until
from xharness import GameProcess

WIDTH, HEIGHT = 960, 600
CLOSE_KEY = "alt+F4"
OPENBOX_RC = """<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard>
    <keybind key="A-F4"><action name="Close"/></keybind>
  </keyboard>
</openbox_config>
"""


say = reporting.speaker("desktop session")


# -- the stacks ---------------------------------------------------------------
def start_openbox(folder):
    """openbox with a configuration of its own; returns once it manages the
    screen (its EWMH check window is set on the root)."""
    rc = os.path.join(folder, "rc.xml")
    with open(rc, "w") as f:
        f.write(OPENBOX_RC)
    log = open(os.path.join(folder, "openbox.log"), "wb")
    proc = subprocess.Popen(["openbox", "--config-file", rc, "--sm-disable"], stdout=log, stderr=log)
    dpy = xdisplay.Display()
    check = dpy.intern_atom("_NET_SUPPORTING_WM_CHECK")

    def managed():
        assert proc.poll() is None, "openbox exited with %s" % proc.returncode
        return dpy.screen().root.get_full_property(check, 0) is not None

    until("openbox to manage the screen", managed, timeout=15)
    dpy.close()
    return proc


def start_weston(folder, size, backend):
    """Weston with Xwayland, in a private runtime folder, on its headless
    backend or in a window on the X display (whose input gives it a seat);
    sets DISPLAY to the Xwayland display it announces."""
    runtime = tempfile.mkdtemp(prefix="xdg-", dir=folder)  # mode 0700
    log_path = os.path.join(runtime, "weston.log")
    width, height = size.split("x")
    out = open(os.path.join(folder, "weston.out"), "wb")
    proc = subprocess.Popen(["weston", "--backend=%s-backend.so" % backend, "--xwayland", "--no-config",
                             "--socket=tumblox-%d" % os.getpid(), "--width=" + width, "--height=" + height,
                             "--use-pixman", "--log=" + log_path],
                            env=dict(os.environ, XDG_RUNTIME_DIR=runtime), stdout=out, stderr=out)
    marker = "xserver listening on display "

    def announced():
        assert proc.poll() is None, "weston exited with %s" % proc.returncode
        if not os.path.exists(log_path):
            return []
        with open(log_path) as f:
            return [line for line in f if marker in line]

    lines = until("weston to start Xwayland", announced, timeout=15)
    os.environ["DISPLAY"] = lines[0].split(marker)[1].strip()
    return proc


def stop(proc):
    if proc is not None and proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


# -- what the screen shows ----------------------------------------------------
def wait_for(what, test, timeout=10.0):
    """Waits until test() holds; fails with `what`, the failure ("the menu
    is not drawn")."""
    try:
        until(what, test, timeout=timeout, interval=0.1)
    except AssertionError:
        raise AssertionError("%s (waited %.0f s)" % (what, timeout)) from None


def side_by_side(*grids):
    def text(row):
        return "".join("." if v is None else v if v is player.UNSEEN else chr(ord("a") + v) for v in row)
    return "\n".join("   ".join(text(grid[y]) for grid in grids) for y in range(len(grids[0])))


# -- the board ----------------------------------------------------------------
class Board:
    """The board as last read from the screen, with the colour classes that
    keep its cells comparable from one reading to the next, and the sizes
    of the groups removed so far."""

    def __init__(self, game, rows, clock=False, drops=False):
        self.game, self.rows = game, rows
        # The clock's text runs over the board's corner; in Tetris a block
        # is nearly always on its way down, so the board is never still.
        self.clock, self.drops = clock, drops
        self.grid, self.classes = None, None
        self.removed = []

    def view(self):
        return player.BoardView(*self.game.size(), self.rows)

    def look(self, known_rows=0):
        """The screen and the board on it, once the board is still. The
        rows above `known_rows` are taken as empty (in Tetris they hold
        blocks on their way down)."""
        view = self.view()
        h = view.height
        ignore = (0, 0, h * 3 // 10, h // 4) if self.clock else None
        shot = player.wait_settled(self.game, view, timeout=0.5 if self.drops else 10.0, interval=0.15,
                                   ignore=ignore)
        grid, self.classes = player.read_grid(shot, view, classes=self.classes)
        return shot, [row if y >= known_rows else [None] * player.COLUMNS for y, row in enumerate(grid)]

    def read(self, known_rows=0):
        """Takes the board as the screen shows it (the whole board is in
        the window)."""
        _, self.grid = self.look(known_rows)
        assert not any(player.UNSEEN in row for row in self.grid), "the board does not fit the window"

    def check_geometry(self):
        """Read again at the window's present size: every cell where the
        board's geometry for this aspect puts it, nothing drawn beside it.
        The first frame at a new size comes a moment after the window takes
        it, so the board is read until it shows there."""
        def look():
            shot, seen = self.look()
            return shot, seen, player.differences(seen, self.grid)

        shot, seen, wrong = until("the board drawn at %dx%d" % self.game.size(), look, lambda r: not r[2],
                                  required=False)
        size = shot.size
        assert not wrong, "at %dx%d the board is not where its geometry puts it: cells %s differ" % (
            size + (wrong[:8],))
        cut = sum(row.count(player.UNSEEN) for row in seen)
        assert cut <= 2 * self.rows, "at %dx%d the window cuts %d cells" % (size + (cut,))
        view = self.view()
        w, h = size
        left, right = int(view.left), int(view.left + player.COLUMNS * view.cell)
        bottom = int(view.top + self.rows * view.cell)
        # Left of the board (below the score line), right of it, below it.
        for box in ((0, h // 8, left - 2, h), (right + 2, 0, w, h), (0, bottom + 2, w, h)):
            if box[2] > box[0] and box[3] > box[1]:
                assert lit_pixels(shot, box) == 0, "at %dx%d something is drawn beside the board, in %s" % (
                    size + (box,))

    def remove(self, groups, refilled=False, close_up=True, timeout=15.0):
        """Clicks the groups read from the screen and waits for the board
        they must leave. Returns False if that board has no move left and
        the game ended."""
        view = self.view()
        # Where a refill may stand, the board before the clicks can pass for
        # the one they leave (a group at the top of its column, refilled);
        # the score, on its line left of the board, tells that they were
        # taken. A board that reaches the window's left edge leaves that
        # line no room, and only the board is looked at.
        h = view.height
        score_line = (0, h * 40 // 600, min(h * 85 // 600, int(view.left) - 2), h * 64 // 600)
        no_score_line = score_line[2] < h * 30 // 600
        score_before = None if no_score_line else self.game.screenshot().crop(score_line).tobytes()
        for group in groups:
            self.game.click(*view.centre(*group[0]))
        self.removed += [len(group) for group in groups]
        expected = player.settled(self.grid, groups, close_up)
        deadline = time.time() + timeout
        while True:
            shot, seen = self.look()
            if not playing(shot):
                assert not player.removable_groups(expected), "the game ended with moves left"
                self.grid = expected
                return False
            wrong = player.differences(seen, expected, refilled)
            scored = not refilled or no_score_line or shot.crop(score_line).tobytes() != score_before
            if not wrong and scored:
                # Blocks a refill added become known only by reading them.
                self.grid = seen if refilled else expected
                return True
            assert time.time() < deadline, "after clicks on %s the board differs from the expected one " \
                "in %s%s; before, expected, seen:\n%s" % ([group[0] for group in groups], wrong[:8],
                                                         "" if scored else ", and the score is unchanged",
                                                         side_by_side(self.grid, expected, seen))

    def play_to_end(self):
        """Removes groups until no move is left. Returns the clicks made."""
        clicks = 0
        while True:
            groups = player.disjoint_groups(self.grid)
            assert groups, "no move is left but the game goes on"
            clicks += len(groups)
            if not self.remove(groups):
                return clicks


def start_simple(game, failure="Simple does not start"):
    """From the menu, a Simple game started by its button; returns its
    board, read from the screen."""
    game.click(*button_centre("Simple", game.size()))
    wait_for(failure, lambda: playing(game.screenshot()))
    board = Board(game, 11)
    board.read()
    return board


def simple_with_name(game, name):
    """From the menu, a Simple game to its end and the name typed and
    confirmed; returns once the score screen shows, with the entry the game
    made (name, score)."""
    wait_for("the menu is not drawn", lambda: menu_shown(game.screenshot()))
    board = start_simple(game)
    board.play_to_end()
    game.type(name)
    game.key("Return")
    w, h = game.size()
    title = (w // 3, 0, w * 2 // 3, h // 10)
    wait_for("the score screen does not follow the name", lambda: lit_pixels(game.screenshot(), title) > 50)
    return name, sum(n * n for n in board.removed) + 500 // (player.block_count(board.grid) + 1)


# -- the session --------------------------------------------------------------
class Session:
    def __init__(self, args, workdir):
        self.args = args
        self.workdir = workdir
        self.wm = False  # whether a window manager runs, known once a game is up
        self.checked = []
        self.games = []

    def start(self):
        game = GameProcess(self.args.binary, workdir=self.workdir, env={"MESA_DEBUG": "1"},
                           logdir=tempfile.mkdtemp(prefix="log-", dir=self.workdir))
        self.games.append(game)
        game.start(timeout=60, focus=not self.args.keys_only)
        root = game.dpy.screen().root
        self.wm = root.get_full_property(game.dpy.intern_atom("_NET_SUPPORTING_WM_CHECK"), 0) is not None
        assert game.size() == (WIDTH, HEIGHT), "the window is %dx%d" % game.size()
        wait_for("the menu is not drawn", lambda: menu_shown(game.screenshot()))
        return game

    def mesa_errors(self):
        return sum(game.mesa_errors() for game in self.games if os.path.exists(game.err_path))

    def finish(self, game, by_wm=False):
        """Closes the window; the game must end with status 0, with no error
        in its log and none from the driver."""
        if by_wm:
            game.key(CLOSE_KEY)
        else:
            game.close()
        code = game.wait_exit(30)
        assert code == 0, "exit status %s after the close; stderr:\n%s" % (code, game.stderr()[-3000:])
        errors = [line for line in game.log().splitlines() if "Error" in line or line.startswith("Mesa: ")]
        assert not errors, "the log has errors:\n%s" % "\n".join(errors[:10])

    def full_screen(self, game, board=None):
        """F11 into full screen, the window covering the screen (and, under
        a window manager, in its full-screen state), a removal there if a
        game runs; F11 back to the size before."""
        before = game.size()
        entered = game.stdout().count("Enter full screen mode.")
        game.key("F11")
        game.wait_for_log("Enter full screen mode.", count=entered + 1)
        screen = game.screen_size()
        if self.wm:
            wait_for("full screen does not cover the %dx%d screen" % screen,
                     lambda: game.geometry() == (0, 0) + screen)
            assert "_NET_WM_STATE_FULLSCREEN" in game.wm_state(), game.wm_state()
        else:
            # Without a window manager freeglut moves the window itself,
            # mirroring its position: from (-1, -1), where it opens on a
            # bare X server, to (1, 1).
            game.wait_size(*screen, timeout=10)
        if board is not None:
            self.removal_at_size(board)
        game.key("F11")
        game.wait_for_log("Leave full screen mode.", count=entered + 1)
        game.wait_size(*before, timeout=10)
        if self.wm:
            assert "_NET_WM_STATE_FULLSCREEN" not in game.wm_state(), game.wm_state()
        self.checked.append("F11 %dx%d%s" % (screen + (" (WM state)" if self.wm else "",)))

    def removal_at_size(self, board):
        board.check_geometry()
        assert board.remove(player.disjoint_groups(board.grid)[:1])

    def resize(self, game, size):
        width, height = (int(v) for v in size.split("x"))
        if self.wm:
            game.wm_resize(width, height)
        else:
            game.window.configure(width=width, height=height)
            game.dpy.sync()
        game.wait_size(width, height, timeout=10)

    def main_game(self):
        """The menu, the score screen, a Simple game to its end with full
        screen and the other sizes on the way, the name, the close. Returns
        the score the game must have saved (None with keys only)."""
        game = self.start()
        try:
            self.checked.append("menu")
            if self.args.keys_only:
                self.full_screen(game)
                self.finish(game)
                self.checked.append("close message")
                return None
            game.click(*button_centre("Show Score", game.size()))
            wait_for("the score screen is not shown", lambda: not menu_shown(game.screenshot()))
            title = (WIDTH // 3, 0, WIDTH * 2 // 3, HEIGHT // 10)
            assert lit_pixels(game.screenshot(), title) > 50, "the score screen shows no title"
            game.click(WIDTH // 2, HEIGHT // 2)
            wait_for("the score screen does not go back to the menu", lambda: menu_shown(game.screenshot()))
            self.checked.append("scores")

            board = start_simple(game)
            assert player.block_count(board.grid) == 16 * 11, "the new board is not full"
            assert board.remove(player.disjoint_groups(board.grid)[:1])
            self.full_screen(game, board)
            for size in self.args.sizes:
                self.resize(game, size)
                self.removal_at_size(board)
            if self.args.sizes:
                self.checked.append("%s %s" % ("WM resizes" if self.wm else "resizes", ", ".join(self.args.sizes)))
            clicks = len(board.removed) + board.play_to_end()
            left = player.block_count(board.grid)
            score = sum(n * n for n in board.removed) + 500 // (left + 1)
            self.checked.append("Simple to its end (%d removals)" % clicks)

            game.type("Tester")
            game.key("Return")
            w, h = game.size()
            row0 = (w // 4, int(0.15 * h), w * 3 // 4, int(0.2 * h))
            wait_for("the new entry is not on the score screen", lambda: lit_pixels(game.screenshot(), row0) > 50)
            game.key("Escape")
            wait_for("Esc does not go back to the menu", lambda: menu_shown(game.screenshot()))
            self.checked.append("name")
            self.finish(game, by_wm=self.args.openbox)
            self.checked.append("WM close" if self.args.openbox else "close message")
        finally:
            game.kill()
        return score

    def other_mode(self, caption):
        """A game of its own: the mode started from the menu, a group
        removed, the window closed during the game."""
        rows = 18 if caption == "Tetris" else 11
        game = self.start()
        try:
            game.click(*button_centre(caption, game.size()))
            wait_for("%s does not start" % caption, lambda: playing(game.screenshot()))
            board = Board(game, rows, clock=caption in ("Arcade", "Tetris"), drops=caption == "Tetris")
            # Tetris starts with its lower five rows full; Arcade refills
            # the top row and Tetris drops blocks, so above what the
            # removal leaves anything may stand.
            known = 13 if caption == "Tetris" else 0
            board.read(known)
            # No column emptied: Succeeding would fill it with blocks unknown.
            groups = [g for g in player.disjoint_groups(board.grid) if not player.empties_a_column(board.grid, g)]
            assert groups, "%s shows no removable group" % caption
            assert board.remove(groups[:1], refilled=caption in ("Arcade", "Tetris"), close_up=caption != "Tetris")
            self.finish(game)
        finally:
            game.kill()

    def score_files(self, simple_score):
        for name, title in scorefile.FILES:
            path = os.path.join(self.workdir, name)
            assert os.path.getsize(path) == 512, "%s is %d bytes" % (name, os.path.getsize(path))
            got_title, entries, valid = scorefile.read(path)
            assert valid and got_title == title, "%s is not a valid %s table" % (name, title)
            if name == "simple.score" and simple_score is not None:
                assert entries[0][:2] == ("Tester", simple_score), "simple.score holds %s, the game made %d" % (
                    entries[0][:2], simple_score)
            else:
                assert all(entry[1] == 0 for entry in entries), "%s holds scores no game made" % name
        self.checked.append("score files")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--openbox", action="store_true")
    parser.add_argument("--weston", metavar="WxH")
    parser.add_argument("--weston-backend", choices=("headless", "x11"), default="headless")
    parser.add_argument("--keys-only", action="store_true")
    parser.add_argument("--sizes", type=lambda v: v.split(","), default=[])
    parser.add_argument("--modes", action="store_true")
    args = parser.parse_args()
    args.binary = os.path.abspath(args.binary)
    workdir = tempfile.mkdtemp(prefix="tumblox-desktop-")
    run = reporting.Run(say)
    server = None
    session = None
    try:
        with run.checks(trace_failed_checks=False):
            if args.weston:
                server = start_weston(workdir, args.weston, args.weston_backend)
            elif args.openbox:
                server = start_openbox(workdir)
            session = Session(args, workdir)
            score = session.main_game()
            if args.modes:
                for caption in ("Succeeding", "Arcade", "Tetris"):
                    session.other_mode(caption)
                session.checked.append("Succeeding, Arcade, Tetris")
            session.score_files(score)
    finally:
        stop(server)
    run.end(session.checked if session else [], "Mesa errors: %d" % (session.mesa_errors() if session else 0))


if __name__ == "__main__":
    main()
