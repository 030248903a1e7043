"""The real binary started in directories whose assets and score files are
missing, empty, truncated at every length of their headers, or random bytes
with the right and the wrong magic. Every start must survive, show a usable
window, log an error naming each bad file, and leave only valid score files
behind when it is closed."""
import os
import random
import shutil
import struct
import sys
import tempfile
import time

import scorefile
from Xlib import X
from waiting import until
from xharness import GameProcess

BUILD = os.path.dirname(os.path.abspath(sys.argv[1]))
TEXTURES = ["textures/block%02d.kyt" % i for i in range(1, 9)] + [
    "textures/KyMinGUI_Button.kyt", "textures/KyMinGUI_Button_H.kyt",
    "textures/KyMinGUI_Button_D.kyt", "textures/KyMinGUI_Edit.kyt"]
FONT = "Zived Udozo.kyf"
SCORES = [name for name, _ in scorefile.FILES]
PARALLEL = 4


def real(name):
    with open(os.path.join(BUILD, name), "rb") as f:
        return f.read()


def make_dir(files):
    """A working directory with the real assets, except where files (name ->
    bytes, or None for missing) says otherwise."""
    workdir = tempfile.mkdtemp(prefix="tumblox-hostile-")
    os.makedirs(os.path.join(workdir, "textures"))
    for name in TEXTURES + [FONT]:
        content = files.get(name, real(name)) if name in files else real(name)
        if content is not None:
            with open(os.path.join(workdir, name), "wb") as f:
                f.write(content)
    for name in SCORES:
        content = files.get(name)
        if content is not None:
            with open(os.path.join(workdir, name), "wb") as f:
                f.write(content)
    return workdir


def valid_score():
    """A valid Simple table with three entries, unterminated name included."""
    body = b"Simple".ljust(24, b"\0")
    for i in range(12):
        name = [b"Ann", b"B" * 24, b"Cy"][i] if i < 3 else b""
        body += name.ljust(24, b"\0") + struct.pack("<iIq", (3 - i) * 100 if i < 3 else 0, 0, 1700000000)
    return body + struct.pack("<II", scorefile.crc32_msb(body), 0)


def variants():
    """The bad versions of each kind of file, (label, bytes or None)."""
    rng = random.Random(20261209)
    kyt = real(TEXTURES[0])
    font = real(FONT)
    textures = [("cut at %d" % n, kyt[:n]) for n in range(0, 29)]
    textures += [("data cut short", kyt[:28 + 1000]), ("missing", None),
                 ("wrong magic", b"XTex" + kyt[4:])]
    textures += [("random, magic %r" % magic,
                  magic + bytes(rng.getrandbits(8) for _ in range(rng.randrange(0, 5000))))
                 for magic in (b"KTex", b"KTex", b"XTex")]
    fonts = [("missing", None)]
    fonts += [("cut at %d" % n, font[:n])
              for n in list(range(0, 17)) + [100, 271, 272, 273, 1000, 4367, 4368, 4369, len(font) - 1]]
    fonts += [("wrong magic", b"KyFX" + font[4:])]
    fonts += [("random, magic %r" % magic, magic + bytes(rng.getrandbits(8) for _ in range(rng.randrange(0, 9000))))
              for magic in (b"KyFo", b"KyFo", b"KyFX")]
    # Score files: random of many lengths, a valid table cut at every one of
    # its fields' boundaries, damaged in one byte, and with bytes after its
    # 512 (the first 512 decide).
    scores = [("random %d bytes" % n, bytes(rng.getrandbits(8) for _ in range(n)))
              for n in (1, 24, 100, 503, 504, 508, 511, 512, 513, 4096)]
    table = valid_score()
    scores += [("valid cut at %d" % n, table[:n]) for n in (0, 4, 23, 24, 63, 64, 503, 504, 507, 508, 511)]
    for at in (0, 30, 503, 505, 509):
        damaged = bytearray(table)
        damaged[at] ^= 0x41
        scores.append(("valid damaged at %d" % at, bytes(damaged)))
    scores += [("valid with a tail", table + b"tail" * 100), ("valid", table)]
    return textures, fonts, scores


