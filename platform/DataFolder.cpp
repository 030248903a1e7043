#include "platform/DataFolder.h"

const char* KyData_Locate(const char* path, char*, size_t)
{
    return path;
}
