#include "game/ScoreTable.h"

#include "game/Game.h"
#include "tests/support/ScratchDir.h"
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// Runs each test in a fresh directory of its own, with empty tables.
class Scores : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch.path.empty());
        directory = scratch.path;
        previous = fs::current_path();
        fs::current_path(directory);
        Clear();
    }

    void TearDown() override
    {
        fs::current_path(previous);
        Clear();
        ScoreTable::renameFile = std::rename;
    }

    static void Clear()
    {
        std::memset(ScoreTable::tables, 0, sizeof ScoreTable::tables);
        std::memset(ScoreTable::lastRead, 0, sizeof ScoreTable::lastRead);
        ScoreTable::pendingEntry = nullptr;
    }

    static Bytes ReadAll(const char* name)
    {
        std::ifstream in(name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static void WriteAll(const char* name, const Bytes& bytes)
    {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    static uint32_t Le32(const Bytes& b, size_t at)
    {
        return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
    }

    static void PutLe32(Bytes& b, size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<unsigned char>(v >> (8 * i));
    }

    static void Seal(Bytes& b) { PutLe32(b, 504, ScoreTable::Checksum(b.data(), 504)); }

    static bool IsEmptyTable(int t)
    {
        const ScoreTable& table = ScoreTable::tables[t];
        for (const ScoreEntry& e : table.entries)
            if (e.score != 0 || e.time != 0 || e.name[0] != 0)
                return false;
        return std::strcmp(table.title, ScoreTable::titles[t]) == 0;
    }

    // A few entries in every table, with names, times and padding.
    static void FillTables()
    {
        for (int t = 0; t < SCORE_TABLES; ++t)
            for (int i = 0; i < 5; ++i)
            {
                ScoreEntry& e = ScoreTable::tables[t].entries[i];
                std::snprintf(e.name, sizeof e.name, "player %d-%d", t, i);
                e.score = 1000 * (t + 1) - 100 * i;
                e.padding = 0xA5A50000u + i;
                e.time = 1394000000LL + 86400LL * i + (1LL << 33) * t;
            }
    }

    // Table 0's file as another window saves it: these scores and names,
    // each entered at time 1 + its score.
    static void SaveAsAnotherWindow(std::vector<std::pair<int, const char*>> entries)
    {
        ScoreTable other{};
        for (size_t i = 0; i < entries.size(); ++i)
        {
            other.entries[i].score = entries[i].first;
            other.entries[i].time = 1 + entries[i].first;
            std::strcpy(other.entries[i].name, entries[i].second);
        }
        Bytes b(512);
        ScoreTable::Encode(other, b.data());
        Seal(b);
        WriteAll("simple.score", b);
    }

    // Table 0 as (score, name) pairs, its used entries only.
    static std::vector<std::pair<int, std::string>> Shown()
    {
        std::vector<std::pair<int, std::string>> shown;
        for (const ScoreEntry& e : ScoreTable::tables[0].entries)
            if (e.score != 0)
                shown.emplace_back(e.score, e.name);
        return shown;
    }

    ScratchDir scratch{"tumblox-scores"};
    fs::path directory;
    fs::path previous;
};

using Rows = std::vector<std::pair<int, std::string>>;

int FailingRename(const char*, const char*)
{
    errno = EIO;
    return -1;
}

uint32_t BitwiseCrc(const unsigned char* data, size_t n)
{
    uint32_t reg = 0;
    for (size_t i = 0; i < n; ++i)
        for (int bit = 7; bit >= 0; --bit)
        {
            const uint32_t out = reg >> 31;
            const uint32_t in = (data[i] >> bit) & 1u;
            reg <<= 1;
            if (out != in)
                reg ^= 0x04C11DB7u;
        }
    return reg;
}
} // namespace

TEST(ScoreChecksum, KnownValuesAndTheBitwiseDefinition)
{
    const unsigned char abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(ScoreTable::Checksum(abc, 3), 0x2C17398Cu);
    unsigned char zeros[504] = {};
    EXPECT_EQ(ScoreTable::Checksum(zeros, 504), 0u);
    unsigned char data[504];
    uint32_t x = 2463534242u;
    for (unsigned char& d : data)
    {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        d = static_cast<unsigned char>(x);
    }
    EXPECT_EQ(ScoreTable::Checksum(data, 504), BitwiseCrc(data, 504));
    // The table form covers exactly its first 504 bytes.
    ScoreTable table{};
    std::memcpy(&table, data, 504);
    table.checksum = 0xDEADBEEFu;
    table.reserved = 7;
    EXPECT_EQ(ScoreTable::Checksum(table), BitwiseCrc(data, 504));
}

TEST_F(Scores, WithoutFilesTablesAreEmptyAndCloseCreatesAllFour)
{
    ScoreTable::LoadAll();
    for (int t = 0; t < SCORE_TABLES; ++t)
        EXPECT_TRUE(IsEmptyTable(t)) << t;
    ScoreTable::SaveAll();
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        const Bytes b = ReadAll(ScoreTable::fileNames[t]);
        ASSERT_EQ(b.size(), 512u) << ScoreTable::fileNames[t];
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data())), ScoreTable::titles[t]);
        for (size_t i = 24; i < 504; ++i)
            ASSERT_EQ(b[i], 0) << "byte " << i;
        EXPECT_EQ(Le32(b, 504), BitwiseCrc(b.data(), 504));
        EXPECT_EQ(Le32(b, 508), 0u);
        EXPECT_FALSE(fs::exists(std::string(ScoreTable::fileNames[t]) + ".tmp"));
    }
}

