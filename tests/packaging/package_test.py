"""The Debian package as scripts/package builds it (cpack), into a scratch
directory: its control fields, its dependencies checked against the shared
libraries the binary links on this machine (readelf, ldd, dpkg -S), its file
list, and the unpacked tree (dpkg-deb -x) started through its launcher as a
player would, with the score files only in that player's directory."""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

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
    assert files == installed.expected_files(), "package files differ:\n missing %s\n extra %s" % (
        sorted(installed.expected_files() - files), sorted(files - installed.expected_files()))


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
        installed.check_tree(prefix, build_dir)

        home = os.path.join(scratch, "home")
        cwd = os.path.join(scratch, "elsewhere")
        os.makedirs(home)
        os.makedirs(cwd)
        installed.play_installed(os.path.join(prefix, "bin/tumblox"), home, cwd)
        user = os.path.join(home, ".local/share/tumblox")
        installed.check_user_dir(user, prefix)
        assert os.listdir(cwd) == [], "the game wrote into its start directory: %s" % os.listdir(cwd)
        assert installed.list_files(prefix) == installed.expected_files(), "the game wrote into the tree"
        stray = installed.score_files_below(scratch, skip=user)
        assert not stray, "score files outside the user's directory: %s" % stray
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("package test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
