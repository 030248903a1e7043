#include "engine/core/Clock.h"
#include "engine/core/Device.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

TEST(Clock, SlotsRunIndependently)
{
    ElapsedSeconds(3);
    ElapsedSeconds(4);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    double slot4 = ElapsedSeconds(4); // restarts 4 only
    double slot3 = ElapsedSeconds(3);
    EXPECT_GE(slot4, 0.029);
    EXPECT_GE(slot3, slot4);
    EXPECT_LT(slot3, 5.0);
    double again = ElapsedSeconds(3);
    EXPECT_GE(again, 0.0);
    EXPECT_LT(again, 0.01);
}

TEST(Clock, FirstCallReportsTimeSinceTheCounterOrigin)
{
    // Slot 7 is never used elsewhere: its first answer is the whole count.
    double first = ElapsedSeconds(7);
    EXPECT_GT(first, 0.0);
    EXPECT_LT(ElapsedSeconds(7), first);
}

TEST(Device, PacingSubtractsWholeMillisecondsOfWork)
{
    EXPECT_EQ(Device::RemainingMilliseconds(20, 0.0079), 13); // 7.9 ms truncates to 7
    EXPECT_EQ(Device::RemainingMilliseconds(20, 0.020), 0);
    EXPECT_EQ(Device::RemainingMilliseconds(20, 0.5), 0); // never negative
    EXPECT_EQ(Device::RemainingMilliseconds(1000 / 80, 0.0), 12);
    EXPECT_EQ(Device::RemainingMilliseconds(1000 / 50, 0.0), 20);
}

TEST(Device, ARateOfZeroOrBelowIsIgnored)
{
    const int before = Device::GetUpdatesPerSecond();
    Device::SetUpdatesPerSecond(50);
    for (int rate : {0, -1, -50})
    {
        Device::SetUpdatesPerSecond(rate);
        EXPECT_EQ(Device::GetUpdatesPerSecond(), 50) << rate;
    }
    Device::SetUpdatesPerSecond(1);
    EXPECT_EQ(Device::GetUpdatesPerSecond(), 1);
    Device::SetUpdatesPerSecond(before);
}

TEST(Device, AWorkerThreadTheSystemRefusesIsLoggedAndTheProgramGoesOn)
{
    char path[] = "/tmp/tumblox-worker-XXXXXX";
    const int logFile = mkstemp(path);
    ASSERT_GE(logFile, 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
    {
        dup2(logFile, 2);
        // The superuser is not held to the process limit: drop to an
        // ordinary user, then allow no more processes than there are.
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        const rlimit none = {1, 1};
        if (setrlimit(RLIMIT_NPROC, &none) != 0)
            _exit(3);
        const bool started = Device::StartWorker([] {});
        Device::StopWorker();
        _exit(started ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    close(logFile);
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << "; " << text;
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "cannot limit the processes of an ordinary user";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the thread started despite the limit";
    EXPECT_EQ(text.rfind("Error: [Device::Init] Could not start the worker thread (", 0), 0u) << text;
    EXPECT_NE(text.find("): the game will not advance.\n"), std::string::npos) << text;
}
