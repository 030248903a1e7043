#include "game/ScoreTable.h"

#include "engine/core/Log.h"
#include "game/Game.h"
#include "platform/CalendarTime.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
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

// Writes the bytes to "<name>.tmp", flushes them to disk and renames the
// file over the old one, so that the old file stays whole until the new one
// is complete.
bool SaveFile(const char* name, const unsigned char buffer[SCORE_TABLE_BYTES])
{
    const std::string temporary = std::string(name) + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
    {
        ReportSaveError(name, errno);
        return false;
    }
    int error = 0;
    errno = 0;
    if (std::fwrite(buffer, 1, SCORE_TABLE_BYTES, file) != static_cast<size_t>(SCORE_TABLE_BYTES))
        error = errno ? errno : EIO;
    if (!error && std::fflush(file) != 0)
        error = errno;
    if (!error && fsync(fileno(file)) != 0)
        error = errno;
    if (std::fclose(file) != 0 && !error)
        error = errno;
    errno = 0;
    if (!error && ScoreTable::renameFile(temporary.c_str(), name) != 0)
        error = errno ? errno : EIO;
    if (error)
    {
        std::remove(temporary.c_str());
        ReportSaveError(name, error);
        return false;
    }
    return true;
}

// Makes the renames themselves durable. Not every file system supports it,
// and the files are complete either way, so a failure here is not reported.
void SyncWorkingDirectory()
{
    int directory = open(".", O_RDONLY | O_DIRECTORY);
    if (directory < 0)
        return;
    fsync(directory);
    close(directory);
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
    bool anySaved = false;
    for (int t = 0; t < SCORE_TABLES; ++t)
        anySaved = SaveFile(fileNames[t], buffers[t]) || anySaved;
    if (anySaved)
        SyncWorkingDirectory();
}

void ScoreTable::Insert(int t, int score)
{
    pendingEntry = nullptr;
    if (t < 0 || t >= SCORE_TABLES || score <= 0)
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
