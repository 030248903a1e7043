#include "platform/FileLock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{
using Clock = std::chrono::steady_clock;

// A save holds the lock for a few milliseconds; waiting in small steps
// lets the next writer in soon after.
constexpr std::chrono::milliseconds RETRY_STEP(5);

// Opens path to lock it: made when missing (created then says so), for
// writing where allowed (a file system that emulates these locks with
// record locks wants that), for reading otherwise. -1 with errno.
int OpenToLock(const char* path, bool& created)
{
    created = false;
    int descriptor = open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0)
    {
        created = true;
        return descriptor;
    }
    if (errno != EEXIST)
        return -1;
    descriptor = open(path, O_RDWR | O_CLOEXEC);
    if (descriptor < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
        descriptor = open(path, O_RDONLY | O_CLOEXEC);
    return descriptor;
}

// Whether the open file is still the one path names: a save that renamed
// its new file over it, or a removal, ends that.
bool StillNamed(int descriptor, const char* path)
{
    struct stat held, named;
    return fstat(descriptor, &held) == 0 && stat(path, &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}
} // namespace

bool KyFileLock_Acquire(const char* path, double waitSeconds, KyFileLock& lock)
{
    lock = KyFileLock{-1, false};
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(waitSeconds));
    for (;;)
    {
        bool created = false;
        const int descriptor = OpenToLock(path, created);
        if (descriptor < 0)
        {
            // Removed between the two opens: look again.
            if (errno == ENOENT && Clock::now() < deadline)
                continue;
            return false;
        }
        while (flock(descriptor, LOCK_EX | LOCK_NB) != 0)
        {
            const int error = errno;
            if (error != EINTR && (error != EWOULDBLOCK || Clock::now() >= deadline))
            {
                close(descriptor);
                errno = error;
                return false;
            }
            if (error == EWOULDBLOCK)
                std::this_thread::sleep_for(RETRY_STEP);
        }
        if (StillNamed(descriptor, path))
        {
            lock = KyFileLock{descriptor, created};
            return true;
        }
        close(descriptor);
        if (Clock::now() >= deadline)
        {
            errno = EWOULDBLOCK;
            return false;
        }
    }
}

void KyFileLock_Release(const char* path, KyFileLock& lock, bool written)
{
    if (lock.descriptor < 0)
        return;
    // Still held here, so no other locking writer has filled the empty file;
    // one that saved without the lock has replaced it, and that one stays.
    if (lock.created && !written && StillNamed(lock.descriptor, path))
        unlink(path);
    close(lock.descriptor);
    lock = KyFileLock{-1, false};
}
