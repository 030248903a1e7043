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
    // What each table last read from its file, or knows its file to hold
    // since it saved there; empty where it found no valid file. The entries
    // another writer (a second window, another tab) has saved since are
    // what the file holds beyond these. Guarded by Game::stateMutex.
    static ScoreTable lastRead[SCORE_TABLES];

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
    // Saves the four files without losing what another writer saved into
    // them since they were read. Each file is locked (platform/FileLock.h),
    // read again and merged into its table (Merge), and the table, which
    // the screen then shows, is written back. A file that stays locked
    // longer than LOCK_WAIT_SECONDS is merged and saved all the same, with
    // a logged error, since the player's score matters more than a writer
    // that hangs. A missing, damaged or foreign file tells of no other
    // writer, so the table is written as it stands. Each file is replaced
    // atomically: a temporary file beside it (beside the file a link points
    // to) is written with its permission bits and flushed to disk, then
    // renamed over it. Where no temporary file may be made, a writable file
    // is rewritten in place. A save that fails both ways is logged and
    // leaves the old file as it was; the other tables are still saved. The
    // platform decides when (platform/Storage.h): on the desktop at once, in
    // the browser inside the site's lock once the files are read back from
    // its database, which then keeps what was written.
    static void SaveAll();
    // Gives the pending entry its name, cut to 23 characters.
    static void ConfirmName(const char* text);

    // Enters a score into table t if it beats an entry (ties go below) and
    // makes the new entry the pending one. Call with Game::stateMutex held.
    static void Insert(int t, int score);

    // Brings into table what another writer changed in its file since the
    // table read it: each entry stays as often as file and table together
    // hold it beyond what read held (never below none). So an entry the
    // file holds and read did not joins the table, placed as Insert places
    // a score (below every entry that is not lower; what falls below the
    // twelfth is gone), and an entry read held and the file no longer does
    // (named since, or pushed out of its twelve) leaves it. What the table
    // itself added or renamed since it read stays. Two entries are the same
    // when their names, as C strings, their scores and their times are; the
    // tail of a name and the padding are not compared. Unused entries
    // (score 0) are no entries. The pending entry is followed to its new
    // place, or is no longer pending when it leaves the twelve. Call with
    // Game::stateMutex held.
    static void Merge(ScoreTable& table, const ScoreTable& read, const ScoreTable& file);

    // How long a save waits for another writer to let a file go.
    static constexpr double LOCK_WAIT_SECONDS = 2.0;

    // The file and the title of each table.
    static const char* const fileNames[SCORE_TABLES];
    static const char* const titles[SCORE_TABLES];

    // The rename that completes a save, replaceable so that a save cut off
    // before its rename can be exercised; std::rename otherwise.
    static int (*renameFile)(const char* from, const char* to);
};

static_assert(sizeof(ScoreEntry) == 40, "a score entry is 40 bytes");
static_assert(sizeof(ScoreTable) == SCORE_TABLE_BYTES, "a score table is 512 bytes");