TEST_F(Scores, TheFileLayoutIsLittleEndianAtFixedOffsets)
{
    Bytes b(512, 0);
    std::memcpy(b.data(), "whatever", 9); // the title is rewritten on load
    std::memcpy(b.data() + 24, "abc", 4);
    PutLe32(b, 48, 120);
    PutLe32(b, 52, 0x01020304u);
    const int64_t when = 1393977600LL; // 5 March 2014
    for (int i = 0; i < 8; ++i)
        b[56 + i] = static_cast<unsigned char>(static_cast<uint64_t>(when) >> (8 * i));
    std::memcpy(b.data() + 64, "second", 7);
    PutLe32(b, 88, 0xFFFFFFFFu); // -1, signed
    Seal(b);
    WriteAll("arcade.score", b);
    ScoreTable::LoadAll();
    const ScoreTable& table = ScoreTable::tables[1];
    EXPECT_STREQ(table.title, "Arcade");
    EXPECT_STREQ(table.entries[0].name, "abc");
    EXPECT_EQ(table.entries[0].score, 120);
    EXPECT_EQ(table.entries[0].padding, 0x01020304u);
    EXPECT_EQ(table.entries[0].time, when);
    EXPECT_STREQ(table.entries[1].name, "second");
    EXPECT_EQ(table.entries[1].score, -1);
    // Only the title's characters and its zero are rewritten.
    EXPECT_EQ(table.title[7], 'r');
}

TEST_F(Scores, RoundTripOfAllFourFiles)
{
    FillTables();
    ScoreTable::LoadAll(); // no files: nothing changes but the titles
    ScoreTable::SaveAll();
    ScoreTable saved[SCORE_TABLES];
    std::memcpy(saved, ScoreTable::tables, sizeof saved);
    Clear();
    ScoreTable::LoadAll();
    EXPECT_EQ(0, std::memcmp(saved, ScoreTable::tables, sizeof saved));
    EXPECT_EQ(ScoreTable::tables[3].entries[4].time, saved[3].entries[4].time);
    EXPECT_STREQ(ScoreTable::tables[2].entries[1].name, "player 2-1");
    // Saving again writes the very same bytes.
    const Bytes first = ReadAll("tetris.score");
    ScoreTable::SaveAll();
    EXPECT_EQ(first, ReadAll("tetris.score"));
}

