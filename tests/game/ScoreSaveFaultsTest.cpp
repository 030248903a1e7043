// Faults while the score files are saved, each in a child process so that it
// may be killed, lose its privileges or see a file system of its own without
// touching the test runner: every score file left on disk must be the whole
// old one or the whole new one, and a failed save must be logged.
#include "game/ScoreTable.h"
#include "tests/support/ScratchDir.h"
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr int SKIPPED = 77;

Bytes ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every entry of every table carries the generation of the save, so a file
// tells which save wrote it and whether it is whole.
void FillGeneration(int generation)
{
    std::memset(ScoreTable::tables, 0, sizeof ScoreTable::tables);
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        std::strcpy(ScoreTable::tables[t].title, ScoreTable::titles[t]);
        for (int i = 0; i < SCORE_ENTRIES; ++i)
        {
            ScoreEntry& e = ScoreTable::tables[t].entries[i];
            std::snprintf(e.name, sizeof e.name, "gen %d", generation);
            e.score = generation * 100 + SCORE_ENTRIES - i;
            e.time = 1394000000LL + generation;
        }
    }
}

// The generation a file holds, or -1 when it is not one complete save.
int GenerationOf(const Bytes& bytes, int t)
{
    if (bytes.size() != SCORE_TABLE_BYTES)
        return -1;
    const uint32_t stored = bytes[504] | (bytes[505] << 8) | (bytes[506] << 16) | (uint32_t(bytes[507]) << 24);
    if (ScoreTable::Checksum(bytes.data(), SCORE_CHECKED_BYTES) != stored)
        return -1;
    ScoreTable table;
    ScoreTable::Decode(bytes.data(), table);
    if (std::strcmp(table.title, ScoreTable::titles[t]) != 0)
        return -1;
    const int generation = table.entries[0].score / 100;
    for (int i = 0; i < SCORE_ENTRIES; ++i)
    {
        char name[SCORE_NAME_SIZE];
        std::snprintf(name, sizeof name, "gen %d", generation);
        if (table.entries[i].score != generation * 100 + SCORE_ENTRIES - i ||
            std::strcmp(table.entries[i].name, name) != 0)
            return -1;
    }
    return generation;
}

// Runs body in a child process in directory (its output into log), and
// returns its exit status, or -1 if it did not exit normally.
template <typename Body> int InChild(const fs::path& directory, const fs::path& log, Body body)
{
    fflush(stdout);
    fflush(stderr);
    const pid_t pid = fork();
    if (pid == 0)
    {
        FILE* out = std::freopen(log.c_str(), "w", stderr);
        if (out == nullptr || dup2(fileno(stderr), STDOUT_FILENO) < 0 || chdir(directory.c_str()) != 0)
            _exit(90);
        const int code = body();
        // _exit skips the streams' buffers, where the log lines wait.
        fflush(nullptr);
        _exit(code);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// In a child in directory: generation 4 saved by an ordinary user (the
// superuser, who writes anywhere, drops to one first), where premise holds
// for that user; SKIPPED where no such user can be had or it does not hold.
int SaveAsAnOrdinaryUser(const fs::path& directory, const fs::path& log, bool (*premise)())
{
    return InChild(directory, log, [premise] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return SKIPPED;
        if (!premise())
            return SKIPPED;
        FillGeneration(4);
        ScoreTable::SaveAll();
        return 0;
    });
}

std::string ReadText(const fs::path& path)
{
    const Bytes bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

class SaveFaults : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch.path.empty());
        directory = scratch.path;
        files = directory / "files";
        fs::create_directory(files);
        log = directory / "child.log";
    }
    // Writes generation g of all four files in a child.
    void SaveGeneration(int generation)
    {
        ASSERT_EQ(InChild(files, log,
                          [generation] {
                              FillGeneration(generation);
                              ScoreTable::SaveAll();
                              return 0;
                          }),
                  0)
            << ReadText(log);
    }
    ScratchDir scratch{"tumblox-save-faults"};
    fs::path directory;
    fs::path files;
    fs::path log;
};

