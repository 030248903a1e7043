"""The menu in the real window: its five buttons are drawn where they
belong, the pointer over a button shows its hover face, and a press and
release on "Show Score" (not the press alone) switches to the score screen;
a release there goes back to the menu."""
import sys

from player import MENU_BUTTONS, button_box, button_centre, menu_shown, to_pixels
from waiting import until
from xharness import GameProcess


def face_samples(image, box):
    """Pixels well inside a button, off the caption in the middle."""
    left, top, right, bottom = box
    w, h = right - left, bottom - top
    points = [(left + w * fx, top + h * fy) for fx in (0.08, 0.15, 0.85, 0.92) for fy in (0.3, 0.5, 0.7)]
    px = image.load()
    return [px[int(x), int(y)][:3] for x, y in points]


def brightness(samples):
    return sum(sum(p) for p in samples) / float(len(samples))


def lit(samples):
    return sum(1 for p in samples if max(p) > 24)


def hover_on(size, caption, normal):
    """The button's face has changed from its look in `normal`."""
    return lambda image: abs(brightness(face_samples(image, button_box(caption, size))) - normal[caption]) > 15


def main():
    game = GameProcess(sys.argv[1]).start()
    failures = 0
    try:
        size = game.size()
        # Park the pointer away from every button first.
        game.wait_for_log("Block texture loading time")
        game.move(20, 20)
        menu = until("the whole menu drawn", game.screenshot, menu_shown)

        # Every button face is drawn, and nothing beside the buttons.
        for caption in MENU_BUTTONS:
            samples = face_samples(menu, button_box(caption, size))
            assert lit(samples) == len(samples), "%s not drawn: %s" % (caption, samples)
        px = menu.load()
        for x, y in ((40, 300), (size[0] - 40, 300), (480, 20), (480, 580)):
            assert max(px[x, y][:3]) <= 24, "background at %d,%d is %s" % (x, y, px[x, y])
        # Between two buttons the background shows.
        gap_y = int(to_pixels(size, 0.0, 0.46)[1])
        assert max(px[480, gap_y][:3]) <= 24, "gap is %s" % (px[480, gap_y],)

        # Hover: the face under the pointer changes, the others do not.
        normal = {c: brightness(face_samples(menu, button_box(c, size))) for c in MENU_BUTTONS}
        game.move(*button_centre("Arcade", size))
        hovered = until("the hover face on Arcade", game.screenshot, hover_on(size, "Arcade", normal))
        after = {c: brightness(face_samples(hovered, button_box(c, size))) for c in MENU_BUTTONS}
        assert abs(after["Arcade"] - normal["Arcade"]) > 15, "no hover face: %s -> %s" % (
            normal["Arcade"], after["Arcade"])
        for caption in ("Simple", "Tetris", "Show Score"):
            assert abs(after[caption] - normal[caption]) < 3, "%s changed: %s -> %s" % (
                caption, normal[caption], after[caption])
        # Moving off every button keeps the last one's look (it keeps the focus).
        game.move(20, 300)

        # Press on "Show Score": still the menu. Release: the score screen.
        game.move(*button_centre("Show Score", size))
        until("the hover face on Show Score", game.screenshot, hover_on(size, "Show Score", normal))
        game.press(1)
        # Held over Tetris and back: each hover shows once the press before
        # it has been handled, and the menu is still there.
        for caption in ("Tetris", "Show Score"):
            game.move(*button_centre(caption, size))
            pressed = until("the hover face on %s with the button held" % caption, game.screenshot,
                            hover_on(size, caption, normal))
            assert lit(face_samples(pressed, button_box("Simple", size))) > 0, "the press alone left the menu"
        game.release(1)
        scores = until("the release to leave the menu", game.screenshot,
                       lambda image: lit(face_samples(image, button_box("Simple", size))) < 12)
        samples = face_samples(scores, button_box("Simple", size))
        assert lit(samples) < len(samples), "the release did not leave the menu"
        assert game.alive()

        # A click on the score screen returns to the menu, which shows again.
        game.click(*button_centre("Tetris", size))
        back = until("the menu after the score screen", game.screenshot, menu_shown)
        samples = face_samples(back, button_box("Simple", size))
        assert lit(samples) == len(samples), "no menu after the score screen"

        game.close()
        code = game.wait_exit(timeout=30.0)
        assert code == 0, "exit status %s; stderr:\n%s" % (code, game.stderr())
        assert "Error:" not in game.stderr(), game.stderr()
    except AssertionError:
        failures = 1
        menu_path = game.workdir + "/failure.png"
        try:
            game.screenshot(menu_path)
            print("screenshot in", menu_path)
        except Exception:
            pass
        print("log:\n" + game.log())
        raise
    finally:
        game.kill()
    print("1 passed, %d failed" % failures)


if __name__ == "__main__":
    main()
