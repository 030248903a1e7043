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
from player import lit_pixels, menu_shown, playing
from waiting import until
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


# Row 0 of the score table, the table's title, and the line of the
# end-of-game screen.
ROW0 = (WIDTH // 4, int(0.15 * HEIGHT), WIDTH * 3 // 4, int(0.2 * HEIGHT))
TITLE = (WIDTH * 2 // 5, HEIGHT // 20, WIDTH * 3 // 5, HEIGHT // 10)
NEW_SCORE = (WIDTH // 4, int(0.35 * HEIGHT), WIDTH * 3 // 4, int(0.4 * HEIGHT))


def shows(box):
    return lambda image: lit_pixels(image, box) > 50


def score_screen(image):
    """The score screen laid out for this window. For a while after full
    screen the window still shows frames laid out for the screen, their
    title elsewhere; those are no reference for the ones that follow."""
    return shows(TITLE)(image)


def ended(image):
    return not playing(image) and shows(NEW_SCORE)(image)


def start_game(game, centre):
    game.click(*centre)
    until("the game to start", game.screenshot, playing)


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
        # Every button face is drawn.
        menu = until("every menu button drawn", game.screenshot, menu_shown)
        keep(menu, "menu.png")

        # --- Simple, to its end.
        start_game(game, SIMPLE)
        earned, left = play_until_no_moves(game, rows=11)
        simple_score = earned + 500 // (left + 1)
        keep(until("the end-of-game screen", game.screenshot, ended), "end.png")

        # F11 works on the end-of-game screen too, and the keys still reach
        # the name field afterwards.
        game.key("F11")
        game.wait_for_log("Enter full screen mode.")
        game.wait_size(*game.screen_size())
        game.key("F11")
        game.wait_for_log("Leave full screen mode.")
        game.wait_size(WIDTH, HEIGHT)
        game.type("Tester")
        game.key("Return")
        # Row 0 of the table holds the new entry.
        scores = until("the new entry on the score screen", game.screenshot,
                       lambda image: score_screen(image) and shows(ROW0)(image))
        keep(scores, "scores.png")

        # Each step to the right shows another table, and four come back to
        # the same one; Left goes back one.
        shown = scores
        for step in range(1, 6):
            before = shown.tobytes()
            game.key("Right")
            if step == 4:
                shown = until("four Right arrows to cycle back", game.screenshot,
                              lambda image: image.tobytes() == scores.tobytes())
            else:
                shown = until("Right arrow %d to show another table" % step, game.screenshot,
                              lambda image: image.tobytes() != before and score_screen(image))
        game.key("Left")
        until("Left arrow to go back to the table", game.screenshot,
              lambda image: image.tobytes() == scores.tobytes())
        # In full screen, Esc first leaves full screen and its release then
        # returns to the menu.
        game.key("F11")
        game.wait_for_log("Enter full screen mode.", count=2)
        game.wait_size(*game.screen_size())
        game.key("Escape")
        game.wait_for_log("Leave full screen mode.", count=2)
        game.wait_size(WIDTH, HEIGHT)
        until("Esc to return to the menu", game.screenshot, menu_shown)

        # --- Arcade: a few groups, then let the clock run out.
        start_game(game, ARCADE)
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
        keep(until("the Arcade clock to run out", game.screenshot, ended, timeout=120, interval=1),
             "arcade-end.png")
        game.type("Arcader")
        game.key("Return")
        until("the Arcade entry on the score screen", game.screenshot, shows(ROW0))
        game.key("Escape")
        until("Esc to return to the menu", game.screenshot, menu_shown)

        game.close()
        code = game.wait_exit(30)
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
        until("the menu after a restart", second.screenshot, menu_shown)
        second.click(*SHOW_SCORE)
        until("the saved entry shown after a restart", second.screenshot, shows(ROW0))
        second.close()
        assert second.wait_exit(30) == 0
    finally:
        second.kill()
    print("simple %d, arcade %d" % (simple_score, tables["arcade.score"][0][1]))
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
