// The window side of the browser build, as a library for emcc: what the
// browser's GLUT lacks of the interface the engine calls (the context and
// close calls, leaving full screen and the main loop, the window query), and
// input that reaches the engine's callbacks as the desktop's freeglut
// delivers it: characters as their codes, the other keys as freeglut's
// special keys, and the pointer where it is now. The browser's GLUT reports
// the pointer position from before each motion and maps keys differently,
// so its own listeners are not installed at all.

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
      var key = KyWindow.translateKey(event);
      if (key === null || KyWindow.closed) return;
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

    onMouseMove: function(event) {
      if (KyWindow.closed) return;
      // Over the canvas, or anywhere while a button held down on it.
      if (event.target != Module['canvas'] && !GLUT.buttons) return;
      var p = KyWindow.position(event);
      KyWindow.moveTo(p[0], p[1]);
    },

    onMouseButton: function(event, down) {
      if (KyWindow.closed || event.button > 2) return;
      var onCanvas = event.target == Module['canvas'];
      // A release counts wherever it happens once the press was ours.
      if (down ? !onCanvas : !(GLUT.buttons & (1 << event.button))) return;
      event.preventDefault();
      var p = KyWindow.position(event);
      KyWindow.moveTo(p[0], p[1]);
      if (down) GLUT.buttons |= 1 << event.button;
      else GLUT.buttons &= ~(1 << event.button);
      if (GLUT.mouseFunc) {{{ makeDynCall('viiii', 'GLUT.mouseFunc') }}}(event.button, down ? 0 : 1, p[0], p[1]);
    },

    // The drawing buffer follows the canvas's size on the page (the page
    // fits it to the viewport; full screen fills the screen), in device
    // pixels, and the reshape handler hears of every change.
    fit: function() {
      var canvas = Module['canvas'];
      var rect = canvas.getBoundingClientRect();
      var ratio = window.devicePixelRatio || 1;
      var w = Math.max(1, Math.round(rect.width * ratio));
      var h = Math.max(1, Math.round(rect.height * ratio));
      if (w == canvas.width && h == canvas.height) return;
      canvas.width = w;
      canvas.height = h;
      if (GLUT.reshapeFunc && !KyWindow.closed) {{{ makeDynCall('vii', 'GLUT.reshapeFunc') }}}(w, h);
    },

    onFullscreenChange: function() {
      var full = document.fullscreenElement == Module['canvas'];
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
    window.addEventListener('mousemove', KyWindow.onMouseMove, true);
    window.addEventListener('mousedown', function(e) { KyWindow.onMouseButton(e, true); }, true);
    window.addEventListener('mouseup', function(e) { KyWindow.onMouseButton(e, false); }, true);
    canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
    document.addEventListener('fullscreenchange', KyWindow.onFullscreenChange);
    window.addEventListener('pagehide', KyWindow.onPageHide);
    window.addEventListener('pageshow', KyWindow.onPageShow);
    new ResizeObserver(KyWindow.fit).observe(canvas);
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
    var request = Module['canvas'].requestFullscreen();
    if (request) request.catch(function(reason) {
      // Refused (no user action behind it, or not allowed): the game stays
      // in its window and is told so as when the browser leaves.
      out('Info: [Window] The browser refused full screen: ' + reason);
      KyWindow.onFullscreenChange();
    });
  },

  glutLeaveFullScreen__deps: ['$KyWindow'],
  glutLeaveFullScreen: function() {
    KyWindow.wantsFullScreen = false;
    if (document.fullscreenElement) document.exitFullscreen();
  }
};

mergeInto(LibraryManager.library, LibraryKyWindow);
