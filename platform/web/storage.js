// The player's storage in the browser, run before the program (emcc
// --pre-js). The working directory is a folder backed by IndexedDB: its
// files are read from the database before main, so the score tables are
// there when the game loads them, and platform/web/Storage.cpp hands every
// save back at once, since a page can be closed at any moment and a copy
// started as it goes does not survive it. A file the database gives back
// damaged or foreign counts as an empty table, as on the desktop; a database
// that cannot be read at all leaves the folder empty.

Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  var folder = '/home/web_user/tumblox';
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

// Each save writes the folder's files (the game adds and replaces files,
// never removes one) in one transaction that makes all its requests at once
// and commits itself, so saves are kept in their order. WebKit freezes a page going into its back-forward cache
// with a transaction that still waits on the page's callbacks, which then
// blocks every later visit's read of the scores.
Module.kyStorageCommit = function() {
  var folder = FS.cwd();  // the folder mounted before main
  var db = IDBFS.dbs[folder];
  if (!db) {
    // The read before main could not open the database: try it again.
    FS.syncfs(false, function(error) {
      if (error) err('Error: [Storage] Could not keep the scores in the browser: ' + error);
    });
    return;
  }
  try {
    var transaction = db.transaction([IDBFS.DB_STORE_NAME], 'readwrite');
    transaction.onabort = function() {
      err('Error: [Storage] Could not keep the scores in the browser: ' + transaction.error);
    };
    var store = transaction.objectStore(IDBFS.DB_STORE_NAME);
    FS.readdir(folder).forEach(function(name) {
      var path = folder + '/' + name;
      var stat = FS.stat(path);
      if (FS.isFile(stat.mode))
        store.put({timestamp: stat.mtime, mode: stat.mode, contents: FS.readFile(path)}, path);
    });
    if (transaction.commit) transaction.commit();
  } catch (error) {
    err('Error: [Storage] Could not keep the scores in the browser: ' + error);
  }
};
