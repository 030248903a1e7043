#include "tools/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool MakeDirectories(const std::string& path)
{
    if (path.empty())
        return true;
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty() || partial == "/")
            continue;
        if (mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "tumblox_assets: cannot create directory '%s': %s\n", partial.c_str(),
                         std::strerror(errno));
            return false;
        }
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "tumblox_assets: '%s' is not a directory\n", path.c_str());
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes)
{
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && !MakeDirectories(path.substr(0, slash)))
        return false;

    // The temporary name carries the process id so that two builds writing
    // the same tree at once cannot tread on each other's half-written file.
    std::string temporary = path + ".tmp" + std::to_string(static_cast<long>(getpid()));
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "tumblox_assets: cannot create '%s': %s\n", temporary.c_str(), std::strerror(errno));
        return false;
    }
    // Keep the first failure's reason: later calls may overwrite errno.
    int failure = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        failure = errno ? errno : EIO;
    if (std::fflush(file) != 0 && !failure)
        failure = errno;
    if (fsync(fileno(file)) != 0 && !failure)
        failure = errno;
    if (std::fclose(file) != 0 && !failure)
        failure = errno;
    if (failure) {
        std::fprintf(stderr, "tumblox_assets: cannot write '%s': %s\n", temporary.c_str(), std::strerror(failure));
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "tumblox_assets: cannot rename '%s' to '%s': %s\n", temporary.c_str(), path.c_str(),
                     std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
