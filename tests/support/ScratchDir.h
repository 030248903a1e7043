#pragma once
#include <string>

// A fresh directory "/tmp/<name>-XXXXXX" for one test, removed with all it
// holds when the object goes, so also after a failed assertion. path is
// empty when the directory cannot be made.
class ScratchDir
{
public:
    explicit ScratchDir(const char* name = "tumblox-test");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string path;
};
