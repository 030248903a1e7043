#pragma once

// An exclusive lock on one of the player's files, between the programs (and
// the threads) that save it, so that reading it, merging what it holds and
// writing it back happen as one. On the desktop the lock is taken on the
// file itself: it needs only read access, so a file in a directory the
// player may not write can be locked as well, and it survives a save that
// renames a new file over the old one, since a lock that was won on a file
// replaced in the meantime is let go and taken again on the new one. A
// missing file is made, empty, to be locked, where the directory allows it.
// A browser page has one thread, and the site's lock around the whole save
// is taken before the save starts (platform/web/storage.js); there the lock
// is always had at once.

struct KyFileLock
{
    int descriptor; // the open file that holds the lock; -1 for none
    bool created;   // the file was made for the lock
};

// Takes the lock on path (a file, not a link to one), waiting at most
// waitSeconds while another holder has it; never longer. False, with errno
// set, when it cannot be had: EWOULDBLOCK when another holder kept it for
// all that time, otherwise the reason the file cannot be opened or locked
// (a missing file in a directory the player may not write, a file system
// without locks).
bool KyFileLock_Acquire(const char* path, double waitSeconds, KyFileLock& lock);
// Lets the lock go. A file made for the lock and never written (the save
// failed) is removed again, so that a failed save leaves nothing behind.
void KyFileLock_Release(const char* path, KyFileLock& lock, bool written);
