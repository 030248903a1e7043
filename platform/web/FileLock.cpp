#include "platform/FileLock.h"

// The page's one thread saves only inside the site's lock, which storage.js
// takes around the whole save (and which also keeps the other tabs out), so
// there is nothing to lock file by file.
bool KyFileLock_Acquire(const char*, double, KyFileLock& lock)
{
    lock = KyFileLock{-1, false};
    return true;
}

void KyFileLock_Release(const char*, KyFileLock& lock, bool)
{
    lock = KyFileLock{-1, false};
}
