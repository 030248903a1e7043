"""Drives the real game binary under X as a player would: real input events
through xdotool (XTEST), screenshots read from the X server, and the close
message a window manager sends. Used by the *_test.py scripts."""

import os
import subprocess
import tempfile
import time

from PIL import Image
from Xlib import X, display as xdisplay, protocol


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
    def __init__(self, binary, workdir=None, env=None, assets=True):
        self.binary = os.path.abspath(binary)
        self.workdir = workdir or tempfile.mkdtemp(prefix="tumblox-")
        if assets:
            link_assets(os.path.dirname(self.binary), self.workdir)
        self.out_path = os.path.join(self.workdir, "stdout.log")
        self.err_path = os.path.join(self.workdir, "stderr.log")
        self.env = dict(os.environ)
        if env:
            self.env.update(env)
        self.proc = None
        self.window = None
        self.dpy = xdisplay.Display()

    # -- life cycle -------------------------------------------------------
    def start(self, timeout=20.0):
        self._out = open(self.out_path, "wb")
        self._err = open(self.err_path, "wb")
        self.proc = subprocess.Popen([self.binary], cwd=self.workdir, env=self.env,
                                     stdout=self._out, stderr=self._err)
        deadline = time.time() + timeout
        while time.time() < deadline:
            wid = self._find_window()
            if wid is not None:
                self.window = self.dpy.create_resource_object("window", wid)
                if self._viewable():
                    break
            if self.proc.poll() is not None:
                raise RuntimeError("game exited early with %s:\n%s" % (self.proc.returncode, self.stderr()))
            time.sleep(0.05)
        else:
            raise RuntimeError("no window 'Tumblox' appeared")
        self.wait_for_log("OpenGL Max Version", timeout)
        # Start-up ends with the block textures; give it the first frames too.
        self.wait_for_log("Block texture loading time", timeout)
        time.sleep(0.15)
        subprocess.run(["xdotool", "windowfocus", "--sync", str(self.window.id)], check=False,
                       env=self.env, timeout=10)
        return self

    def _find_window(self):
        r = subprocess.run(["xdotool", "search", "--name", "^Tumblox$"], capture_output=True,
                           text=True, env=self.env, timeout=10)
        ids = [int(line) for line in r.stdout.split() if line.strip()]
        return ids[-1] if ids else None

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
        self._out.close()
        self._err.close()
        return code

    def kill(self):
        if self.alive():
            self.proc.kill()
            self.proc.wait()

    # -- what it says -----------------------------------------------------
    def stdout(self):
        with open(self.out_path, "rb") as f:
            return f.read().decode("latin-1")

    def stderr(self):
        with open(self.err_path, "rb") as f:
            return f.read().decode("latin-1")

    def log(self):
        return self.stdout() + self.stderr()

    def wait_for_log(self, text, timeout=10.0, count=1):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.log().count(text) >= count:
                return True
            if not self.alive():
                break
            time.sleep(0.02)
        raise AssertionError("log never showed %r (%d times); log:\n%s" % (text, count, self.log()))

    # -- the window -------------------------------------------------------
    def geometry(self):
        g = self.window.get_geometry()
        root = self.window.translate_coords(self.dpy.screen().root, 0, 0)
        return (-root.x, -root.y, g.width, g.height)

    def size(self):
        g = self.window.get_geometry()
        return g.width, g.height

    def wait_size(self, width, height, timeout=5.0):
        """Waits for the window to take a size (leaving full screen is not
        immediate); then lets a frame or two be drawn at it."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.size() == (width, height):
                time.sleep(0.15)
                return True
            time.sleep(0.05)
        raise AssertionError("window is %dx%d, not %dx%d" % (self.size() + (width, height)))

    def screenshot(self, path=None):
        # Read from the root: the GL window's own visual may not match it.
        x, y, w, h = self.geometry()
        root = self.dpy.screen().root
        sw, sh = self.dpy.screen().width_in_pixels, self.dpy.screen().height_in_pixels
        x, y = max(0, x), max(0, y)
        w, h = min(w, sw - x), min(h, sh - y)
        raw = root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF)
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
