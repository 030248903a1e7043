"""The real binary started in directories whose assets and score files are
missing, empty, truncated at every length of their headers, or random bytes
with the right and the wrong magic. Every start must survive, show a usable
window, log an error naming each bad file, and leave only valid score files
behind when it is closed."""
import os
import random
import shutil
import sys
import tempfile
import time

import scorefile
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


def cases():
    rng = random.Random(20261209)
    kyt = real(TEXTURES[0])
    font = real(FONT)
    out = []
    out.append(("missing textures", {name: None for name in TEXTURES}))
    out.append(("missing font", {FONT: None}))
    out.append(("empty files", dict({name: b"" for name in TEXTURES + SCORES}, **{FONT: b""})))
    for length in range(1, 29):
        out.append(("textures cut at %d" % length, {name: kyt[:length] for name in TEXTURES}))
    out.append(("texture data cut short", {name: kyt[:28 + 1000] for name in TEXTURES}))
    for length in list(range(1, 17)) + [100, 271, 272, 273, 1000, 4367, 4368, 4369, len(font) - 1]:
        out.append(("font cut at %d" % length, {FONT: font[:length]}))
    for magic in (b"KTex", b"XTex"):
        out.append(("random textures, magic %r" % magic,
                    {name: magic + bytes(rng.getrandbits(8) for _ in range(rng.randrange(0, 5000)))
                     for name in TEXTURES}))
    for magic in (b"KyFo", b"KyFX"):
        out.append(("random font, magic %r" % magic,
                    {FONT: magic + bytes(rng.getrandbits(8) for _ in range(rng.randrange(0, 9000)))}))
    # Score files: short, long, random, damaged by one byte.
    for length in (1, 24, 100, 503, 504, 508, 511):
        out.append(("scores cut at %d" % length, {name: bytes(rng.getrandbits(8) for _ in range(length))
                                                  for name in SCORES}))
    out.append(("scores too long", {name: bytes(rng.getrandbits(8) for _ in range(4096)) for name in SCORES}))
    out.append(("scores random", {name: bytes(rng.getrandbits(8) for _ in range(512)) for name in SCORES}))
    return out


def bad_names(files):
    return [name for name, content in files.items()
            if name not in SCORES and (content is None or content != real(name))]


def check(label, game, files):
    problems = []
    if not game.alive():
        problems.append("died with %s" % game.proc.returncode)
        return problems
    shot = game.screenshot()
    if shot.size != (960, 600):
        problems.append("window is %s" % (shot.size,))
    if max(max(p) for p in shot.getdata()) == 0:
        problems.append("nothing is drawn")
    log = game.log()
    for name in bad_names(files):
        if name not in log:
            problems.append("no error names %s" % name)
    game.close()
    code = game.wait_exit(10)
    if code != 0:
        problems.append("exit status %s" % code)
    for name in SCORES:
        path = os.path.join(game.workdir, name)
        title, entries, valid = scorefile.read(path)
        if not valid:
            problems.append("%s is not valid after close" % name)
    return problems


def main():
    all_cases = cases()
    failures = []
    started = time.time()
    for first in range(0, len(all_cases), PARALLEL):
        batch = []
        for label, files in all_cases[first:first + PARALLEL]:
            game = GameProcess(sys.argv[1], workdir=make_dir(files), assets=False)
            try:
                game.start(timeout=30)
            except Exception as error:  # a start that fails is a failure, not a crash of the test
                failures.append("%s: %s" % (label, error))
                game.kill()
                continue
            batch.append((label, files, game))
        time.sleep(1.5)
        for label, files, game in batch:
            try:
                problems = check(label, game, files)
            finally:
                game.kill()
            if problems:
                failures.append("%s: %s" % (label, "; ".join(problems)))
            else:
                shutil.rmtree(game.workdir, ignore_errors=True)
    print("hostile files: %d directories tried in %.0f s" % (len(all_cases), time.time() - started))
    for failure in failures:
        print("FAILED", failure)
    print("%d passed, %d failed" % (len(all_cases) - len(failures), len(failures)))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
