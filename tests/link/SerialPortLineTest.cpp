// The serial port itself on a pseudo-terminal: rates, exclusive use, frame reading, raw blocks.
#include "SimFixture.h"

#include "link/S22NetPacket.h"
#include "link/S22NetResult.h"
#include "link/S22NetSerialPort.h"

#include <sys/wait.h>
#include <unistd.h>

#include <vector>

using qvxsim::FaultKind;

namespace {

class SerialPortLine : public SimLineTest {};

TEST_F(SerialPortLine, NonStandardRatesReachTheLine)
{
    // The controller answers only when the host's line runs at its own rate.
    AddLine(2, 56700, {1});
    AddLine(6, 28800, {1});
    StartSim();
    for (const auto& [com, rate] : {std::pair{2, 56700ul}, std::pair{6, 28800ul}}) {
        CS22NetSerialPort port;
        port.Configure(static_cast<short>(com), rate, 0);
        port.SetTimeOut(500);
        ASSERT_EQ(port.Connect(), S22NET_OK) << rate;
        CS22NetPacket request;
        request.Build(1, 0, S22_TYPE_SEQUENCE_RESET, nullptr, 0);
        ASSERT_EQ(port.SendPacket(request), S22NET_OK);
        CS22NetPacket reply;
        ASSERT_EQ(port.ReceivePacket(reply), S22NET_OK) << rate;
        EXPECT_EQ(reply.Validate(1, 0, S22_TYPE_SEQUENCE_RESET, S22_NO_COMMAND_CODE), S22NET_OK);
        EXPECT_EQ(Sim().Stats(com, 1).wrongRateFrames, 0u);
        EXPECT_EQ(port.Disconnect(), S22NET_OK);
        EXPECT_EQ(port.Disconnect(), ERR_NETWORK_DISCONNECT_INVALID);
    }
}

TEST_F(SerialPortLine, PortIsHeldExclusively)
{
    StartLine(2, 115200, {1});
    CS22NetSerialPort first;
    first.Configure(2, 115200, 0);
    ASSERT_EQ(first.Connect(), S22NET_OK);
    CS22NetSerialPort second;
    second.Configure(2, 115200, 0);
    EXPECT_EQ(second.Connect(), ERR_NETWORK_CONNECT_FAILED);

    // Another process sees it busy too.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CS22NetSerialPort other;
        other.Configure(2, 115200, 0);
        ::_exit(other.Connect() == ERR_NETWORK_CONNECT_FAILED ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    ASSERT_EQ(first.Disconnect(), S22NET_OK);
    EXPECT_EQ(second.Connect(), S22NET_OK);
}

TEST_F(SerialPortLine, NoiseIsSkippedAndShortFramesAreSixBytes)
{
    StartLine(2, 115200, {1});
    Sim().InjectFault(2, 1, {FaultKind::Noise, -1, 50});
    CS22NetSerialPort port;
    port.Configure(2, 115200, 0);
    port.SetTimeOut(300);
    ASSERT_EQ(port.Connect(), S22NET_OK);
    CS22NetPacket request;
    request.Build(1, 0, S22_TYPE_SEQUENCE_RESET, nullptr, 0);
    ASSERT_EQ(port.SendPacket(request), S22NET_OK);
    CS22NetPacket reply;
    ASSERT_EQ(port.ReceivePacket(reply), S22NET_OK);
    EXPECT_EQ(std::vector<unsigned char>(reply.Bytes(), reply.Bytes() + 7),
              (std::vector<unsigned char>{0x55, 0xAA, 1, 0, 3, 0xFD, 0}));
    // Nothing more is waiting: the reply was 6 bytes, no data checksum.
    unsigned char extra = 0;
    EXPECT_EQ(port.ReadChar(extra), ERR_SIGN_NO_RESPONSE);
}

TEST_F(SerialPortLine, BlocksReturnWhatArrivedAndAbortEndsReads)
{
    StartLine(2, 19200, {1});
    Sim().SetLoopback(2, true);
    CS22NetSerialPort port;
    port.Configure(2, 19200, 0);
    port.SetTimeOut(300);
    ASSERT_EQ(port.Connect(), S22NET_OK);
    const unsigned char bytes[] = {1, 2, 3};
    unsigned long written = 0;
    ASSERT_EQ(port.WriteBlock(bytes, 3, &written), S22NET_OK);
    EXPECT_EQ(written, 3u);
    unsigned char buffer[64] = {};
    unsigned long got = 0;
    while (got < 3) {
        unsigned long count = sizeof buffer - got;
        ASSERT_EQ(port.ReadBlock(buffer + got, &count), S22NET_OK);
        ASSERT_GT(count, 0u);
        got += count;
    }
    EXPECT_EQ(std::vector<unsigned char>(buffer, buffer + got), (std::vector<unsigned char>{1, 2, 3}));
    unsigned long count = sizeof buffer;
    EXPECT_EQ(port.ReadBlock(buffer, &count), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(count, 0u);

    port.SetAbort(true);
    unsigned char byte = 0;
    EXPECT_EQ(port.ReadChar(byte), ERR_SIGN_ABORT);
    CS22NetPacket frame;
    EXPECT_EQ(port.SendPacket(frame), ERR_SIGN_ABORT);
    port.SetAbort(false);
    EXPECT_EQ(port.ReadChar(byte), ERR_SIGN_NO_RESPONSE);
}

TEST_F(SerialPortLine, FlushDropsPendingInput)
{
    StartLine(2, 19200, {1});
    Sim().SetLoopback(2, true);
    CS22NetSerialPort port;
    port.Configure(2, 19200, 0);
    port.SetTimeOut(200);
    ASSERT_EQ(port.Connect(), S22NET_OK);
    const unsigned char bytes[] = {9, 9, 9, 9};
    ASSERT_EQ(port.WritePort(bytes, 4), S22NET_OK);
    // Wait for the echo to arrive, then drop it.
    unsigned char byte = 0;
    ASSERT_EQ(port.ReadChar(byte), S22NET_OK);
    usleep(50 * 1000);
    EXPECT_EQ(port.FlushReceiveBuffer(), S22NET_OK);
    EXPECT_EQ(port.ReadChar(byte), ERR_SIGN_NO_RESPONSE);
}

} // namespace
