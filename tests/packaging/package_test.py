"""The Debian package as scripts/package builds it (cpack), into a scratch
directory: its control fields, its dependencies checked against the shared
libraries the binary links on this machine (readelf, ldd, dpkg -S), its file
list, the checks a distribution runs on it (lintian --pedantic, hardening-check,
appstreamcli, desktop-file-validate, man --warnings; see checkers.py), and the
unpacked tree (dpkg-deb -x) started through its launcher in /usr/games as a
player would, with the score files only in that player's directory. The
maintainer is the configured one, and another is taken at configure time."""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import checkers
import installed


def run(*args, timeout=120, cwd=None):
    """Runs a command in a process group of its own, so that a timeout also
    ends what it started (cpack builds the tree first, through make)."""
    proc = subprocess.Popen(list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                            cwd=cwd, start_new_session=True)
    try:
        out, err = proc.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.communicate()
        raise AssertionError("%s took longer than %d s" % (" ".join(args), timeout))
    assert proc.returncode == 0, "%s failed:\n%s%s" % (" ".join(args), out, err)
    return out


def build_package(build_dir, out):
    run("cpack", "-G", "DEB", "--config", os.path.join(build_dir, "CPackConfig.cmake"), "-B", out,
        cwd=build_dir, timeout=400)
    debs = [f for f in os.listdir(out) if f.endswith(".deb")]
    assert len(debs) == 1, "cpack made %s" % debs
    return os.path.join(out, debs[0])


def parse_depends(text):
    """[[name, ...] per dependency, alternatives in order], versions dropped."""
    groups = []
    for item in text.split(","):
        names = [re.sub(r"\s*\(.*\)", "", alt).strip() for alt in item.split("|")]
        names = [n.split(":")[0] for n in names if n]
        if names:
            groups.append(names)
    return groups


def package_of(path):
    """The installed Debian package that owns a library path. With /usr merged,
    dpkg may know the file under /lib or /usr/lib, or under its real name."""
    candidates = [path, os.path.realpath(path)]
    for p in list(candidates):
        if p.startswith("/usr/"):
            candidates.append(p[4:])
        else:
            candidates.append("/usr" + p)
    for p in candidates:
        r = subprocess.run(["dpkg", "-S", p], capture_output=True, text=True, timeout=30)
        if r.returncode == 0:
            return r.stdout.split(":")[0].strip()
    raise AssertionError("no installed package owns %s" % path)


def linked_packages(binary):
    """{library name: package} for every library the binary names itself."""
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", run("readelf", "-d", binary))
    assert needed, "the binary links no shared library?"
    paths = {}
    for line in run("ldd", binary).splitlines():
        m = re.match(r"\s*(\S+) => (/\S+)", line)
        if m:
            paths[m.group(1)] = m.group(2)
    result = {}
    for name in needed:
        assert name in paths, "ldd does not resolve %s" % name
        result[name] = package_of(paths[name])
    return result


def check_control(deb, build_dir):
    fields = {}
    for name in ("Package", "Version", "Architecture", "Section", "Maintainer", "Description", "Depends"):
        fields[name] = run("dpkg-deb", "-f", deb, name).strip()
    assert fields["Package"] == "tumblox", fields
    assert fields["Version"].startswith("1.0"), fields
    assert fields["Section"] == "games", fields
    assert fields["Architecture"] == run("dpkg", "--print-architecture").strip(), fields
    assert fields["Maintainer"] and fields["Description"], fields

    groups = parse_depends(fields["Depends"])
    depended = {name for group in groups for name in group}
    # Every library the game links comes from a package it depends on...
    for library, package in linked_packages(os.path.join(build_dir, "tumblox")).items():
        assert package in depended, "%s (%s) is not a dependency: %s" % (library, package, fields["Depends"])
    # ...the ones it cannot run without are there by their Debian names...
    for package in ("libglut3.12", "libglew2.2", "libgl1-mesa-dri"):
        assert package in depended, "%s is not a dependency: %s" % (package, fields["Depends"])
    assert {"libglu1-mesa", "libglu1"} & depended, "GLU is not a dependency: %s" % fields["Depends"]
    # ...and each group names a package this Debian knows and has installed.
    for group in groups:
        known = [n for n in group
                 if subprocess.run(["dpkg-query", "-W", "-f=${Status}", n], capture_output=True,
                                   text=True).stdout.startswith("install ok installed")]
        assert known, "no package of %s is installed here" % group
    print("Depends: %s" % fields["Depends"])


def cache_value(build_dir, name):
    with open(os.path.join(build_dir, "CMakeCache.txt"), encoding="utf-8") as f:
        for line in f:
            m = re.match(r"%s(?::[A-Z]+)?=(.*)$" % re.escape(name), line.rstrip("\n"))
            if m:
                return m.group(1)
    raise AssertionError("%s is not in the cache of %s" % (name, build_dir))


