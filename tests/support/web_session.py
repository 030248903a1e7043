"""The browser build played as a player plays it, in headless Chromium over
the DevTools protocol, with the desktop session's checks (desktop_session.py)
on the browser backend (browser.py). The site is copied under a sub-path of
a plain static server (python3 -m http.server: no special headers). Checks:
the menu; the score screen; a Simple game played to its end, every removal
against the board it must leave, with full screen through F11 (and back,
once by the game and once by the browser itself) and the page at smaller
sizes on the way; the name; the tables after a reload, on the screen and as
512-byte files in IndexedDB, and after a browser restart; the other three
modes; foreign data in IndexedDB; texture refusals; the browser's own key
and menu actions prevented; a message where WebGL 2 is missing; a reload
with the server gone; and no error in the console. Then the page on a
phone, touched only (PhoneSession).

With --engine firefox or webkit, in Firefox ESR or WebKitGTK instead (on
the X display: run it under tests/support/with-xvfb), the checks those
engines take (EngineSession).

Usage: web_session.py SITE_DIR [--phone-shots DIR] [--engine firefox|webkit]
--phone-shots plays the phone's session alone and keeps its screenshots
(menu, game, name, scores) in DIR."""
import argparse
import base64
import collections
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import types
import urllib.parse
import urllib.request

import browser
import desktop_session
import firefox
import player
import reporting
import scorefile
import webdriver
import webkit
from desktop_session import start_simple, wait_for
from player import button_centre, lit_pixels, menu_shown, playing

SUB_PATH = "games/tumblox/"
FOLDER = "/home/web_user/tumblox"
# Viewport sizes the page is shown at on the way: the canvas keeps its
# aspect and fits beside the full-screen control.
SIZES = ["800x600", "640x480"]
# The phone: CSS pixels upright, device pixel ratio.
PHONE = (390, 844, 3)


# Every built-in shader, compiled and linked as GLSL ES.
SHADERS = ("Draw 2D Transformation", "Texture+Alphatest FS", "Const Copy Color FS", "Transform Text VS",
           "Draw Text FS")


say = reporting.speaker("web session")


