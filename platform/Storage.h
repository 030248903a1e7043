#pragma once

// How the player's files (the score tables) outlive the program. A desktop
// program is closed through its window, saves then, and each save reaches
// the disk by itself. A browser page can go at any moment without a word,
// and its working directory is a copy in memory of what the browser keeps
// for the site, so there every change is saved at once and handed to the
// browser's storage.

// Whether a file is to be saved as soon as its content changes, rather than
// when the program closes.
bool KyStorage_SaveOnChange();
// Hands the files just saved to lasting storage; nothing to do where a save
// is lasting by itself.
void KyStorage_Commit();
