"""What the Firefox and WebKit backends share: the game in a page driven by
WebDriver input actions (the same in WebDriver BiDi and in WebDriver
classic), with BrowserGame's interface, so that the desktop session's player
and checks play it unchanged. A backend's page object supplies navigate,
evaluate, perform (a list of input sources), capture (a PNG of a box of
the viewport, in CSS pixels) and the console's lines."""
import io
import socket
import time

from PIL import Image

import browser
import waiting

# xdotool's key names, as WebDriver names the keys.
KEYS = {
    "Return": "\ue007", "Escape": "\ue00c", "BackSpace": "\ue003", "Delete": "\ue017", "Tab": "\ue004",
    "Left": "\ue012", "Up": "\ue013", "Right": "\ue014", "Down": "\ue015", "Home": "\ue011", "End": "\ue010",
    "F11": "\ue03b", "space": " ", "ctrl": "\ue009", "shift": "\ue008",
}
# X button numbers, as WebDriver numbers them.
BUTTONS = {1: 0, 2: 1, 3: 2}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def poll(what, test, timeout=60.0):
    """Waits for `test` to give a true value, and returns it."""
    return waiting.until(what, test, timeout=timeout, interval=0.2)


def wrapped(expression):
    """The expression as a script whose value, awaited, crosses as JSON:
    both protocols then give back plain values."""
    return "(async () => JSON.stringify(await (%s)))()" % expression


class WebDriverGame(browser.BrowserGame):
    """The game in the page of a WebDriver backend."""

    def start(self, timeout=60.0, focus=True, reload=False):
        page = self.page
        self.first = len(page.console)
        self.opened = time.time()
        page.navigate(self.url)
        waiting.until("the first frame (the page's text and console below)", lambda: page.evaluate(
            "performance.getEntriesByName('tumblox-first-frame').length > 0") or "%s\n%s" % (
                page.evaluate("document.getElementById('status').textContent"), self.log()),
                      lambda seen: seen is True, timeout=timeout, interval=0.1)
        return self

    def close(self):
        """Leaves the page, as a player closes the tab: the game saves at
        pagehide."""
        self.page.navigate("about:blank")

    def screenshot(self, path=None):
        left, top, width, height, bw, bh = self.canvas()
        image = Image.open(io.BytesIO(self.page.capture(left, top, width, height))).convert("RGB")
        if image.size != (bw, bh):
            image = image.resize((bw, bh))
        if path:
            image.save(path)
        return image

    def _pointer(self, x, y, *actions):
        px, py = self._page_point(x, y)
        self.page.perform([{"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
                            "actions": [{"type": "pointerMove", "x": int(px), "y": int(py), "origin": "viewport",
                                         "duration": 0}] + list(actions)}])

    def move(self, x, y):
        self._pointer(x, y)

    def click(self, x, y, button=1):
        # A pause between the move and the press, as on the desktop.
        self._pointer(x, y, {"type": "pause", "duration": 30}, {"type": "pointerDown", "button": BUTTONS[button]},
                      {"type": "pointerUp", "button": BUTTONS[button]})

    def key(self, *names):
        for combo in names:
            parts = [KEYS.get(part, part) for part in combo.split("+")]
            assert all(len(part) == 1 for part in parts), "no key %r" % combo
            self.page.perform([{"type": "key", "id": "keyboard", "actions":
                                [{"type": "keyDown", "value": part} for part in parts]
                                + [{"type": "keyUp", "value": part} for part in reversed(parts)]}])
            time.sleep(0.04)  # the pace of a player's keys
