// The font file reader under libFuzzer: the input is read back through the
// file layer exactly as Font::Load reads it. On success what the upload and
// the drawing use must be sound: a positive line height, an atlas of
// positive size whose block holds every pixel.
#include "engine/graphic/FontFile.h"

#include <sanitizer/allocator_interface.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace
{
[[noreturn]] void Fail(const char* what)
{
    fprintf(stderr, "fuzz: %s\n", what);
    abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int fd = memfd_create("font-input", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, 0) != 0 || (size > 0 && pwrite(fd, data, size, 0) != ssize_t(size)))
        Fail("cannot write the input file");
    char path[64];
    snprintf(path, sizeof path, "/proc/self/fd/%d", fd);

    KyE::Graphic::FontFile content;
    if (KyE::Graphic::ReadFontFile(path, content))
    {
        if (content.lineHeight < 1)
            Fail("a line height below 1 accepted");
        if (content.atlasWidth < 1 || content.atlasHeight < 1)
            Fail("an empty atlas accepted");
        const uint64_t pixels = uint64_t(content.atlasWidth) * uint64_t(content.atlasHeight);
        if (content.pixels == nullptr || __sanitizer_get_allocated_size(content.pixels) < pixels)
            Fail("the atlas block is smaller than the upload reads");
        if (4368 + pixels > size)
            Fail("more pixels accepted than the file holds");
        free(content.pixels);
    }
    else if (content.pixels != nullptr)
        Fail("a refused file left a pixel block");
    return 0;
}
