// One texture reader under libFuzzer, chosen by FUZZ_EXTENSION. The input is
// written to an in-memory file and read back through the file layer, by the
// same dispatch Texture::Load uses, so the whole reading path is covered. On
// success the description must be one the upload can use safely: its level
// blocks hold every byte OpenGL will read from them.
#include "engine/resources/TextureDecoders.h"
#include "platform/KyFile.h"

#include <sanitizer/allocator_interface.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

#ifndef FUZZ_EXTENSION
#error "FUZZ_EXTENSION names the reader: kyt, tga or bmp"
#endif

using namespace KyE::Graphic::Material;

namespace
{
int InputFile()
{
    static int fd = memfd_create("texture-input", MFD_CLOEXEC);
    return fd;
}

[[noreturn]] void Fail(const char* what)
{
    fprintf(stderr, "fuzz: %s\n", what);
    abort();
}

// The bytes the upload reads from level 0: w x h texels, tightly packed
// (the upload unpacks with alignment 1). The readers make 2D textures.
void CheckDescription(const RawTexture& raw)
{
    if (raw.kind != TEXTURE_KIND_2D || !raw.generateMipmaps)
        Fail("a reader made something other than a mipmapped 2D texture");
    if (raw.levelCount < 1 || raw.levelCount > RAW_TEXTURE_MAX_LEVELS)
        Fail("level count out of range");
    if (raw.width < 1 || raw.height < 1)
        Fail("empty image accepted");
    int bytesPerTexel = BytesPerTexel(raw.format, raw.componentSize);
    if (bytesPerTexel == 0)
        Fail("format outside the tables accepted");
    if (raw.levels[0] == nullptr)
        Fail("level 0 missing");
    uint64_t needed = uint64_t(raw.width) * uint64_t(raw.height) * uint64_t(bytesPerTexel);
    if (needed > RAW_TEXTURE_MAX_BYTES)
        Fail("image over the byte budget accepted");
    if (__sanitizer_get_allocated_size(raw.levels[0]) < needed)
        Fail("level 0 is smaller than the upload reads");
    for (int i = raw.levelCount; i < RAW_TEXTURE_MAX_LEVELS; ++i)
        if (raw.levels[i] != nullptr)
            Fail("a block beyond the level count");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int fd = InputFile();
    if (fd < 0 || ftruncate(fd, 0) != 0 || (size > 0 && pwrite(fd, data, size, 0) != ssize_t(size)))
        Fail("cannot write the input file");
    char path[64];
    snprintf(path, sizeof path, "/proc/self/fd/%d", fd);

    KyFile file;
    if (file.OpenFile(path, KY_FILE_READ) != KY_OK)
        Fail("cannot open the input file");
    RawTexture raw;
    bool ok = DecodeTextureFile(file, "input." FUZZ_EXTENSION, raw);
    file.CloseFile();
    if (ok)
        CheckDescription(raw);
    raw.FreeLevels();
    return 0;
}
