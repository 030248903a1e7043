"""WebKitGTK as a backend of the browser sessions: MiniBrowser on the X
display (a private Xvfb), driven by WebKitWebDriver over WebDriver classic,
its console read over the inspector protocol. WebDriver classic has no
console, and WebKit 2.50 serves its inspector over HTTP
(WEBKIT_INSPECTOR_HTTP_SERVER) only in place of the socket the driver
launches a browser with; so MiniBrowser is started here with the HTTP
inspector, and the driver is pointed (--target) at the socket the browser
then opens on a port of its own choosing. The automation session keeps
its data in memory and answers no request from an HTTP cache, unlike a
player's browser: `first_visit` loads the site in a MiniBrowser of a
player's kind instead, its console written to its output."""
import base64
import io
import json
import os
import re
import shutil
import subprocess
import sysconfig
import tempfile
import threading
import urllib.error
import urllib.request

from PIL import Image

import browser
import desktop_session
import webdriver

MINIBROWSER = "/usr/lib/%s/webkit2gtk-4.1/MiniBrowser" % sysconfig.get_config_var("MULTIARCH")
DRIVER = "/usr/bin/WebKitWebDriver"


def version():
    return subprocess.run([MINIBROWSER, "--version"], capture_output=True, text=True).stdout.strip()


def listening_ports(pid):
    """The TCP ports process `pid` listens on (from /proc)."""
    inodes = set()
    for fd in os.listdir("/proc/%d/fd" % pid):
        try:
            target = os.readlink("/proc/%d/fd/%s" % (pid, fd))
        except OSError:
            continue
        if target.startswith("socket:["):
            inodes.add(target[8:-1])
    ports = set()
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        with open(table) as f:
            for line in f.readlines()[1:]:
                fields = line.split()
                if fields[3] == "0A" and fields[9] in inodes:  # LISTEN
                    ports.add(int(fields[1].split(":")[1], 16))
    return ports


class Inspector(browser.DevTools):
    """The inspector protocol to one page: the console turned on in each
    of the page's targets as it comes (a navigation may bring a new one),
    its messages collected."""

    def __init__(self, url):
        super().__init__(url)
        self.pump = threading.Thread(target=self._pump, daemon=True)
        self.pump.start()

    def _pump(self):
        while True:
            method, params = self.events.get()
            if method == "Target.targetCreated":
                target = params["targetInfo"]["targetId"]
                self.ws.send(json.dumps({"id": 0, "method": "Target.sendMessageToTarget", "params": {
                    "targetId": target, "message": json.dumps({"id": 1, "method": "Console.enable"})}}))
            elif method == "Target.dispatchMessageFromTarget":
                inner = json.loads(params["message"])
                if inner.get("method") == "Console.messageAdded":
                    message = inner["params"]["message"]
                    if message["source"] == "console-api":
                        self.console.append((message["level"], message["text"]))
                    else:
                        self.console.append(("browser-" + message["level"],
                                             message["text"] + " " + message.get("url", "")))


class Page:
    """The session's one page, over WebDriver classic."""

    def __init__(self, driver, session, inspector):
        self.base = "http://127.0.0.1:%d/session/%s" % (driver, session)
        self.inspector = inspector
        self.console = inspector.console

    def command(self, method, path, body=None, timeout=120):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=timeout) as answer:
                return json.load(answer)["value"]
        except urllib.error.HTTPError as failure:
            raise AssertionError("%s %s: %s" % (method, path, failure.read().decode()[:2000]))

    def navigate(self, url):
        self.command("POST", "/url", {"url": url})

    def evaluate(self, expression, timeout=60):
        value = self.command("POST", "/execute/sync", {"script": "return " + webdriver.wrapped(expression),
                                                       "args": []}, timeout=timeout)
        return None if value is None else json.loads(value)

    def perform(self, sources):
        self.command("POST", "/actions", {"actions": sources})

    def capture(self, left, top, width, height):
        """The viewport's screenshot, cut to the box."""
        shot = Image.open(io.BytesIO(base64.b64decode(self.command("GET", "/screenshot"))))
        scale = shot.size[0] / self.evaluate("innerWidth")
        box = tuple(int(round(v * scale)) for v in (left, top, left + width, top + height))
        out = io.BytesIO()
        shot.crop(box).save(out, "PNG")
        return out.getvalue()

    def close(self):
        self.inspector.close()


