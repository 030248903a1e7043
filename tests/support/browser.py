"""Drives the browser build in headless Chromium as a player would, over the
DevTools protocol: trusted mouse and key events at the page (or, on an
emulated phone, touches and its keyboard's text), screenshots of the
canvas, the console as the game's log. `BrowserGame` has the interface of
xharness.GameProcess, so the player and the desktop session's checks play
it unchanged; coordinates are the canvas's drawing-buffer pixels, as they
are the window's pixels on the desktop."""
import base64
import io
import json
import os
import queue
import shutil
import subprocess
import tempfile
import threading
import time
import urllib.request

import websocket
from PIL import Image

import waiting

CHROMIUM = "/usr/bin/chromium"
# As root Chromium runs only without its sandbox; the rest keeps it from the
# network this machine does not have and from first-run work, and gives it
# a screen larger than its window, for full screen to fill.
FLAGS = ["--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
         "--screen-info={1920x1200}",
         "--no-first-run", "--no-default-browser-check", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--disable-quic", "--disable-extensions",
         "--disable-features=Translate,MediaRouter", "--mute-audio", "--remote-allow-origins=*"]

# xdotool's key names, as the DOM names them: key, code, virtual key code.
KEYS = {
    "Return": ("Enter", "Enter", 13), "Escape": ("Escape", "Escape", 27),
    "BackSpace": ("Backspace", "Backspace", 8), "Delete": ("Delete", "Delete", 46),
    "Tab": ("Tab", "Tab", 9), "Left": ("ArrowLeft", "ArrowLeft", 37), "Up": ("ArrowUp", "ArrowUp", 38),
    "Right": ("ArrowRight", "ArrowRight", 39), "Down": ("ArrowDown", "ArrowDown", 40),
    "Home": ("Home", "Home", 36), "End": ("End", "End", 35), "F11": ("F11", "F11", 122),
    "space": (" ", "Space", 32), "ctrl": ("Control", "ControlLeft", 17), "shift": ("Shift", "ShiftLeft", 16),
}
BUTTONS = {1: "left", 2: "middle", 3: "right"}


def emulate_phone(page, width, height, ratio):
    """The page as a phone shows it, width x height CSS pixels at the device
    pixel ratio, touch only; called again with the sizes swapped, the phone
    turns. Before the page loads, so that it sees a phone from the start."""
    turned = width > height
    page.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=ratio,
              mobile=True, screenOrientation={"type": "landscapePrimary" if turned else "portraitPrimary",
                                              "angle": 90 if turned else 0})
    page.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)


class Chromium:
    """A headless Chromium of its own (a fresh profile, so a cold cache and
    empty storage unless `profile` names one to keep), with one page whose
    viewport is `size`: where the canvas, the largest 16:10 box beside the
    full-screen control, is the game's desktop size, 960 x 600."""

    def __init__(self, profile=None, size=(1072, 600), flags=()):
        self.profile = profile or tempfile.mkdtemp(prefix="tumblox-chromium-")
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        if os.path.exists(port_file):
            os.remove(port_file)
        self.log = open(os.path.join(self.profile, "chromium.log"), "wb")
        self.proc = subprocess.Popen([CHROMIUM] + FLAGS + list(flags) + [
            "--user-data-dir=" + self.profile, "--remote-debugging-port=0",
            "--window-size=%d,%d" % size, "about:blank"], stdout=self.log, stderr=self.log)
        waiting.until("Chromium to write its DevTools port", lambda: self._alive() and os.path.exists(port_file)
                      and open(port_file).read().count("\n") >= 1, timeout=60)
        self.port = int(open(port_file).read().split()[0])
        pages = json.load(urllib.request.urlopen("http://127.0.0.1:%d/json/list" % self.port))
        page = [p for p in pages if p["type"] == "page"][0]
        self.page = DevTools(page["webSocketDebuggerUrl"])
        # The window is the viewport and a strip the browser keeps, told on
        # a page (the first blank one has a smaller strip).
        self.page.call("Page.navigate", url="data:text/html,")
        waiting.until("Chromium to show a page", lambda: self.page.evaluate("document.readyState"),
                      lambda state: state == "complete")
        strip = self.page.evaluate("[outerWidth - innerWidth, outerHeight - innerHeight]")
        window = self.page.call("Browser.getWindowForTarget")["windowId"]
        self.page.call("Browser.setWindowBounds", windowId=window, bounds={
            "width": size[0] + strip[0], "height": size[1] + strip[1]})
        waiting.until("the viewport to be %dx%d" % size, lambda: self.page.evaluate("[innerWidth, innerHeight]"),
                      lambda viewport: viewport == list(size))

    def _alive(self):
        assert self.proc.poll() is None, "Chromium ended with %s" % self.proc.returncode
        return True

    def quit(self):
        try:
            self.page.close()
        finally:
            if self.proc.poll() is None:
                self.proc.terminate()
                try:
                    self.proc.wait(10)
                except subprocess.TimeoutExpired:
                    self.proc.kill()
                    self.proc.wait()

    def remove_profile(self):
        shutil.rmtree(self.profile, ignore_errors=True)


