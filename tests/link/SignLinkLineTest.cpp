// CS22SignLink against the stand-in controller over a real pseudo-terminal.
#include "SimFixture.h"

#include "link/S22EchoTest.h"
#include "link/S22SignLink.h"

#include <cstdlib>
#include <thread>
#include <vector>

using qvxsim::Fault;
using qvxsim::FaultKind;

namespace {

class CountingListener : public IPTANetListener {
public:
    void BeginBusy() override { ++begins; }
    void EndBusy() override { ++ends; }
    int begins = 0;
    int ends = 0;
};

class SignLinkLine : public SimLineTest {
protected:
    void TearDown() override
    {
        if (m_link.IsOpen())
            m_link.ClosePort();
        ::unsetenv("QVX_TIME_SCALE");
        SimLineTest::TearDown();
    }
    // The link's own time-out is 3 s; tests that wait it out run it scaled down.
    static void ShortTimeOuts() { ::setenv("QVX_TIME_SCALE", "0.05", 1); }
    short Command(unsigned char address, std::vector<unsigned char> request)
    {
        return m_link.GenericCommand(address, request.data(), static_cast<short>(request.size()), nullptr, 0);
    }

    CS22SignLink m_link;
    CountingListener m_listener;
};

TEST_F(SignLinkLine, PortOpenAndCloseRules)
{
    StartLine(4, 57600, {1});
    EXPECT_EQ(m_link.ClosePort(), ERR_COMMAND_NOT_CONFIGURED);
    EXPECT_EQ(m_link.SequenceReset(1), ERR_COMMAND_NO_CONNECTION);
    EXPECT_EQ(m_link.OpenPort(5, 57600, 0), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_FALSE(m_link.IsOpen());
    ASSERT_EQ(m_link.OpenPort(4, 57600, 0), S22NET_OK);
    EXPECT_TRUE(m_link.IsOpen());
    EXPECT_EQ(m_link.OpenPort(4, 57600, 0), ERR_COMMAND_ALREADY_CONNECTED);
    EXPECT_EQ(m_link.Port().GetTimeOut(), 3000u);
    EXPECT_EQ(m_link.ClosePort(), S22NET_OK);
    EXPECT_FALSE(m_link.IsOpen());
}

TEST_F(SignLinkLine, FirstFramedOperationResetsOnceForTheLink)
{
    StartLine(4, 115200, {1, 2});
    m_link.SetListener(&m_listener);
    EXPECT_EQ(Command(1, {0x80, 0x22}), ERR_COMMAND_NO_CONNECTION);
    EXPECT_EQ(m_listener.begins, 0);
    ASSERT_EQ(m_link.OpenPort(4, 115200, 0), S22NET_OK);
    EXPECT_EQ(Command(1, {0x80, 0x22}), S22NET_OK);
    EXPECT_EQ(Command(2, {0x80, 0x22}), S22NET_OK);
    // The link keeps one reset flag for all addresses.
    EXPECT_EQ(Sim().Stats(4, 1).sequenceResets, 1u);
    EXPECT_EQ(Sim().Stats(4, 2).sequenceResets, 0u);
    EXPECT_EQ(m_listener.begins, 2);
    EXPECT_EQ(m_listener.ends, 2);
}

TEST_F(SignLinkLine, FailedFirstResetIsRepeatedNextTime)
{
    ShortTimeOuts();
    StartLine(4, 115200, {1});
    m_link.SetListener(&m_listener);
    ASSERT_EQ(m_link.OpenPort(4, 115200, 0), S22NET_OK);
    Sim().InjectFault(4, 1, {FaultKind::DropReply, 4, 0});
    EXPECT_EQ(Command(1, {0x80, 0x22}), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(Sim().Stats(4, 1).framesReceived, 4u); // only the reset, four times
    EXPECT_EQ(Command(1, {0x80, 0x22}), S22NET_OK);
    EXPECT_EQ(Sim().Stats(4, 1).sequenceResets, 5u);
    EXPECT_EQ(m_listener.begins, 2);
    EXPECT_EQ(m_listener.ends, 2); // also on the failure path
}

struct LinkRetryCase {
    const char* name;
    Fault fault;
    short result;
    unsigned long framesSeen;
};

TEST_F(SignLinkLine, FourTriesAndResultsUnderFaults)
{
    ShortTimeOuts();
    const LinkRetryCase cases[] = {
        {"no reply: four tries", {FaultKind::DropReply, -1, 0}, ERR_SIGN_NO_RESPONSE, 4},
        {"three lost replies, then good", {FaultKind::DropReply, 3, 0}, S22NET_OK, 4},
        {"reply from another address", {FaultKind::WrongAddress, -1, 9}, ERR_SIGN_INVALID_RESPONSE, 4},
        {"unsupported ends at once", {FaultKind::Unsupported, -1, 0}, ERR_SIGN_UNSUPPORTED_COMMAND, 1},
        {"bad command is retried", {FaultKind::BadCommand, -1, 0}, ERR_SIGN_BAD_COMMAND, 4},
        {"noise before the reply", {FaultKind::Noise, -1, 25}, S22NET_OK, 1},
    };
    StartLine(4, 115200, {3});
    ASSERT_EQ(m_link.OpenPort(4, 115200, 0), S22NET_OK);
    ASSERT_EQ(m_link.SequenceReset(3), S22NET_OK);
    for (const auto& c : cases) {
        Sim().ClearFaults(4, 3);
        const unsigned long before = Sim().Stats(4, 3).framesReceived;
        Sim().InjectFault(4, 3, c.fault);
        EXPECT_EQ(Command(3, {0x80, 0x31, 0x00}), c.result) << c.name;
        EXPECT_EQ(Sim().Stats(4, 3).framesReceived - before, c.framesSeen) << c.name;
        EXPECT_EQ(m_link.GetTransferFigures().actualRetries, static_cast<short>(c.framesSeen - 1)) << c.name;
    }
}

TEST_F(SignLinkLine, SequenceResetAnswersWhetherTheControllerSpeaksTheProtocol)
{
    StartLine(4, 19200, {1});
    ASSERT_EQ(m_link.OpenPort(4, 19200, 0), S22NET_OK);
    EXPECT_EQ(m_link.SequenceReset(1), S22NET_OK);
    const unsigned char* sent = nullptr;
    const unsigned char* received = nullptr;
    m_link.GetLastPacket(&sent, &received);
    EXPECT_EQ(std::vector<unsigned char>(sent, sent + 6), (std::vector<unsigned char>{0x55, 0xAA, 1, 0, 3, 0xFD}));
    EXPECT_EQ(std::vector<unsigned char>(received, received + 6), (std::vector<unsigned char>{0x55, 0xAA, 1, 0, 3, 0xFD}));
}

TEST_F(SignLinkLine, AbortCutsABlockedReadShort)
{
    // Time-outs stretched far beyond the test's own limit: only the abort can end this exchange.
    ::setenv("QVX_TIME_SCALE", "200", 1);
    StartLine(4, 115200, {1});
    m_link.SetListener(&m_listener);
    ASSERT_EQ(m_link.OpenPort(4, 115200, 0), S22NET_OK);
    Sim().InjectFault(4, 1, {FaultKind::DropReply, -1, 0});
    short result = 1;
    std::thread worker([&] { result = m_link.SequenceReset(1); });
    while (Sim().Stats(4, 1).framesReceived == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_link.Abort();
    worker.join();
    EXPECT_EQ(result, ERR_SIGN_ABORT);
    EXPECT_EQ(Sim().Stats(4, 1).framesReceived, 1u);
    EXPECT_EQ(m_listener.ends, 1);

    // The next operation clears the abort and works.
    ::setenv("QVX_TIME_SCALE", "1", 1);
    Sim().ClearFaults(4, 1);
    EXPECT_EQ(m_link.SequenceReset(1), S22NET_OK);
}

TEST_F(SignLinkLine, EchoTestPassesThroughALoopBackPlug)
{
    StartLine(4, 19200, {1});
    Sim().SetLoopback(4, true);
    CS22EchoTest echo(m_link);
    ASSERT_TRUE(echo.StartEchoTest(4, 0));
    EXPECT_TRUE(m_link.IsOpen());
    int status = CS22EchoTest::kEchoMore;
    for (int steps = 0; status == CS22EchoTest::kEchoMore && steps < 200; ++steps)
        status = echo.EchoTestStep();
    EXPECT_EQ(status, CS22EchoTest::kEchoPassed);
    unsigned long done = 0;
    unsigned long total = 0;
    echo.GetEchoTestProgress(done, total);
    EXPECT_EQ(done, 94u);
    EXPECT_EQ(total, 94u);
    echo.EndEchoTest(0);
    EXPECT_FALSE(m_link.IsOpen()); // the test opened the port, so it closes it
}

TEST_F(SignLinkLine, EchoTestRefusals)
{
    ShortTimeOuts();
    StartLine(4, 19200, {1});
    CS22EchoTest echo(m_link);
    // Without a plug nothing comes back.
    EXPECT_FALSE(echo.StartEchoTest(4, 0));
    echo.EndEchoTest(0);
    EXPECT_FALSE(m_link.IsOpen());
    EXPECT_FALSE(echo.StartEchoTest(4, 7));
    // An abort left from an earlier operation does not fail the next test.
    Sim().SetLoopback(4, true);
    m_link.Abort();
    EXPECT_TRUE(echo.StartEchoTest(4, 0));
    echo.EndEchoTest(0);
    // An echo test on a link already open leaves it open.
    ASSERT_EQ(m_link.OpenPort(4, 19200, 0), S22NET_OK);
    EXPECT_TRUE(echo.StartEchoTest(4, 0));
    echo.EndEchoTest(0);
    EXPECT_TRUE(m_link.IsOpen());
}

} // namespace
