#include "game/ScoreTable.h"

#include "engine/core/Log.h"
#include "game/Game.h"
#include "platform/CalendarTime.h"
#include "platform/Storage.h"
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

ScoreTable ScoreTable::tables[SCORE_TABLES];
char* ScoreTable::pendingEntry = nullptr;
int (*ScoreTable::renameFile)(const char* from, const char* to) = std::rename;

const char* const ScoreTable::fileNames[SCORE_TABLES] = {"simple.score", "arcade.score", "succeed.score",
                                                         "tetris.score"};
const char* const ScoreTable::titles[SCORE_TABLES] = {"Simple", "Arcade", "Succeeding", "Tetris"};

namespace
{
constexpr uint32_t CRC_POLYNOMIAL = 0x04C11DB7u;
constexpr int ENTRIES_OFFSET = 24;
constexpr int ENTRY_BYTES = 40;
constexpr int CHECKSUM_OFFSET = 504;
constexpr int RESERVED_OFFSET = 508;

struct CrcTable
{
    uint32_t values[256];
    CrcTable()
    {
        for (uint32_t i = 0; i < 256; ++i)
        {
            uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                r = (r & 0x80000000u) ? (r << 1) ^ CRC_POLYNOMIAL : r << 1;
            values[i] = r;
        }
    }
};
const CrcTable crcTable;

void Put32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

uint32_t Get32(const unsigned char* p)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

void Put64(unsigned char* p, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

uint64_t Get64(const unsigned char* p)
{
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

void WriteTitle(ScoreTable& table, const char* title)
{
    // Only the title's characters and its zero; the rest of the field stays.
    std::memcpy(table.title, title, std::strlen(title) + 1);
}

// Reads one file into a zeroed buffer; false when it cannot be opened.
bool ReadFile(const char* name, unsigned char buffer[SCORE_TABLE_BYTES])
{
    std::memset(buffer, 0, SCORE_TABLE_BYTES);
    FILE* file = std::fopen(name, "rb");
    if (!file)
        return false;
    // A longer file is not ours to judge beyond its first 512 bytes: their
    // checksum decides, and the next save writes exactly 512. A shorter one
    // leaves the rest of the buffer zero, and the checksum decides as well,
    // so how much was read does not matter.
    [[maybe_unused]] const size_t bytesRead = std::fread(buffer, 1, SCORE_TABLE_BYTES, file);
    std::fclose(file);
    return true;
}

bool IsValid(const unsigned char buffer[SCORE_TABLE_BYTES])
{
    return ScoreTable::Checksum(buffer, SCORE_CHECKED_BYTES) == Get32(buffer + CHECKSUM_OFFSET) &&
           Get32(buffer + RESERVED_OFFSET) == 0;
}

void ReportSaveError(const char* name, int error)
{
    LogError("[ScoreTable::SaveAll] Could not save the score file '%s': %s.", name, std::strerror(error));
}

// The file a save must replace: a score file that is a symbolic link is
// saved into the file it points to, so that the link stays a link. A chain
// too long to follow is left for the open to report.
std::string FollowLinks(const char* name)
{
    std::string path = name;
    for (int hops = 0; hops < 40; ++hops)
    {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            break;
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
        if (length <= 0)
            break;
        target[length] = '\0';
        const size_t slash = path.rfind('/');
        path = target[0] == '/' || slash == std::string::npos ? std::string(target)
                                                               : path.substr(0, slash + 1) + target;
    }
    return path;
}

// Writes all the bytes and flushes them to disk; 0 or the error.
int WriteAndSync(int descriptor, const unsigned char buffer[SCORE_TABLE_BYTES])
{
    size_t written = 0;
    while (written < static_cast<size_t>(SCORE_TABLE_BYTES))
    {
        const ssize_t n = write(descriptor, buffer + written, SCORE_TABLE_BYTES - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        written += static_cast<size_t>(n);
    }
    return fsync(descriptor) != 0 ? errno : 0;
}

// Makes a rename durable. Not every file system supports it, and the file
// is complete either way, so a failure here is not reported.
void SyncDirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string directoryName = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int directory = open(directoryName.c_str(), O_RDONLY | O_DIRECTORY);
    if (directory < 0)
        return;
    fsync(directory);
    close(directory);
}

// Where no file can be made beside the score file (a directory the player
// cannot write), the file itself is rewritten in place, as long as it is
// writable. It is not truncated first, so a write cut short leaves no empty
// file; what follows the 512 bytes goes once they are written.
int SaveInPlace(const std::string& path, const unsigned char buffer[SCORE_TABLE_BYTES])
{
    const int file = open(path.c_str(), O_WRONLY | O_CREAT, 0666);
    if (file < 0)
        return errno;
    int error = WriteAndSync(file, buffer);
    if (!error && ftruncate(file, SCORE_TABLE_BYTES) != 0)
        error = errno;
    if (close(file) != 0 && !error)
        error = errno;
    return error;
}

// Writes the bytes to "<file>.tmp" beside the file, with the file's
// permission bits, flushes them to disk and renames the temporary file over
// the old one, so that the old file stays whole until the new one is
// complete. Falls back to a save in place where the temporary file is
// refused; only when both fail is the old file kept and the error logged.
bool SaveFile(const char* name, const unsigned char buffer[SCORE_TABLE_BYTES])
{
    const std::string path = FollowLinks(name);
    const std::string temporary = path + ".tmp";
    struct stat old;
    const bool exists = stat(path.c_str(), &old) == 0;
    const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0666);
    if (file < 0)
    {
        // When the file cannot be written in place either, the directory's
        // refusal is the cause reported.
        const int refused = errno;
        if ((refused == EACCES || refused == EROFS || refused == EPERM) && SaveInPlace(path, buffer) == 0)
            return true;
        ReportSaveError(name, refused);
        return false;
    }
    int error = 0;
    if (exists && fchmod(file, old.st_mode & 07777) != 0)
        error = errno;
    if (!error)
        error = WriteAndSync(file, buffer);
    if (close(file) != 0 && !error)
        error = errno;
    errno = 0;
    if (!error && ScoreTable::renameFile(temporary.c_str(), path.c_str()) != 0)
        error = errno ? errno : EIO;
    if (error)
    {
        std::remove(temporary.c_str());
        ReportSaveError(name, error);
        return false;
    }
    SyncDirectoryOf(path);
    return true;
}
} // namespace

uint32_t ScoreTable::Checksum(const unsigned char* bytes, int count)
{
    uint32_t crc = 0;
    for (int i = 0; i < count; ++i)
        crc = (crc << 8) ^ crcTable.values[((crc >> 24) ^ bytes[i]) & 0xFFu];
    return crc;
}

uint32_t ScoreTable::Checksum(const ScoreTable& table)
{
    unsigned char buffer[SCORE_TABLE_BYTES];
    Encode(table, buffer);
    return Checksum(buffer, SCORE_CHECKED_BYTES);
}

void ScoreTable::Encode(const ScoreTable& table, unsigned char out[SCORE_TABLE_BYTES])
{
    std::memcpy(out, table.title, SCORE_NAME_SIZE);
    for (int i = 0; i < SCORE_ENTRIES; ++i)
    {
        const ScoreEntry& entry = table.entries[i];
        unsigned char* p = out + ENTRIES_OFFSET + ENTRY_BYTES * i;
        std::memcpy(p, entry.name, SCORE_NAME_SIZE);
        Put32(p + 24, static_cast<uint32_t>(entry.score));
        Put32(p + 28, entry.padding);
        Put64(p + 32, static_cast<uint64_t>(entry.time));
    }
    Put32(out + CHECKSUM_OFFSET, table.checksum);
    Put32(out + RESERVED_OFFSET, table.reserved);
}

void ScoreTable::Decode(const unsigned char in[SCORE_TABLE_BYTES], ScoreTable& table)
{
    std::memcpy(table.title, in, SCORE_NAME_SIZE);
    for (int i = 0; i < SCORE_ENTRIES; ++i)
    {
        ScoreEntry& entry = table.entries[i];
        const unsigned char* p = in + ENTRIES_OFFSET + ENTRY_BYTES * i;
        std::memcpy(entry.name, p, SCORE_NAME_SIZE);
        entry.score = static_cast<int32_t>(Get32(p + 24));
        entry.padding = Get32(p + 28);
        entry.time = static_cast<int64_t>(Get64(p + 32));
    }
    table.checksum = Get32(in + CHECKSUM_OFFSET);
    table.reserved = Get32(in + RESERVED_OFFSET);
}

void ScoreTable::LoadAll()
{
    Game::StateLock lock(Game::stateMutex);
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        ScoreTable& table = tables[t];
        unsigned char buffer[SCORE_TABLE_BYTES];
        if (ReadFile(fileNames[t], buffer))
        {
            if (IsValid(buffer))
            {
                Decode(buffer, table);
                // Every name is drawn as a C string: a file that lacks a
                // terminator must not make the drawing read past its field.
                for (ScoreEntry& entry : table.entries)
                    entry.name[SCORE_NAME_SIZE - 1] = '\0';
            }
            else
                std::memset(&table, 0, sizeof table);
        }
        WriteTitle(table, titles[t]);
    }
}

