"""The real binary opens its window, switches full screen with F11 (Esc only
leaves it) and ends with status 0 when the window manager closes it."""
import sys
import time

from xharness import GameProcess


def count_fullscreen_lines(game):
    out = game.stdout()
    return out.count("Enter full screen mode."), out.count("Leave full screen mode.")


def main():
    game = GameProcess(sys.argv[1]).start()
    try:
        width, height = game.size()
        assert (width, height) == (960, 600), "window is %dx%d" % (width, height)
        assert "Info: OpenGL Max Version: " in game.stdout(), game.stdout()

        game.key("Escape")  # windowed: Esc must not enter full screen
        # The keys are handled in turn: once F11's line is there, Esc's
        # would be too.
        game.key("F11")
        game.wait_for_log("Enter full screen mode.")
        assert count_fullscreen_lines(game) == (1, 0), game.stdout()
        game.key("F11")
        game.wait_for_log("Leave full screen mode.")
        game.key("F11")
        game.wait_for_log("Enter full screen mode.", count=2)
        game.key("Escape")  # in full screen, Esc leaves it
        game.wait_for_log("Leave full screen mode.", count=2)
        game.key("Escape")

        started = time.time()
        game.close()
        # Well under a second on a quiet machine, up to 5 s seen on one
        # loaded many times over: the time is a figure to print, and only a
        # close that never comes fails.
        limit = 30.0
        code = game.wait_exit(timeout=limit)
        elapsed = time.time() - started
        assert code is not None, "the game did not end within %.0f s of the close message" % limit
        assert code == 0, "exit status %s; stderr:\n%s" % (code, game.stderr())
        print("window: closed in %.3f s with status 0" % elapsed)
        # The last Esc came before the close, so the whole log has it.
        assert count_fullscreen_lines(game) == (2, 2), game.stdout()
        assert "Error:" not in game.stderr(), game.stderr()
    finally:
        game.kill()
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
