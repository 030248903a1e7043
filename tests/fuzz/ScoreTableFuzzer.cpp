// The score-table load path under libFuzzer: the input becomes the Simple
// table's file in a private working directory (the other three are missing,
// the other path a start takes), and ScoreTable::LoadAll reads them. Whatever the bytes, each table must come out
// drawable (title and names terminated within their fields) and, if the file was accepted, encode back to exactly the
// bytes on disk.
#include "game/ScoreTable.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace
{
[[noreturn]] void Fail(const char* what)
{
    fprintf(stderr, "fuzz: %s\n", what);
    abort();
}

bool Terminated(const char* field)
{
    return memchr(field, 0, SCORE_NAME_SIZE) != nullptr;
}

void EnterPrivateDirectory()
{
    static bool entered = false;
    if (entered)
        return;
    // In memory where there is a tmpfs: a disk spends the time on writes.
    char shm[] = "/dev/shm/score-fuzz-XXXXXX";
    char tmp[] = "/tmp/score-fuzz-XXXXXX";
    char* directory = mkdtemp(shm);
    if (directory == nullptr)
        directory = mkdtemp(tmp);
    if (directory == nullptr || chdir(directory) != 0)
        Fail("cannot make a working directory");
    entered = true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EnterPrivateDirectory();
    FILE* file = fopen(ScoreTable::fileNames[0], "wb");
    if (file == nullptr || (size > 0 && fwrite(data, 1, size, file) != size) || fclose(file) != 0)
        Fail("cannot write a score file");
    // The tables start zero, as in a new process; the one whose file is
    // there starts as garbage: a refused file must not leave any of it.
    memset(ScoreTable::tables, 0, sizeof ScoreTable::tables);
    memset(&ScoreTable::tables[0], 0xA5, sizeof ScoreTable::tables[0]);
    ScoreTable::LoadAll();

    // A short file reads as if the missing bytes were zero, and then the
    // checksum decides, as for any file; only the first 512 bytes count.
    unsigned char file512[SCORE_TABLE_BYTES] = {};
    memcpy(file512, data, size < SCORE_TABLE_BYTES ? size : SCORE_TABLE_BYTES);
    const bool accepted = ScoreTable::Checksum(file512, SCORE_CHECKED_BYTES) ==
                              (uint32_t(file512[504]) | uint32_t(file512[505]) << 8 | uint32_t(file512[506]) << 16 |
                               uint32_t(file512[507]) << 24) &&
                          file512[508] == 0 && file512[509] == 0 && file512[510] == 0 && file512[511] == 0;
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        const ScoreTable& table = ScoreTable::tables[t];
        const bool valid = accepted && t == 0;
        if (strcmp(table.title, ScoreTable::titles[t]) != 0)
            Fail("a table without its title");
        for (const ScoreEntry& entry : table.entries)
        {
            if (!Terminated(entry.name))
                Fail("a name without its terminator");
            if (!valid && (entry.score != 0 || entry.name[0] != 0))
                Fail("a refused file left entries behind");
        }
        if (valid)
        {
            // What was accepted is what the file says, apart from the
            // terminators forced into names and the title written over.
            unsigned char encoded[SCORE_TABLE_BYTES];
            ScoreTable::Encode(table, encoded);
            for (int i = 0; i < SCORE_ENTRIES; ++i)
            {
                const int at = 24 + 40 * i;
                if (memcmp(encoded + at + 24, file512 + at + 24, 16) != 0)
                    Fail("an entry's numbers changed on the way in");
                if (memcmp(encoded + at, file512 + at, SCORE_NAME_SIZE - 1) != 0)
                    Fail("an entry's name changed on the way in");
            }
        }
    }
    // The decoder alone, on any 512 bytes, is a pure transposition.
    if (size >= SCORE_TABLE_BYTES)
    {
        ScoreTable table;
        unsigned char again[SCORE_TABLE_BYTES];
        ScoreTable::Decode(data, table);
        ScoreTable::Encode(table, again);
        if (memcmp(again, data, SCORE_TABLE_BYTES) != 0)
            Fail("decode and encode are not inverse");
    }
    return 0;
}