void ScoreTable::SaveAll()
{
    // Encoded under the lock, written without it: the files take their time.
    unsigned char buffers[SCORE_TABLES][SCORE_TABLE_BYTES];
    {
        Game::StateLock lock(Game::stateMutex);
        for (int t = 0; t < SCORE_TABLES; ++t)
        {
            ScoreTable& table = tables[t];
            table.checksum = Checksum(table);
            table.reserved = 0;
            Encode(table, buffers[t]);
        }
    }
    for (int t = 0; t < SCORE_TABLES; ++t)
        SaveFile(fileNames[t], buffers[t]);
    KyStorage_Commit();
}

void ScoreTable::Insert(int t, int score)
{
    pendingEntry = nullptr;
    // No floor on the score: a signed comparison alone places it, so even 0
    // goes above a negative entry that a valid file may hold.
    if (t < 0 || t >= SCORE_TABLES)
        return;
    ScoreTable& table = tables[t];
    for (int i = 0; i < SCORE_ENTRIES; ++i)
    {
        if (table.entries[i].score >= score)
            continue;
        for (int j = SCORE_ENTRIES - 1; j > i; --j)
            table.entries[j] = table.entries[j - 1];
        table.entries[i].score = score;
        table.entries[i].time = CalendarTimeNow();
        // The name keeps the slot's old content until one is confirmed.
        pendingEntry = table.entries[i].name;
        return;
    }
}

void ScoreTable::ConfirmName(const char* text)
{
    Game::StateLock lock(Game::stateMutex);
    if (!pendingEntry)
        return;
    // strncpy pads with zeros, so no tail of an earlier name is left behind.
    std::strncpy(pendingEntry, text ? text : "", SCORE_NAME_SIZE - 1);
    pendingEntry[SCORE_NAME_SIZE - 1] = '\0';
    pendingEntry = nullptr;
}