class DevTools:
    """One DevTools connection: commands wait for their answers; events are
    kept, and the console's lines collected as they come."""

    def __init__(self, url):
        self.ws = websocket.create_connection(url, timeout=60, suppress_origin=True)
        self.ws.settimeout(None)  # quiet stretches are no failure; calls time out themselves
        self.next_id = 0
        self.answers = {}
        self.events = queue.Queue()
        self.console = []  # (kind, text): log, info, warning, error, exception
        self.lock = threading.Condition()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        while True:
            try:
                message = json.loads(self.ws.recv())
            except Exception as reason:  # the connection closed
                with self.lock:
                    self.closed_by = reason
                    self.closed = True
                    self.lock.notify_all()
                return
            if "id" in message:
                with self.lock:
                    self.answers[message["id"]] = message
                    self.lock.notify_all()
                continue
            method, params = message.get("method"), message.get("params", {})
            if method == "Runtime.consoleAPICalled":
                text = " ".join(str(a.get("value", a.get("description", ""))) for a in params.get("args", []))
                self.console.append((params["type"], text))
            elif method == "Runtime.exceptionThrown":
                details = params["exceptionDetails"]
                self.console.append(("exception", details.get("exception", {}).get("description", details["text"])))
            elif method == "Log.entryAdded":
                entry = params["entry"]
                self.console.append(("browser-" + entry["level"], entry["text"] + " " + entry.get("url", "")))
            self.events.put((method, params))

    closed = False

    def call(self, method, timeout=60, **params):
        with self.lock:
            self.next_id += 1
            ident = self.next_id
        self.ws.send(json.dumps({"id": ident, "method": method, "params": params}))
        deadline = time.time() + timeout
        with self.lock:
            while ident not in self.answers:
                assert not self.closed, "the DevTools connection closed during %s: %r" % (method, self.closed_by)
                assert time.time() < deadline, "no answer to %s" % method
                self.lock.wait(0.5)
            answer = self.answers.pop(ident)
        assert "error" not in answer, "%s: %s" % (method, answer["error"])
        return answer.get("result", {})

    def evaluate(self, expression, timeout=60):
        result = self.call("Runtime.evaluate", timeout=timeout, expression=expression, awaitPromise=True,
                           returnByValue=True)
        assert "exceptionDetails" not in result, "%s: %s" % (expression[:200], result["exceptionDetails"])
        return result["result"].get("value")

    def wait_event(self, name, timeout=60):
        deadline = time.time() + timeout
        while True:
            left = deadline - time.time()
            assert left > 0, "no %s event" % name
            try:
                method, params = self.events.get(timeout=left)
            except queue.Empty:
                continue
            if method == name:
                return params

    def close(self):
        try:
            self.ws.close()
        except Exception:
            pass


