#pragma once
#include <cstdint>

constexpr int SCORE_TABLES = 4;
constexpr int SCORE_ENTRIES = 12;
constexpr int SCORE_NAME_SIZE = 24;
constexpr int SCORE_TABLE_BYTES = 512;
// The bytes the checksum covers: all of them up to the checksum itself.
constexpr int SCORE_CHECKED_BYTES = 504;

// 40 bytes, the layout of its file; integers are little-endian on disk.
struct ScoreEntry
{
    char name[SCORE_NAME_SIZE]; // zero-terminated; the tail is unspecified
    int32_t score;              // 0 marks an unused entry
    uint32_t padding;           // carried along unchanged
    int64_t time;               // seconds since 1970, UTC
};

// One mode's twelve best scores, best first, unused entries (score 0) last.
// 512 bytes, byte for byte the content of its file.
struct ScoreTable
{
    char title[SCORE_NAME_SIZE];
    ScoreEntry entries[SCORE_ENTRIES];
    uint32_t checksum; // CRC of the first 504 bytes
    uint32_t reserved; // must be 0

    // The four tables in the order Simple, Arcade, Succeeding, Tetris: the
    // index is the mode's playing state minus 3. Guarded by Game::stateMutex.
    static ScoreTable tables[SCORE_TABLES];
    // The name of the entry the last game created, until a name is given.
    static char* pendingEntry;

    // MSB-first CRC-32 (polynomial 0x04C11DB7, initial value 0, no
    // reflection, no final XOR) over the table's first 504 bytes as stored.
    static uint32_t Checksum(const ScoreTable& table);
    // Any bytes: the same CRC, for checking a buffer as it lies on disk.
    static uint32_t Checksum(const unsigned char* bytes, int count);

    // The file layout, independent of the host's byte order.
    static void Encode(const ScoreTable& table, unsigned char out[SCORE_TABLE_BYTES]);
    static void Decode(const unsigned char in[SCORE_TABLE_BYTES], ScoreTable& table);

    // These three take Game::stateMutex themselves; call them without it.
    // Reads the four files; a missing, short, damaged or foreign file gives
    // an empty table, without a message.
    static void LoadAll();
    // Writes the four files, each replaced atomically: a temporary file
    // beside it (beside the file a link points to) is written with its
    // permission bits and flushed to disk, then renamed over it. Where no
    // temporary file may be made, a writable file is rewritten in place. A
    // save that fails both ways is logged and leaves the old file as it
    // was; the other tables are still saved. Then hands the files to lasting
    // storage where the platform needs that (platform/Storage.h).
    static void SaveAll();
    // Gives the pending entry its name, cut to 23 characters.
    static void ConfirmName(const char* text);

    // Enters a score into table t if it beats an entry (ties go below) and
    // makes the new entry the pending one. Call with Game::stateMutex held.
    static void Insert(int t, int score);

    // The file and the title of each table.
    static const char* const fileNames[SCORE_TABLES];
    static const char* const titles[SCORE_TABLES];

    // The rename that completes a save, replaceable so that a save cut off
    // before its rename can be exercised; std::rename otherwise.
    static int (*renameFile)(const char* from, const char* to);
};

static_assert(sizeof(ScoreEntry) == 40, "a score entry is 40 bytes");
static_assert(sizeof(ScoreTable) == SCORE_TABLE_BYTES, "a score table is 512 bytes");
