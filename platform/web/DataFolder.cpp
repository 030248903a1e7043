#include "platform/DataFolder.h"

#include <cstdio>

namespace
{
// Where the site's packed data is unpacked (--preload-file, cmake/Web.cmake).
const char* const DATA_FOLDER = "/data/";
} // namespace

const char* KyData_Locate(const char* path, char* buffer, size_t size)
{
    if (path[0] == '/')
        return path;
    const int length = std::snprintf(buffer, size, "%s%s", DATA_FOLDER, path);
    return length > 0 && static_cast<size_t>(length) < size ? buffer : path;
}