TEST_F(SaveFaults, AKilledSaveLeavesEveryFileWholeOldOrNew)
{
    SaveGeneration(1);
    std::mt19937 random(20261209u);
    std::uniform_int_distribution<int> delayMicroseconds(0, 20000);
    constexpr int KILLS = 120;
    int lastSeen[SCORE_TABLES] = {1, 1, 1, 1};
    int midSave = 0;
    for (int kill = 0; kill < KILLS; ++kill)
    {
        // The child saves newer and newer generations until it is killed;
        // each file may only move forward, from one whole save to another.
        const int base = 1000 * (kill + 1);
        fflush(stdout);
        fflush(stderr);
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0)
        {
            close(ready[0]);
            if (chdir(files.c_str()) != 0)
                _exit(90);
            for (int g = base;; ++g)
            {
                FillGeneration(g);
                ScoreTable::SaveAll();
                // After the first save the kill may come at any moment:
                // the child does nothing but save from then on.
                if (g == base && (write(ready[1], "s", 1) != 1 || close(ready[1]) != 0))
                    _exit(91);
            }
        }
        close(ready[1]);
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        const timespec pause = {0, 1000L * delayMicroseconds(random)};
        nanosleep(&pause, nullptr);
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status));

        int seen[SCORE_TABLES];
        bool moved = true;
        for (int t = 0; t < SCORE_TABLES; ++t)
        {
            seen[t] = GenerationOf(ReadAll(files / ScoreTable::fileNames[t]), t);
            ASSERT_GE(seen[t], lastSeen[t]) << ScoreTable::fileNames[t] << " torn or older after kill " << kill;
            moved = moved && seen[t] >= base;
            lastSeen[t] = seen[t];
        }
        ASSERT_TRUE(moved) << "the first save of kill " << kill << " is not on disk";
        if (seen[0] != seen[SCORE_TABLES - 1])
            ++midSave;
    }
    // What the next start reads is what was left: whole tables.
    ASSERT_EQ(InChild(files, log,
                      [&lastSeen] {
                          ScoreTable::LoadAll();
                          for (int t = 0; t < SCORE_TABLES; ++t)
                              if (ScoreTable::tables[t].entries[0].score != lastSeen[t] * 100 + SCORE_ENTRIES)
                                  return 1;
                          return 0;
                      }),
              0);
    std::printf("save faults: %d kills during saves, %d of them between two files of one save\n", KILLS, midSave);
    // Some kills must fall inside a save, or they prove nothing.
    EXPECT_GT(midSave, 0);
}

TEST_F(SaveFaults, ADirectoryThatIsNotWritableSavesWritableFilesInPlaceAndKeepsAndLogsTheRest)
{
    SaveGeneration(3);
    // The first two files are the player's to write, the other two not:
    // read-only for everyone, so that this holds for their owner too when
    // the test runs as an ordinary user (the superuser drops to one below).
    for (int t = 0; t < SCORE_TABLES; ++t)
        ASSERT_EQ(chmod((files / ScoreTable::fileNames[t]).c_str(), t < 2 ? 0666 : 0444), 0);
    ASSERT_EQ(chmod(files.c_str(), 0555), 0);
    const int status = SaveAsAnOrdinaryUser(files, log, [] { return true; });
    if (status == SKIPPED)
        GTEST_SKIP() << "cannot drop to an ordinary user";
    ASSERT_EQ(status, 0);
    const std::string text = ReadText(log);
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        const std::string line = std::string("Error: [ScoreTable::SaveAll] Could not save the score file '") +
                                 ScoreTable::fileNames[t] + "': " + std::strerror(EACCES);
        EXPECT_EQ(text.find(line) != std::string::npos, t >= 2) << text;
        EXPECT_EQ(GenerationOf(ReadAll(files / ScoreTable::fileNames[t]), t), t < 2 ? 4 : 3);
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
}

