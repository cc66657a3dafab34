#include "platform/system/host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>

namespace {

TEST(ComputerName, IsTheKernelsHostName) {
  std::ifstream proc("/proc/sys/kernel/hostname");
  std::string expected;
  ASSERT_TRUE(std::getline(proc, expected));
  EXPECT_EQ(sys::ComputerName(), expected);
}

TEST(SleepMilliseconds, WaitsAtLeastTheTimeAndNotForNonPositive) {
  using Clock = std::chrono::steady_clock;
  auto start = Clock::now();
  sys::SleepMilliseconds(50);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(50));

  start = Clock::now();
  sys::SleepMilliseconds(0);
  sys::SleepMilliseconds(-5);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
