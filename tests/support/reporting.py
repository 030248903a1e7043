"""How a session of the real game speaks and ends, the same for every one:
each line under the session's name, printed at once (a killed run keeps
what it said); at the end the failure, what was checked, and whether it
passed and how long it took, with the exit status to match."""
import contextlib
import sys
import time
import traceback


def speaker(who):
    """The say() of a session called `who`."""
    def say(text):
        print("%s: %s" % (who, text), flush=True)
    return say


class Run:
    """One run of a session: `checks()` around its checks, then `end()`.
    `label` stands before the last lines ("firefox " names the engine)."""

    def __init__(self, say, label=""):
        self.say, self.label = say, label
        self.started = time.time()
        self.ok = False

    @contextlib.contextmanager
    def checks(self, trace_failed_checks=True):
        """Runs the block; a failure in it is said, not raised, so that what
        follows the block (closing the browser, stopping a server) and
        end() still run. A failed check is said with its traceback only with
        `trace_failed_checks`; anything else always is."""
        try:
            yield
        except Exception as failure:  # a failed check, or a game, browser or server that died
            if trace_failed_checks or not isinstance(failure, AssertionError):
                traceback.print_exc()
            self.say("FAILED: %s" % failure)
            self.ok = False
        else:
            self.ok = True

    def end(self, checked, *notes):
        """Says what was checked, the notes, and the outcome; exits with it."""
        self.say("%schecked: %s" % (self.label, "; ".join(checked)))
        for note in notes:
            self.say(note)
        self.say("%s%s in %.0f s" % (self.label, "passed" if self.ok else "failed", time.time() - self.started))
        sys.exit(0 if self.ok else 1)
