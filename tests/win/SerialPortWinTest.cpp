// The Win32 port layer against the harness's COM1: open, close, failures, time-outs and the abort.
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

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

using PortNamesWin = WineLineTest;

TEST_F(PortNamesWin, DevicePaths)
{
    const std::pair<int, const char*> cases[] = {
        {1, "\\\\.\\COM1"}, {9, "\\\\.\\COM9"}, {10, "\\\\.\\COM10"}, {255, "\\\\.\\COM255"}, {0, ""}, {-3, ""}};
    for (const auto& [number, path] : cases)
        EXPECT_EQ(ComDevicePath(number), path) << number;
}

TEST_F(PortNamesWin, RegistryListIsOrderedWithDevicePaths)
{
    const auto ports = ListComPorts();
    for (std::size_t i = 0; i < ports.size(); ++i) {
        EXPECT_GT(ports[i].number, 0);
        EXPECT_EQ(ports[i].device, ComDevicePath(ports[i].number));
        if (i > 0) {
            EXPECT_LT(ports[i - 1].number, ports[i].number);
        }
    }
}

using SerialDeviceWin = WineLineTest;

TEST_F(SerialDeviceWin, OpensAndCloses)
{
    CSerialDevice device;
    ASSERT_TRUE(device.Open(kCom, kBaud));
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.LastOpenFailure().kind, SerialOpenFailure::Kind::None);
    EXPECT_TRUE(device.ApplyTimeOuts(250, 2, 100));
    EXPECT_TRUE(device.PurgeReceive());
    EXPECT_TRUE(device.Close());
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(device.Close());
    // Closed means closed: the port opens again.
    ASSERT_TRUE(device.Open(kCom, kBaud));
    EXPECT_TRUE(device.Close());
}

TEST_F(SerialDeviceWin, MissingPortIsNoSuchPort)
{
    CSerialDevice device;
    ASSERT_FALSE(device.Open(kMissingCom, kBaud));
    const SerialOpenFailure& failure = device.LastOpenFailure();
    EXPECT_EQ(failure.kind, SerialOpenFailure::Kind::NoSuchPort);
    EXPECT_EQ(failure.device, "\\\\.\\COM9");
    const auto lines = DescribeOpenFailure(kMissingCom, failure);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(StartsWith(lines[0], "COM9: there is no such port on this machine (")) << lines[0];
    EXPECT_TRUE(EndsWith(lines[0], ", error " + std::to_string(failure.systemError) + ")")) << lines[0];

    CS22SignLink link;
    EXPECT_EQ(link.OpenPort(kMissingCom, kBaud, 0), ERR_NETWORK_CONNECT_FAILED);
    EXPECT_EQ(link.Port().LastOpenFailure().kind, SerialOpenFailure::Kind::NoSuchPort);
}

TEST_F(SerialDeviceWin, SecondOpenIsBusy)
{
    CSerialDevice first;
    ASSERT_TRUE(first.Open(kCom, kBaud));
    CSerialDevice second;
    if (second.Open(kCom, kBaud)) {
        second.Close();
        GTEST_SKIP() << "Wine does not refuse a second open of a COM port";
    }
    EXPECT_EQ(second.LastOpenFailure().kind, SerialOpenFailure::Kind::Busy);
    EXPECT_EQ(DescribeOpenFailure(kCom, second.LastOpenFailure()),
              std::vector<std::string>{"COM1: access was refused: another program has the port open"});
}

