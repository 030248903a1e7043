"""The checks a distribution runs on a package, as the packaging tests run
them on what they build: lintian, hardening-check, appstreamcli,
desktop-file-validate and man. Each fails on any error or warning (and on
lintian's information and pedantic tags too) and returns the checker's
final output line, which the tests print."""
import glob
import gzip
import os
import re
import subprocess
import tempfile
import xml.etree.ElementTree as ET

APPSTREAM_ID = "org.tumblox.tumblox"
METAINFO = "share/metainfo/%s.metainfo.xml" % APPSTREAM_ID
DESKTOP = "share/applications/tumblox.desktop"
MAN_PAGE = "share/man/man6/tumblox.6.gz"
GAME = "lib/tumblox/tumblox"

# lintian says this to every root user, whatever the package; CI runs as root.
LINTIAN_ROOT_NOTICE = "running with root privileges is not recommended!"


def _run(args, timeout=120, env=None):
    return subprocess.run(args, capture_output=True, text=True, timeout=timeout,
                          env=dict(os.environ, **(env or {})))


def _last_line(text):
    lines = [line for line in text.splitlines() if line.strip()]
    return lines[-1].strip() if lines else ""


def lintian(deb):
    """`lintian --pedantic` with the information tags shown and overrides
    listed: no tag at all may remain. (An information tag may only ever be
    overridden with its reason written beside the override; none is.)"""
    r = _run(["lintian", "--pedantic", "--display-info", "--show-overrides",
              "--fail-on", "error,warning,info,pedantic", deb], timeout=300)
    out = r.stdout.strip()
    err = "\n".join(line for line in r.stderr.splitlines() if line.strip() != LINTIAN_ROOT_NOTICE)
    assert r.returncode == 0 and not out and not err.strip(), \
        "lintian --pedantic: exit %d\n%s\n%s" % (r.returncode, out, err)
    return "lintian --pedantic --display-info: %s: no tag" % os.path.basename(deb)


def _toolchain_marks_cet():
    """Whether this compiler and C library can make a binary carry the x86
    control-flow marks (IBT, SHSTK) at all: a program of nothing, built with
    -fcf-protection. On Debian 12 they cannot: glibc's start files (Scrt1.o,
    crti.o, crtn.o) carry no marks, so the linker drops them from every
    program, however its own code was compiled."""
    with tempfile.TemporaryDirectory(prefix="tumblox-cet-") as d:
        source = os.path.join(d, "empty.c")
        with open(source, "w") as f:
            f.write("int main(void) { return 0; }\n")
        r = _run(["cc", "-O2", "-fcf-protection", "-o", os.path.join(d, "empty"), source])
        if r.returncode != 0:
            return False
        return "x86 feature: IBT, SHSTK" in _run(["readelf", "-n", os.path.join(d, "empty")]).stdout


def _objects_marked(build_dir):
    """Every object file of the game's own code carries IBT and SHSTK."""
    objects = []
    for target in ("tumblox", "tumblox_logic", "kye", "kyplatform"):
        objects += glob.glob(os.path.join(build_dir, "CMakeFiles", target + ".dir", "**", "*.o"),
                             recursive=True)
    assert len(objects) > 10, "the game's object files are not in %s" % build_dir
    unmarked = [o for o in objects
                if "x86 feature: IBT, SHSTK" not in _run(["readelf", "-n", o]).stdout]
    assert not unmarked, "built without -fcf-protection: %s" % unmarked
    return len(objects)


def hardening(binary, build_dir):
    """hardening-check on the installed binary: position independent, stack
    protector, fortified functions, read-only relocations, immediate binding
    each "yes". Two lines need more than the tool can see:
    - stack clash: hardening-check recognises only the probing loop GCC emits
      for alloca and huge frames, of which the game has none; the probes it
      emits for frames of over a page (sub rsp,0x1000; or [rsp],0) are
      counted here instead, and must be there;
    - control flow: required from hardening-check wherever the toolchain can
      mark a program at all; where it cannot (Debian 12, see above), every
      object file of the game must carry the marks instead."""
    x86 = os.uname().machine in ("x86_64", "i686", "i386")
    cet = not x86 or _toolchain_marks_cet()
    args = ["hardening-check"] + ([] if cet else ["--nocfprotection"]) + [binary]
    r = _run(args)
    report = r.stdout + r.stderr
    assert r.returncode == 0, "hardening-check: exit %d\n%s" % (r.returncode, report)
    lines, notes = {}, []
    for line in r.stdout.splitlines()[1:]:
        name, _, value = line.strip().partition(": ")
        lines[name] = value
    for name in ("Position Independent Executable", "Stack protected", "Fortify Source functions",
                 "Read-only relocations", "Immediate binding"):
        assert lines.get(name, "").startswith("yes"), "hardening-check: %s: %r\n%s" % (
            name, lines.get(name), report)
    clash = lines.get("Stack clash protection", "")
    if not clash.startswith("yes") and x86:
        assert clash.startswith("unknown"), "hardening-check: stack clash: %r" % clash
        disassembly = _run(["objdump", "-d", "--no-show-raw-insn", "-M", "intel", binary]).stdout
        probes = len(re.findall(r"sub\s+rsp,0x1000\n\s*[0-9a-f]+:\s+or\s+QWORD PTR \[rsp\],0x0",
                                disassembly))
        assert probes > 0, "no stack clash probe in %s" % binary
        notes.append("stack clash probes (sub rsp,0x1000; or [rsp],0) counted: %d" % probes)
    if x86:
        cfi = lines.get("Control flow integrity", "")
        if cet:
            assert cfi.startswith("yes"), "hardening-check: control flow: %r" % cfi
        else:
            assert cfi == "no, not found! (ignored)", "hardening-check: control flow: %r" % cfi
            objects = _objects_marked(build_dir)
            notes.append("every one of the game's %d object files is marked IBT, SHSTK; this C "
                         "library's start files are not" % objects)
    print(r.stdout.rstrip())
    for note in notes:
        print(" (test) " + note)
    return _last_line(r.stdout)