def cases():
    """Directories, each with one bad font and, spread over them, every bad
    texture (twelve texture files a directory) and every bad score file
    (four a directory); a few directories hold one kind of fault alone."""
    textures, fonts, scores = variants()
    out = [("only the textures missing", {name: None for name in TEXTURES}),
           ("only the font missing", {FONT: None}),
           ("everything empty", dict({name: b"" for name in TEXTURES + SCORES}, **{FONT: b""}))]
    for d, (font_label, font_bytes) in enumerate(fonts):
        files = {FONT: font_bytes}
        labels = ["font " + font_label]
        for j, name in enumerate(TEXTURES):
            k = d * len(TEXTURES) + j
            if k < len(textures):
                files[name] = textures[k][1]
                labels.append("%s %s" % (os.path.basename(name), textures[k][0]))
        for j, name in enumerate(SCORES):
            k = d * len(SCORES) + j
            if k < len(scores):
                files[name] = scores[k][1]
                labels.append("%s %s" % (name, scores[k][0]))
        out.append(("; ".join(labels), files))
    return out


def files_tried():
    textures, fonts, scores = variants()
    return len(textures) + len(fonts) + len(scores)


def bad_names(files):
    return [name for name, content in files.items()
            if name not in SCORES and (content is None or content != real(name))]


def check(label, game, files):
    problems = []
    if not game.alive():
        problems.append("died with %s" % game.proc.returncode)
        return problems
    # The games of a batch share one display and may overlap: the one
    # checked comes to the top and takes the focus first.
    game.window.configure(stack_mode=X.Above)
    game.window.set_input_focus(X.RevertToParent, X.CurrentTime)
    game.dpy.sync()
    # The pointer first rests on the menu's first button, and the screen
    # is taken once something is drawn.
    game.move(480, int((1.0 - 0.56) / 2.0 * 600))
    shot = until("something drawn", game.screenshot, lambda image: max(image.tobytes()) > 0, interval=0.2,
                 required=False)
    if shot.size != (960, 600):
        problems.append("window is %s" % (shot.size,))
    if max(max(p) for p in shot.getdata()) == 0:
        problems.append("nothing is drawn")
    # Usable: a click there starts a game, and the frames change.
    before = shot.tobytes()
    game.press(1)
    game.release(1)
    if until("a click on the menu to change the screen", game.screenshot, lambda image: image.tobytes() != before,
             interval=0.2, required=False).tobytes() == before:
        problems.append("a click on the menu changed nothing")
    log = game.log()
    for name in bad_names(files):
        if name not in log:
            problems.append("no error names %s" % name)
    game.close()
    code = game.wait_exit(30)
    if code is not None and code < 0:
        problems.append("died after a click with %s" % code)
    elif code != 0:
        problems.append("exit status %s" % code)
    for name in SCORES:
        path = os.path.join(game.workdir, name)
        title, entries, valid = scorefile.read(path)
        if not valid:
            problems.append("%s is not valid after close" % name)
    return problems


def run_check(label, game, files):
    try:
        return check(label, game, files)
    except Exception as error:  # a window that went away, a harness error
        return ["%s: %r" % ("died" if not game.alive() else "check failed", error)]


def main():
    all_cases = cases()
    failures = []
    started = time.time()
    for first in range(0, len(all_cases), PARALLEL):
        batch = []
        for label, files in all_cases[first:first + PARALLEL]:
            game = GameProcess(sys.argv[1], workdir=make_dir(files), assets=False)
            try:
                game.start(timeout=90 if os.environ.get("TUMBLOX_SANITIZED") else 30)
            except Exception as error:  # a start that fails is a failure, not a crash of the test
                failures.append("%s: %s" % (label, error))
                game.kill()
                continue
            batch.append((label, files, game))
        print("batch of %d started" % len(batch), flush=True)
        for label, files, game in batch:
            try:
                problems = run_check(label, game, files)
            finally:
                game.kill()
            if problems:
                failures.append("%s: %s" % (label, "; ".join(problems)))
            else:
                shutil.rmtree(game.workdir, ignore_errors=True)
    print("hostile files: %d bad files in %d directories tried in %.0f s"
          % (files_tried(), len(all_cases), time.time() - started))
    for failure in failures:
        print("FAILED", failure)
    print("%d passed, %d failed" % (len(all_cases) - len(failures), len(failures)))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
