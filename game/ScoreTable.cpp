#include "game/ScoreTable.h"

#include "engine/core/LittleEndian.h"
#include "engine/core/Log.h"
#include "game/Game.h"
#include "platform/CalendarTime.h"
#include "platform/DurableFile.h"
#include "platform/FileLock.h"
#include "platform/Storage.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

ScoreTable ScoreTable::tables[SCORE_TABLES];
char* ScoreTable::pendingEntry = nullptr;
ScoreTable ScoreTable::lastRead[SCORE_TABLES];
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
    return ScoreTable::Checksum(buffer, SCORE_CHECKED_BYTES) == ReadLE32(buffer + CHECKSUM_OFFSET) &&
           ReadLE32(buffer + RESERVED_OFFSET) == 0;
}

void DecodeValid(const unsigned char buffer[SCORE_TABLE_BYTES], ScoreTable& table)
{
    ScoreTable::Decode(buffer, table);
    // Every name is drawn as a C string: a file that lacks a terminator
    // must not make the drawing read past its field.
    for (ScoreEntry& entry : table.entries)
        entry.name[SCORE_NAME_SIZE - 1] = '\0';
}

// The table a file holds; false where it is missing, damaged or foreign.
bool ReadTable(const char* name, ScoreTable& table)
{
    unsigned char buffer[SCORE_TABLE_BYTES];
    if (!ReadFile(name, buffer) || !IsValid(buffer))
        return false;
    DecodeValid(buffer, table);
    return true;
}

bool SameEntry(const ScoreEntry& a, const ScoreEntry& b)
{
    return a.score == b.score && a.time == b.time && std::strncmp(a.name, b.name, SCORE_NAME_SIZE) == 0;
}

// How often entry stands among the first count entries.
int Occurrences(const ScoreEntry* entries, int count, const ScoreEntry& entry)
{
    int found = 0;
    for (int i = 0; i < count; ++i)
        if (entries[i].score != 0 && SameEntry(entries[i], entry))
            ++found;
    return found;
}

int Occurrences(const ScoreTable& table, const ScoreEntry& entry)
{
    return Occurrences(table.entries, SCORE_ENTRIES, entry);
}

// Takes entry i out; those below move up, and an unused one comes last.
void RemoveEntry(ScoreTable& table, int i, int& pending)
{
    for (int j = i; j < SCORE_ENTRIES - 1; ++j)
        table.entries[j] = table.entries[j + 1];
    table.entries[SCORE_ENTRIES - 1] = ScoreEntry{};
    pending = pending == i ? -1 : pending > i ? pending - 1 : pending;
}

// Places entry where Insert would place its score.
void PlaceEntry(ScoreTable& table, const ScoreEntry& entry, int& pending)
{
    for (int i = 0; i < SCORE_ENTRIES; ++i)
    {
        if (table.entries[i].score >= entry.score)
            continue;
        for (int j = SCORE_ENTRIES - 1; j > i; --j)
            table.entries[j] = table.entries[j - 1];
        table.entries[i] = entry;
        if (pending >= i)
            pending = pending + 1 < SCORE_ENTRIES ? pending + 1 : -1;
        return;
    }
}

bool HoldsScores()
{
    for (const ScoreTable& table : ScoreTable::tables)
        for (const ScoreEntry& entry : table.entries)
            if (entry.score != 0)
                return true;
    return false;
}

void ReportSaveError(const char* name, int error)
{
    LogError("[ScoreTable::SaveAll] Could not save the score file '%s': %s.", name, std::strerror(error));
}

// Saves the bytes durably (platform/DurableFile.h) into the file at path,
// the score file or the file its link points to; only when that fails is
// the old file kept and the error logged.
bool SaveFile(const char* name, const std::string& path, bool locked, const unsigned char buffer[SCORE_TABLE_BYTES])
{
    const int error = KyDurableFile_Write(path, buffer, SCORE_TABLE_BYTES, locked, ScoreTable::renameFile);
    if (error)
        ReportSaveError(name, error);
    return error == 0;
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
        WriteLE32(p + 24, static_cast<uint32_t>(entry.score));
        WriteLE32(p + 28, entry.padding);
        WriteLE64(p + 32, static_cast<uint64_t>(entry.time));
    }
    WriteLE32(out + CHECKSUM_OFFSET, table.checksum);
    WriteLE32(out + RESERVED_OFFSET, table.reserved);
}

void ScoreTable::Decode(const unsigned char in[SCORE_TABLE_BYTES], ScoreTable& table)
{
    std::memcpy(table.title, in, SCORE_NAME_SIZE);
    for (int i = 0; i < SCORE_ENTRIES; ++i)
    {
        ScoreEntry& entry = table.entries[i];
        const unsigned char* p = in + ENTRIES_OFFSET + ENTRY_BYTES * i;
        std::memcpy(entry.name, p, SCORE_NAME_SIZE);
        entry.score = static_cast<int32_t>(ReadLE32(p + 24));
        entry.padding = ReadLE32(p + 28);
        entry.time = static_cast<int64_t>(ReadLE64(p + 32));
    }
    table.checksum = ReadLE32(in + CHECKSUM_OFFSET);
    table.reserved = ReadLE32(in + RESERVED_OFFSET);
}

