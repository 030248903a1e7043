"""The binary packages the Debian source package built (scripts/stages/debian
runs this on a clean chroot's build): the game's package holds the files of
the upstream package and Debian's own changelog, its copyright file is
machine-readable and names the font's licence, its game passes
hardening-check, and a -dbgsym package holds the game's debug symbols.
Prints the checks; the last line is hardening-check's.
Usage: source_package.py OUTPUT_DIR BUILD_DIR"""
import glob
import os
import re
import subprocess
import sys
import tempfile

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(TOP, "tests", "support"))
import checkers  # noqa: E402
import installed  # noqa: E402


def only(pattern):
    found = glob.glob(pattern)
    assert len(found) == 1, "%s: %s" % (pattern, found)
    return found[0]


def paragraphs(path):
    with open(path, encoding="utf-8") as f:
        return [p.strip() for p in re.split(r"\n\s*\n", f.read())]


def build_id(path):
    m = re.search(r"Build ID: ([0-9a-f]+)", subprocess.run(["readelf", "-n", path], capture_output=True,
                                                          text=True, check=True).stdout)
    assert m, "%s has no build id" % path
    return m.group(1)


def main():
    out, build_dir = sys.argv[1], sys.argv[2]
    deb = only(os.path.join(out, "tumblox_*.deb"))
    dbgsym = only(os.path.join(out, "tumblox-dbgsym_*.deb"))
    with tempfile.TemporaryDirectory(prefix="tumblox-deb-") as scratch:
        root = os.path.join(scratch, "root")
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
        prefix = os.path.join(root, "usr")
        found = installed.list_files(prefix)
        expected = installed.expected_files("debian") | {"share/doc/tumblox/changelog.Debian.gz"}
        assert found == expected, "package files differ:\n missing %s\n extra %s" % (
            sorted(expected - found), sorted(found - expected))
        print("%s: the upstream package's files and changelog.Debian.gz" % os.path.basename(deb))

        copyright = os.path.join(prefix, "share/doc/tumblox/copyright")
        checkers.copyright_file(copyright, os.path.join(prefix, "share/doc/tumblox", installed.LICENCE))
        # Debian's copyright file says what the upstream one says, paragraph
        # for paragraph (its header adds the contact, its debian/* is its own).
        missing = [p for p in paragraphs(os.path.join(TOP, "packaging/copyright"))[1:]
                   if p not in paragraphs(copyright)]
        assert not missing, "debian/copyright lacks paragraphs of packaging/copyright:\n%s" % missing
        print("copyright: machine-readable, as packaging/copyright, the font's licence as the asset tool "
              "writes it")

        debug = os.path.join(scratch, "debug")
        subprocess.run(["dpkg-deb", "-x", dbgsym, debug], check=True)
        game = os.path.join(prefix, checkers.GAME)
        ident = build_id(game)
        symbols = os.path.join(debug, "usr/lib/debug/.build-id", ident[:2], ident[2:] + ".debug")
        assert os.path.isfile(symbols), "%s lacks the game's symbols (%s)" % (os.path.basename(dbgsym), ident)
        print("%s: the game's debug symbols (build id %s)" % (os.path.basename(dbgsym), ident))

        print("hardening-check: " + checkers.hardening(game, build_dir))
    return 0


if __name__ == "__main__":
    sys.exit(main())
