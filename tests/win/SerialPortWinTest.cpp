// The Win32 port layer against the harness's COM1: names, open and close, failures, time-outs and
// the abort.
#include "WineLine.h"

#include "link/PortFailure.h"
#include "link/PortNames.h"
#include "link/S22Network.h"
#include "link/S22SignLink.h"
#include "link/SerialDevice.h"

#include <atomic>
#include <future>
#include <string>
#include <thread>

using namespace winline;

namespace {

using PortWin = WineLineTest;

TEST_F(PortWin, DevicePathsAndTheRegistryList)
{
    const std::pair<int, const char*> cases[] = {
        {1, "\\\\.\\COM1"}, {10, "\\\\.\\COM10"}, {255, "\\\\.\\COM255"}, {0, ""}, {-3, ""}};
    for (const auto& [number, path] : cases)
        EXPECT_EQ(ComDevicePath(number), path) << number;
    const auto ports = ListComPorts();
    for (std::size_t i = 0; i < ports.size(); ++i) {
        EXPECT_GT(ports[i].number, 0);
        EXPECT_EQ(ports[i].device, ComDevicePath(ports[i].number));
        if (i > 0)
            EXPECT_LT(ports[i - 1].number, ports[i].number);
    }
}

TEST_F(PortWin, OpensClosesAndOpensAgain)
{
    CSerialDevice device;
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(device.Open(kCom, kBaud));
        EXPECT_TRUE(device.IsOpen());
        EXPECT_EQ(device.LastOpenFailure().kind, SerialOpenFailure::Kind::None);
        EXPECT_TRUE(device.ApplyTimeOuts(250, 2, 100));
        EXPECT_TRUE(device.PurgeReceive());
        EXPECT_TRUE(device.Close());
        EXPECT_FALSE(device.IsOpen());
        EXPECT_FALSE(device.Close());
    }
}

TEST_F(PortWin, MissingPortIsNoSuchPort)
{
    CSerialDevice device;
    ASSERT_FALSE(device.Open(kMissingCom, kBaud));
    EXPECT_EQ(device.LastOpenFailure().kind, SerialOpenFailure::Kind::NoSuchPort);
    EXPECT_EQ(device.LastOpenFailure().device, "\\\\.\\COM9");
    CS22SignLink link;
    EXPECT_EQ(link.OpenPort(kMissingCom, kBaud, 0), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(link.Port().LastOpenFailure().kind, SerialOpenFailure::Kind::NoSuchPort);
}

TEST_F(PortWin, SecondOpenIsBusy)
{
    CSerialDevice first;
    ASSERT_TRUE(first.Open(kCom, kBaud));
    CSerialDevice second;
    if (second.Open(kCom, kBaud))
        GTEST_SKIP() << "Wine does not refuse a second open of a COM port";
    EXPECT_EQ(second.LastOpenFailure().kind, SerialOpenFailure::Kind::Busy);
    EXPECT_EQ(DescribeOpenFailure(kCom, second.LastOpenFailure()),
              std::vector<std::string>{"COM1: access was refused: another program has the port open"});
}

// The system's texts depend on the language: only their frame is checked.
TEST_F(PortWin, FailureLines)
{
    using Kind = SerialOpenFailure::Kind;
    const struct {
        Kind kind;
        int error;
        const char* start;
        const char* end;
    } cases[] = {
        {Kind::NoSuchPort, 2, "COM3: there is no such port on this machine (", ", error 2)"},
        {Kind::Refused, 87, "COM3: \\\\.\\COM3 could not be set up as a serial line: ", " (error 87)"},
        {Kind::Busy, 5, "COM3: access was refused: another program has the port open", ""},
    };
    for (const auto& c : cases) {
        const auto lines = DescribeOpenFailure(3, SerialOpenFailure{c.kind, c.error, "\\\\.\\COM3"});
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(lines[0].starts_with(c.start) && lines[0].ends_with(c.end)) << lines[0];
        EXPECT_EQ(lines[0].find('\n'), std::string::npos) << lines[0];
    }
    EXPECT_TRUE(DescribeOpenFailure(3, SerialOpenFailure{}).empty());
}

using TimeOutWin = WineLineTest;

TEST_F(TimeOutWin, SilentAddressAfterTheSignLinksTries)
{
    CS22SignLink link;
    ASSERT_EQ(link.OpenPort(kCom, kBaud, 0), S22NET_OK);
    link.Port().SetTimeOut(300);
    EXPECT_EQ(link.SequenceReset(kSilent), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(link.GetTransferFigures().actualRetries, CS22SignLink::kMaxRetries);
}

TEST_F(TimeOutWin, SetTimeOutReachesTheDriver)
{
    CS22Network net;
    ASSERT_EQ(net.ConfigureDirect(kCom, kBaud, false), S22NET_OK);
    // Weeks: an exchange under it puts it into the driver's read time-out.
    net.SetTimeOut(2000000000L);
    ASSERT_EQ(net.Connect(), S22NET_OK);
    ASSERT_EQ(net.Ping(kAnswering), S22NET_OK);
    // Had the short time-out not replaced it in the driver, this would wait out the weeks (and the
    // harness's time-out) instead.
    net.SetTimeOut(300);
    EXPECT_EQ(net.Ping(kSilent), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(net.GetActualNumberOfRetries(), net.GetMaxNumberOfRetries());
}

// Says when the link's operation is under way (after its abort word was cleared).
class BusySignal : public IPTANetListener {
public:
    void BeginBusy() override { begun.set_value(); }
    void EndBusy() override {}
    std::promise<void> begun;
};

TEST_F(TimeOutWin, AbortFromAnotherThreadEndsAWaitingExchange)
{
    CS22SignLink link;
    ASSERT_EQ(link.OpenPort(kCom, kBaud, 0), S22NET_OK);
    // Four tries of two seconds if the abort were missed (-6); under Wine, which cannot cancel a
    // waiting ReadFile, the abort is seen when the read's time-out ends.
    link.Port().SetTimeOut(2000);
    BusySignal busy;
    link.SetListener(&busy);
    auto begun = busy.begun.get_future();
    std::atomic<short> result{S22NET_OK};
    std::thread exchange([&] { result = link.SequenceReset(kSilent); });
    begun.wait();
    // Most likely the request is out and the read waits by now; an earlier abort ends it as well.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    link.Abort();
    exchange.join();
    link.SetListener(nullptr);
    EXPECT_EQ(result.load(), ERR_SIGN_ABORT);
}

} // namespace