TEST_F(Scores, AnyChangedByteOrANonZeroLastWordEmptiesTheTable)
{
    FillTables();
    ScoreTable::LoadAll();
    ScoreTable::SaveAll();
    const Bytes good = ReadAll("simple.score");
    for (size_t at : {0u, 3u, 23u, 24u, 50u, 53u, 60u, 300u, 503u, 504u, 507u})
    {
        Bytes bad = good;
        bad[at] ^= 0x10;
        WriteAll("simple.score", bad);
        Clear();
        ScoreTable::LoadAll();
        EXPECT_TRUE(IsEmptyTable(0)) << "byte " << at;
        EXPECT_STREQ(ScoreTable::tables[1].entries[0].name, "player 1-0"); // others unaffected
    }
    Bytes word = good;
    word[511] = 1;
    WriteAll("simple.score", word);
    Clear();
    ScoreTable::LoadAll();
    EXPECT_TRUE(IsEmptyTable(0));
    // A damaged file empties a table that held scores, too.
    FillTables();
    ScoreTable::LoadAll();
    EXPECT_TRUE(IsEmptyTable(0));
}

TEST_F(Scores, ShortEmptyAndLongerFiles)
{
    FillTables();
    ScoreTable::LoadAll();
    ScoreTable::SaveAll();
    const Bytes good = ReadAll("succeed.score");

    WriteAll("succeed.score", Bytes(good.begin(), good.begin() + 300));
    Clear();
    ScoreTable::LoadAll();
    EXPECT_TRUE(IsEmptyTable(2));

    WriteAll("succeed.score", Bytes());
    Clear();
    ScoreTable::LoadAll();
    EXPECT_TRUE(IsEmptyTable(2));

    // Only the first 512 bytes count: a valid table with a tail loads.
    Bytes longer = good;
    longer.insert(longer.end(), 100, 0xEE);
    WriteAll("succeed.score", longer);
    Clear();
    ScoreTable::LoadAll();
    EXPECT_EQ(ScoreTable::tables[2].entries[0].score, 3000);
    ScoreTable::SaveAll();
    EXPECT_EQ(ReadAll("succeed.score"), good);
}

TEST_F(Scores, AnUnterminatedNameIsCutToItsField)
{
    Bytes b(512, 0);
    std::memset(b.data() + 24, 'x', 24);
    PutLe32(b, 48, 50);
    Seal(b);
    WriteAll("tetris.score", b);
    ScoreTable::LoadAll();
    EXPECT_EQ(ScoreTable::tables[3].entries[0].score, 50);
    EXPECT_EQ(std::strlen(ScoreTable::tables[3].entries[0].name), 23u);
}

