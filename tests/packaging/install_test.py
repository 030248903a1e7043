"""cmake --install into a fresh prefix, then the installed launcher as a
player starts it: from an unrelated directory, with a HOME of its own. The
menu shows, a short game is played, and after the close the score files lie
in that user's directory and nowhere else. A second installation elsewhere
(an upgrade, the old tree removed) keeps the scores; XDG_DATA_HOME moves the
directory; a broken installation or a missing HOME fail with a message.
The installed metadata passes the distribution checkers that need no package
(appstreamcli, desktop-file-validate, man --warnings); the package test runs
them all, lintian and hardening-check included, on the package."""
import os
import shutil
import subprocess
import sys
import tempfile

import checkers
import installed


def install(build_dir, prefix):
    r = subprocess.run(["cmake", "--install", build_dir, "--prefix", prefix],
                       capture_output=True, text=True, timeout=120)
    assert r.returncode == 0, "cmake --install failed:\n%s%s" % (r.stdout, r.stderr)


def run_launcher(launcher, env):
    """The launcher alone, for its refusals (no window comes up)."""
    return subprocess.run([launcher], capture_output=True, text=True, timeout=30,
                          cwd=tempfile.mkdtemp(prefix="tumblox-cwd-"), env=env)


def main():
    build_dir = os.path.dirname(os.path.abspath(sys.argv[1]))
    scratch = tempfile.mkdtemp(prefix="tumblox-install-")
    try:
        prefix = os.path.join(scratch, "prefix")
        install(build_dir, prefix)
        installed.check_tree(prefix, build_dir)
        checkers.appstream(os.path.join(prefix, checkers.METAINFO))
        checkers.desktop_entry(os.path.join(prefix, checkers.DESKTOP))
        checkers.man_page(os.path.join(prefix, checkers.MAN_PAGE))
        checkers.copyright_file(os.path.join(prefix, "share/doc/tumblox/copyright"),
                                os.path.join(prefix, "share/doc/tumblox", installed.LICENCE))

        home = os.path.join(scratch, "home")
        cwd = os.path.join(scratch, "elsewhere")
        os.makedirs(home)
        os.makedirs(cwd)
        launcher = os.path.join(prefix, "bin/tumblox")
        installed.play_installed(launcher, home, cwd)

        user = os.path.join(home, ".local/share/tumblox")
        installed.check_user_dir(user, prefix)
        assert os.listdir(cwd) == [], "the game wrote into its start directory: %s" % os.listdir(cwd)
        assert installed.list_files(prefix) == installed.expected_files(), "the game wrote into the prefix"
        stray = installed.score_files_below(scratch, skip=user)
        assert not stray, "score files outside the user's directory: %s" % stray
        first = installed.read_scores(user)

        # An upgrade into another prefix, with the old tree gone: the links
        # follow the new one, the tables stay. A relative XDG_DATA_HOME is
        # not a valid one and must be ignored.
        upgraded = os.path.join(scratch, "upgraded")
        install(build_dir, upgraded)
        shutil.rmtree(prefix)
        installed.play_installed(os.path.join(upgraded, "bin/tumblox"), home, cwd,
                                 env={"XDG_DATA_HOME": "relative/data"})
        installed.check_user_dir(user, upgraded)
        assert installed.read_scores(user) == first, "the score tables changed across the upgrade"
        assert os.listdir(cwd) == [], "a relative XDG_DATA_HOME was used: %s" % os.listdir(cwd)

        # XDG_DATA_HOME, when set, is where the directory goes; a player's
        # own font there, in place of the link, is used and left alone.
        data_home = os.path.join(scratch, "xdg")
        own_font = os.path.join(data_home, "tumblox", installed.FONT)
        os.makedirs(os.path.dirname(own_font))
        shutil.copy(os.path.join(upgraded, "share/tumblox", installed.FONT), own_font)
        installed.play_installed(os.path.join(upgraded, "bin/tumblox"), home, cwd,
                                 env={"XDG_DATA_HOME": data_home})
        installed.check_user_dir(os.path.join(data_home, "tumblox"), upgraded, own=[installed.FONT])
        assert not os.path.islink(own_font) and os.path.isfile(own_font), "the player's own font was replaced"
        assert installed.read_scores(user) == first, "the HOME directory's tables were touched"
        env = dict(os.environ, HOME=home)
        env.pop("XDG_DATA_HOME", None)

        # Refusals, each with a message and before any window.
        broken = os.path.join(scratch, "broken")
        install(build_dir, broken)
        shutil.rmtree(os.path.join(broken, "share/tumblox/textures"))
        r = run_launcher(os.path.join(broken, "bin/tumblox"), env)
        assert r.returncode != 0 and "textures" in r.stderr and "missing" in r.stderr, \
            "a missing texture folder was not reported: %s %r" % (r.returncode, r.stderr)
        no_home = dict(env)
        no_home.pop("HOME")
        r = run_launcher(os.path.join(upgraded, "bin/tumblox"), no_home)
        assert r.returncode != 0 and "HOME" in r.stderr, \
            "a missing HOME was not reported: %s %r" % (r.returncode, r.stderr)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("install test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
