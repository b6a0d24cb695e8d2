// The frame trace on a real line: what a sign link writes to standard error with QVX_DEBUG.
#include "SimFixture.h"

#include "link/DebugOutput.h"
#include "link/S22SignLink.h"

#include <cstdlib>
#include <regex>

namespace {

class FrameTrace : public SimLineTest {
protected:
    void TearDown() override
    {
        m_link.ClosePort();
        ::unsetenv("QVX_DEBUG");
        ::unsetenv("QVX_TIME_SCALE");
        RereadDebugOutputSetting();
        SimLineTest::TearDown();
    }
    // Standard error while work runs with QVX_DEBUG=value, time stamps (wall-clock) taken out.
    template <class Work>
    static std::string Traced(const char* value, Work work)
    {
        ::setenv("QVX_DEBUG", value, 1);
        RereadDebugOutputSetting();
        ::testing::internal::CaptureStderr();
        work();
        return std::regex_replace(::testing::internal::GetCapturedStderr(), std::regex("qvx trace +[0-9.]+ ms "), "");
    }
    CS22SignLink m_link;
};

TEST_F(FrameTrace, PingTracesOneLineEachWay)
{
    StartLine(4, 115200, {1});
    ASSERT_EQ(m_link.OpenPort(4, 115200, 0), S22NET_OK);
    const std::pair<const char*, std::string> cases[] = {
        {"1", "-> COM4 6 bytes: 55 AA 01 00 03 FD\n<- COM4 6 bytes: 55 AA 01 00 03 FD\n"}, {"0", ""}};
    for (const auto& [value, lines] : cases)
        EXPECT_EQ(Traced(value, [&] { EXPECT_EQ(m_link.SequenceReset(1), S22NET_OK); }), lines) << value;
}

TEST_F(FrameTrace, SignTypeReplyIsShownInHexOnly)
{
    qvxsim::ControllerConfig display{.address = 9};
    display.settings.protocol = qvxsim::Protocol::Hitech;
    display.settings.signTypeText = "\x1b[2J\a\xfe\x80ok";
    std::string error;
    ASSERT_TRUE(Sim().AddPort({.comNumber = 7, .baud = 19200, .controllers = {display}}, &error)) << error;
    StartSim();
    ::setenv("QVX_TIME_SCALE", "0.05", 1);
    ASSERT_EQ(m_link.OpenPort(7, 19200, 0), S22NET_OK);
    std::string text;
    const std::string seen = Traced("1", [&] { EXPECT_EQ(m_link.GetSignType(9, text), S22NET_OK); });
    std::string reply = "<- COM7 86 bytes: 10 06 10 02 00 09 F0 00 01 00 00";
    for (int i = 11; i < 86; ++i)
        reply += i == 21 ? " 1B 5B 32 4A 07 FE 80 6F 6B" : i > 21 && i < 30 ? "" : " 00";
    EXPECT_EQ(seen, "-> COM7 12 bytes: 10 02 09 00 00 00 01 00 02 10 03 F4\n" + reply + " (sign type)\n");
}

} // namespace
