#pragma once

// How the player's files (the score tables) outlive the program. A desktop
// program is closed through its window, saves then, and each save reaches
// the disk by itself. A browser page can go at any moment without a word,
// and its working directory is a copy in memory of what the browser keeps
// for the site, so there every change is saved at once and handed to the
// browser's storage. Other copies of the program may save the same files
// meanwhile: other windows on the desktop, other tabs in the browser.

// Whether a file is to be saved as soon as its content changes, rather than
// when the program closes.
bool KyStorage_SaveOnChange();
// Runs save, which reads the player's files, merges what they hold and
// writes them back, then kept() once what it wrote lasts. On the desktop
// both run at once, one save at a time in the program (each file is locked
// against other programs by save itself, platform/FileLock.h). In the
// browser they run later, in the site's lock, so that no other tab saves
// meanwhile: first the files are read back from the browser's database,
// then save runs, and kept() once the database holds what it wrote; a save
// asked for while one waits for the lock is that one. The other tabs are
// told. A page that is hidden hands what it has not yet kept to the
// database as well, since a phone may end it unseen.
void KyStorage_Save(void (*save)(), void (*kept)());
// Where another copy of the program can tell of its saves (another tab),
// reload() runs after each, and when the page is shown again, with the files
// read back first; it must bring their changes into what the program
// holds. Never called on the desktop.
void KyStorage_OnOthersSaved(void (*reload)());
// Asks that the player's files be kept even when space runs short (a
// browser may clear a site's storage then); call once the tables hold a
// score. Nothing to do where the files are the player's own.
void KyStorage_KeepLasting();
