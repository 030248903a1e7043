"""A whole session as a player plays it, through real X events only: a Simple
game played to its end by reading the screen, a name typed and confirmed, the
score tables cycled, an Arcade game until its clock runs out, the window
closed by the window manager's message; then the exit status, the log and the
four score files, and a second start that shows the saved entries."""
import os
import sys
import time

import player
import scorefile
from desktop_session import Board
from player import lit_pixels, playing
from xharness import GameProcess

WIDTH, HEIGHT = 960, 600
SHOTS = os.environ.get("TUMBLOX_SHOTS")  # a folder to keep the screenshots in


SIMPLE = player.button_centre("Simple")
ARCADE = player.button_centre("Arcade")
SHOW_SCORE = player.button_centre("Show Score")


def keep(image, name):
    if SHOTS:
        os.makedirs(SHOTS, exist_ok=True)
        image.save(os.path.join(SHOTS, name))


def menu_shown(image):
    box = (SIMPLE[0] - 200, SIMPLE[1] - 15, SIMPLE[0] + 200, SIMPLE[1] + 15)
    return image.size == (WIDTH, HEIGHT) and lit_pixels(image, box) > 1000


def play_until_no_moves(game, rows):
    """Removes groups until the game ends, each removal checked against the
    board it must leave. Returns the score the removals earned and the
    blocks left on the board."""
    board = Board(game, rows)
    board.read()
    for _ in range(3):
        if not board.remove(player.disjoint_groups(board.grid)[:1]):
            break
    else:
        keep(game.screenshot(), "game.png")
        board.play_to_end()
    left = player.block_count(board.grid)
    print("%d removals checked, %d blocks left" % (len(board.removed), left))
    return sum(n * n for n in board.removed), left


def main():
    binary = sys.argv[1]
    game = GameProcess(binary).start()
    workdir = game.workdir
    try:
        time.sleep(0.5)
        menu = game.screenshot()
        keep(menu, "menu.png")
        # Every button face is drawn.
        for centre in (SIMPLE, ARCADE, SHOW_SCORE):
            box = (centre[0] - 200, centre[1] - 15, centre[0] + 200, centre[1] + 15)
            assert lit_pixels(menu, box) > 1000, "menu button at %s not drawn" % (centre,)

        # --- Simple, to its end.
        game.click(*SIMPLE)
        time.sleep(0.5)
        earned, left = play_until_no_moves(game, rows=11)
        simple_score = earned + 500 // (left + 1)
        time.sleep(0.5)
        keep(game.screenshot(), "end.png")

        # F11 works on the end-of-game screen too, and the keys still reach
        # the name field afterwards.
        game.key("F11")
        game.wait_for_log("Enter full screen mode.")
        time.sleep(0.3)
        game.key("F11")
        game.wait_for_log("Leave full screen mode.")
        game.wait_size(WIDTH, HEIGHT)
        game.type("Tester")
        game.key("Return")
        time.sleep(0.5)
        scores = game.screenshot()
        keep(scores, "scores.png")
        # Row 0 of the table holds the new entry.
        row0 = (WIDTH // 4, int(0.15 * HEIGHT), WIDTH * 3 // 4, int(0.2 * HEIGHT))
        assert lit_pixels(scores, row0) > 50, "the new entry is not on the score screen"

        # Four steps to the right come back to the same table.
        for _ in range(4):
            game.key("Right")
            time.sleep(0.2)
        again = game.screenshot()
        assert again.tobytes() == scores.tobytes(), "four Right arrows did not cycle back"
        game.key("Right")
        time.sleep(0.3)
        assert game.screenshot().tobytes() != scores.tobytes(), "Right arrow showed the same table"
        game.key("Left")
        time.sleep(0.3)
        # In full screen, Esc first leaves full screen and its release then
        # returns to the menu.
        game.key("F11")
        game.wait_for_log("Enter full screen mode.", count=2)
        time.sleep(0.5)
        game.key("Escape")
        game.wait_for_log("Leave full screen mode.", count=2)
        game.wait_size(WIDTH, HEIGHT)
        deadline = time.time() + 5
        while not menu_shown(game.screenshot()):
            assert time.time() < deadline, "Esc did not return to the menu"
            time.sleep(0.2)

        # --- Arcade: a few groups, then let the clock run out.
        game.click(*ARCADE)
        time.sleep(0.5)
        board = Board(game, 11, clock=True)
        board.read()
        for _ in range(3):
            # No column emptied: the refill would make what closes up unknown.
            groups = [g for g in player.disjoint_groups(board.grid) if not player.empties_a_column(board.grid, g)]
            if not groups:
                break
            assert board.remove(groups[:1], refilled=True)
        arcade_score = sum(board.removed)
        assert arcade_score > 0
        # 60 s and the time the groups added; then the end-of-game screen.
        deadline = time.time() + 120
        while time.time() < deadline and playing(game.screenshot()):
            time.sleep(1)
        assert not playing(game.screenshot()), "the Arcade clock never ran out"
        keep(game.screenshot(), "arcade-end.png")
        game.type("Arcader")
        game.key("Return")
        time.sleep(0.3)
        game.key("Escape")
        time.sleep(0.3)

        game.close()
        code = game.wait_exit(5)
        assert code == 0, "exit status %s" % code
    finally:
        game.kill()

    log = game.log()
    assert "Error:" not in log, log
    assert "[Resource::DeleteResource] Deleted resource 'textures/block01.kyt'." in log, log

    tables = {}
    for name, title in scorefile.FILES:
        path = os.path.join(workdir, name)
        assert os.path.getsize(path) == 512, name
        got_title, entries, valid = scorefile.read(path)
        assert valid, "%s has a bad checksum" % name
        assert got_title == title, (name, got_title)
        tables[name] = entries
    name, score, when = tables["simple.score"][0]
    assert name == "Tester", name
    assert score == simple_score, "simple.score holds %d, the game earned %d" % (score, simple_score)
    assert abs(when - time.time()) < 600
    # The name field keeps its text between games: the new name follows it.
    name, score, _ = tables["arcade.score"][0]
    assert name == "TesterArcader" and score == arcade_score, (name, score, arcade_score)
    for other in ("succeed.score", "tetris.score"):
        assert all(entry[1] == 0 for entry in tables[other]), other

    # A second start in the same directory shows the saved entries.
    second = GameProcess(binary, workdir=workdir).start()
    try:
        time.sleep(0.5)
        second.click(*SHOW_SCORE)
        time.sleep(0.5)
        shown = second.screenshot()
        assert lit_pixels(shown, row0) > 50, "the saved entry is not shown after a restart"
        second.close()
        assert second.wait_exit(5) == 0
    finally:
        second.kill()
    print("simple %d, arcade %d" % (simple_score, tables["arcade.score"][0][1]))
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
