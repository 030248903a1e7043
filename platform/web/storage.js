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

// One copy at a time; a save during a copy is copied once it ends.
Module.kyStorageCommit = function() {
  if (Module.kyStorageBusy) {
    Module.kyStorageAgain = true;
    return;
  }
  Module.kyStorageBusy = true;
  try {
    FS.syncfs(false, function(error) {
      if (error) err('Error: [Storage] Could not keep the scores in the browser: ' + error);
      Module.kyStorageBusy = false;
      if (Module.kyStorageAgain) {
        Module.kyStorageAgain = false;
        Module.kyStorageCommit();
      }
    });
  } catch (error) {
    err('Error: [Storage] Could not keep the scores in the browser: ' + error);
    Module.kyStorageBusy = false;
  }
};
