#pragma once
// The line the Wine harness (make test-windows) sets up, and says so with QVX_WINE_TESTS=1: a
// stand-in controller on COM1 at 115200 with controllers at addresses 1 (answers) and 2 (drops
// every reply); COM9 does not exist.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace winline {
constexpr int kCom = 1;
constexpr unsigned long kBaud = 115200;
constexpr unsigned char kAnswering = 1;
constexpr unsigned char kSilent = 2;
constexpr int kMissingCom = 9;
} // namespace winline

// Base of every Windows test: skipped unless the harness is there.
class WineLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* flag = std::getenv("QVX_WINE_TESTS");
        if (flag == nullptr || std::string(flag) != "1")
            GTEST_SKIP() << "needs the Wine harness and its stand-in controller (QVX_WINE_TESTS=1)";
    }
};
