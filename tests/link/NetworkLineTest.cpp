// CS22Network against the stand-in controller over a real pseudo-terminal.
#include "SimFixture.h"

#include "link/S22Network.h"

#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

using qvxsim::Fault;
using qvxsim::FaultKind;

namespace {

std::vector<unsigned char> Frame(const unsigned char* bytes)
{
    const std::size_t length = bytes[3] == 0 ? 6 : bytes[3] + 7u;
    return {bytes, bytes + length};
}

class NetworkLine : public SimLineTest {
protected:
    void Connect(unsigned long baud = 115200)
    {
        ASSERT_EQ(m_net.ConfigureDirect(3, static_cast<long>(baud), false), S22NET_OK);
        m_net.SetTimeOut(200);
        ASSERT_EQ(m_net.Connect(), S22NET_OK);
    }
    void TearDown() override
    {
        m_net.Disconnect();
        SimLineTest::TearDown();
    }
    short Command(unsigned char address, std::vector<unsigned char> request)
    {
        return m_net.GenericCommand(address, request.data(), static_cast<short>(request.size()), nullptr, 0);
    }

    CS22Network m_net;
};

TEST_F(NetworkLine, PingIsASequenceResetByteForByte)
{
    StartLine(3, 115200, {1});
    Connect();
    EXPECT_EQ(m_net.Ping(1), S22NET_OK);
    unsigned char* sent = nullptr;
    unsigned char* received = nullptr;
    m_net.GetLastPacket(&sent, &received);
    EXPECT_EQ(Frame(sent), (std::vector<unsigned char>{0x55, 0xAA, 0x01, 0x00, 0x03, 0xFD}));
    EXPECT_EQ(Frame(received), (std::vector<unsigned char>{0x55, 0xAA, 0x01, 0x00, 0x03, 0xFD}));
    EXPECT_EQ(m_net.GetActualNumberOfRetries(), 0);
}

TEST_F(NetworkLine, FirstCommandResetsThenSequenceRuns)
{
    StartLine(3, 115200, {7});
    Connect();
    std::vector<unsigned> sequences;
    for (int i = 0; i < 17; ++i) {
        ASSERT_EQ(Command(7, {0x80, 0x22, 0x00}), S22NET_OK) << i;
        unsigned char* sent = nullptr;
        m_net.GetLastPacket(&sent, nullptr);
        sequences.push_back(sent[4] & 0xF0);
    }
    EXPECT_EQ(Sim().Stats(3, 7).sequenceResets, 1u);
    const std::vector<unsigned> expected{0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90,
                                         0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0x10, 0x20};
    EXPECT_EQ(sequences, expected);
}

TEST_F(NetworkLine, GenericCommandCopiesTheReply)
{
    StartLine(3, 115200, {2});
    Connect();
    unsigned char reply[12];
    std::fill(std::begin(reply), std::end(reply), 0xEE);
    const unsigned char request[] = {0x11, 0x05};
    ASSERT_EQ(m_net.GenericCommand(2, request, 2, reply, sizeof reply), S22NET_OK);
    EXPECT_EQ(reply[0], 0x11);
    unsigned char* received = nullptr;
    m_net.GetLastPacket(nullptr, &received);
    for (std::size_t i = received[3]; i < sizeof reply; ++i)
        EXPECT_EQ(reply[i], 0) << "bytes past the reply's data read as zero, at " << i;
}

struct RetryCase {
    const char* name;
    Fault fault;
    short maxRetries; // -1: leave the default
    short result;
    unsigned long framesSeen;
};

TEST_F(NetworkLine, RetriesAndResultsUnderFaults)
{
    const RetryCase cases[] = {
        {"no reply: three tries", {FaultKind::DropReply, -1, 0}, -1, ERR_SIGN_NO_RESPONSE, 3},
        {"no reply, max retries 0: one try", {FaultKind::DropReply, -1, 0}, 0, ERR_SIGN_NO_RESPONSE, 1},
        {"one lost reply is retried", {FaultKind::DropReply, 1, 0}, -1, S22NET_OK, 2},
        {"reply from another address", {FaultKind::WrongAddress, -1, 6}, -1, ERR_SIGN_INVALID_RESPONSE, 3},
        {"one foreign reply, then good", {FaultKind::WrongAddress, 1, 6}, -1, S22NET_OK, 2},
        {"unsupported ends at once", {FaultKind::Unsupported, -1, 0}, -1, ERR_SIGN_UNSUPPORTED_COMMAND, 1},
        {"bad command is retried", {FaultKind::BadCommand, -1, 0}, -1, ERR_SIGN_BAD_COMMAND, 3},
        {"bad header checksum", {FaultKind::BadHeaderChecksum, -1, 0}, -1, ERR_SIGN_INVALID_RESPONSE, 3},
        {"bad data checksum", {FaultKind::BadDataChecksum, -1, 0}, -1, ERR_SIGN_INVALID_RESPONSE, 3},
        {"noise before the reply", {FaultKind::Noise, -1, 40}, -1, S22NET_OK, 1},
        {"four tries allowed", {FaultKind::DropReply, 3, 0}, 3, S22NET_OK, 4},
    };
    StartLine(3, 115200, {5});
    Connect();
    ASSERT_EQ(m_net.Ping(5), S22NET_OK); // so faults hit the command, not the first reset
    for (const auto& c : cases) {
        Sim().ClearFaults(3, 5);
        m_net.SetMaxNumberOfRetries(c.maxRetries < 0 ? 2 : c.maxRetries);
        const unsigned long before = Sim().Stats(3, 5).framesReceived;
        Sim().InjectFault(3, 5, c.fault);
        EXPECT_EQ(Command(5, {0x80, 0x30, 0x00}), c.result) << c.name;
        EXPECT_EQ(Sim().Stats(3, 5).framesReceived - before, c.framesSeen) << c.name;
        EXPECT_EQ(m_net.GetActualNumberOfRetries(), static_cast<short>(c.framesSeen - 1)) << c.name;
    }
}

TEST_F(NetworkLine, RetriesSettingIgnoresNegatives)
{
    EXPECT_EQ(m_net.GetMaxNumberOfRetries(), 2);
    EXPECT_EQ(m_net.GetActualNumberOfRetries(), -1);
    m_net.SetMaxNumberOfRetries(-3);
    EXPECT_EQ(m_net.GetMaxNumberOfRetries(), 2);
    m_net.SetMaxNumberOfRetries(0);
    EXPECT_EQ(m_net.GetMaxNumberOfRetries(), 0);
}

TEST_F(NetworkLine, BroadcastIsSentOnceAndNotAwaited)
{
    StartLine(3, 115200, {1, 2});
    Connect();
    for (unsigned char address : {0, 241, 255}) {
        EXPECT_EQ(m_net.Ping(address), S22NET_OK) << int(address);
        EXPECT_EQ(m_net.GetActualNumberOfRetries(), 0);
    }
    // The controller handles frames in order, so once this reply is back it has seen the broadcasts.
    ASSERT_EQ(m_net.Ping(2), S22NET_OK);
    EXPECT_EQ(Sim().Stats(3, 1).framesReceived, 3u);
    EXPECT_EQ(Sim().Stats(3, 1).repliesSent, 0u);
    EXPECT_EQ(Sim().Stats(3, 2).framesReceived, 4u);
    EXPECT_EQ(Sim().Stats(3, 2).repliesSent, 1u);
}

TEST_F(NetworkLine, SetupRefusals)
{
    StartLine(3, 115200, {1});
    EXPECT_EQ(m_net.Connect(), ERR_COMMAND_NOT_CONFIGURED);
    EXPECT_EQ(m_net.Disconnect(), ERR_COMMAND_NOT_CONFIGURED);
    EXPECT_EQ(m_net.Ping(1), ERR_COMMAND_NO_CONNECTION);
    EXPECT_EQ(Command(1, {0x80, 0x22}), ERR_COMMAND_NO_CONNECTION);
    unsigned char byte = 0;
    EXPECT_EQ(m_net.ReadChar(byte), ERR_COMMAND_NOT_CONFIGURED);
    char* text = nullptr;
    EXPECT_EQ(m_net.GetLastTAPIerror(&text), 0);
    EXPECT_EQ(text, nullptr);

    Connect();
    EXPECT_EQ(m_net.Connect(), ERR_COMMAND_ALREADY_CONNECTED);
    // Reconfiguring while connected is refused and leaves the old port working.
    EXPECT_EQ(m_net.ConfigureDirect(9, 9600, false), ERR_COMMAND_ALREADY_CONNECTED);
    EXPECT_EQ(m_net.Ping(1), S22NET_OK);
    EXPECT_EQ(m_net.GetLastTAPIerror(&text), 0);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(m_net.Disconnect(), S22NET_OK);
    EXPECT_EQ(m_net.Ping(1), ERR_COMMAND_NO_CONNECTION);
}

TEST_F(NetworkLine, ConnectFailsForAMissingPort)
{
    StartLine(3, 115200, {1});
    ASSERT_EQ(m_net.ConfigureDirect(12, 115200, false), S22NET_OK);
    EXPECT_EQ(m_net.Connect(), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(m_net.Ping(1), ERR_COMMAND_NO_CONNECTION);
    // The caller can tell why, with the system's own code.
    const char* why = nullptr;
    EXPECT_NE(m_net.GetLastConnectError(&why), 0);
    ASSERT_NE(why, nullptr);
    EXPECT_EQ(std::string(why).rfind("COM12: there is no device at ", 0), 0u) << why;
    // A Connect that opens the port forgets it.
    ASSERT_EQ(m_net.ConfigureDirect(3, 115200, false), S22NET_OK);
    ASSERT_EQ(m_net.Connect(), S22NET_OK);
    EXPECT_EQ(m_net.GetLastConnectError(&why), 0);
    EXPECT_STREQ(why, "");
}

TEST_F(NetworkLine, LineSpeedMismatchGetsNoAnswer)
{
    StartLine(3, 19200, {1});
    Connect(115200);
    EXPECT_EQ(m_net.Ping(1), ERR_SIGN_NO_RESPONSE);
    EXPECT_GT(Sim().Stats(3, 1).wrongRateFrames, 0u);
    EXPECT_EQ(Sim().Stats(3, 1).repliesSent, 0u);
}

TEST_F(NetworkLine, BusyEngineRefusesASecondCaller)
{
    StartLine(3, 115200, {1});
    Connect();
    ASSERT_EQ(m_net.Ping(1), S22NET_OK);
    Sim().InjectFault(3, 1, {FaultKind::Delay, 1, 400});
    const unsigned long before = Sim().Stats(3, 1).framesReceived;
    m_net.SetTimeOut(2000);
    short first = 1;
    std::thread worker([&] { first = Command(1, {0x80, 0x22}); });
    while (Sim().Stats(3, 1).framesReceived == before)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(m_net.Ping(1), ERR_COMMAND_BUSY);
    worker.join();
    EXPECT_EQ(first, S22NET_OK);
}

TEST_F(NetworkLine, AbortFromAnotherThreadEndsTheCommand)
{
    StartLine(3, 115200, {1});
    Connect();
    ASSERT_EQ(m_net.Ping(1), S22NET_OK);
    Sim().InjectFault(3, 1, {FaultKind::DropReply, -1, 0});
    m_net.SetMaxNumberOfRetries(10);
    const unsigned long before = Sim().Stats(3, 1).framesReceived;
    short result = 1;
    std::thread worker([&] { result = Command(1, {0x80, 0x22}); });
    while (Sim().Stats(3, 1).framesReceived == before)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_net.Abort();
    worker.join();
    EXPECT_EQ(result, ERR_SIGN_ABORT);
    EXPECT_LT(Sim().Stats(3, 1).framesReceived - before, 11u);
    // The next command starts with the abort flag cleared.
    Sim().ClearFaults(3, 1);
    EXPECT_EQ(Command(1, {0x80, 0x22}), S22NET_OK);
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(NetworkLine, ErrorsOnlyDiagnosticsRecordsTheFailedTries)
{
    StartLine(3, 115200, {1});
    Connect();
    m_net.EnableDiagnostics(true, Dir().c_str());
    Sim().InjectFault(3, 1, {FaultKind::DropReply, 2, 0});
    EXPECT_EQ(m_net.Ping(1), S22NET_OK);
    const std::string log = ReadFile(Dir() / "Direct COM3.txt");
    // Two failed tries (the first with the date line), nothing for the success. After a time-out
    // the received buffer is the cleared one.
    const std::regex layout(
        "[A-Z][a-z]{2} \\d\\d, \\d{4} \\d\\d:\\d\\d:\\d\\d [AP]M\n"
        "Sent:    55 AA 1 0 3 FD\nRecv'd:  0 0 0 0 0 0\nError Status: ERR_SIGN_NO_RESPONSE\n"
        "Sent:    55 AA 1 0 3 FD\nRecv'd:  0 0 0 0 0 0\nError Status: ERR_SIGN_NO_RESPONSE\n");
    EXPECT_TRUE(std::regex_match(log, layout)) << log;

    m_net.DisableDiagnostics();
    Sim().InjectFault(3, 1, {FaultKind::DropReply, 1, 0});
    EXPECT_EQ(m_net.Ping(1), S22NET_OK);
    EXPECT_EQ(ReadFile(Dir() / "Direct COM3.txt"), log);
}

TEST_F(NetworkLine, FullDiagnosticsRecordsEveryTry)
{
    StartLine(3, 115200, {1});
    Connect();
    m_net.EnableDiagnostics(false, Dir().c_str());
    EXPECT_EQ(m_net.Ping(1), S22NET_OK);
    EXPECT_EQ(m_net.Ping(0), S22NET_OK);
    const std::regex layout(
        "[A-Z][a-z]{2} \\d\\d, \\d{4} \\d\\d:\\d\\d:\\d\\d [AP]M\n"
        "Sent:    55 AA 1 0 3 FD\nRecv'd:  55 AA 1 0 3 FD\nError Status: S22NET_OK\n"
        "[A-Z][a-z]{2} \\d\\d, \\d{4} \\d\\d:\\d\\d:\\d\\d [AP]M\n"
        "Sent:    55 AA 0 0 3 FE\nRecv'd:  55 AA 1 0 3 FD\nError Status: S22NET_OK\n");
    const std::string log = ReadFile(Dir() / "Direct COM3.txt");
    EXPECT_TRUE(std::regex_match(log, layout)) << log;
}

} // namespace
