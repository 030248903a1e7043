#include "platform/KyFile.h"

#include "platform/DataFolder.h"
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

KyFile::~KyFile()
{
    CloseFile();
}

KyResult KyFile::OpenFile(const char* path, unsigned int mode)
{
    if (path == nullptr || (mode & KY_FILE_READ) == 0)
        return KY_ERROR_ARGUMENT;
    CloseFile();
    char located[4096];
    path = KyData_Locate(path, located, sizeof located);
    int fd;
    do
        fd = open(path, O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return KY_ERROR_OPEN;
    // A directory opens for reading on Linux but is no file to load.
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    {
        close(fd);
        return KY_ERROR_OPEN;
    }
    handle = fd + 1;
    return KY_OK;
}

KyResult KyFile::Read(void* buffer, int count)
{
    if (handle == 0)
        return KY_ERROR_NOT_OPEN;
    if (count < 0 || (buffer == nullptr && count > 0))
        return KY_ERROR_ARGUMENT;
    char* out = static_cast<char*>(buffer);
    size_t left = static_cast<size_t>(count);
    while (left > 0)
    {
        ssize_t got = read(handle - 1, out, left);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return KY_ERROR_READ;
        out += got;
        left -= static_cast<size_t>(got);
    }
    return KY_OK;
}

KyResult KyFile::Seek(int offset, KyVFileSeekOrigin origin)
{
    if (handle == 0)
        return KY_ERROR_NOT_OPEN;
    int whence;
    switch (origin)
    {
    case KY_SEEK_BEGIN:
        whence = SEEK_SET;
        break;
    case KY_SEEK_CURRENT:
        whence = SEEK_CUR;
        break;
    case KY_SEEK_END:
        whence = SEEK_END;
        break;
    default:
        return KY_ERROR_ARGUMENT;
    }
    return lseek(handle - 1, offset, whence) < 0 ? KY_ERROR_SEEK : KY_OK;
}

KyResult KyFile::CloseFile()
{
    if (handle != 0)
    {
        close(handle - 1);
        handle = 0;
    }
    return KY_OK;
}

long KyFile::Remaining() const
{
    if (handle == 0)
        return -1;
    off_t here = lseek(handle - 1, 0, SEEK_CUR);
    struct stat st;
    if (here < 0 || fstat(handle - 1, &st) != 0)
        return -1;
    return st.st_size > here ? static_cast<long>(st.st_size - here) : 0;
}

const char* KyFE_GetFileNameExtension(const char* path)
{
    if (path == nullptr)
        return "";
    const char* name = std::strrchr(path, '/');
    name = name ? name + 1 : path;
    const char* dot = std::strrchr(name, '.');
    return dot ? dot + 1 : "";
}