TEST_F(SerialDeviceWin, FailureLines)
{
    SerialOpenFailure refused;
    refused.kind = SerialOpenFailure::Kind::Refused;
    refused.systemError = 87; // ERROR_INVALID_PARAMETER
    refused.device = "\\\\.\\COM3";
    SerialOpenFailure busy;
    busy.kind = SerialOpenFailure::Kind::Busy;
    busy.systemError = 5; // ERROR_ACCESS_DENIED
    busy.device = "\\\\.\\COM3";
    // The system's texts depend on the language: only their frame is checked.
    const struct {
        SerialOpenFailure failure;
        const char* start;
        const char* end;
    } cases[] = {
        {refused, "COM3: \\\\.\\COM3 could not be set up as a serial line: ", " (error 87)"},
        {busy, "COM3: access was refused: another program has the port open", ""},
    };
    for (const auto& c : cases) {
        const auto lines = DescribeOpenFailure(3, c.failure);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(StartsWith(lines[0], c.start)) << lines[0];
        EXPECT_TRUE(EndsWith(lines[0], c.end)) << lines[0];
        EXPECT_EQ(lines[0].find('\n'), std::string::npos) << lines[0];
    }
    EXPECT_TRUE(DescribeOpenFailure(3, SerialOpenFailure{}).empty());
}

class TimeOutWin : public WineLineTest {
protected:
    void TearDown() override
    {
        m_net.Disconnect();
        m_link.ClosePort();
    }

    CS22Network m_net;
    CS22SignLink m_link;
};

TEST_F(TimeOutWin, SilentAddressAfterTheSignLinksTries)
{
    ASSERT_EQ(m_link.OpenPort(kCom, kBaud, 0), S22NET_OK);
    m_link.Port().SetTimeOut(300);
    EXPECT_EQ(m_link.SequenceReset(kSilent), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(m_link.GetActualNumberOfRetries(), CS22SignLink::kMaxRetries);
}

TEST_F(TimeOutWin, SilentAddressAfterTheNetworksTries)
{
    ASSERT_EQ(m_net.ConfigureDirect(kCom, kBaud, false), S22NET_OK);
    m_net.SetTimeOut(300);
    ASSERT_EQ(m_net.Connect(), S22NET_OK);
    EXPECT_EQ(m_net.Ping(kSilent), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(m_net.GetActualNumberOfRetries(), m_net.GetMaxNumberOfRetries());
}

TEST_F(TimeOutWin, SetTimeOutReachesTheDriver)
{
    ASSERT_EQ(m_net.ConfigureDirect(kCom, kBaud, false), S22NET_OK);
    // Weeks: an exchange under it puts it into the driver's read time-out.
    m_net.SetTimeOut(2000000000L);
    ASSERT_EQ(m_net.Connect(), S22NET_OK);
    ASSERT_EQ(m_net.Ping(kAnswering), S22NET_OK);
    // Had the short time-out not replaced it in the driver, this would wait out the weeks (and the
    // harness's time-out) instead.
    m_net.SetTimeOut(300);
    m_net.SetMaxNumberOfRetries(0);
    EXPECT_EQ(m_net.Ping(kSilent), ERR_SIGN_NO_RESPONSE);
}

namespace {

// Says when the link's operation is under way (after its abort word was cleared).
class BusySignal : public IPTANetListener {
public:
    void BeginBusy() override { m_begun.set_value(); }
    void EndBusy() override {}
    std::future<void> Begun() { return m_begun.get_future(); }

private:
    std::promise<void> m_begun;
};

} // namespace

TEST_F(TimeOutWin, AbortFromAnotherThreadEndsAWaitingExchange)
{
    ASSERT_EQ(m_link.OpenPort(kCom, kBaud, 0), S22NET_OK);
    // Four tries of two seconds if the abort were missed (-6); under Wine, which cannot cancel a
    // waiting ReadFile, the abort is seen when the read's time-out ends.
    m_link.Port().SetTimeOut(2000);
    BusySignal busy;
    m_link.SetListener(&busy);
    auto begun = busy.Begun();
    std::atomic<short> result{S22NET_OK};
    std::thread exchange([&] { result = m_link.SequenceReset(kSilent); });
    begun.wait();
    // Most likely the request is out and the read waits by now; an earlier abort ends it as well.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    m_link.Abort();
    exchange.join();
    m_link.SetListener(nullptr);
    EXPECT_EQ(result.load(), ERR_SIGN_ABORT);
}