TEST_F(Scores, InsertionAtTiesAtTheLastPlaceAndBelowIt)
{
    ScoreTable& table = ScoreTable::tables[0];
    for (int i = 0; i < SCORE_ENTRIES; ++i)
    {
        std::snprintf(table.entries[i].name, SCORE_NAME_SIZE, "n%d", i);
        table.entries[i].score = 1200 - 100 * i; // 1200 ... 100
        table.entries[i].padding = static_cast<uint32_t>(i);
    }
    // Equal to the 12th: not entered.
    ScoreTable::Insert(0, 100);
    EXPECT_EQ(ScoreTable::pendingEntry, nullptr);
    EXPECT_STREQ(table.entries[11].name, "n11");
    // One more: replaces the 12th.
    ScoreTable::Insert(0, 101);
    EXPECT_EQ(table.entries[11].score, 101);
    EXPECT_EQ(ScoreTable::pendingEntry, table.entries[11].name);
    EXPECT_STREQ(table.entries[11].name, "n11"); // the slot's old name, for now
    EXPECT_GT(table.entries[11].time, 1600000000);
    ScoreTable::ConfirmName("last");
    EXPECT_EQ(ScoreTable::pendingEntry, nullptr);
    EXPECT_STREQ(table.entries[11].name, "last");
    EXPECT_STREQ(table.entries[10].name, "n10");

    // Equal to the best: goes to place 2; the rest move down whole.
    ScoreTable::Insert(0, 1200);
    EXPECT_EQ(ScoreTable::pendingEntry, table.entries[1].name);
    EXPECT_EQ(table.entries[0].score, 1200);
    EXPECT_STREQ(table.entries[0].name, "n0");
    EXPECT_EQ(table.entries[2].score, 1100);
    EXPECT_STREQ(table.entries[2].name, "n1");
    EXPECT_EQ(table.entries[2].padding, 1u);
    EXPECT_EQ(table.entries[11].score, 200); // 101 "last" is lost
    EXPECT_STREQ(table.entries[11].name, "n10");

    // Best of all: place 1.
    ScoreTable::Insert(0, 5000);
    EXPECT_EQ(ScoreTable::pendingEntry, table.entries[0].name);
    // Zero and negative scores are placed by the signed comparison alone:
    // below every used entry, and so nowhere in a full table of positive
    // scores; unknown tables never enter.
    ScoreTable::Insert(0, 0);
    EXPECT_EQ(ScoreTable::pendingEntry, nullptr);
    ScoreTable::Insert(0, -5);
    ScoreTable::Insert(4, 9999);
    ScoreTable::Insert(-1, 9999);
    EXPECT_EQ(ScoreTable::pendingEntry, nullptr);
    EXPECT_EQ(table.entries[0].score, 5000);

    // A valid file may hold negative scores: 0 and -15 go above the first
    // entry they beat.
    ScoreTable& negative = ScoreTable::tables[1];
    negative.entries[0].score = 30;
    for (int i = 1; i < SCORE_ENTRIES; ++i)
        negative.entries[i].score = -10 * i;
    ScoreTable::Insert(1, 0);
    EXPECT_EQ(ScoreTable::pendingEntry, negative.entries[1].name);
    EXPECT_EQ(negative.entries[1].score, 0);
    EXPECT_EQ(negative.entries[2].score, -10);
    ScoreTable::Insert(1, -15);
    EXPECT_EQ(ScoreTable::pendingEntry, negative.entries[3].name);
    EXPECT_EQ(negative.entries[3].score, -15);
    EXPECT_EQ(negative.entries[4].score, -20);
    EXPECT_EQ(negative.entries[11].score, -90);
}

TEST_F(Scores, IntoAnEmptyTableAndNameLengths)
{
    ScoreTable::Insert(2, 40);
    ASSERT_EQ(ScoreTable::pendingEntry, ScoreTable::tables[2].entries[0].name);
    ScoreTable::ConfirmName("abcdefghijklmnopqrstuvwxyz0123"); // 30 characters
    EXPECT_STREQ(ScoreTable::tables[2].entries[0].name, "abcdefghijklmnopqrstuvw");
    ScoreTable::Insert(2, 30);
    ScoreTable::ConfirmName("");
    EXPECT_STREQ(ScoreTable::tables[2].entries[1].name, "");
    // Nothing pending: nothing changes.
    ScoreTable::ConfirmName("zzz");
    EXPECT_STREQ(ScoreTable::tables[2].entries[0].name, "abcdefghijklmnopqrstuvw");
    // A shorter name leaves no tail of the longer one behind.
    ScoreTable::Insert(2, 50);
    ScoreTable::ConfirmName("bo");
    for (int i = 2; i < SCORE_NAME_SIZE; ++i)
        EXPECT_EQ(ScoreTable::tables[2].entries[0].name[i], 0);
}

TEST_F(Scores, AnUnnamedEntryIsSavedWithItsSlotsOldName)
{
    ScoreTable& table = ScoreTable::tables[1];
    std::strcpy(table.entries[0].name, "ann");
    table.entries[0].score = 90;
    std::strcpy(table.entries[1].name, "bob");
    table.entries[1].score = 50;
    ScoreTable::Insert(1, 70); // closed before a name was given
    ScoreTable::Insert(3, 10); // into an unused slot
    ScoreTable::SaveAll();
    Clear();
    ScoreTable::LoadAll();
    EXPECT_EQ(table.entries[1].score, 70);
    EXPECT_STREQ(table.entries[1].name, "bob");
    EXPECT_STREQ(table.entries[2].name, "bob");
    EXPECT_EQ(ScoreTable::tables[3].entries[0].score, 10);
    EXPECT_STREQ(ScoreTable::tables[3].entries[0].name, "");
}

