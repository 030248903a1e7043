#include "tests/support/ScratchDir.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
std::string MakeDirectory(const char* name)
{
    std::string pattern = std::string("/tmp/") + name + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    return mkdtemp(buffer.data()) != nullptr ? std::string(buffer.data()) : std::string();
}
} // namespace

ScratchDir::ScratchDir(const char* name) : path(MakeDirectory(name))
{
}

ScratchDir::~ScratchDir()
{
    if (path.empty())
        return;
    // Tests take the write permission from directories to see a save
    // refused; each is given it back before the walk goes into it.
    std::error_code ignored;
    chmod(path.c_str(), 0700);
    for (fs::recursive_directory_iterator entry(path, ignored), end; entry != end; entry.increment(ignored))
        if (entry->is_directory(ignored) && !entry->is_symlink(ignored))
            chmod(entry->path().c_str(), 0700);
    fs::remove_all(path, ignored);
}
