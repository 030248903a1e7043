"""scripts/play --xvfb: starts the game, lets it run a few seconds, saves a
screenshot and closes the window the way a window manager would."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import GameProcess  # noqa: E402


def main():
    binary, shot = sys.argv[1], sys.argv[2]
    game = GameProcess(binary, workdir=os.path.dirname(os.path.abspath(binary))).start()
    time.sleep(3)
    game.screenshot(shot)
    game.close()
    code = game.wait_exit(5)
    if code is None:
        game.kill()
        print("the game did not close in time", file=sys.stderr)
        return 1
    print(game.stdout(), end="")
    return code


sys.exit(main())