TEST_F(Scores, AFailedSaveKeepsTheOldFileLogsAndSavesTheOthers)
{
    FillTables();
    ScoreTable::SaveAll();
    const Bytes old = ReadAll("simple.score");
    ScoreTable::tables[0].entries[0].score = 77777;
    ScoreTable::tables[1].entries[0].score = 88888;
    // The temporary file cannot be created.
    fs::create_directories("simple.score.tmp/busy");
    testing::internal::CaptureStderr();
    ScoreTable::SaveAll();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Error: [ScoreTable::SaveAll] Could not save the score file 'simple.score': "),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(std::strerror(EISDIR)), std::string::npos) << log;
    EXPECT_EQ(ReadAll("simple.score"), old);
    Clear();
    ScoreTable::LoadAll();
    EXPECT_EQ(ScoreTable::tables[0].entries[0].score, 1000);
    EXPECT_EQ(ScoreTable::tables[1].entries[0].score, 88888);
}

TEST_F(Scores, ASaveIntoAReadOnlyDirectoryOfReadOnlyFilesKeepsTheOldFiles)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    FillTables();
    ScoreTable::SaveAll();
    const Bytes old = ReadAll("arcade.score");
    ScoreTable::tables[1].entries[0].score = 5;
    // Files the user may write would be saved in place: these may not.
    for (int t = 0; t < SCORE_TABLES; ++t)
        ASSERT_EQ(chmod(ScoreTable::fileNames[t], 0444), 0);
    ASSERT_EQ(chmod(directory.c_str(), 0500), 0);
    testing::internal::CaptureStderr();
    ScoreTable::SaveAll();
    const std::string log = testing::internal::GetCapturedStderr();
    chmod(directory.c_str(), 0700);
    for (int t = 0; t < SCORE_TABLES; ++t)
        EXPECT_NE(log.find(ScoreTable::fileNames[t]), std::string::npos) << log;
    EXPECT_EQ(ReadAll("arcade.score"), old);
}

TEST_F(Scores, AFullDiskDuringASaveKeepsEveryOldFile)
{
    FillTables();
    ScoreTable::SaveAll();
    Bytes old[SCORE_TABLES];
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        old[t] = ReadAll(ScoreTable::fileNames[t]);
        ScoreTable::tables[t].entries[0].score = 1;
    }
    // A file size limit below 512 bytes fails the writes the way a full
    // disk does, for the superuser as well.
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 450; // the captured log, a file too, must still fit
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    testing::internal::CaptureStderr();
    ScoreTable::SaveAll();
    const std::string log = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        EXPECT_NE(log.find(std::string("'") + ScoreTable::fileNames[t] + "': " + std::strerror(EFBIG)),
                  std::string::npos)
            << log;
        EXPECT_EQ(ReadAll(ScoreTable::fileNames[t]), old[t]);
        EXPECT_FALSE(fs::exists(std::string(ScoreTable::fileNames[t]) + ".tmp"));
    }
}

TEST_F(Scores, ASaveCutOffBeforeItsRenameLeavesTheOldFileValid)
{
    FillTables();
    ScoreTable::SaveAll();
    const Bytes old = ReadAll("tetris.score");
    ScoreTable::tables[3].entries[0].score = 99;
    ScoreTable::renameFile = FailingRename;
    testing::internal::CaptureStderr();
    ScoreTable::SaveAll();
    const std::string log = testing::internal::GetCapturedStderr();
    ScoreTable::renameFile = std::rename;
    EXPECT_NE(log.find("'tetris.score': " + std::string(std::strerror(EIO))), std::string::npos) << log;
    EXPECT_EQ(ReadAll("tetris.score"), old);
    EXPECT_FALSE(fs::exists("tetris.score.tmp"));

    // A crash at that point leaves the temporary file behind: it is not
    // read, and the next save replaces it.
    WriteAll("tetris.score.tmp", Bytes(512, 0x55));
    Clear();
    ScoreTable::LoadAll();
    EXPECT_EQ(ScoreTable::tables[3].entries[0].score, 4000);
    ScoreTable::tables[3].entries[0].score = 4444;
    ScoreTable::SaveAll();
    EXPECT_FALSE(fs::exists("tetris.score.tmp"));
    Clear();
    ScoreTable::LoadAll();
    EXPECT_EQ(ScoreTable::tables[3].entries[0].score, 4444);
}

