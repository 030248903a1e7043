#include "platform/HeapTuning.h"

#include <cstdlib> // defines __GLIBC__ where it applies
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace
{
// Well above one frame's binning memory, well below anything a player would
// notice as resident size.
constexpr int TRIM_THRESHOLD = 32 * 1024 * 1024;
// glibc's own default; setting it explicitly stops the dynamic raising.
constexpr int MMAP_THRESHOLD = 128 * 1024;
} // namespace

bool KyHeap_KeepFrameMemory()
{
#if defined(__GLIBC__)
    return mallopt(M_TRIM_THRESHOLD, TRIM_THRESHOLD) == 1 && mallopt(M_MMAP_THRESHOLD, MMAP_THRESHOLD) == 1;
#else
    return false;
#endif
}
