// The player's storage in the browser, run before the program (emcc
// --pre-js). The working directory is a folder backed by IndexedDB: its
// files are read from the database before main, so the score tables are
// there when the game loads them, and platform/web/Storage.cpp hands every
// save back at once, since a page can be closed at any moment and a copy
// started as it goes does not survive it. A file the database gives back
// damaged or foreign counts as an empty table, as on the desktop; a database
// that cannot be read at all leaves the folder empty.
//
// Several tabs of the site share the database. A save runs in the site's Web
// Lock: the folder's files are read back from the database, the program
// merges them into its tables and writes them, and they are put back into
// the database before the lock goes; then a BroadcastChannel tells the other
// tabs, which read the files back and merge them too, in the lock as well.
// The files are read and put one by one rather than through the folder's own
// copy (FS.syncfs), which tells changed files from their times in
// milliseconds alone, and those can be equal for two tabs' saves (a browser
// may coarsen its clock): one tab's save would then be skipped, or
// overwritten by the other's older file. The records are the folder's, so
// the copy before main reads them.
//
// Where a browser lacks Web Locks (or the page is not a secure context), the
// saves of one tab take turns and the tabs' saves may meet: each still reads
// the files back just before it writes, which keeps the time in which a
// score can be lost to a few milliseconds. Where it lacks BroadcastChannel,
// a tab reads the files back when it is shown again, as every tab does, and
// before each of its saves.

(function() {
  var folder = '/home/web_user/tumblox';
  var lockName = 'tumblox-storage:' + folder;
  var channel = typeof BroadcastChannel == 'function' ? new BroadcastChannel(lockName) : null;

  Module['preRun'] = Module['preRun'] || [];
  Module['preRun'].push(function() {
    FS.mkdirTree(folder);
    FS.mount(IDBFS, {}, folder);
    FS.chdir(folder);
    addRunDependency('kyStorage');
    try {
      FS.syncfs(true, function(error) {
        if (error) err('Error: [Storage] Could not read the saved scores: ' + error);
        removeRunDependency('kyStorage');
      });
    } catch (error) {
      err('Error: [Storage] Could not read the saved scores: ' + error);
      removeRunDependency('kyStorage');
    }
  });

  // Runs task, which returns a promise, where no other tab runs one.
  var turns = Promise.resolve();
  function exclusive(task) {
    var ran = false;
    function once() {
      ran = true;
      return task();
    }
    function inTurn() {
      var run = turns.then(once, once);
      turns = run.catch(function() {});
      return run;
    }
    if (!navigator.locks || !navigator.locks.request) return inTurn();
    // A lock refused outright (a page of no origin) runs the task in turn.
    function refused(error) {
      if (!ran) return inTurn();
      throw error;
    }
    try {
      return navigator.locks.request(lockName, once).catch(refused);
    } catch (error) {
      return refused(error);
    }
  }

  // One transaction on the folder's records; settles when it completes.
  // One that only writes makes its requests at once and commits itself:
  // WebKit freezes a page going into its back-forward cache with a
  // transaction that still waits on the page's callbacks, and that one then
  // blocks every later visit's read of the scores.
  function transaction(mode, use) {
    return new Promise(function(resolve, reject) {
      IDBFS.getDB(folder, function(error, db) {
        if (error) return reject(error);
        try {
          var tx = db.transaction([IDBFS.DB_STORE_NAME], mode);
          tx.oncomplete = function() { resolve(); };
          tx.onabort = tx.onerror = function() { reject(tx.error); };
          use(tx.objectStore(IDBFS.DB_STORE_NAME));
          if (mode == 'readwrite' && tx.commit) tx.commit();
        } catch (e) {
          reject(e);
        }
      });
    });
  }

  // The folder's files as the database holds them now. A record that is no
  // file leaves the folder's copy alone: the program then sees no change.
  function readBack() {
    var prefix = folder + '/';
    return transaction('readonly', function(store) {
      var cursor = store.openCursor();
      cursor.onsuccess = function() {
        var at = cursor.result;
        if (!at) return;
        var path = at.key, record = at.value;
        if (typeof path == 'string' && path.lastIndexOf(prefix, 0) == 0 && path.indexOf('/', prefix.length) < 0 &&
            record && record.contents && typeof record.contents.length == 'number') {
          FS.writeFile(path, new Uint8Array(record.contents));
        }
        at['continue']();
      };
    });
  }

  // The folder's files into the database, in one transaction.
  function storeBack() {
    return transaction('readwrite', function(store) {
      FS.readdir(folder).forEach(function(name) {
        var path = folder + '/' + name;
        var stat = FS.stat(path);
        if (FS.isFile(stat.mode)) {
          store.put({'timestamp': stat.mtime, 'mode': stat.mode, 'contents': FS.readFile(path)}, path);
        }
      });
    });
  }

  function reportRead(error) {
    err('Error: [Storage] Could not read the saved scores: ' + error);
  }

  // A save asked for and not begun yet takes in every later request; one
  // asked for and not kept yet is what a hidden page still owes.
  var saveWaiting = false, unsaved = false;
  Module.kyStorageSave = function() {
    unsaved = true;
    if (saveWaiting) return;
    saveWaiting = true;
    exclusive(function() {
      saveWaiting = false;
      return readBack().catch(reportRead).then(function() {
        unsaved = false;
        Module['_KyStorage_RunSave']();
        return storeBack();
      }).then(function() {
        Module['_KyStorage_RunKept']();
        if (channel) channel.postMessage('saved');
      }, function(error) {
        unsaved = true;
        err('Error: [Storage] Could not keep the scores in the browser: ' + error);
      });
    });
  };

  var listening = false, reloadWaiting = false;
  function reload() {
    if (!listening || reloadWaiting) return;
    reloadWaiting = true;
    exclusive(function() {
      reloadWaiting = false;
      return readBack().then(function() { Module['_KyStorage_RunReload'](); }, reportRead);
    });
  }
  Module.kyStorageListen = function() {
    listening = true;
  };
  if (channel) channel.onmessage = reload;

  // Phones end hidden pages without a pagehide, so what is not yet kept is
  // handed over now; the game plays on when the page comes back, and reads
  // what the other tabs saved meanwhile.
  document.addEventListener('visibilitychange', function() {
    if (document.visibilityState == 'hidden') {
      if (unsaved) Module.kyStorageSave();
    } else {
      reload();
    }
  });

  // Once a table holds a score, the browser is asked not to clear the
  // site's storage when space runs short; it may say no.
  var keepAsked = false;
  Module.kyStorageKeep = function() {
    if (keepAsked || !navigator.storage || !navigator.storage.persist) return;
    keepAsked = true;
    navigator.storage.persist().then(function(granted) {
      out('Info: [Storage] The browser ' + (granted ? 'keeps the saved scores for good.'
                                                    : 'may clear the saved scores when its space runs short.'));
    }, function() {});
  };
})();