TEST_F(SaveFaults, AnInPlaceSaveOverALongerFileLeavesExactlyTheTable)
{
    SaveGeneration(3);
    // Each file longer than a table by its own tail, and writable by all;
    // the directory writable by none.
    const size_t tails[SCORE_TABLES] = {1, 300, 512, 5000};
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        const fs::path file = files / ScoreTable::fileNames[t];
        std::ofstream(file, std::ios::binary | std::ios::app) << std::string(tails[t], 'x');
        ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    }
    ASSERT_EQ(chmod(files.c_str(), 0555), 0);
    const int status = SaveAsAnOrdinaryUser(
        files, log, [] { return access(".", W_OK) != 0 && access(ScoreTable::fileNames[0], W_OK) == 0; });
    if (status == SKIPPED)
        GTEST_SKIP() << "no user here for whom the directory is read-only and the files writable";
    ASSERT_EQ(status, 0);
    EXPECT_EQ(ReadText(log), "");
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        const Bytes bytes = ReadAll(files / ScoreTable::fileNames[t]);
        EXPECT_EQ(bytes.size(), size_t(SCORE_TABLE_BYTES)) << "tail of " << tails[t];
        EXPECT_EQ(GenerationOf(bytes, t), 4) << "tail of " << tails[t];
    }
}

TEST_F(SaveFaults, LinkedScoreFilesAreSavedIntoTheirTargetsAndStayLinks)
{
    const fs::path elsewhere = directory / "elsewhere";
    fs::create_directory(elsewhere);
    SaveGeneration(3);
    // simple: a relative link; arcade: an absolute one; succeed: a link to
    // a link; tetris: a link to a file not made yet. Each target has its
    // own permission bits.
    const char* const targets[SCORE_TABLES] = {"a.score", "b.score", "c.score", "d.score"};
    for (int t = 0; t < 3; ++t)
    {
        fs::rename(files / ScoreTable::fileNames[t], elsewhere / targets[t]);
        ASSERT_EQ(chmod((elsewhere / targets[t]).c_str(), 0640), 0);
    }
    fs::remove(files / ScoreTable::fileNames[3]);
    fs::create_symlink(fs::path("../elsewhere") / targets[0], files / ScoreTable::fileNames[0]);
    fs::create_symlink(elsewhere / targets[1], files / ScoreTable::fileNames[1]);
    fs::create_symlink(elsewhere / targets[2], files / "middle");
    fs::create_symlink("middle", files / ScoreTable::fileNames[2]);
    fs::create_symlink(elsewhere / targets[3], files / ScoreTable::fileNames[3]);

    ASSERT_EQ(InChild(files, log,
                      [] {
                          umask(022);
                          FillGeneration(4);
                          ScoreTable::SaveAll();
                          return 0;
                      }),
              0);
    EXPECT_EQ(ReadText(log), "");
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        EXPECT_TRUE(fs::is_symlink(files / ScoreTable::fileNames[t])) << ScoreTable::fileNames[t];
        EXPECT_EQ(GenerationOf(ReadAll(elsewhere / targets[t]), t), 4) << targets[t];
        struct stat status;
        ASSERT_EQ(stat((elsewhere / targets[t]).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, t < 3 ? 0640u : 0644u) << targets[t];
    }
    EXPECT_TRUE(fs::is_symlink(files / "middle"));
    for (const fs::path& folder : {files, elsewhere})
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

TEST_F(SaveFaults, AFullFileSystemKeepsTheOldFilesLogsAndRecovers)
{
    // A small tmpfs of its own, mounted in a private mount namespace so
    // that nothing outlives the child.
    const int status = InChild(files, log, [this] {
        if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tumblox-full", files.c_str(), "tmpfs", 0, "size=64k,nr_inodes=64") != 0)
            return SKIPPED;
        if (chdir(files.c_str()) != 0)
            return 91;
        FillGeneration(5);
        ScoreTable::SaveAll();
        // Fill every remaining block.
        FILE* filler = std::fopen("filler", "wb");
        if (filler == nullptr)
            return 92;
        std::setvbuf(filler, nullptr, _IONBF, 0);
        const std::vector<char> block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size())
        {
        }
        std::fwrite(block.data(), 1, 1, filler);
        std::fclose(filler);
        std::fprintf(stderr, "-- full\n");
        FillGeneration(6);
        ScoreTable::SaveAll();
        for (int t = 0; t < SCORE_TABLES; ++t)
        {
            std::ifstream in(ScoreTable::fileNames[t], std::ios::binary);
            const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (GenerationOf(bytes, t) != 5 || fs::exists(std::string(ScoreTable::fileNames[t]) + ".tmp"))
                return 10 + t;
        }
        std::fprintf(stderr, "-- space again\n");
        std::remove("filler");
        ScoreTable::SaveAll();
        for (int t = 0; t < SCORE_TABLES; ++t)
        {
            std::ifstream in(ScoreTable::fileNames[t], std::ios::binary);
            const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (GenerationOf(bytes, t) != 6)
                return 20 + t;
        }
        return 0;
    });
    if (status == SKIPPED)
        GTEST_SKIP() << "no private tmpfs can be mounted here (mounting needs root)";
    const std::string text = ReadText(log);
    ASSERT_EQ(status, 0) << text;
    const size_t fullAt = text.find("-- full"), againAt = text.find("-- space again");
    ASSERT_NE(fullAt, std::string::npos) << text;
    ASSERT_NE(againAt, std::string::npos) << text;
    const std::string full = text.substr(fullAt, againAt - fullAt);
    for (int t = 0; t < SCORE_TABLES; ++t)
        EXPECT_NE(full.find(std::string("Could not save the score file '") + ScoreTable::fileNames[t] +
                            "': " + std::strerror(ENOSPC)),
                  std::string::npos)
            << text;
    EXPECT_EQ(text.find("Error:", againAt), std::string::npos) << text;
}
} // namespace

