#include "platform/Storage.h"

#include <emscripten.h>

bool KyStorage_SaveOnChange()
{
    return true;
}

void KyStorage_Commit()
{
    // The copy to IndexedDB runs in the background; the page's storage code
    // (storage.js) reports a failure.
    EM_ASM({ Module.kyStorageCommit(); });
}
