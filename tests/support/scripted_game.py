"""A short scripted game of the real binary, for slow runs under a checker
(valgrind): the menu, a hover, the score screen, a Simple game with a few
groups removed, Escape back to the menu, an Arcade game, a resize, and the
close. Usage: scripted_game.py BINARY [PREFIX...]; the prefix is the command
the binary runs under. Exits non-zero if the game died or did not close."""
import sys
import time

import player
import reporting
from waiting import until
from xharness import GameProcess

WIDTH, HEIGHT = 960, 600
SLOW = 4.0  # everything takes this many times longer under the checker


def pause(seconds):
    """Paces the script: each screen is drawn for a while under the
    checker, which is what it is run for; nothing is checked after it."""
    time.sleep(seconds * SLOW)


say = reporting.speaker("scripted game")


def main():
    game = GameProcess(sys.argv[1], prefix=sys.argv[2:])
    started = time.time()
    game.start(timeout=240)
    say("window up after %.0f s" % (time.time() - started))
    steps = 0
    try:
        game.move(*player.button_centre("Tetris"))
        pause(0.3)
        game.click(*player.button_centre("Show Score"))
        pause(0.5)
        game.click(WIDTH // 2, HEIGHT // 2)
        pause(0.5)
        game.click(*player.button_centre("Simple"))
        pause(1.0)
        # Under the checker a frame can take seconds: wait for the board.
        shot = until("the board", game.screenshot, player.playing, timeout=90, interval=1.0, required=False)
        say("board up" if player.playing(shot) else "no board after 90 s")
        view = player.BoardView(WIDTH, HEIGHT, 11)
        for _ in range(4):
            grid, _ = player.read_grid(player.wait_settled(game, view, timeout=30, interval=1.5), view)
            groups = player.removable_groups(grid)
            if not groups:
                break
            game.click(*view.centre(*groups[0][0]))
            steps += 1
            pause(0.6)
        say("%d groups removed" % steps)
        game.key("Escape")
        pause(0.6)
        game.type("ab")
        game.key("BackSpace", "Return")
        pause(0.6)
        game.click(*player.button_centre("Arcade"))
        pause(1.0)
        game.click(WIDTH // 3, HEIGHT // 2)
        pause(0.5)
        game.key("Escape")
        pause(0.6)
        game.key("Return")
        pause(0.6)
        say("closing")
        game.close()
        code = game.wait_exit(120)
    finally:
        game.kill()
    say("%d groups removed, exit status %s" % (steps, code))
    sys.exit(0 if code == 0 else 1)


if __name__ == "__main__":
    main()