def appstream(metainfo, tree=None):
    """The metainfo file alone, as the issue names it, and, given the root of
    an unpacked package, the whole tree (where the launchable's desktop entry
    must be found): no remark at any level, pedantic ones included."""
    runs = [["validate", "--no-net", "--pedantic", metainfo]]
    if tree:
        runs.append(["validate-tree", "--no-net", "--pedantic", tree])
    last = None
    for args in runs:
        r = _run(["appstreamcli"] + args)
        output = (r.stdout + r.stderr).strip()
        last = _last_line(output)
        assert r.returncode == 0 and output == "\u2714 Validation was successful.", \
            "appstreamcli %s: exit %d\n%s" % (args[0], r.returncode, output)
    check_metainfo(metainfo)
    return last


def check_metainfo(path):
    """What a software centre shows: the id of the file's name, the desktop
    entry as launchable, the game's categories, the binary, a content
    rating, the licence, a release of the package's version."""
    component = ET.parse(path).getroot()
    assert component.get("type") == "desktop-application", component.attrib
    assert component.findtext("id") == APPSTREAM_ID
    assert component.find("launchable[@type='desktop-id']").text == os.path.basename(DESKTOP)
    categories = [c.text for c in component.findall("categories/category")]
    assert "Game" in categories and "LogicGame" in categories, categories
    assert [b.text for b in component.findall("provides/binary")] == ["tumblox"]
    assert component.find("content_rating").get("type").startswith("oars-")
    assert component.findtext("project_license"), "no licence"
    description = ET.tostring(component.find("description"), encoding="unicode")
    for mode in ("Simple", "Succeeding", "Arcade", "Tetris"):
        assert mode in description, "the description leaves out %s" % mode
    assert component.find("releases/release").get("version") == "1.0"


def desktop_entry(path):
    r = _run(["desktop-file-validate", path])
    assert r.returncode == 0 and not (r.stdout + r.stderr).strip(), \
        "desktop-file-validate: exit %d\n%s%s" % (r.returncode, r.stdout, r.stderr)
    return "desktop-file-validate %s: no remark" % os.path.basename(path)


def man_page(path):
    """`man --warnings -l`: not one warning; the page tells the four modes,
    the keys and where the scores are kept."""
    r = _run(["man", "--warnings", "-l", path],
             env={"LC_ALL": "C.UTF-8", "MANPAGER": "cat", "PAGER": "cat", "MANWIDTH": "80"})
    assert r.returncode == 0 and not r.stderr.strip(), \
        "man --warnings: exit %d\n%s" % (r.returncode, r.stderr)
    text = re.sub(r"\s+", " ", r.stdout).replace("\u2010 ", "")
    for word in ("Simple", "Succeeding", "Arcade", "Tetris", "KEYS", "F11", "Return",
                 "simple.score", "succeed.score", "arcade.score", "tetris.score",
                 "~/.local/share}/tumblox/"):
        assert word in text, "the man page does not mention %r" % word
    return _last_line(r.stdout)


def gzip_9n(path):
    """Compressed as `gzip -9n` does: no file name or time stamp in the
    header, best compression."""
    with open(path, "rb") as f:
        header = f.read(10)
    assert header[:3] == b"\x1f\x8b\x08", "%s is not gzip" % path
    flags, mtime, extra = header[3], header[4:8], header[8]
    assert flags & 0x08 == 0 and mtime == b"\0\0\0\0", "%s keeps a name or a time" % path
    assert extra == 2, "%s is not compressed with -9" % path
    with gzip.open(path, "rt", encoding="utf-8") as f:
        return f.read()


def copyright_file(path, font_licence):
    """A machine-readable (DEP-5) copyright file: every Files paragraph has
    its Copyright and License, every licence named has its text, and the
    font's licence is the one the asset tool writes beside the font."""
    with open(path, encoding="utf-8") as f:
        paragraphs = [p for p in re.split(r"\n\s*\n", f.read()) if p.strip()]

    def fields(paragraph):
        result, key = {}, None
        for line in paragraph.splitlines():
            if line.startswith((" ", "\t")):
                result[key] += "\n" + line.strip()
            else:
                key, _, value = line.partition(":")
                result[key] = value.strip()
        return result

    parsed = [fields(p) for p in paragraphs]
    assert parsed[0].get("Format") == \
        "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/", parsed[0]
    files = [p for p in parsed if "Files" in p]
    texts = {p["License"].split("\n")[0]: p["License"] for p in parsed
             if "License" in p and "Files" not in p}
    assert files and files[0]["Files"] == "*", "no Files: * paragraph"
    for p in files:
        assert p.get("Copyright") and p.get("License"), p
        name = p["License"].split("\n")[0]
        assert name in texts, "no text for the licence %s" % name
    with open(font_licence, encoding="utf-8") as f:
        tool_text = f.read()
    start = tool_text.index("Permission is hereby granted")
    squash = lambda s: " ".join(s.replace("\n.\n", "\n").split())
    assert squash(tool_text[start:]) == squash(texts["Bitstream-Vera"].split("\n", 1)[1]), \
        "the copyright file's font licence differs from %s" % font_licence