namespace
{
// What each table's last save wrote, until the platform says that it lasts;
// then it is what the table has read. Guarded by Game::stateMutex.
ScoreTable written[SCORE_TABLES];
bool writtenToKeep[SCORE_TABLES];

// Brings another writer's changes to table t's file into the table (and
// what it holds into lastRead), where the file is valid. stateMutex held.
void MergeFile(int t, const ScoreTable* file)
{
    if (file == nullptr)
        return;
    ScoreTable::Merge(ScoreTable::tables[t], ScoreTable::lastRead[t], *file);
    ScoreTable::lastRead[t] = *file;
}

// Each file locked, read, merged and written, one after the other; the
// lock is never held while waiting for another file's.
void SaveFiles()
{
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        const char* name = ScoreTable::fileNames[t];
        const std::string path = KyDurableFile_FollowLinks(name);
        KyFileLock lock;
        const bool locked = KyFileLock_Acquire(path.c_str(), ScoreTable::LOCK_WAIT_SECONDS, lock);
        if (!locked && errno == EWOULDBLOCK)
            LogError("[ScoreTable::SaveAll] The score file '%s' stayed locked by another program; saving it "
                     "without the lock.",
                     name);
        ScoreTable file;
        const bool valid = ReadTable(path.c_str(), file);
        unsigned char buffer[SCORE_TABLE_BYTES];
        {
            Game::StateLock state(Game::stateMutex);
            MergeFile(t, valid ? &file : nullptr);
            ScoreTable& table = ScoreTable::tables[t];
            table.checksum = ScoreTable::Checksum(table);
            table.reserved = 0;
            ScoreTable::Encode(table, buffer);
            written[t] = table;
        }
        // Written without the state's lock: the files take their time.
        const bool saved = SaveFile(name, path, locked, buffer);
        {
            Game::StateLock state(Game::stateMutex);
            writtenToKeep[t] = saved;
        }
        KyFileLock_Release(path.c_str(), lock, saved);
    }
    if (HoldsScores())
        KyStorage_KeepLasting();
}

void FilesKept()
{
    Game::StateLock state(Game::stateMutex);
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        if (writtenToKeep[t])
            ScoreTable::lastRead[t] = written[t];
        writtenToKeep[t] = false;
    }
}

// After another tab's save: its changes join the tables before they are
// shown or saved again.
void ReloadFiles()
{
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        ScoreTable file;
        const bool valid = ReadTable(ScoreTable::fileNames[t], file);
        Game::StateLock state(Game::stateMutex);
        MergeFile(t, valid ? &file : nullptr);
    }
}
} // namespace

void ScoreTable::LoadAll()
{
    {
        Game::StateLock lock(Game::stateMutex);
        for (int t = 0; t < SCORE_TABLES; ++t)
        {
            ScoreTable& table = tables[t];
            unsigned char buffer[SCORE_TABLE_BYTES];
            const bool found = ReadFile(fileNames[t], buffer);
            const bool valid = found && IsValid(buffer);
            if (valid)
                DecodeValid(buffer, table);
            else if (found)
                std::memset(&table, 0, sizeof table);
            lastRead[t] = valid ? table : ScoreTable{};
            WriteTitle(table, titles[t]);
        }
    }
    KyStorage_OnOthersSaved(ReloadFiles);
    if (HoldsScores())
        KyStorage_KeepLasting();
}

void ScoreTable::SaveAll()
{
    KyStorage_Save(SaveFiles, FilesKept);
}

void ScoreTable::Merge(ScoreTable& table, const ScoreTable& read, const ScoreTable& file)
{
    int pending = -1;
    for (int i = 0; i < SCORE_ENTRIES; ++i)
        if (pendingEntry == table.entries[i].name)
            pending = i;
    const bool pendingHere = pending >= 0;
    const ScoreTable before = table;
    // What the other writer took away: of each entry the table keeps its
    // first copies, as many as it holds less those the file lost.
    for (int i = 0; i < SCORE_ENTRIES;)
    {
        const ScoreEntry& entry = table.entries[i];
        const int lost = Occurrences(read, entry) - Occurrences(file, entry);
        if (entry.score != 0 && lost > 0 &&
            Occurrences(table.entries, i + 1, entry) > Occurrences(before, entry) - lost)
            RemoveEntry(table, i, pending);
        else
            ++i;
    }
    // What it added: the copies of each entry in the file beyond those read.
    for (int k = 0; k < SCORE_ENTRIES; ++k)
    {
        const ScoreEntry& entry = file.entries[k];
        if (entry.score != 0 && Occurrences(file.entries, k + 1, entry) > Occurrences(read, entry))
            PlaceEntry(table, entry, pending);
    }
    if (pendingHere)
        pendingEntry = pending >= 0 ? table.entries[pending].name : nullptr;
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