def check_maintainer(deb, build_dir, prefix, scratch):
    """The Maintainer field and the changelog's signature are the configured
    maintainer, a name and a real address; another one can be configured."""
    maintainer = cache_value(build_dir, "TUMBLOX_MAINTAINER")
    assert re.match(r"^[^<>@]+ <[^<>@\s]+@[^<>@\s]+\.[a-z]+>$", maintainer), maintainer
    assert "localhost" not in maintainer, maintainer
    assert run("dpkg-deb", "-f", deb, "Maintainer").strip() == maintainer
    changelog = checkers.gzip_9n(os.path.join(prefix, "share/doc/tumblox/changelog.gz"))
    assert re.match(r"tumblox \(1\.0\) ", changelog), changelog
    assert " -- %s  " % maintainer in changelog, "the changelog is not signed by %s" % maintainer

    other = "Somebody Else <somebody@example.org>"
    configured = os.path.join(scratch, "configured")
    top = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    run("cmake", "-S", top, "-B", configured, "-DTUMBLOX_MAINTAINER=" + other,
        "-DTUMBLOX_TESTS=OFF", "-DTUMBLOX_BENCH=OFF", timeout=120)
    with open(os.path.join(configured, "CPackConfig.cmake"), encoding="utf-8") as f:
        assert 'set(CPACK_PACKAGE_CONTACT "%s")' % other in f.read(), "the maintainer is not configurable"
    with open(os.path.join(configured, "packaging/changelog"), encoding="utf-8") as f:
        assert " -- %s  " % other in f.read(), "the changelog does not follow the configured maintainer"
    print("Maintainer: %s (and configurable)" % maintainer)


def run_checkers(deb, root, prefix, build_dir):
    """Every distribution checker on the package, each printing its last line."""
    for name, check in (
            ("lintian", lambda: checkers.lintian(deb)),
            ("hardening-check", lambda: checkers.hardening(os.path.join(prefix, checkers.GAME), build_dir)),
            ("appstreamcli", lambda: checkers.appstream(os.path.join(prefix, checkers.METAINFO), root)),
            ("desktop-file-validate", lambda: checkers.desktop_entry(os.path.join(prefix, checkers.DESKTOP))),
            ("man", lambda: checkers.man_page(os.path.join(prefix, checkers.MAN_PAGE)))):
        started = time.monotonic()
        last = check()
        print("%s (%.1f s): %s" % (name, time.monotonic() - started, last))
    checkers.gzip_9n(os.path.join(prefix, checkers.MAN_PAGE))
    checkers.copyright_file(os.path.join(prefix, "share/doc/tumblox/copyright"),
                            os.path.join(prefix, "share/doc/tumblox", installed.LICENCE))


def check_contents(deb):
    """The data part lists exactly the installation under /usr, owned by root."""
    files = set()
    for line in run("dpkg-deb", "-c", deb).splitlines():
        parts = line.split(None, 5)
        assert parts[1] == "root/root", "not owned by root: %s" % line
        path = parts[5].split(" -> ")[0]
        if not parts[0].startswith("d"):
            assert path.startswith("./usr/"), "outside /usr: %s" % line
            files.add(path[len("./usr/"):])
    expected = installed.expected_files("debian")
    assert files == expected, "package files differ:\n missing %s\n extra %s" % (
        sorted(expected - files), sorted(files - expected))


def main():
    build_dir = os.path.dirname(os.path.abspath(sys.argv[1]))
    scratch = tempfile.mkdtemp(prefix="tumblox-package-")
    try:
        deb = build_package(build_dir, os.path.join(scratch, "out"))
        assert re.match(r"tumblox_1\.0[^_]*_[a-z0-9]+\.deb$", os.path.basename(deb)), deb
        check_control(deb, build_dir)
        check_contents(deb)

        root = os.path.join(scratch, "root")
        run("dpkg-deb", "-x", deb, root)
        prefix = os.path.join(root, "usr")
        installed.check_tree(prefix, build_dir, "debian")
        run_checkers(deb, root, prefix, build_dir)
        check_maintainer(deb, build_dir, prefix, scratch)

        home = os.path.join(scratch, "home")
        cwd = os.path.join(scratch, "elsewhere")
        os.makedirs(home)
        os.makedirs(cwd)
        installed.play_installed(os.path.join(prefix, installed.LAUNCHERS["debian"]), home, cwd)
        user = os.path.join(home, ".local/share/tumblox")
        installed.check_user_dir(user, prefix)
        assert os.listdir(cwd) == [], "the game wrote into its start directory: %s" % os.listdir(cwd)
        assert installed.list_files(prefix) == installed.expected_files("debian"), "the game wrote into the tree"
        stray = installed.score_files_below(scratch, skip=user)
        assert not stray, "score files outside the user's directory: %s" % stray
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("package test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