class WebKit(browser.Chromium):
    """A MiniBrowser of its own under WebKitWebDriver, with one page."""

    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="tumblox-webkit-")
        self.output = os.path.join(self.profile, "minibrowser.log")
        self.proc = self.driver = None
        try:
            self._start()
        except BaseException:
            desktop_session.stop(self.driver)
            desktop_session.stop(self.proc)
            raise

    def _start(self):
        log = open(self.output, "ab")
        inspector = webdriver.free_port()
        self.proc = subprocess.Popen([MINIBROWSER, "--automation"], stdout=log, stderr=log,
                                     env=dict(os.environ, WEBKIT_INSPECTOR_HTTP_SERVER="127.0.0.1:%d" % inspector))
        # The session takes over MiniBrowser's first page, which the
        # inspector lists; a page made for the session it would not.
        listing = "http://127.0.0.1:%d/" % inspector
        sockets = webdriver.poll("the inspector to list a page", lambda: self._alive() and re.findall(
            r"'(/socket/\d+/\d+/WebPage)'", str(self._answers(listing))))
        ports = listening_ports(self.proc.pid) - {inspector}
        assert len(ports) == 1, "MiniBrowser listens on %s" % ports
        port = webdriver.free_port()
        self.driver = subprocess.Popen([DRIVER, "--port=%d" % port, "--target=127.0.0.1:%d" % ports.pop()],
                                       stdout=log, stderr=log)
        webdriver.poll("WebKitWebDriver to answer", lambda: self._alive() and self._answers(
            "http://127.0.0.1:%d/status" % port))
        request = urllib.request.Request("http://127.0.0.1:%d/session" % port, method="POST",
                                         data=json.dumps({"capabilities": {"alwaysMatch": {
                                             "browserName": "MiniBrowser"}}}).encode(),
                                         headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=60) as answer:
            session = json.load(answer)["value"]["sessionId"]
        self.page = Page(port, session, Inspector("ws://127.0.0.1:%d%s" % (inspector, sockets[-1])))
        # The canvas at the desktop window's size, the full-screen control beside it.
        outer = self.page.command("GET", "/window/rect")
        inner = self.page.evaluate("[innerWidth, innerHeight]")
        self.page.command("POST", "/window/rect", {"width": outer["width"] + 1072 - inner[0],
                                                   "height": outer["height"] + 600 - inner[1]})

    def _alive(self):
        for proc in (self.proc, self.driver):
            assert proc is None or proc.poll() is None, "WebKit ended at its start:\n%s" % open(
                self.output).read()[-2000:]
        return True

    @staticmethod
    def _answers(url):
        try:
            with urllib.request.urlopen(url, timeout=5) as answer:
                return answer.read().decode() or True
        except OSError:
            return False

    def quit(self):
        try:
            self.page.command("DELETE", "", timeout=30)
        except (AssertionError, OSError):
            pass  # the browser is gone already
        finally:
            super().quit()
            desktop_session.stop(self.driver)


def first_visit(url, timeout=60.0):
    """Loads `url` in a MiniBrowser of a player's kind, its data kept in a
    home folder of its own, until the page says the site is kept for
    offline play; returns the console's lines (from the browser's output)."""
    home = tempfile.mkdtemp(prefix="tumblox-webkit-home-")
    env = dict(os.environ, HOME=home, XDG_CACHE_HOME=os.path.join(home, "cache"),
               XDG_DATA_HOME=os.path.join(home, "data"), XDG_CONFIG_HOME=os.path.join(home, "config"))
    # The page's lines come on the standard error, despite the setting's name.
    output = os.path.join(home, "minibrowser.log")
    proc = subprocess.Popen([MINIBROWSER, "--enable-write-console-messages-to-stdout=true", url],
                            stdout=open(output, "wb"), stderr=subprocess.STDOUT, env=env)
    lines = []

    def kept():
        assert proc.poll() is None, "MiniBrowser ended during the first visit"
        with open(output, "rb") as f:
            lines[:] = f.read().decode("utf-8", "replace").splitlines()
        return any("kept for offline play" in line for line in lines)
    try:
        webdriver.poll("WebKit's first visit to keep an offline copy", kept, timeout)
    except AssertionError as failure:
        raise AssertionError("%s; its console:\n%s" % (failure, "\n".join(lines[-30:])))
    finally:
        desktop_session.stop(proc)
        shutil.rmtree(home, ignore_errors=True)
    return lines
