"""Checks shared by the tests of an installed game (cmake --install or the
unpacked package): the file list of the tree, its icons, and a short game
started through the installed launcher as a player starts it."""
import os
import stat
import tempfile

from PIL import Image

import player
import scorefile
from waiting import until
from xharness import GameProcess

ICON_SIZES = (16, 32, 48, 64, 128, 256)
TEXTURES = ["block%02d.kyt" % i for i in range(1, 9)] + [
    "KyMinGUI_Button.kyt", "KyMinGUI_Button_H.kyt", "KyMinGUI_Button_D.kyt", "KyMinGUI_Edit.kyt"]
FONT = "Zived Udozo.kyf"
LICENCE = "Zived Udozo.LICENSE"
SCORE_FILES = [name for name, _ in scorefile.FILES]

# Where the launcher lies: bin/ for `cmake --install`, games/ in the Debian
# package (Debian's place for games); everything else is the same in both.
LAUNCHERS = {"tree": "bin/tumblox", "debian": "games/tumblox"}


def expected_files(layout="tree"):
    """Every file of an installation, relative to its prefix."""
    files = {LAUNCHERS[layout], "lib/tumblox/tumblox", "share/tumblox/" + FONT,
             "share/doc/tumblox/" + LICENCE, "share/doc/tumblox/copyright",
             "share/doc/tumblox/changelog.gz", "share/applications/tumblox.desktop",
             "share/metainfo/org.tumblox.tumblox.metainfo.xml", "share/man/man6/tumblox.6.gz"}
    files.update("share/tumblox/textures/" + name for name in TEXTURES)
    files.update("share/icons/hicolor/%dx%d/apps/tumblox.png" % (s, s) for s in ICON_SIZES)
    return files


def list_files(root):
    """Relative paths of every file and link below root."""
    found = set()
    for top, dirs, files in os.walk(root):
        for name in files + [d for d in dirs if os.path.islink(os.path.join(top, d))]:
            found.add(os.path.relpath(os.path.join(top, name), root))
    return found


def check_tree(prefix, build_dir, layout="tree"):
    """The installed tree holds exactly the expected files, the programs are
    executable, and the assets are the ones the build generated."""
    found = list_files(prefix)
    expected = expected_files(layout)
    assert found == expected, "installed files differ:\n missing %s\n extra %s" % (
        sorted(expected - found), sorted(found - expected))
    for program in (LAUNCHERS[layout], "lib/tumblox/tumblox"):
        mode = os.stat(os.path.join(prefix, program)).st_mode
        assert mode & stat.S_IXOTH and mode & stat.S_IXUSR, "%s is not executable" % program
    for name in TEXTURES:
        same_bytes(os.path.join(build_dir, "textures", name),
                   os.path.join(prefix, "share/tumblox/textures", name))
    for name in (FONT, LICENCE):
        installed = "share/doc/tumblox/" if name == LICENCE else "share/tumblox/"
        same_bytes(os.path.join(build_dir, name), os.path.join(prefix, installed, name))
    assert os.path.getsize(os.path.join(prefix, "share/doc/tumblox", LICENCE)) > 1000, "licence text is short"
    check_icons(prefix)


def same_bytes(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        assert fa.read() == fb.read(), "%s differs from %s" % (b, a)


def check_icons(prefix):
    """Each hicolor size is a PNG of that size: a block, opaque in the middle,
    transparent in the corners, of the first block's warm hue."""
    for size in ICON_SIZES:
        path = os.path.join(prefix, "share/icons/hicolor/%dx%d/apps/tumblox.png" % (size, size))
        with Image.open(path) as image:
            assert image.format == "PNG", path
            assert image.size == (size, size), "%s is %s" % (path, image.size)
            assert image.mode == "RGBA", "%s has no alpha: %s" % (path, image.mode)
            px = image.load()
            for corner in ((0, 0), (size - 1, 0), (0, size - 1), (size - 1, size - 1)):
                assert px[corner][3] == 0, "%s corner %s is not transparent" % (path, corner)
            r, g, b, a = px[size // 4, size // 4]
            assert a == 255, "%s face is not opaque" % path
            assert r > g and r > b, "%s face is not the red block: %s" % (path, (r, g, b))


def short_game(game, clicks=3):
    """The menu is shown; "Simple" starts a game, and a few removable groups
    read from the screen are clicked. Returns the number of clicks made."""
    until("the menu", game.screenshot, player.menu_shown)
    assert game.size() == (960, 600), "window is %s" % (game.size(),)
    game.click(*player.button_centre("Simple"))
    until("the Simple game to start", game.screenshot, player.playing)
    view = player.BoardView(960, 600, 11)
    made = 0
    first = None
    for _ in range(clicks):
        shot = player.wait_settled(game, view)
        grid, _ = player.read_grid(shot, view)
        if first is None:
            first = player.block_count(grid)
        groups = player.removable_groups(grid)
        assert groups, "no removable group is shown on the board"
        game.click(*view.centre(*max(groups, key=len)[0]))
        made += 1
    grid, _ = player.read_grid(player.wait_settled(game, view), view)
    assert player.block_count(grid) < first, "the clicks removed no block"
    return made


def play_installed(launcher, home, cwd, env=None, clicks=3):
    """Starts the launcher from `cwd` with HOME=`home` (XDG_DATA_HOME unset
    unless `env` sets it), plays a short game and closes the window. The
    logs are kept outside every directory the test looks at."""
    run_env = {"HOME": home, "XDG_DATA_HOME": None}
    run_env.update(env or {})
    logdir = tempfile.mkdtemp(prefix="tumblox-log-")
    game = GameProcess(launcher, workdir=cwd, env=run_env, assets=False, logdir=logdir)
    game.start()
    try:
        short_game(game, clicks)
        game.close()
        code = game.wait_exit(30)
        assert code == 0, "the game exited with %s:\n%s" % (code, game.log())
    finally:
        game.kill()
    return game


def score_files_below(root, skip=None):
    """Paths of score files anywhere below root, except in `skip`."""
    found = []
    for top, dirs, files in os.walk(root):
        if skip and os.path.abspath(top) == os.path.abspath(skip):
            continue
        found.extend(os.path.join(top, f) for f in files if f in SCORE_FILES)
    return found


def check_user_dir(user, prefix, own=()):
    """The per-user directory holds the four valid score files and links to
    the installation's assets (but for the player's `own` files)."""
    for name, title in scorefile.FILES:
        path = os.path.join(user, name)
        assert os.path.isfile(path) and not os.path.islink(path), "%s was not written" % path
        got, _, valid = scorefile.read(path)
        assert valid and got == title, "%s is not a valid %s table" % (path, title)
    for name, target in (("textures", "share/tumblox/textures"), (FONT, "share/tumblox/" + FONT)):
        if name in own:
            continue
        link = os.path.join(user, name)
        assert os.path.islink(link), "%s is not a link" % link
        assert os.path.realpath(link) == os.path.realpath(os.path.join(prefix, target)), \
            "%s points to %s" % (link, os.readlink(link))


def read_scores(user):
    result = {}
    for name in SCORE_FILES:
        with open(os.path.join(user, name), "rb") as f:
            result[name] = f.read()
    return result