namespace
{
TEST_F(SaveFaults, TwoProgramsSavingAtTheSameMomentLoseNothing)
{
    // Two programs save over and over, each entering a score of its own
    // every so often, while this one reads the Simple file: every read is a
    // whole table, and at the end it holds every score of both.
    constexpr int WRITERS = 2, SCORES_EACH = 6, SAVES_PER_SCORE = 15;
    // Empty tables, not what an earlier test of this process left in memory.
    ASSERT_EQ(InChild(files, log,
                      [] {
                          std::memset(ScoreTable::tables, 0, sizeof ScoreTable::tables);
                          ScoreTable::SaveAll();
                          return 0;
                      }),
              0);
    pid_t writers[WRITERS];
    for (int w = 0; w < WRITERS; ++w)
    {
        fflush(stdout);
        fflush(stderr);
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0)
        {
            if (chdir(files.c_str()) != 0)
                _exit(90);
            ScoreTable::LoadAll();
            for (int s = 0; s < SCORES_EACH * SAVES_PER_SCORE; ++s)
            {
                if (s % SAVES_PER_SCORE == 0)
                {
                    char name[SCORE_NAME_SIZE];
                    std::snprintf(name, sizeof name, "writer %d", w);
                    ScoreTable::Insert(0, 100 + 10 * (s / SAVES_PER_SCORE) + w);
                    ScoreTable::ConfirmName(name);
                }
                ScoreTable::SaveAll();
            }
            _exit(0);
        }
    }
    int reads = 0, running = WRITERS;
    while (running > 0)
    {
        Bytes bytes = ReadAll(files / ScoreTable::fileNames[0]);
        const size_t size = bytes.size();
        bytes.resize(SCORE_TABLE_BYTES);
        const uint32_t stored = bytes[504] | (bytes[505] << 8) | (bytes[506] << 16) | (uint32_t(bytes[507]) << 24);
        ASSERT_TRUE(size == SCORE_TABLE_BYTES && ScoreTable::Checksum(bytes.data(), 504) == stored)
            << "read " << reads << " is not one whole table";
        ++reads;
        for (pid_t& writer : writers)
        {
            int status = 0;
            if (writer > 0 && waitpid(writer, &status, WNOHANG) == writer)
            {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                writer = 0;
                --running;
            }
        }
    }
    ScoreTable table;
    ScoreTable::Decode(ReadAll(files / ScoreTable::fileNames[0]).data(), table);
    for (int i = 0; i < SCORE_ENTRIES; ++i)
    {
        const int expected = 100 + 10 * (SCORES_EACH - 1 - i / WRITERS) + (WRITERS - 1 - i % WRITERS);
        EXPECT_EQ(table.entries[i].score, expected) << "entry " << i;
        EXPECT_EQ(table.entries[i].name, "writer " + std::to_string(expected % 10)) << "entry " << i;
    }
    std::printf("same-moment saves: %d reads of the file while %d programs saved %d times each\n", reads, WRITERS,
                SCORES_EACH * SAVES_PER_SCORE);
}
} // namespace