TEST_F(Scores, ASaveMergesWhatAnotherWindowSavedAndNothingIsDoubled)
{
    SaveAsAnotherWindow({{500, "old"}});
    ScoreTable::LoadAll();
    // This window's game ends with 300, not named yet; the other window
    // saves 400 and a tie at 300 meanwhile.
    ScoreTable::Insert(0, 300);
    SaveAsAnotherWindow({{500, "old"}, {400, "other"}, {300, "tie"}});
    ScoreTable::SaveAll();
    EXPECT_EQ(Shown(), (Rows{{500, "old"}, {400, "other"}, {300, ""}, {300, "tie"}}));
    // Named and saved again: its own earlier entry is not another's.
    ScoreTable::ConfirmName("mine");
    ScoreTable::SaveAll();
    Clear();
    ScoreTable::LoadAll();
    EXPECT_EQ(Shown(), (Rows{{500, "old"}, {400, "other"}, {300, "mine"}, {300, "tie"}}));
    // A file damaged since it was read tells of no other writer: the
    // table is saved as it stands.
    std::ofstream("simple.score", std::ios::binary | std::ios::in) << "garbage";
    ScoreTable::SaveAll();
    Clear();
    ScoreTable::LoadAll();
    EXPECT_EQ(Shown().size(), 4u);
}

TEST_F(Scores, AnEntryAnotherTabNamedOrPushedOutLeavesAndThePendingEntryFollows)
{
    // The other tab saved its game's end, unnamed, and this tab read it.
    SaveAsAnotherWindow({{500, "a"}, {300, ""}});
    ScoreTable::LoadAll();
    ScoreTable::Insert(0, 250);
    // It names its entry and saves a better score before this one saves.
    SaveAsAnotherWindow({{600, "top"}, {500, "a"}, {300, "named"}});
    ScoreTable::SaveAll();
    EXPECT_EQ(Shown(), (Rows{{600, "top"}, {500, "a"}, {300, "named"}, {250, ""}}));
    ASSERT_EQ(ScoreTable::pendingEntry, ScoreTable::tables[0].entries[3].name);
    ScoreTable::ConfirmName("me");
    EXPECT_EQ(Shown()[3], (std::pair<int, std::string>{250, "me"}));
    // Twelve better scores push a pending entry out: nothing is pending.
    ScoreTable::Insert(0, 260);
    std::vector<std::pair<int, const char*>> better;
    for (int i = 0; i < SCORE_ENTRIES; ++i)
        better.emplace_back(1000 + i, "better");
    SaveAsAnotherWindow(better);
    ScoreTable::SaveAll();
    EXPECT_EQ(ScoreTable::pendingEntry, nullptr);
    EXPECT_EQ(Shown().back().first, 1000);
}

TEST_F(Scores, AFileAnotherProgramKeepsLockedIsSavedAfterTheWaitWithAnError)
{
    ScoreTable::SaveAll();
    const int holder = open("simple.score", O_RDONLY);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    ScoreTable::Insert(0, 70);
    testing::internal::CaptureStderr();
    ScoreTable::SaveAll();
    const std::string log = testing::internal::GetCapturedStderr();
    close(holder);
    EXPECT_EQ(log, "Error: [ScoreTable::SaveAll] The score file 'simple.score' stayed locked by another program; "
                   "saving it without the lock.\n");
    Clear();
    ScoreTable::LoadAll();
    EXPECT_EQ(ScoreTable::tables[0].entries[0].score, 70);
    for (const fs::directory_entry& entry : fs::directory_iterator("."))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}
