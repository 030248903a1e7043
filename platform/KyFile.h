#pragma once
// A small file layer the texture and font loaders read through. Its contract:
// an object whose bytes are all zero is a closed file, closing twice is
// harmless, and every operation answers 0 for success; a read that cannot
// deliver every byte asked for is a failure.

typedef int KyResult;

enum KyVFileSeekOrigin
{
    KY_SEEK_BEGIN = 0,
    KY_SEEK_CURRENT = 1,
    KY_SEEK_END = 2
};

enum : KyResult
{
    KY_OK = 0,
    KY_ERROR_OPEN = 1,
    KY_ERROR_NOT_OPEN = 2,
    KY_ERROR_READ = 3,
    KY_ERROR_SEEK = 4,
    KY_ERROR_ARGUMENT = 5
};

// Mode bit for reading from the start of the file; the loaders pass 16.
constexpr unsigned int KY_FILE_READ = 16;

class KyFile
{
public:
    KyFile() = default;
    ~KyFile();
    KyFile(const KyFile&) = delete;
    KyFile& operator=(const KyFile&) = delete;

    KyResult OpenFile(const char* path, unsigned int mode);
    KyResult Read(void* buffer, int count);
    KyResult Seek(int offset, KyVFileSeekOrigin origin);
    KyResult CloseFile();

    // Bytes from the current position to the end, or -1 when not open.
    long Remaining() const;
    bool IsOpen() const { return handle != 0; }

private:
    // The descriptor plus one, so that zero means "no file".
    int handle = 0;
};

// The extension of the last path component, without its dot; "" when there is
// none. Never null: the result points into path or at a static empty text.
const char* KyFE_GetFileNameExtension(const char* path);
