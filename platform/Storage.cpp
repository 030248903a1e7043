#include "platform/Storage.h"

bool KyStorage_SaveOnChange()
{
    return false;
}

void KyStorage_Commit()
{
}
