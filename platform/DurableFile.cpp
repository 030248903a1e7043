#include "platform/DurableFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Writes all the bytes and flushes them to disk; 0 or the error.
int WriteAndSync(int descriptor, const unsigned char* bytes, size_t count)
{
    size_t written = 0;
    while (written < count)
    {
        const ssize_t n = write(descriptor, bytes + written, count - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        written += static_cast<size_t>(n);
    }
    return fsync(descriptor) != 0 ? errno : 0;
}

// Makes a rename durable. Not every file system supports it, and the file
// is complete either way, so a failure here is not reported.
void SyncDirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string directoryName = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int directory = open(directoryName.c_str(), O_RDONLY | O_DIRECTORY);
    if (directory < 0)
        return;
    fsync(directory);
    close(directory);
}

// The file is not truncated first, so a write cut short leaves no empty
// file; what follows the new bytes goes once they are written.
int WriteInPlace(const std::string& path, const unsigned char* bytes, size_t count)
{
    const int file = open(path.c_str(), O_WRONLY | O_CREAT, 0666);
    if (file < 0)
        return errno;
    int error = WriteAndSync(file, bytes, count);
    if (!error && ftruncate(file, static_cast<off_t>(count)) != 0)
        error = errno;
    if (close(file) != 0 && !error)
        error = errno;
    return error;
}
} // namespace

std::string KyDurableFile_FollowLinks(const char* name)
{
    std::string path = name;
    for (int hops = 0; hops < 40; ++hops)
    {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            break;
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
        if (length <= 0)
            break;
        target[length] = '\0';
        const size_t slash = path.rfind('/');
        path =
            target[0] == '/' || slash == std::string::npos ? std::string(target) : path.substr(0, slash + 1) + target;
    }
    return path;
}

int KyDurableFile_Write(const std::string& path, const unsigned char* bytes, size_t count, bool locked,
                        int (*renameFile)(const char* from, const char* to))
{
    const std::string temporary = locked ? path + ".tmp" : path + "." + std::to_string(getpid()) + ".tmp";
    struct stat old;
    const bool exists = stat(path.c_str(), &old) == 0;
    const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0666);
    if (file < 0)
    {
        // When the file cannot be written in place either, the directory's
        // refusal is the cause reported.
        const int refused = errno;
        if ((refused == EACCES || refused == EROFS || refused == EPERM) && WriteInPlace(path, bytes, count) == 0)
            return 0;
        return refused;
    }
    int error = 0;
    if (exists && fchmod(file, old.st_mode & 07777) != 0)
        error = errno;
    if (!error)
        error = WriteAndSync(file, bytes, count);
    if (close(file) != 0 && !error)
        error = errno;
    errno = 0;
    if (!error && renameFile(temporary.c_str(), path.c_str()) != 0)
        error = errno ? errno : EIO;
    if (error)
    {
        std::remove(temporary.c_str());
        return error;
    }
    SyncDirectoryOf(path);
    return 0;
}
