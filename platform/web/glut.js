// The window side of the browser build, as a library for emcc: what the
// browser's GLUT lacks of the interface the engine calls (the context and
// close calls, leaving full screen and the main loop, the window query), and
// input that reaches the engine's callbacks as the desktop's freeglut
// delivers it: characters as their codes, the other keys as freeglut's
// special keys, and the pointer where it is now, whether a mouse, a finger
// or a pen moves it. The browser's GLUT reports the pointer position from
// before each motion, maps keys differently and hears the mouse alone, so
// its own listeners are not installed at all. A phone's keyboard types into
// a text input of the page, which the engine places over the box being
// edited (platform/TextInput.h); what it types reaches the engine as keys.

var LibraryKyWindow = {
  $KyWindow__deps: ['$GLUT', '$Browser'],
  $KyWindow: {
    closeFunc: 0,
    closed: false,
    // What the game last asked for: full screen or not. When the browser
    // leaves full screen by itself (its own Esc), the game is told as the
    // desktop tells it, by an Esc.
    wantsFullScreen: false,
    lastX: -1,
    lastY: -1,
    // The pointer whose press the game has (a mouse, the first finger down,
    // a pen), or null; other fingers are ignored until it comes up.
    pointerId: null,
    // The bit of each of freeglut's buttons (left, middle, right) in a DOM
    // event's buttons.
    buttonBits: [1, 4, 2],
    // The drawing buffer's most pixels, those of 2560 x 1600. Every frame
    // clears and blends the whole buffer, so its cost grows with the
    // pixels; a phone or tablet at a device pixel ratio of 2 to 3 would ask
    // for 4.5 to 7.5 million, more than its GPU fills at 50 frames a second
    // beside everything else, and more than the eye tells apart on it.
    maxBufferPixels: 2560 * 1600,
    // The page's text input while the engine's text field is edited: the
    // field's box (normalised device coordinates), its text as the engine
    // last gave it (a character per byte) and its cursor.
    text: {
      input: null,
      active: false,
      box: [0, 0, 0, 0],
      engine: '',
      cursor: 0,
      composing: false,
      delivering: false,
      focusedInPress: false,
      shift: 0
    },

    // freeglut's special keys (GLUT_KEY_*), by the key's name.
    specialKeys: {
      'F1': 1, 'F2': 2, 'F3': 3, 'F4': 4, 'F5': 5, 'F6': 6, 'F7': 7, 'F8': 8,
      'F9': 9, 'F10': 10, 'F11': 11, 'F12': 12,
      'ArrowLeft': 100, 'ArrowUp': 101, 'ArrowRight': 102, 'ArrowDown': 103,
      'PageUp': 104, 'PageDown': 105, 'Home': 106, 'End': 107, 'Insert': 108,
      'NumLock': 109
    },
    // Keys freeglut delivers as characters, and the modifiers it delivers as
    // special keys, left and right apart.
    controlCharacters: {'Backspace': 8, 'Tab': 9, 'Enter': 13, 'Escape': 27, 'Delete': 127},
    modifierKeys: {
      'ShiftLeft': 112, 'ShiftRight': 113, 'ControlLeft': 114, 'ControlRight': 115,
      'AltLeft': 116, 'AltRight': 117
    },

    // ['keyboard', code] or ['special', code], or null for a key the game
    // never sees (whose browser action then stays).
    translateKey: function(event) {
      var key = event.key;
      if (key in KyWindow.controlCharacters) return ['keyboard', KyWindow.controlCharacters[key]];
      if (event.code in KyWindow.modifierKeys) return ['special', KyWindow.modifierKeys[event.code]];
      if (key in KyWindow.specialKeys) return ['special', KyWindow.specialKeys[key]];
      if (key.length == 1 && !event.altKey && !event.metaKey) {
        var code = key.charCodeAt(0);
        // As the X server gives them: Ctrl with a letter is its control code.
        if (event.ctrlKey) {
          if (!/[a-zA-Z@\[\\\]^_ ]/.test(key)) return null;
          code &= 0x1f;
        }
        return code < 256 ? ['keyboard', code] : null;
      }
      return null;
    },

    onKey: function(event, down) {
      // A key the input method takes composes text in the page's text
      // input, whose input events bring it.
      if (event.keyCode == 229) return;
      var key = KyWindow.translateKey(event);
      if (key === null || KyWindow.closed) return;
      if (event.isComposing && key[0] == 'keyboard' && key[1] >= 32) return;
      // The game's keys are the game's alone: no going back on Backspace, no
      // scrolling on the arrows, no browser full screen on F11.
      event.preventDefault();
      var func = key[0] == 'keyboard' ? (down ? GLUT.keyboardFunc : GLUT.keyboardUpFunc)
                                      : (down ? GLUT.specialFunc : GLUT.specialUpFunc);
      if (func) {{{ makeDynCall('viii', 'func') }}}(key[1], KyWindow.lastX, KyWindow.lastY);
    },

    // The pointer in the drawing buffer's pixels, which the reshape handler
    // was given as the window's size.
    position: function(event) {
      var canvas = Module['canvas'];
      var rect = canvas.getBoundingClientRect();
      return [Math.round((event.clientX - rect.left) * canvas.width / rect.width),
              Math.round((event.clientY - rect.top) * canvas.height / rect.height)];
    },

    // Tells the engine where the pointer is, when it moved: freeglut does so
    // before any button event at a new place, and the engine reads the
    // position from the motion alone.
    moveTo: function(x, y) {
      if (x == KyWindow.lastX && y == KyWindow.lastY) return;
      KyWindow.lastX = x;
      KyWindow.lastY = y;
      var func = GLUT.buttons ? GLUT.motionFunc : GLUT.passiveMotionFunc;
      if (func) {{{ makeDynCall('vii', 'func') }}}(x, y);
    },

    // One of freeglut's buttons goes down or up at p, the pointer moved
    // there first.
    button: function(button, down, p) {
      KyWindow.moveTo(p[0], p[1]);
      if (down) GLUT.buttons |= 1 << button;
      else GLUT.buttons &= ~(1 << button);
      if (GLUT.mouseFunc) {{{ makeDynCall('viiii', 'GLUT.mouseFunc') }}}(button, down ? 0 : 1, p[0], p[1]);
    },

    // Pointer events, for every kind of pointer, and no mouse listener at
    // all: the mouse events a browser makes up after a touch can never
    // double a tap.
    onPointerDown: function(event) {
      if (KyWindow.closed || event.button < 0 || event.button > 2 || event.target != Module['canvas']) return;
      if (KyWindow.pointerId !== null && event.pointerId != KyWindow.pointerId) return;
      // No made-up mouse events after it, no focus taken from the text
      // input, no text selected.
      event.preventDefault();
      KyWindow.pointerId = event.pointerId;
      KyWindow.text.focusedInPress = false;
      KyWindow.button(event.button, true, KyWindow.position(event));
    },

    onPointerMove: function(event) {
      if (KyWindow.closed) return;
      var ours = KyWindow.pointerId !== null && event.pointerId == KyWindow.pointerId;
      if (KyWindow.pointerId !== null && !ours) return;
      // Over the canvas, or anywhere while a button held down on it.
      if (!ours && event.target != Module['canvas']) return;
      var p = KyWindow.position(event);
      // A mouse reports a button pressed or released while another is held
      // as a move; a press counts on the canvas, a release wherever it
      // happens once the press was ours.
      if (event.button >= 0 && event.button <= 2) {
        var down = (event.buttons & KyWindow.buttonBits[event.button]) != 0;
        if (down ? event.target == Module['canvas'] : GLUT.buttons & (1 << event.button)) {
          event.preventDefault();
          KyWindow.pointerId = event.pointerId;
          KyWindow.button(event.button, down, p);
          if (!GLUT.buttons) KyWindow.pointerId = null;
          return;
        }
      }
      KyWindow.moveTo(p[0], p[1]);
    },

    onPointerUp: function(event) {
      if (KyWindow.closed || KyWindow.pointerId === null || event.pointerId != KyWindow.pointerId) return;
      if (event.button >= 0 && event.button <= 2 && (GLUT.buttons & (1 << event.button))) {
        event.preventDefault();
        KyWindow.button(event.button, false, KyWindow.position(event));
      }
      if (!GLUT.buttons) KyWindow.pointerId = null;
      KyWindow.keepTextInput(event.pointerType == 'mouse');
    },

    // The system took the touch (a gesture of its own, a call): the button
    // is up, but no release reaches the game, which acts on releases.
    onPointerCancel: function(event) {
      if (KyWindow.pointerId === null || event.pointerId != KyWindow.pointerId) return;
      GLUT.buttons = 0;
      KyWindow.pointerId = null;
    },

    // A character, a Backspace or a Delete typed into the text input, as
    // the desktop's keyboard delivers it: down, then up.
    typeKey: function(code) {
      if (GLUT.keyboardFunc) {{{ makeDynCall('viii', 'GLUT.keyboardFunc') }}}(code, KyWindow.lastX, KyWindow.lastY);
      if (GLUT.keyboardUpFunc) {{{ makeDynCall('viii', 'GLUT.keyboardUpFunc') }}}(code, KyWindow.lastX, KyWindow.lastY);
    },

    // The text field's bytes, a character each.
    fieldText: function(pointer) {
      var text = '';
      for (var i = pointer; HEAPU8[i]; ++i) text += String.fromCharCode(HEAPU8[i]);
      return text;
    },

    // Editing starts: the text input goes over the field, holding what the
    // field holds, and takes the focus at once, inside the input handler
    // of the touch or key that started it, the only place a phone's
    // browser opens its keyboard for it.
    beginText: function(x, y, width, height, text, cursor, maxLength) {
      var t = KyWindow.text;
      if (!t.input || KyWindow.closed) return;
      t.active = true;
      t.box = [x, y, width, height];
      t.engine = KyWindow.fieldText(text);
      t.cursor = cursor;
      t.composing = false;
      if (maxLength > 0) t.input.maxLength = maxLength;
      else t.input.removeAttribute('maxlength');
      t.input.value = t.engine;
      KyWindow.keepFieldInView();
      t.input.focus();
      t.input.setSelectionRange(cursor, cursor);
      t.focusedInPress = true;
    },

    updateText: function(text, cursor) {
      var t = KyWindow.text;
      t.engine = KyWindow.fieldText(text);
      t.cursor = cursor;
      if (!t.delivering) KyWindow.syncText();
    },

    // Editing ended (the screen changed): the input lets go of the focus,
    // and a phone's keyboard closes.
    endText: function() {
      var t = KyWindow.text;
      if (!t.input || !t.active) return;
      t.active = false;
      t.composing = false;
      if (document.activeElement == t.input) t.input.blur();
      t.input.value = '';
      KyWindow.keepFieldInView();
    },

    // The input shows what the field holds, the caret at its cursor: the
    // field decides what it takes (the characters it can draw), and the
    // next change is read against it. Not while an input method
    // composes, which a change of the value would break off.
    syncText: function() {
      var t = KyWindow.text;
      if (!t.active || t.composing) return;
      if (t.input.value !== t.engine) t.input.value = t.engine;
      if (t.input.selectionStart != t.cursor || t.input.selectionEnd != t.cursor)
        t.input.setSelectionRange(t.cursor, t.cursor);
    },

    // Whatever changed the input (a key, a word the keyboard completed or
    // corrected, swipe typing, a composition, a paste) reaches the field as
    // the keys that make the same change at its cursor: Backspaces and
    // Deletes for what went, then the characters that came. A character
    // beyond the engine's 256 codes has no key to send.
    onTextInput: function(event) {
      var t = KyWindow.text;
      if (!t.active || KyWindow.closed) return;
      if (event.type == 'compositionstart') {
        t.composing = true;
        return;
      }
      t.composing = event.type == 'input' && !!event.isComposing;
      var old = t.engine, now = Array.from(t.input.value), c = t.cursor;
      var p = 0, s = 0;
      while (p < c && p < now.length && old[p] === now[p]) ++p;
      while (s < old.length - c && s < now.length - p && old[old.length - 1 - s] === now[now.length - 1 - s]) ++s;
      t.delivering = true;
      try {
        for (var i = p; i < c; ++i) KyWindow.typeKey(8);
        for (var i = c; i < old.length - s; ++i) KyWindow.typeKey(127);
        for (var i = p; i < now.length - s; ++i) {
          var code = now[i].codePointAt(0);
          if (code < 256) KyWindow.typeKey(code);
        }
      } finally {
        t.delivering = false;
      }
      KyWindow.syncText();
    },

    // A tap while editing brings back a keyboard the player put away, as a
    // tap on any text input does. A touch counts as the player's own only
    // once it ends, so a phone's browser may have kept its keyboard shut
    // for a focus given at its start: the focus is given again.
    keepTextInput: function(mouse) {
      var t = KyWindow.text;
      if (!t.active || (mouse && t.focusedInPress)) return;
      if (document.activeElement == t.input) t.input.blur();
      t.input.focus();
    },

    // The input lies over the field, so that the browser keeps it in view
    // and an input method places its window by it; where the screen's
    // keyboard would cover the field, the canvas moves up above it.
    keepFieldInView: function() {
      var t = KyWindow.text, canvas = Module['canvas'];
      if (!t.input) return;
      var rect = canvas.getBoundingClientRect(), box = t.box;
      // Where the field lies with the canvas in its place: its bottom edge
      // a little above the visible part's bottom, its top never above the
      // visible part's top.
      var top = rect.top - t.shift;
      var fieldTop = top + (1 - (box[1] + box[3] + 1) / 2) * rect.height;
      var fieldBottom = top + (1 - (box[1] + 1) / 2) * rect.height;
      var view = window.visualViewport, shift = 0;
      if (t.active && view)
        shift = Math.max(0, Math.min(fieldBottom + 8 - (view.offsetTop + view.height), fieldTop - view.offsetTop));
      if (shift != t.shift) {
        t.shift = shift;
        canvas.style.transform = shift ? 'translateY(' + -shift + 'px)' : '';
        rect = canvas.getBoundingClientRect();
      }
      var style = t.input.style;
      style.left = rect.left + (box[0] + 1) / 2 * rect.width + 'px';
      style.top = rect.top + (1 - (box[1] + box[3] + 1) / 2) * rect.height + 'px';
      style.width = Math.max(1, box[2] / 2 * rect.width) + 'px';
      style.height = Math.max(1, box[3] / 2 * rect.height) + 'px';
    },

    // The drawing buffer follows the canvas's size on the page (the page
    // fits it to the viewport, in full screen to the screen), in device
    // pixels up to the most it may have, and the reshape handler hears of
    // every change.
    fit: function() {
      var canvas = Module['canvas'];
      var rect = canvas.getBoundingClientRect();
      var ratio = window.devicePixelRatio || 1;
      var pixels = Math.max(1, rect.width * ratio * rect.height * ratio);
      var scale = Math.min(1, Math.sqrt(KyWindow.maxBufferPixels / pixels));
      var w = Math.max(1, Math.round(rect.width * ratio * scale));
      var h = Math.max(1, Math.round(rect.height * ratio * scale));
      KyWindow.keepFieldInView();
      if (w == canvas.width && h == canvas.height) return;
      canvas.width = w;
      canvas.height = h;
      if (GLUT.reshapeFunc && !KyWindow.closed) {{{ makeDynCall('vii', 'GLUT.reshapeFunc') }}}(w, h);
    },

    // What goes full screen: the page's box around the canvas and its text
    // input, or the canvas alone.
    fullScreenTarget: function() {
      return Module['fullScreenElement'] || Module['canvas'];
    },

    // The page's full-screen control does exactly what F11 does, through
    // the game's own key path; where the browser cannot go full screen
    // (an iPhone's), there is no control.
    fullScreenSupported: function() {
      return !!(document.fullscreenEnabled && KyWindow.fullScreenTarget().requestFullscreen);
    },
    showFullScreenControl: function() {
      var control = Module['fullScreenControl'];
      if (control) control.hidden = !KyWindow.fullScreenSupported() || !!document.fullscreenElement;
    },
    onFullScreenControl: function(event) {
      event.preventDefault();
      if (KyWindow.closed) return;
      if (GLUT.specialFunc) {{{ makeDynCall('viii', 'GLUT.specialFunc') }}}(11, KyWindow.lastX, KyWindow.lastY);
      if (GLUT.specialUpFunc) {{{ makeDynCall('viii', 'GLUT.specialUpFunc') }}}(11, KyWindow.lastX, KyWindow.lastY);
    },

    onFullscreenChange: function() {
      KyWindow.showFullScreenControl();
      var full = document.fullscreenElement == KyWindow.fullScreenTarget();
      if (!full && KyWindow.wantsFullScreen && GLUT.keyboardFunc && !KyWindow.closed) {
        KyWindow.wantsFullScreen = false;
        {{{ makeDynCall('viii', 'GLUT.keyboardFunc') }}}(27, KyWindow.lastX, KyWindow.lastY);
        if (GLUT.keyboardUpFunc) {{{ makeDynCall('viii', 'GLUT.keyboardUpFunc') }}}(27, KyWindow.lastX, KyWindow.lastY);
      }
      KyWindow.fit();
    },

    // The window closes with the page: the close callback saves what is to
    // be kept, as it does on the desktop. A page brought back from the
    // browser's back-forward cache was closed, so it starts again.
    onPageHide: function() {
      if (KyWindow.closed || !KyWindow.closeFunc) return;
      {{{ makeDynCall('v', 'KyWindow.closeFunc') }}}();
      KyWindow.closed = true;
    },
    onPageShow: function(event) {
      if (event.persisted && KyWindow.closed) location.reload();
    },

    // The browser takes the WebGL context away when the system runs short
    // of graphics memory or the page is in the background. Nothing is drawn
    // until it is back, and the default is prevented: else it never is.
    contextLost: false,
    contextRestoredFunc: 0,
    onContextLost: function(event) {
      event.preventDefault();
      if (KyWindow.contextLost) return;
      KyWindow.contextLost = true;
      out('Info: [Window] The WebGL context was lost: nothing is drawn until the browser gives it back.');
    },
    // Back, but empty: the engine makes its objects anew before the next
    // frame is drawn. The game itself went on meanwhile.
    onContextRestored: function() {
      if (!KyWindow.contextLost) return;
      KyWebGL.renewContext();
      KyWindow.contextLost = false;
      if (KyWindow.contextRestoredFunc && !KyWindow.closed) {{{ makeDynCall('v', 'KyWindow.contextRestoredFunc') }}}();
    }
  },

  // platform/web/GraphicsContext.cpp: the engine's restore handler, and the
  // canvas watched for the loss of its context.
  kyWindow_WatchContext__deps: ['$KyWindow', '$KyWebGL'],
  kyWindow_WatchContext: function(restored) {
    KyWindow.contextRestoredFunc = restored;
    var canvas = Module['canvas'];
    canvas.addEventListener('webglcontextlost', KyWindow.onContextLost);
    canvas.addEventListener('webglcontextrestored', KyWindow.onContextRestored);
  },

  glutInit__deps: ['$KyWindow'],
  glutInit: function(argcp, argv) {
    GLUT.initTime = Date.now();
    var canvas = Module['canvas'];
    window.addEventListener('keydown', function(e) { KyWindow.onKey(e, true); }, true);
    window.addEventListener('keyup', function(e) { KyWindow.onKey(e, false); }, true);
    window.addEventListener('pointermove', KyWindow.onPointerMove, true);
    window.addEventListener('pointerdown', KyWindow.onPointerDown, true);
    window.addEventListener('pointerup', KyWindow.onPointerUp, true);
    window.addEventListener('pointercancel', KyWindow.onPointerCancel, true);
    canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
    // Nor a click or any other mouse event made up after a touch.
    canvas.addEventListener('touchstart', function(e) { e.preventDefault(); }, {passive: false});
    document.addEventListener('fullscreenchange', KyWindow.onFullscreenChange);
    window.addEventListener('pagehide', KyWindow.onPageHide);
    window.addEventListener('pageshow', KyWindow.onPageShow);
    new ResizeObserver(KyWindow.fit).observe(canvas);
    // A change of the device pixel ratio alone (another screen, the zoom)
    // leaves the canvas's size as it was.
    window.addEventListener('resize', KyWindow.fit);

    var input = Module['textInput'];
    if (input) {
      KyWindow.text.input = input;
      ['input', 'compositionstart', 'compositionend'].forEach(function(kind) {
        input.addEventListener(kind, KyWindow.onTextInput);
      });
      if (window.visualViewport) {
        visualViewport.addEventListener('resize', KyWindow.keepFieldInView);
        visualViewport.addEventListener('scroll', KyWindow.keepFieldInView);
      }
    }
    Module['kyTextInputBegin'] = KyWindow.beginText;
    Module['kyTextInputUpdate'] = KyWindow.updateText;
    Module['kyTextInputEnd'] = KyWindow.endText;
    var control = Module['fullScreenControl'];
    if (control) control.addEventListener('click', KyWindow.onFullScreenControl);
    KyWindow.showFullScreenControl();
  },

  // As the browser's own, and the page hears when the first frame is drawn
  // (its loading indicator goes, and the mark tells a benchmark when) and
  // counts the frames.
  glutPostRedisplay__deps: ['$GLUT', '$Browser', '$KyWindow'],
  glutPostRedisplay: function() {
    if (!GLUT.displayFunc || GLUT.requestedAnimationFrame) return;
    GLUT.requestedAnimationFrame = true;
    Browser.requestAnimationFrame(function() {
      GLUT.requestedAnimationFrame = false;
      if (KyWindow.closed || KyWindow.contextLost) return;
      Browser.mainLoop.runIter(function() { {{{ makeDynCall('v', 'GLUT.displayFunc') }}}(); });
      Module['kyFrames'] = (Module['kyFrames'] || 0) + 1;
      if (!KyWindow.drewFrame) {
        KyWindow.drewFrame = true;
        performance.mark('tumblox-first-frame');
        if (Module['onFirstFrame']) Module['onFirstFrame']();
      }
    });
  },

  // The context is WebGL 2, chosen at link time (-sMAX_WEBGL_VERSION=2).
  glutInitContextVersion: function(majorVersion, minorVersion) {},
  glutInitContextFlags: function(flags) {},
  glutInitContextProfile: function(profile) {},
  // The main loop never returns in a page; nothing to choose.
  glutSetOption: function(option, value) {},

  glutCloseFunc__deps: ['$KyWindow'],
  glutCloseFunc: function(func) {
    KyWindow.closeFunc = func;
  },

  // A fatal error: the window closes as the desktop's does when its loop ends.
  glutLeaveMainLoop__deps: ['$KyWindow'],
  glutLeaveMainLoop: function() {
    setTimeout(KyWindow.onPageHide, 0);
  },

  glutGetWindow__deps: ['$KyWindow'],
  glutGetWindow: function() {
    return Module.ctx && !KyWindow.closed ? 1 : 0;
  },

  // Only the one query the engine makes; the browser's GLUT does not know it.
  glutGet__deps: ['$GLUT'],
  glutGet: function(type) {
    if (type == 0x007C /* GLUT_INIT_STATE */) return GLUT.initTime !== null ? 1 : 0;
    if (type == 102 /* GLUT_WINDOW_WIDTH */) return Module['canvas'].width;
    if (type == 103 /* GLUT_WINDOW_HEIGHT */) return Module['canvas'].height;
    return 0;
  },

  glutFullScreen__deps: ['$KyWindow'],
  glutFullScreen: function() {
    KyWindow.wantsFullScreen = true;
    // Refused (no user action behind it, not allowed, no such thing here):
    // the game stays in its window and is told so as when the browser
    // leaves.
    function refused(reason) {
      out('Info: [Window] The browser refused full screen: ' + reason);
      KyWindow.onFullscreenChange();
    }
    var target = KyWindow.fullScreenTarget();
    if (!target.requestFullscreen) {
      setTimeout(refused, 0, 'this browser has no full screen for a page');
      return;
    }
    var request = target.requestFullscreen();
    if (request) request.then(function() {
      // A phone turns the board's way; elsewhere the lock is refused, and
      // that is all.
      if (screen.orientation && screen.orientation.lock)
        screen.orientation.lock('landscape').catch(function() {});
    }, refused);
  },

  glutLeaveFullScreen__deps: ['$KyWindow'],
  glutLeaveFullScreen: function() {
    KyWindow.wantsFullScreen = false;
    if (document.fullscreenElement) document.exitFullscreen();
  }
};

mergeInto(LibraryManager.library, LibraryKyWindow);
