// The QVX_DEBUG switch and the frame trace's lines.
#include "common/TestEnv.h"
#include "link/DebugOutput.h"
#include "link/S22Exchange.h"
#include "link/S22NetResult.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace std::chrono_literals;

TEST(DebugOutput, ZeroAndEmptyMeanOff)
{
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the debug output goes to the debugger (tests/win covers it)";
#endif
    const std::pair<const char*, bool> cases[] = {
        {nullptr, false}, {"", false}, {"0", false}, {"1", true}, {"yes", true}};
    for (const auto& [value, on] : cases) {
        value != nullptr ? SetEnv("QVX_DEBUG", value) : UnsetEnv("QVX_DEBUG");
        RereadDebugOutputSetting();
        ::testing::internal::CaptureStderr();
        DebugOutput("seen\n");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), on ? "seen\n" : "") << (value ? value : "unset");
    }
    UnsetEnv("QVX_DEBUG");
    RereadDebugOutputSetting();
}

TEST(Trace, Lines)
{
    const std::vector<unsigned char> reset{0x55, 0xAA, 0x01, 0x00, 0x03, 0xFD};
    // A reply to 0x80 0x22 at sequence 0x10 whose data checksum is off by one.
    const std::vector<unsigned char> reply{0x55, 0xAA, 0x01, 0x03, 0x11, 0xEC, 0x80, 0x22, 0x00, 0x5F};
    CS22NetPacket bad;
    std::copy(reply.begin(), reply.end(), bad.Bytes());
    const unsigned char command[] = {0x80, 0x22};
    const short rejected = bad.Validate(1, 0x10, S22_TYPE_COMMAND, 0x22);
    const std::string_view why = ReplyNote(bad, S22Request::Command(1, command, 2), 0x10, rejected);
    using enum TraceDirection;
    const struct {
        TraceDirection direction;
        short port;
        std::vector<unsigned char> bytes;
        std::chrono::microseconds elapsed;
        std::string_view note;
        const char* line;
    } cases[] = {
        {Sent, 3, reset, 12345us, "", "qvx trace   12.345 ms -> COM3 6 bytes: 55 AA 01 00 03 FD\n"},
        {Received, 3, reset, 12400us, "", "qvx trace   12.400 ms <- COM3 6 bytes: 55 AA 01 00 03 FD\n"},
        {Received, 3, reply, 13007us, why,
         "qvx trace   13.007 ms <- COM3 10 bytes: 55 AA 01 03 11 EC 80 22 00 5F (rejected: bad data checksum)\n"},
        {Received, 3, {}, 1500000us, TraceNote(ERR_SIGN_NO_RESPONSE),
         "qvx trace 1500.000 ms <- COM3 no reply (time-out)\n"},
        {Received, 0, {0x10}, 0us, "", "qvx trace    0.000 ms <- 1 byte: 10\n"}, // no port at hand
    };
    for (const auto& c : cases)
        EXPECT_EQ(TraceLine(c.direction, c.port, c.bytes, c.elapsed, c.note), c.line);
}
