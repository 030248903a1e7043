"""Drives the real game binary under X as a player would: real input events
through xdotool (XTEST), screenshots read from the X server, and the close
message a window manager sends. Used by the *_test.py scripts."""

import os
import subprocess
import tempfile
import time

from PIL import Image
from Xlib import X, display as xdisplay, error, protocol

from waiting import until


ASSETS = ("textures", "Zived Udozo.kyf")


def link_assets(build_dir, workdir):
    """Links the generated assets into a fresh working directory, so a test
    runs the game as a player would, with score files of its own."""
    for name in ASSETS:
        source = os.path.join(build_dir, name)
        target = os.path.join(workdir, name)
        if os.path.exists(source) and not os.path.lexists(target):
            os.symlink(source, target)


class GameProcess:
    """`binary` is the game or anything that starts it (the installed
    launcher). `env` adds to the environment; a value of None removes that
    variable. The logs go to `logdir`, by default the working directory."""

    _claimed = set()  # the windows of the games this script is running

    def __init__(self, binary, workdir=None, env=None, assets=True, prefix=None, logdir=None):
        self.binary = os.path.abspath(binary)
        # A command the binary runs under (valgrind, setarch, ...).
        self.prefix = list(prefix or [])
        self.workdir = workdir or tempfile.mkdtemp(prefix="tumblox-")
        if assets:
            link_assets(os.path.dirname(self.binary), self.workdir)
        logdir = logdir or self.workdir
        self.out_path = os.path.join(logdir, "stdout.log")
        self.err_path = os.path.join(logdir, "stderr.log")
        self.env = dict(os.environ)
        for name, value in (env or {}).items():
            if value is None:
                self.env.pop(name, None)
            else:
                self.env[name] = value
        self.proc = None
        self.window = None
        self.dpy = xdisplay.Display()

    # -- life cycle -------------------------------------------------------
    def start(self, timeout=20.0, focus=True):
        """Starts the game and waits for the end of its start-up. With `focus`,
        the window is given the input focus; a compositor without a seat
        keeps the X focus its own way, and setting it there makes the keys
        go nowhere."""
        self._out = open(self.out_path, "wb")
        self._err = open(self.err_path, "wb")
        # The window of a game killed just before may outlive it a moment.
        self._before = set(self._windows())
        self.proc = subprocess.Popen(self.prefix + [self.binary], cwd=self.workdir, env=self.env,
                                     stdout=self._out, stderr=self._err)

        def shown():
            if self.proc.poll() is not None:
                raise RuntimeError("game exited early with %s:\n%s" % (self.proc.returncode, self.stderr()))
            wid = self._find_window()
            if wid is not None:
                self.window = self.dpy.create_resource_object("window", wid)
            return wid if wid is not None and self._viewable() else None

        GameProcess._claimed.add(until("a window 'Tumblox' shown", shown, timeout=timeout))
        self.wait_for_log("OpenGL Max Version", timeout)
        # Start-up ends with the block textures; what a test looks at next,
        # it waits for.
        self.wait_for_log("Block texture loading time", timeout)
        if focus:
            subprocess.run(["xdotool", "windowfocus", "--sync", str(self.window.id)], check=False,
                           env=self.env, timeout=10)
        return self

    def _find_window(self):
        # Several games may share one display, and the game's window names
        # no process: a game started after another takes the window that
        # none of this script's running games has claimed and that was not
        # there before it started.
        ids = [wid for wid in self._windows() if wid not in GameProcess._claimed and wid not in self._before]
        return ids[-1] if ids else None

    def _windows(self):
        r = subprocess.run(["xdotool", "search", "--name", "^Tumblox$"], capture_output=True,
                           text=True, env=self.env, timeout=10)
        return [int(line) for line in r.stdout.split() if line.strip()]

    def _release_window(self):
        if self.window is not None:
            GameProcess._claimed.discard(self.window.id)

    def _viewable(self):
        try:
            return self.window.get_attributes().map_state == X.IsViewable
        except Exception:
            return False

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def close(self):
        """Sends WM_DELETE_WINDOW, as a window manager does on its close button."""
        wm_protocols = self.dpy.intern_atom("WM_PROTOCOLS")
        wm_delete = self.dpy.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=self.window, client_type=wm_protocols,
                                             data=(32, [wm_delete, X.CurrentTime, 0, 0, 0]))
        self.window.send_event(event, event_mask=X.NoEventMask)
        self.dpy.flush()

    def wait_exit(self, timeout=5.0):
        try:
            code = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        self._release_window()
        self._out.close()
        self._err.close()
        return code

    def kill(self):
        if self.alive():
            self.proc.kill()
            self.proc.wait()
        self._release_window()

    # -- what it says -----------------------------------------------------
    def stdout(self):
        with open(self.out_path, "rb") as f:
            return f.read().decode("latin-1")

    def stderr(self):
        with open(self.err_path, "rb") as f:
            return f.read().decode("latin-1")

    def log(self):
        return self.stdout() + self.stderr()

    def wait_for_log(self, text, timeout=20.0, count=1):
        def log():
            alive = self.alive()  # first: the log of a game gone before is whole
            seen = self.log()
            if seen.count(text) < count and not alive:
                raise AssertionError("the game exited with %s before its log showed %r (%d times); log:\n%s"
                                     % (self.proc.returncode, text, count, seen))
            return seen

        until("the log line %r (%d times)" % (text, count), log, lambda seen: seen.count(text) >= count,
              timeout=timeout, interval=0.02)
        return True

    # -- the window -------------------------------------------------------
    def geometry(self):
        g = self.window.get_geometry()
        root = self.window.translate_coords(self.dpy.screen().root, 0, 0)
        return (-root.x, -root.y, g.width, g.height)

    def size(self):
        g = self.window.get_geometry()
        return g.width, g.height

    def wait_size(self, width, height, timeout=20.0):
        """Waits for the window to take a size and to rest there: leaving
        full screen is not immediate, and a window manager may still move
        the window once it has its size, which would take the next click
        elsewhere; two looks a moment apart must find it in one place.
        What is drawn at that size comes a frame later: a check of the
        screen waits for that itself."""
        last = [None]

        def look():
            geometry = self.geometry()
            still, last[0] = geometry == last[0], geometry
            return geometry, still

        until("the window to be %dx%d and at rest" % (width, height), look,
              lambda seen: seen[1] and seen[0][2:] == (width, height), timeout=timeout, interval=0.2)
        return True

    def screen_size(self):
        screen = self.dpy.screen()
        return screen.width_in_pixels, screen.height_in_pixels

    def wm_state(self):
        """The names in the window's _NET_WM_STATE, as its window manager
        keeps them."""
        prop = self.window.get_full_property(self.dpy.intern_atom("_NET_WM_STATE"), X.AnyPropertyType)
        return {self.dpy.get_atom_name(atom) for atom in (prop.value if prop else [])}

    def wm_resize(self, width, height):
        """Asks the window manager to resize the window, as a pager or a
        taskbar does (_NET_MOVERESIZE_WINDOW, width and height only)."""
        root = self.dpy.screen().root
        flags = (1 << 10) | (1 << 11) | (2 << 12)
        event = protocol.event.ClientMessage(window=self.window,
                                             client_type=self.dpy.intern_atom("_NET_MOVERESIZE_WINDOW"),
                                             data=(32, [flags, 0, 0, width, height]))
        root.send_event(event, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
        self.dpy.flush()

    def mesa_errors(self):
        """The OpenGL errors the driver reported (with MESA_DEBUG set)."""
        return self.stderr().count("Mesa: User error")

    def screenshot(self, path=None):
        # Read from the root: the GL window's own visual may not match it.
        # A rootless X server (Xwayland) keeps no root image; there the
        # window's own contents are read.
        x, y, w, h = self.geometry()
        root = self.dpy.screen().root
        sw, sh = self.dpy.screen().width_in_pixels, self.dpy.screen().height_in_pixels
        x, y = max(0, x), max(0, y)
        w, h = min(w, sw - x), min(h, sh - y)
        try:
            raw = root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF)
        except error.BadMatch:
            w, h = self.size()
            raw = self.window.get_image(0, 0, w, h, X.ZPixmap, 0xFFFFFFFF)
        image = Image.frombytes("RGB", (w, h), raw.data, "raw", "BGRX")
        if path:
            image.save(path)
        return image

    # -- input ------------------------------------------------------------
    def _xdo(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], check=True, env=self.env, timeout=20)

    def move(self, x, y):
        """Moves the pointer to window pixel (x, y), y from the top."""
        self._xdo("mousemove", "--window", self.window.id, int(x), int(y))

    def click(self, x, y, button=1):
        self.move(x, y)
        # Paces the input as a hand does: the pointer rests before it clicks.
        time.sleep(0.03)
        self._xdo("click", button)

    def press(self, button=1):
        self._xdo("mousedown", button)

    def release(self, button=1):
        self._xdo("mouseup", button)

    def key(self, *names):
        self._xdo("key", "--delay", 40, *names)

    def key_down(self, name):
        self._xdo("keydown", name)

    def key_up(self, name):
        self._xdo("keyup", name)

    def type(self, text):
        self._xdo("type", "--delay", 40, text)
