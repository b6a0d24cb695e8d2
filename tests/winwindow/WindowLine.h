#pragma once
// The line the Wine harness (make test-windows) sets up for the window tests, and says so with
// QVX_WINE_TESTS=1: a stand-in controller on COM1 at 115200 with a display at address 1 (the
// recommended firmware) and one at address 4 (older firmware, its clock in zone +06:30); COM2 is
// a loop-back plug.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace windowline {
constexpr int kCom = 1;
constexpr int kCurrentAddress = 1;
constexpr int kOldFirmwareAddress = 4;
constexpr char kOldFirmware[] = "FX40211-1.01.05";
constexpr int kLoopBackCom = 2;
} // namespace windowline

// Base of the tests that need the harness's stand-in controller: skipped without it.
class WindowLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* flag = std::getenv("QVX_WINE_TESTS");
        if (flag == nullptr || std::string(flag) != "1")
            GTEST_SKIP() << "needs the Wine harness and its stand-in controller (QVX_WINE_TESTS=1)";
    }
};
