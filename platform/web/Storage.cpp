#include "platform/Storage.h"

#include <emscripten.h>

namespace
{
void (*saveFiles)() = nullptr;
void (*filesKept)() = nullptr;
void (*reloadFiles)() = nullptr;
} // namespace

// Called by the page's storage code (storage.js) inside the site's lock.
extern "C" EMSCRIPTEN_KEEPALIVE void KyStorage_RunSave()
{
    if (saveFiles != nullptr)
        saveFiles();
}

extern "C" EMSCRIPTEN_KEEPALIVE void KyStorage_RunKept()
{
    if (filesKept != nullptr)
        filesKept();
}

extern "C" EMSCRIPTEN_KEEPALIVE void KyStorage_RunReload()
{
    if (reloadFiles != nullptr)
        reloadFiles();
}

bool KyStorage_SaveOnChange()
{
    return true;
}

void KyStorage_Save(void (*save)(), void (*kept)())
{
    saveFiles = save;
    filesKept = kept;
    // The lock, the database and its report are storage.js's.
    EM_ASM({ Module.kyStorageSave(); });
}

void KyStorage_OnOthersSaved(void (*reload)())
{
    reloadFiles = reload;
    EM_ASM({ Module.kyStorageListen(); });
}

void KyStorage_KeepLasting()
{
    EM_ASM({ Module.kyStorageKeep(); });
}