class BrowserGame:
    """The game in a page of `browser` at `url`, with GameProcess's
    interface: start, screenshot, size, input, the log (the console's lines
    since the page was opened), close."""

    def __init__(self, browser, url, phone=False):
        self.browser, self.url = browser, url
        self.page = browser.page
        self.first = 0  # where this game's lines start in the console
        # A phone's: clicks are taps, typing is its keyboard's text, and of
        # the keys only its Enter.
        self.phone = phone

    # -- life cycle -------------------------------------------------------
    def start(self, timeout=60.0, focus=True, reload=False):
        page = self.page
        for domain in ("Page", "Runtime", "Log"):
            page.call(domain + ".enable")
        self.first = len(page.console)
        self.opened = time.time()
        if reload:
            page.call("Page.reload", ignoreCache=False)
        else:
            page.call("Page.navigate", url=self.url)
        waiting.until("the first frame (the console below)", lambda: page.evaluate(
            "performance.getEntriesByName('tumblox-first-frame').length > 0") or self.log(),
                      lambda seen: seen is True, timeout=timeout, interval=0.1)
        return self

    def close(self):
        """Leaves the page, as a player closes the tab: the game saves at
        pagehide."""
        self.page.call("Page.navigate", url="about:blank")
        waiting.until("the page to be left", lambda: self.page.evaluate("location.href"),
                      lambda href: href == "about:blank")

    def wait_exit(self, timeout=5.0):
        return 0

    def kill(self):
        pass

    # -- the log ------------------------------------------------------------
    def lines(self, kinds=None):
        return [(kind, text) for kind, text in self.page.console[self.first:] if kinds is None or kind in kinds]

    def stdout(self):
        return "\n".join(text for kind, text in self.lines(("log", "info")))

    def stderr(self):
        return "\n".join(text for kind, text in self.lines() if kind not in ("log", "info"))

    def log(self):
        return "\n".join(text for kind, text in self.lines())

    def errors(self):
        """Everything the console shows as an error: the game's error lines,
        exceptions, and the browser's own error reports."""
        return ["%s: %s" % line for line in self.lines(("error", "exception", "browser-error", "assert"))]

    def wait_for_log(self, text, timeout=20.0, count=1):
        waiting.until("%r %d times in the console" % (text, count), self.log,
                      lambda log: self.stdout().count(text) >= count, timeout=timeout)

    def mesa_errors(self):
        return 0

    # -- the canvas ----------------------------------------------------------
    def canvas(self):
        """The canvas's box on the page (CSS pixels) and its buffer size."""
        return self.page.evaluate(
            "(() => { const c = document.getElementById('canvas'); const r = c.getBoundingClientRect();"
            " return [r.left, r.top, r.width, r.height, c.width, c.height]; })()")

    def size(self):
        return tuple(self.canvas()[4:])

    def wait_size(self, width, height, timeout=20.0):
        waiting.until("the canvas to be %dx%d" % (width, height), self.size, lambda size: size == (width, height),
                      timeout=timeout)

    def screen_size(self):
        """What full screen gives the canvas: the largest 16:10 box of the
        screen less whatever the browser keeps of it (headless Chromium
        keeps a strip)."""
        waiting.until("full screen", lambda: self.page.evaluate("!!document.fullscreenElement"), timeout=5,
                      required=False)
        width, height, ratio = self.page.evaluate(
            "document.fullscreenElement ? [innerWidth, innerHeight, devicePixelRatio]"
            " : [screen.width, screen.height, devicePixelRatio]")
        width = min(width, height * 1.6)
        return round(width * ratio), round(width / 1.6 * ratio)

    def geometry(self):
        left, top, width, height, _, _ = self.canvas()
        return (int(left), int(top), int(width), int(height))

    def screenshot(self, path=None):
        left, top, width, height, bw, bh = self.canvas()
        # The clip's scale is over the device pixel ratio's.
        ratio = self.page.evaluate("devicePixelRatio")
        shot = self.page.call("Page.captureScreenshot", format="png", captureBeyondViewport=False,
                              clip={"x": left, "y": top, "width": width, "height": height,
                                    "scale": bw / width / ratio})
        image = Image.open(io.BytesIO(base64.b64decode(shot["data"]))).convert("RGB")
        if image.size != (bw, bh):
            image = image.resize((bw, bh))
        if path:
            image.save(path)
        return image

    # -- input ------------------------------------------------------------
    def _page_point(self, x, y):
        left, top, width, height, bw, bh = self.canvas()
        return left + (x + 0.5) * width / bw, top + (y + 0.5) * height / bh

    def _mouse(self, kind, x, y, button="none", count=0):
        px, py = self._page_point(x, y)
        self.page.call("Input.dispatchMouseEvent", type=kind, x=px, y=py, button=button, clickCount=count,
                       buttons={"left": 1, "right": 2, "middle": 4}.get(button, 0) if kind == "mousePressed" else 0)

    def move(self, x, y):
        self._mouse("mouseMoved", x, y)

    def click(self, x, y, button=1):
        if self.phone:
            return self.tap(x, y)
        self.move(x, y)
        time.sleep(0.03)  # the pointer rests before it presses, as a player's does
        self._mouse("mousePressed", x, y, BUTTONS[button], 1)
        self._mouse("mouseReleased", x, y, BUTTONS[button], 1)

    def _key(self, kind, name):
        if name in KEYS:
            key, code, vk = KEYS[name]
            text = " " if key == " " else ""
        else:
            assert len(name) == 1, "no key %r" % name
            key, text = name, name
            code = ("Key" + name.upper()) if name.isalpha() else ("Digit" + name if name.isdigit() else "")
            vk = ord(name.upper()) if name.isalnum() else 0
        params = {"type": kind, "key": key, "code": code, "windowsVirtualKeyCode": vk}
        if kind == "keyDown" and text:
            params["text"] = text
        self.page.call("Input.dispatchKeyEvent", **params)

    def key(self, *names):
        assert not self.phone or set(names) <= {"Return"}, "a phone's keyboard has no %s" % (names,)
        for combo in names:
            parts = combo.split("+")
            for part in parts:
                self._key("keyDown", part)
            for part in reversed(parts):
                self._key("keyUp", part)
            time.sleep(0.04)  # the pace of a player's keys

    def type(self, text):
        for char in text:
            if self.phone:
                self.page.call("Input.insertText", text=char)
            else:
                self.key(char)

    # -- touch ------------------------------------------------------------
    def touch(self, kind, *points):
        """One touch event (touchStart, touchMove, touchEnd) with the page's
        CSS points of the fingers down after it."""
        self.page.call("Input.dispatchTouchEvent", type=kind, touchPoints=[
            {"x": x, "y": y, "id": i} for i, (x, y) in enumerate(points)])

    def tap(self, x, y):
        self.touch("touchStart", self._page_point(x, y))
        self.touch("touchEnd")
