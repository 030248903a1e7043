#include "platform/Storage.h"

#include <mutex>

bool KyStorage_SaveOnChange()
{
    return false;
}

void KyStorage_Save(void (*save)(), void (*kept)())
{
    // Threads of one program take turns; the file locks only keep other
    // programs out, and kept() must follow its own save.
    static std::mutex saving;
    std::lock_guard<std::mutex> lock(saving);
    save();
    kept();
}

void KyStorage_OnOthersSaved(void (*)())
{
}

void KyStorage_KeepLasting()
{
}
