#include "platform/GraphicsContext.h"

void KyGraphics_OnContextRestored(void (*)())
{
    // A desktop context is never lost: nothing to watch.
}
