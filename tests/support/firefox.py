"""Firefox ESR as a backend of the browser sessions, over WebDriver BiDi:
not headless, since headless Firefox has no WebGL, so on the X display
(a private Xvfb), with a fresh profile. The page's console comes from
log.entryAdded; Firefox writes its own WebGL warnings only to its output,
so those are read from there."""
import base64
import json
import os
import subprocess
import tempfile
import threading

import websocket

import browser
import desktop_session
import webdriver

FIREFOX = "/usr/bin/firefox-esr"


def version():
    return subprocess.run([FIREFOX, "--version"], capture_output=True, text=True).stdout.strip()


class Bidi(browser.DevTools):
    """One WebDriver BiDi session: its commands have the shape of DevTools
    calls; the console's entries are taken from the events as they come."""

    def __init__(self, url, output):
        self.output = output  # Firefox's own output, for its WebGL warnings
        super().__init__(url)
        self.pump = threading.Thread(target=self._pump, daemon=True)
        self.pump.start()
        self.call("session.new", capabilities={})
        self.call("session.subscribe", events=["log.entryAdded"])
        self.context = self.call("browsingContext.getTree")["contexts"][0]["context"]
        # The canvas at the desktop window's size, the full-screen control beside it.
        self.call("browsingContext.setViewport", context=self.context, viewport={"width": 1072, "height": 600})

    def _pump(self):
        while True:
            method, params = self.events.get()
            if method != "log.entryAdded":
                continue
            if params.get("type") == "console":
                kind = {"warn": "warning"}.get(params["method"], params["method"])
            else:
                kind = "exception"
            self.console.append((kind, params.get("text") or ""))

    def navigate(self, url):
        self.call("browsingContext.navigate", context=self.context, url=url, wait="complete")

    def evaluate(self, expression, timeout=60):
        result = self.call("script.evaluate", timeout=timeout, expression=webdriver.wrapped(expression),
                           target={"context": self.context}, awaitPromise=True)
        assert result["type"] == "success", "%s: %s" % (expression[:200], result.get("exceptionDetails"))
        value = result["result"]
        return json.loads(value["value"]) if value["type"] == "string" else None

    def perform(self, sources):
        self.call("input.performActions", context=self.context, actions=sources)

    def capture(self, left, top, width, height):
        shot = self.call("browsingContext.captureScreenshot", context=self.context,
                         clip={"type": "box", "x": left, "y": top, "width": width, "height": height})
        return base64.b64decode(shot["data"])

    def webgl_warnings(self):
        with open(self.output, "rb") as f:
            return [line.strip() for line in f.read().decode("utf-8", "replace").splitlines() if "WebGL" in line]


class Firefox(browser.Chromium):
    """A Firefox of its own on the X display, with a fresh profile unless
    `profile` names one to keep, and one page; closed as the Chromium is."""

    def __init__(self, profile=None):
        self.profile = profile or tempfile.mkdtemp(prefix="tumblox-firefox-")
        self.output = os.path.join(self.profile, "firefox.log")
        port = webdriver.free_port()
        self.proc = subprocess.Popen([FIREFOX, "--no-remote", "--profile", self.profile, "--remote-debugging-port",
                                      str(port), "about:blank"], stdout=open(self.output, "ab"),
                                     stderr=subprocess.STDOUT)
        try:
            self.page = Bidi("ws://127.0.0.1:%d/session" % self._wait(port), self.output)
        except BaseException:
            desktop_session.stop(self.proc)
            raise

    def _wait(self, port):
        def listening():
            assert self.proc.poll() is None, "Firefox ended at its start:\n%s" % open(self.output).read()[-2000:]
            try:
                # Firefox refuses a handshake that names an origin.
                websocket.create_connection("ws://127.0.0.1:%d/session" % port, timeout=5,
                                            suppress_origin=True).close()
                return True
            except (OSError, websocket.WebSocketException):
                return False
        webdriver.poll("Firefox to listen for WebDriver BiDi on port %d" % port, listening)
        return port


class FirefoxGame(webdriver.WebDriverGame):
    def start(self, timeout=60.0, focus=True, reload=False):
        self.warnings = len(self.page.webgl_warnings())
        super().start(timeout, focus, reload)
        if focus:
            self.focus()
        return self

    def focus(self):
        """A real X click on the page left of the canvas: without a window
        manager Firefox's page has no focus otherwise, and full screen is
        refused. The viewport's place on the screen is Firefox's own to
        tell, since the session sets the viewport's size apart from the
        window's."""
        assert self.canvas()[0] > 4, "no room left of the canvas for the focusing click"
        x, y = self.page.evaluate("[mozInnerScreenX + 2, mozInnerScreenY + innerHeight / 2]")
        subprocess.run(["xdotool", "mousemove", str(int(x)), str(int(y)), "click", "1"], check=True, timeout=10)
        webdriver.poll("Firefox's page to take the focus", lambda: self.page.evaluate("document.hasFocus()"))

    def errors(self):
        """The console's errors, and the WebGL warnings Firefox writes to
        its output only."""
        return super().errors() + ["firefox: " + line for line in self.page.webgl_warnings()[self.warnings:]]
