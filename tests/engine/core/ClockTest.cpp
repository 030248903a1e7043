#include "engine/core/Clock.h"
#include "engine/core/Device.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

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
