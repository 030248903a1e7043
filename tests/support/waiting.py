"""The one way the tests wait: for what the next check needs (a log line, a
screen, a file, a window's size), looked at again and again until a
deadline in seconds. The machines that run the tests are loaded, so the
deadlines are generous; a wait that runs out says what it waited for and
what it saw last, so that a slow game is told from a wrong one."""
import os
import tempfile
import time

DEADLINE = 20.0


def until(what, look, done=bool, timeout=DEADLINE, interval=0.05, required=True):
    """Calls look() until done(what it returned) holds, and returns that.
    If the deadline comes first: with `required`, fails naming `what` and
    the last thing seen; without, returns the last thing seen."""
    deadline = time.monotonic() + timeout
    while True:
        seen = look()
        if done(seen):
            return seen
        if time.monotonic() >= deadline:
            break
        time.sleep(interval)
    if not required:
        return seen
    raise AssertionError("waited %.0f s for %s; saw last: %s" % (timeout, what, describe(seen)))


def describe(seen):
    """A screenshot is kept as a file and named by its path (in
    TUMBLOX_SHOTS if that is set); a text is given by its end."""
    if hasattr(seen, "save") and hasattr(seen, "size"):
        folder = os.environ.get("TUMBLOX_SHOTS") or tempfile.gettempdir()
        os.makedirs(folder, exist_ok=True)
        fd, path = tempfile.mkstemp(prefix="waited-", suffix=".png", dir=folder)
        os.close(fd)
        seen.save(path)
        return "the %dx%d screenshot %s" % (seen.size + (path,))
    if isinstance(seen, str):
        return "\n" + (seen if len(seen) <= 4000 else "..." + seen[-4000:])
    return repr(seen)