def serve(root):
    """A plain static server on a free loopback port; returns it and its
    port. Its log is read as it comes: `server.requests` holds the path of
    every GET it answered."""
    server = subprocess.Popen([sys.executable, "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                               "--directory", root], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    line = server.stdout.readline().decode()
    port = int(line.split(" port ")[1].split()[0])
    server.requests = []

    def read():
        for line in server.stdout:
            request = re.search(r'"GET (\S+) HTTP', line.decode("latin-1"))
            if request:
                server.requests.append(urllib.parse.unquote(request.group(1)))
    threading.Thread(target=read, daemon=True).start()
    return server, port


def requested_once(server, site, game=None):
    """Each of the site's files was requested once on the first visit, by
    the page or, for the offline copy, by its service worker (which takes
    index.html from the page's own request of the folder). With `game`, the
    first visit's page, once it says the copy is kept."""
    if game is not None:
        game.wait_for_log("The site is kept for offline play.", timeout=30)
    folder = "/" + SUB_PATH
    counts = collections.Counter(path for path in server.requests if path.startswith(folder))
    files = {folder} | {folder + name for name in os.listdir(site) if name != "index.html"}
    wrong = {path: counts[path] for path in files | set(counts) if counts[path] != 1}
    assert not wrong, "on the first visit these files were requested other than once: %s" % wrong


def stored_files(game):
    """The score files as IndexedDB holds them, by name."""
    script = """new Promise((done, fail) => {
      const open = indexedDB.open('%s');
      open.onerror = () => fail(open.error);
      open.onsuccess = () => {
        if (!open.result.objectStoreNames.contains('FILE_DATA')) { done({}); return; }
        const store = open.result.transaction('FILE_DATA').objectStore('FILE_DATA');
        const files = {};
        const cursor = store.openCursor();
        cursor.onerror = () => fail(cursor.error);
        cursor.onsuccess = () => {
          try {
            const c = cursor.result;
            if (!c) { open.result.close(); done(files); return; }
            if (c.value.contents) files[c.key.split('/').pop()] = Array.from(c.value.contents);
            c.continue();
          } catch (e) { fail(e); }
        };
      };
    })""" % FOLDER
    # The browser keeps a file as the typed array it was written from, which
    # may be signed bytes.
    return {name: bytes(b & 0xFF for b in data) for name, data in game.page.evaluate(script).items()}


def damage_storage(page):
    """Foreign data where the score files are kept: a file of the wrong
    size, one of random bytes, an entry that is no file at all."""
    script = """new Promise((done, fail) => {
      const open = indexedDB.open('%s');
      open.onerror = () => fail(open.error);
      open.onsuccess = () => {
        const tx = open.result.transaction('FILE_DATA', 'readwrite');
        const store = tx.objectStore('FILE_DATA');
        const now = new Date();
        store.put({timestamp: now, mode: 33206, contents: new Uint8Array(100)}, '%s/arcade.score');
        const noise = new Uint8Array(512);
        crypto.getRandomValues(noise);
        store.put({timestamp: now, mode: 33206, contents: noise}, '%s/tetris.score');
        store.put('not a file', '%s/succeed.score');
        tx.oncomplete = () => { open.result.close(); done(true); };
        tx.onerror = () => fail(tx.error);
      };
    })""" % ((FOLDER,) * 4)
    page.evaluate(script)


class WebSession(desktop_session.Session):
    """The desktop session, its game a page of the browser."""

    def __init__(self, browser_, url, workdir):
        args = argparse.Namespace(keys_only=False, sizes=[], openbox=False)
        super().__init__(args, workdir)
        self.browser, self.url = browser_, url
        self.pages = []

    def open_page(self):
        self.browser.page.call("Emulation.clearDeviceMetricsOverride")
        return browser.BrowserGame(self.browser, self.url)

    def start(self, reload=False):
        game = self.open_page()
        self.pages.append(game)
        game.start(reload=reload)
        assert game.size() == (desktop_session.WIDTH, desktop_session.HEIGHT), "the canvas is %dx%d" % game.size()
        wait_for("the menu is not drawn", lambda: menu_shown(game.screenshot()))
        for shader in SHADERS:
            assert "Successfully loaded shader: " + shader in game.stdout(), "the shader %r did not load" % shader
        loading = game.page.evaluate("[document.getElementById('progress').value,"
                                     " document.getElementById('status-text').textContent]")
        assert loading[0] == 1 and loading[1].endswith(" 100 %"), "the loading ended at %s" % loading[1]
        return game

    def finish(self, game, by_wm=False, expected=()):
        game.close()
        self.check_console(game, expected)

    def check_console(self, game, expected=()):
        errors = [line for line in game.errors() if not any(text in line for text in expected)]
        assert not errors, "the console has errors:\n%s" % "\n".join(errors[:10])

    def resize(self, game, size):
        """The page in a smaller viewport: the canvas fits it, its buffer
        follows, and the reshape handler with it."""
        width, height = (int(v) for v in size.split("x"))
        game.page.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1,
                       mobile=False)
        fitted = min(width, height * 1.6, max(width - 112, (height - 112) * 1.6))
        game.wait_size(round(fitted), round(fitted / 1.6), timeout=10)

    def main_game(self):
        self.args.sizes = SIZES
        return super().main_game()

    def full_screen(self, game, board=None):
        super().full_screen(game, board)
        # The browser leaves full screen by itself (its own Esc): the game
        # follows, and the next F11 enters again.
        entered = game.stdout().count("Enter full screen mode.")
        game.key("F11")
        game.wait_for_log("Enter full screen mode.", count=entered + 1)
        game.wait_size(*game.screen_size(), timeout=10)
        left = game.stdout().count("Leave full screen mode.")
        game.page.evaluate("document.exitFullscreen()")
        game.wait_for_log("Leave full screen mode.", count=left + 1)
        game.wait_size(desktop_session.WIDTH, desktop_session.HEIGHT, timeout=10)
        self.checked.append("full screen left by the browser")

    def tables_after_reload(self, score):
        """A reload shows the same tables: the files in IndexedDB, and the
        score screen."""
        game = self.start()
        files = stored_files(game)
        for name, title in scorefile.FILES:
            assert name in files, "IndexedDB holds no %s; it holds %s" % (name, sorted(files))
            got_title, entries, valid = scorefile.parse(files[name])
            assert len(files[name]) == 512 and valid and got_title == title, "%s is not a valid table" % name
            if name == "simple.score":
                assert entries[0][:2] == ("Tester", score), "simple.score holds %s, the game made %d" % (
                    entries[0][:2], score)
        game.click(*button_centre("Show Score"))
        wait_for("the score screen is not shown", lambda: not menu_shown(game.screenshot()))
        row0 = (desktop_session.WIDTH // 4, int(0.15 * desktop_session.HEIGHT), desktop_session.WIDTH * 3 // 4,
                int(0.2 * desktop_session.HEIGHT))
        wait_for("after a reload the score screen shows no entry", lambda: lit_pixels(game.screenshot(), row0) > 50)
        self.finish(game)
        self.checked.append("tables after a reload (IndexedDB, screen)")

    def foreign_storage(self):
        """Foreign data in IndexedDB, put there from another page of the
        site's origin while no game runs: the tables it damaged are empty,
        the game plays, and only the storage's own report is an error."""
        origin = self.url.split(SUB_PATH)[0]
        self.browser.page.call("Page.navigate", url=origin)
        wait_for("the origin's page does not load", lambda: self.browser.page.evaluate("document.readyState")
                 == "complete")
        damage_storage(self.browser.page)
        game = browser.BrowserGame(self.browser, self.url)
        game.start()
        wait_for("the menu is not drawn over foreign data", lambda: menu_shown(game.screenshot()))
        errors = [line for line in game.errors() if "[Storage]" not in line]
        assert not errors, "the console has errors:\n%s" % "\n".join(errors[:10])
        game.click(*button_centre("Show Score"))
        wait_for("the score screen is not shown", lambda: not menu_shown(game.screenshot()))
        empty = game.screenshot()
        game.key("Right")  # Arcade, the first table the foreign data damaged
        row0 = (desktop_session.WIDTH // 4, int(0.15 * desktop_session.HEIGHT), desktop_session.WIDTH * 3 // 4,
                int(0.2 * desktop_session.HEIGHT))
        wait_for("the Arcade table is not shown", lambda: game.screenshot().tobytes() != empty.tobytes())
        assert lit_pixels(game.screenshot(), row0) == 0, "a damaged table shows entries"
        game.key("Escape")
        wait_for("Esc does not go back to the menu", lambda: menu_shown(game.screenshot()))
        game.click(*button_centre("Arcade"))
        wait_for("Arcade does not start over foreign data", lambda: playing(game.screenshot()))
        game.close()
        self.checked.append("foreign data in IndexedDB")

    def without_webgl2(self):
        """A browser without WebGL 2 gets a message, not a blank page."""
        chromium = browser.Chromium(flags=["--disable-webgl2"])
        try:
            chromium.page.call("Page.navigate", url=self.url)
            wait_for("no message without WebGL 2", lambda: "needs WebGL 2" in chromium.page.evaluate(
                "(document.getElementById('status-text') || {}).textContent || ''"))
        finally:
            chromium.quit()
            chromium.remove_profile()
        self.checked.append("message without WebGL 2")

    def browser_actions(self):
        """The game's keys and the right button do not do what the browser
        would do with them: no going back on Backspace, no scrolling, no
        context menu."""
        game = self.start()
        game.page.evaluate("window.kyActions = []; for (const kind of ['keydown', 'contextmenu'])"
                           " document.addEventListener(kind, e => kyActions.push([e.type + ' ' + (e.key || ''),"
                           " e.defaultPrevented]))")
        history = game.page.evaluate("history.length")
        game.key("BackSpace", "Delete", "Left", "Up", "Home", "End", "space", "Tab", "Return")
        game.click(*button_centre("Arcade"), button=3)
        actions = game.page.evaluate("kyActions")
        allowed = [kind for kind, prevented in actions if not prevented]
        assert len(actions) == 10 and not allowed, "the browser acts on %s (seen: %s)" % (allowed, actions)
        assert game.page.evaluate("history.length") == history and menu_shown(game.screenshot())
        self.finish(game)
        self.checked.append("browser actions prevented")

    def texture_refusals(self):
        """What WebGL 2 cannot take is refused with a line that says so and
        an OpenGL error, for the loader to report: a 16-bit normalised
        format, a 32-bit float texture to be filtered linearly where the
        browser cannot, a one-dimensional texture."""
        game = self.start()
        results = game.page.evaluate("""(() => {
          const texture = GLctx.createTexture();
          GLctx.bindTexture(GLctx.TEXTURE_2D, texture);
          GLctx.texParameteri(GLctx.TEXTURE_2D, GLctx.TEXTURE_MAG_FILTER, GLctx.LINEAR);
          const errors = [];
          _glGetError();
          _glTexImage2D(GLctx.TEXTURE_2D, 0, 0x805B, 1, 1, 0, GLctx.RGBA, GLctx.UNSIGNED_SHORT, 0);
          errors.push(_glGetError());
          const linear = !!GLctx.getExtension('OES_texture_float_linear');
          _glTexImage2D(GLctx.TEXTURE_2D, 0, GLctx.RGBA32F, 1, 1, 0, GLctx.RGBA, GLctx.FLOAT, 0);
          errors.push(_glGetError());
          _glTexImage1D(0x0DE0, 0, GLctx.RGBA8, 1, 0, GLctx.RGBA, GLctx.UNSIGNED_BYTE, 0);
          errors.push(_glGetError());
          GLctx.deleteTexture(texture);
          return [errors, linear];
        })()""")
        (normalised, floats, one_d), linear = results
        assert normalised == 0x502 and one_d == 0x500, "refusals gave OpenGL errors %s" % results[0]
        assert floats == (0 if linear else 0x502), "a float texture gave %#x (linear filtering: %s)" % (floats, linear)
        expected = ["has no texture of internal format 0x805B", "has no one-dimensional textures"]
        if not linear:
            expected.append("cannot filter RGBA32F texels linearly")
        lines = game.errors()
        for text in expected:
            assert any(text in line for line in lines), "no line %r in the console:\n%s" % (text, "\n".join(lines))
        # WebGL's own reports of the refused target are warnings, not errors.
        others = [line for line in lines if not any(text in line for text in expected)]
        assert not others, "the console has other errors:\n%s" % "\n".join(others[:10])
        game.close()
        self.checked.append("texture refusals")

    def context_loss(self):
        """The WebGL context lost during a Simple game and given back, as a
        phone's browser does: nothing is drawn meanwhile, then the same
        board and score again, and a removal still scores; no console
        error."""
        game = self.start()
        board = start_simple(game)
        assert board.remove(player.disjoint_groups(board.grid)[:1])
        number = (0, 36, 85, 75)  # the score's line, left of the board
        score = game.screenshot().crop(number).tobytes()
        # One expression: the WebDriver backends evaluate it in parentheses.
        game.page.evaluate("(window.kyLoss = GLctx.getExtension('WEBGL_lose_context')).loseContext()")
        game.wait_for_log("The WebGL context was lost")
        frames, steps = game.page.evaluate("[Module.kyFrames, Module.kySteps]")
        # Half a second of steps: the game goes on, the drawing does not.
        wait_for("the game does not go on while the context is lost",
                 lambda: game.page.evaluate("Module.kySteps") > steps + 25)
        assert game.page.evaluate("Module.kyFrames") == frames, "frames are drawn while the context is lost"
        game.page.evaluate("kyLoss.restoreContext()")
        game.wait_for_log("[Device::OnContextRestored] Made anew:")
        shot, seen = board.look()
        wrong = player.differences(seen, board.grid)
        assert not wrong, "the board differs once the context is back, in %s" % wrong[:8]
        assert shot.crop(number).tobytes() == score, "the score differs once the context is back"
        assert board.remove(player.disjoint_groups(board.grid)[:1])
        assert game.screenshot().crop(number).tobytes() != score, "a removal after the loss does not score"
        # Firefox warns of every lost context in its own output.
        self.finish(game, expected=("WebGL context was lost.",))
        self.checked.append("WebGL context lost and restored")

    def two_tabs(self):
        """Two tabs of one profile, a score made and saved in each in turn:
        IndexedDB holds both, and the first tab, idle on its score screen,
        shows the other's as well. Then that tab is hidden and its renderer
        killed, without a pagehide: a reload shows both."""
        first = self.start()
        listing = "http://127.0.0.1:%d/json" % self.browser.port
        request = urllib.request.Request(listing + "/new?about:blank", method="PUT")
        target = json.load(urllib.request.urlopen(request))
        second = browser.BrowserGame(types.SimpleNamespace(page=browser.DevTools(target["webSocketDebuggerUrl"])),
                                     self.url)
        try:
            second.start()
            made = []
            for game, name in ((first, "TabOne"), (second, "TabTwo")):
                game.page.call("Page.bringToFront")
                made.append(desktop_session.simple_with_name(game, name))

            def stored():
                return [e[:2] for e in scorefile.parse(stored_files(second).get("simple.score", b""))[1] if e[1]]
            wait_for("IndexedDB lacks one of %s" % made, lambda: all(entry in stored() for entry in made))
            # Both entries and the main game's.
            rows = len(stored())
            first.page.call("Page.bringToFront")
            wait_for("the idle tab does not show the other tab's score",
                     lambda: lit_pixels(first.screenshot(), player.score_row(rows - 1)) > 50)
            self.check_console(second)
            self.checked.append("two tabs (IndexedDB, the idle tab's score screen)")

            second.page.call("Page.bringToFront")
            second.page.evaluate("Object.defineProperty(document, 'visibilityState', {value: 'hidden'});"
                                 " document.dispatchEvent(new Event('visibilitychange'))")
            wait_for("the hidden tab's scores are not in IndexedDB", lambda: all(entry in stored() for entry in made))
            # The renderer dies before it can answer.
            second.page.call("Inspector.enable")
            second.page.ws.send(json.dumps({"id": 0, "method": "Page.crash", "params": {}}))
            second.page.wait_event("Inspector.targetCrashed", timeout=30)
        finally:
            second.page.close()
            urllib.request.urlopen(listing + "/close/" + target["id"]).read()
        self.check_console(first)
        again = self.start()
        again.click(*button_centre("Show Score"))
        wait_for("after the renderer was killed the score screen lacks an entry",
                 lambda: lit_pixels(again.screenshot(), player.score_row(rows - 1)) > 50)
        self.finish(again)
        self.checked.append("hidden, renderer killed, reloaded")

    def offline(self):
        """With the server gone the site loads from the offline copy."""
        game = self.start()
        board = start_simple(game, "Simple does not start offline")
        assert board.remove(player.disjoint_groups(board.grid)[:1])
        self.finish(game)
        self.checked.append("offline reload")


# What the page hears of the mouse on the game (the canvas, the text input)
# and of the keys anywhere, counted from before the game's own listeners.
COUNT_EVENTS = """window.kySeen = {};
for (const kind of ['mousedown', 'mouseup', 'mousemove', 'mouseover', 'click', 'dblclick', 'contextmenu',
                    'keydown', 'keyup'])
  addEventListener(kind, e => { if (kind.startsWith('key') || ['canvas', 'name-input'].includes(e.target.id))
    kySeen[kind + ' ' + (e.key || '')] = (kySeen[kind + ' ' + (e.key || '')] || 0) + 1; }, true);"""


class PhoneSession(WebSession):
    """The page on a phone, touched only, in a browser of its own (see
    play)."""

    def __init__(self, url, workdir, shots=None):
        super().__init__(browser.Chromium(), url, workdir)
        self.shots = shots

    def shot(self, game, name):
        """The phone's screen as the player sees it, one pixel per CSS pixel."""
        if self.shots:
            width, height, ratio = game.page.evaluate("[innerWidth, innerHeight, devicePixelRatio]")
            data = game.page.call("Page.captureScreenshot", format="png", clip={
                "x": 0, "y": 0, "width": width, "height": height, "scale": 1 / ratio})["data"]
            with open(os.path.join(self.shots, name + ".png"), "wb") as f:
                f.write(base64.b64decode(data))

    def box(self, game, ident):
        """An element's box on the page, and whether it shows."""
        return game.page.evaluate("(() => { const e = document.getElementById('%s'), r = e.getBoundingClientRect();"
                                  " return [r.left, r.top, r.right, r.bottom, getComputedStyle(e).display != 'none'"
                                  " && !e.hidden]; })()" % ident)

    def turn(self, game, turned):
        """The phone upright or turned: the canvas across the whole width or
        over the whole height, its buffer the ratio times its size; the hint
        to turn it upright only; it and the control (44 pixels or more)
        beside the canvas."""
        width, height, ratio = PHONE[1::-1] + PHONE[2:] if turned else PHONE
        browser.emulate_phone(game.page, width, height, ratio)
        fitted = [round(min(width, height * 1.6) * f) for f in (1, 1 / 1.6, ratio, ratio / 1.6)]
        wait_for("the canvas and its buffer do not fit the %dx%d phone: %s" % (width, height, game.canvas()),
                 lambda: [round(v) for v in game.canvas()[2:]] == fitted, timeout=10)
        left, top, right, bottom, _ = self.box(game, "canvas")
        hint, control = self.box(game, "turn-hint"), self.box(game, "full-screen")
        assert hint[4] != turned and control[4] and min(control[2] - control[0], control[3] - control[1]) >= 44
        for b in (hint, control):
            assert not b[4] or b[2] <= left or b[0] >= right or b[3] <= top or b[1] >= bottom, "%s over the canvas" % b
        result = "%s: canvas %gx%g, buffer %dx%d" % (("turned" if turned else "upright",) + tuple(fitted))
        if result not in self.checked:
            self.checked.append(result)

    def gestures(self, game, board):
        """Swipes and a double tap on an empty cell, a second finger on a
        block while the first is down: the board stays as it was, and the
        page neither scrolls nor zooms."""
        view = board.view()
        empty = [(x, y) for y, row in enumerate(board.grid) for x, v in enumerate(row) if v is None]
        start = game._page_point(*view.centre(*empty[0]))
        for _ in range(2):
            game.touch("touchStart", start)
            game.touch("touchEnd")
        for dx, dy in ((0, 30), (-30, 0), (30, -10)):
            game.touch("touchStart", start)
            for step in range(1, 9):
                game.touch("touchMove", (start[0] + dx * step, start[1] + dy * step))
            game.touch("touchEnd")
        game.touch("touchStart", start)
        game.touch("touchStart", start, game._page_point(*view.centre(*player.disjoint_groups(board.grid)[0][0])))
        game.touch("touchMove", start)
        game.touch("touchEnd")
        wrong = player.differences(board.look()[1], board.grid)
        assert not wrong, "gestures on empty cells changed the board in %s" % wrong[:8]
        moved = game.page.evaluate("[scrollX, scrollY, visualViewport.scale, visualViewport.offsetLeft,"
                                   " visualViewport.offsetTop]")
        assert moved == [0, 0, 1, 0, 0], "after the gestures the page is scrolled or zoomed: %s" % moved
        self.checked.append("swipes, double taps, a second finger: no scroll, zoom 1, nothing removed")

    def full_screen_control(self, game, board):
        """The page's control into full screen as F11 goes (its log line),
        a removal there, the browser's own way out (a phone's back gesture)
        and the control back."""
        entered = game.stdout().count("Enter full screen mode.")
        left, top, right, bottom, _ = self.box(game, "full-screen")
        game.touch("touchStart", ((left + right) / 2, (top + bottom) / 2))
        game.touch("touchEnd")
        game.wait_for_log("Enter full screen mode.", count=entered + 1)
        wait_for("the game's box is not full screen, or the control shows", lambda: game.page.evaluate(
            "(document.fullscreenElement || {}).id == 'game' && document.getElementById('full-screen').hidden"))
        game.wait_size(*game.screen_size(), timeout=10)
        self.removal_at_size(board)
        game.page.evaluate("document.exitFullscreen()")
        game.wait_for_log("Leave full screen mode.", count=entered + 1)
        wait_for("the control does not come back", lambda: self.box(game, "full-screen")[4])
        self.checked.append("full screen by the control, left by the browser")

    def name(self, game):
        """A tap on the field focuses the text input; the name typed (some
        of it composed, then a character the game has no code for), the
        keyboard's Enter: the table shows it, and the input lets go."""
        w, h = game.size()
        game.click(w // 2, int((1.0 + 0.10) / 2 * h))
        focused = "document.activeElement.id == 'name-input'"
        wait_for("the tap on the name field does not focus the text input", lambda: game.page.evaluate(focused))
        game.type("Tes")
        for text in ("t", "te", "ter"):
            game.page.call("Input.imeSetComposition", text=text, selectionStart=len(text), selectionEnd=len(text))
        game.page.call("Input.insertText", text="ter")
        game.type("\u20ac")
        # The input shows what the field holds.
        wait_for("the name field does not hold the name typed",
                 lambda: game.page.evaluate("document.activeElement.value") == "Tester")
        self.shot(game, "name")
        game.key("Return")
        row0 = (w // 4, int(0.15 * h), w * 3 // 4, int(0.2 * h))
        wait_for("the new entry is not on the score screen", lambda: lit_pixels(game.screenshot(), row0) > 50)
        assert not game.page.evaluate(focused), "the text input keeps the focus"
        self.shot(game, "scores")
        # A touch the system takes over is let go without a release: the
        # score screen stays, for as long as the game draws two frames.
        frames = game.page.evaluate("Module.kyFrames")
        game.touch("touchStart", game._page_point(w // 2, h // 2))
        game.touch("touchCancel")
        wait_for("the game draws no frame", lambda: game.page.evaluate("Module.kyFrames") > frames + 2)
        assert not menu_shown(game.screenshot()), "a cancelled touch left the score screen"
        game.click(w // 2, h // 2)
        wait_for("a tap does not leave the score screen", lambda: menu_shown(game.screenshot()))
        self.checked.append("name by the text input and the keyboard's Enter; a cancelled touch no click")

    def play(self):
        """Upright, then turned during a game and back: the layout each
        time; a Simple game to its end by taps, every removal against its
        prediction, with gestures on the board and full screen through the
        page's control; the name; and no mouse event on the game, no key
        but Enter."""
        self.browser.page.call("Page.addScriptToEvaluateOnNewDocument", source=COUNT_EVENTS)
        browser.emulate_phone(self.browser.page, *PHONE)
        game = browser.BrowserGame(self.browser, self.url, phone=True)
        self.pages.append(game)
        game.start()
        wait_for("the menu is not drawn", lambda: menu_shown(game.screenshot()))
        self.turn(game, False)
        self.shot(game, "menu")
        board = start_simple(game)
        assert board.remove(player.disjoint_groups(board.grid)[:1])
        self.gestures(game, board)
        self.turn(game, True)
        self.removal_at_size(board)
        self.full_screen_control(game, board)
        self.shot(game, "game")
        # Upright, where a screenshot has the fewest pixels, to its end.
        self.turn(game, False)
        self.removal_at_size(board)
        self.checked.append("Simple to its end by taps (%d removals)" % (len(board.removed) + board.play_to_end()))
        self.turn(game, True)
        self.name(game)
        seen = game.page.evaluate("kySeen")
        assert set(seen) <= {"keydown Enter", "keyup Enter"}, "the page heard %s" % seen
        self.checked.append("no mouse event on the game, no key but Enter")
        self.finish(game)


def phone_session(url, root, shots=None):
    """Plays the phone's session; returns what it checked, and how long it took."""
    started = time.time()
    phone = PhoneSession(url, root, shots)
    try:
        phone.play()
    finally:
        phone.browser.quit()
        phone.browser.remove_profile()
        say("phone: %s" % "; ".join(phone.checked))
    return ["the phone (%d checks, %.0f s)" % (len(phone.checked), time.time() - started)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("site")
    parser.add_argument("--phone-shots", metavar="DIR")
    parser.add_argument("--engine", choices=sorted(ENGINES), help="play in this engine instead (on the X display)")
    args = parser.parse_args()
    if args.engine:
        engine_main(args.engine, args.site)
    run = reporting.Run(say)
    root = tempfile.mkdtemp(prefix="tumblox-web-")
    shutil.copytree(args.site, os.path.join(root, SUB_PATH))
    server, port = serve(root)
    url = "http://127.0.0.1:%d/%s" % (port, SUB_PATH)
    if args.phone_shots:
        phone_session(url, root, args.phone_shots)
        desktop_session.stop(server)
        shutil.rmtree(root, ignore_errors=True)
        return
    chromium = browser.Chromium()
    session = None
    try:
        with run.checks():
            session = WebSession(chromium, url, root)
            score = session.main_game()
            requested_once(server, args.site, session.pages[0])
            session.checked.append("each file requested once")
            session.tables_after_reload(score)
            # The same after the browser is closed and started again.
            chromium.quit()
            chromium = browser.Chromium(profile=chromium.profile)
            session.browser = chromium
            session.tables_after_reload(score)
            session.checked[-1] = "the same after a browser restart"
            for caption in ("Succeeding", "Arcade", "Tetris"):
                session.other_mode(caption)
            session.checked.append("Succeeding, Arcade, Tetris")
            session.two_tabs()
            session.foreign_storage()
            session.texture_refusals()
            session.context_loss()
            session.browser_actions()
            session.without_webgl2()
            session.checked += phone_session(url, root)
            desktop_session.stop(server)
            server = None
            session.offline()
    finally:
        desktop_session.stop(server)
        chromium.quit()
        chromium.remove_profile()
        shutil.rmtree(root, ignore_errors=True)
    run.end(session.checked if session else [])


class EngineSession(WebSession):
    """The session in another engine, at the page's one size (the viewport
    is the browser window's): the menu, the score screen, a Simple game to
    its end with full screen on the way and the name, the tables after a
    reload, the WebGL context lost and restored, and no error in the
    console."""

    def __init__(self, browser_, url, workdir, game_class):
        super().__init__(browser_, url, workdir)
        self.game_class = game_class

    def open_page(self):
        return self.game_class(self.browser, self.url)

    def main_game(self):
        return desktop_session.Session.main_game(self)


# Each engine: its browser, its game's backend and its version.
ENGINES = {
    "firefox": (firefox.Firefox, firefox.FirefoxGame, firefox.version),
    "webkit": (webkit.WebKit, webdriver.WebDriverGame, webkit.version),
}


def engine_main(name, site):
    """Firefox ESR or WebKitGTK, on the X display. WebKit's automation
    session has no HTTP cache, so its first visit is checked in a browser
    of a player's kind first."""
    run = reporting.Run(say, label=name + " ")
    make_browser, game_class, version = ENGINES[name]
    root = tempfile.mkdtemp(prefix="tumblox-web-")
    shutil.copytree(site, os.path.join(root, SUB_PATH))
    server, port = serve(root)
    url = "http://127.0.0.1:%d/%s" % (port, SUB_PATH)
    engine = session = None
    try:
        with run.checks():  # a failed check, or an engine that cannot run here
            say("%s: %s" % (name, version()))
            if name == "webkit":
                errors = [line for line in webkit.first_visit(url) if re.search(r" [A-Z]+ ERROR ", line)]
                assert not errors, "the console of the first visit has errors:\n%s" % "\n".join(errors[:10])
                requested_once(server, site)
            engine = make_browser()
            session = EngineSession(engine, url, root, game_class)
            score = session.main_game()
            if name != "webkit":
                requested_once(server, site, session.pages[0])
            session.checked.append("each file requested once")
            session.tables_after_reload(score)
            session.context_loss()
    finally:
        desktop_session.stop(server)
        if engine is not None:
            engine.quit()
            engine.remove_profile()
        shutil.rmtree(root, ignore_errors=True)
    run.end(session.checked if session else [])


if __name__ == "__main__":
    main()
