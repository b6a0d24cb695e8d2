#pragma once
// The line the Wine harness (make test-windows) sets up: a stand-in controller on COM1 at 115200
// with controllers at addresses 1 (answers) and 2 (drops every reply); COM9 does not exist.
// QVX_WINE_TESTS=1 says the harness is there.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace winline {

constexpr int kCom = 1;
constexpr unsigned long kBaud = 115200;
constexpr unsigned char kAnswering = 1;
constexpr unsigned char kSilent = 2;
constexpr int kMissingCom = 9;

inline bool HarnessIsThere()
{
    const char* value = std::getenv("QVX_WINE_TESTS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

} // namespace winline

// Base of every test here: skipped unless the harness's line is there.
class WineLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!winline::HarnessIsThere())
            GTEST_SKIP() << "needs the Wine harness's stand-in controller on COM1 (QVX_WINE_TESTS=1)";
    }
};
