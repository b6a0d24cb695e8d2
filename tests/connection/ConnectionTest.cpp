// Connecting to every kind of display the tool meets, with the exact message lines and task codes,
// against the stand-in controller over pseudo-terminals.
#include "CapturingView.h"

#include "connection/InstallerCore.h"
#include "update/package/FirmwareLine.h"
#include "link/S22NetSerialPort.h"
#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <thread>

using qvxsim::Protocol;

namespace {

using Lines = std::vector<std::string>;

class Connection : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("qvx-conn-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        ::setenv("QVX_PORT_DIR", m_dir.c_str(), 1);
        // The link waits 3 s per try; the rules stay the same, only faster.
        ::setenv("QVX_TIME_SCALE", "0.02", 1);
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
    }
    void TearDown() override
    {
        m_core.reset();
        m_sim.reset();
        ::unsetenv("QVX_TIME_SCALE");
        std::filesystem::remove_all(m_dir);
    }

    void StartDisplay(unsigned long baud, Protocol protocol, std::string signType = {})
    {
        qvxsim::PortConfig config;
        config.comNumber = 3;
        config.baud = baud;
        qvxsim::ControllerConfig controller;
        controller.address = 1;
        controller.settings.protocol = protocol;
        controller.settings.signTypeText = std::move(signType);
        config.controllers.push_back(controller);
        std::string error;
        ASSERT_TRUE(m_sim->AddPort(config, &error)) << error;
        ASSERT_TRUE(m_sim->Start(&error)) << error;
    }

    int Connect(BaudChoice baud = {}, int port = 3)
    {
        std::vector<CONNECTION_INFO> list;
        CDisplayConnector::BuildConnectionList(list, 1, port, baud);
        const ConnectOutcome connected = m_core->Connector().ConnectToDisplay(list, 1);
        m_outcome = connected.entry;
        m_firmware = connected.strFirmware;
        return connected.result;
    }

    std::filesystem::path m_dir;
    std::unique_ptr<qvxsim::SignSim> m_sim;
    CCapturingView m_view;
    std::unique_ptr<CInstallerCore> m_core = std::make_unique<CInstallerCore>(m_view);
    CONNECTION_INFO m_outcome;
    std::string m_firmware; // as the connection's outcome reports it
};

const Lines kRetrieved = {"Retrieving configuration file...", "The config file was retrieved.",
                          "Retrieving status file...", "The status file was retrieved."};

Lines Join(Lines a, const Lines& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(Connection, ControllerProtocolDisplayAt19200)
{
    StartDisplay(19200, Protocol::S2200);
    EXPECT_EQ(Connect(), CONNECT_OK);
    EXPECT_EQ(m_view.Lines(), Join({"Connecting to Sign at address 1...",
                                    "Connecting with Pellworth Protocol at 115200 baud",
                                    "Response from get sign type: -6",
                                    "Sign Type Version:",
                                    "Connection with Pellworth Protocol at 115200 baud has failed.",
                                    "Unable to retrieve firmware version info.",
                                    "Connecting with Pellworth Protocol at 19200 baud",
                                    "Response from get sign type: -6",
                                    "Sign Type Version:",
                                    "Connection with Pellworth Protocol at 19200 baud has failed.",
                                    "Connection established with S2200 Protocol at 19200 baud."},
                                   kRetrieved));
    EXPECT_EQ(m_outcome.nProtocol, PROTOCOL_PELLWORTH);
    EXPECT_EQ(m_outcome.nBaud, 19200);
    EXPECT_TRUE(m_core->Session().Link().IsOpen());
    EXPECT_EQ(m_view.jobs, 1);
}

TEST_F(Connection, PellworthDisplayIsSwitchedOnTheFirstAttempt)
{
    StartDisplay(115200, Protocol::Pellworth, "FX40211-1.02.11");
    EXPECT_EQ(Connect(), CONNECT_OK);
    EXPECT_EQ(m_view.Lines(), Join({"Connecting to Sign at address 1...",
                                    "Connecting with Pellworth Protocol at 115200 baud",
                                    "Response from get sign type: 0",
                                    "Sign Type Version:FX40211-1.02.11",
                                    "Connection established with Pellworth Protocol at 115200 baud.",
                                    "Changing to S2200 Protocol at 115200 baud."},
                                   kRetrieved));
    EXPECT_EQ(m_firmware, "FX40211-1.02.11");
    EXPECT_EQ(RecommendedFirmwareVersion(m_core->Session().IsFirmwareLine()), "FX40211-1.02.11");
}

TEST_F(Connection, OtherReaderBoardFirmwareIsPassedOver)
{
    StartDisplay(115200, Protocol::Pellworth, "FX40377-2.00.01");
    EXPECT_EQ(Connect({true, 115200}), CONNECT_NO_ANSWER);
    EXPECT_EQ(m_view.Lines(), (Lines{"Connecting to Sign at address 1...",
                                     "Connecting with Pellworth Protocol at 115200 baud",
                                     "Response from get sign type: 0",
                                     "Sign Type Version:FX40377-2.00.01",
                                     "Connecting with S2200 Protocol at 115200 baud",
                                     "Connection with S2200 Protocol at 115200 baud has failed.",
                                     "[*TASK ERROR 510*]  Could not connect to display",
                                     "The display may not have power or a connectivity problem exists"}));
    EXPECT_FALSE(m_core->Session().Link().IsOpen());
}

TEST_F(Connection, ShortSignTypeIsAHitechDisplay)
{
    StartDisplay(115200, Protocol::Hitech, "ABC");
    EXPECT_EQ(Connect(), CONNECT_NOT_OUR_DISPLAY);
    EXPECT_EQ(m_view.Lines(), (Lines{"Connecting to Sign at address 1...",
                                     "Connecting with Pellworth Protocol at 115200 baud",
                                     "Response from get sign type: 0",
                                     "Sign Type Version:ABC",
                                     "Connection with Pellworth Protocol at 115200 baud has failed.",
                                     "Unknown firmware version format.",
                                     "Detected a HITECH display at 115200 baud.",
                                     "[*TASK ERROR 101*]  Display is not a Quorvantix Reader Board"}));
    EXPECT_FALSE(m_core->Session().Link().IsOpen());
}

TEST_F(Connection, OtherFirmwareTextIsAHitechDisplay)
{
    StartDisplay(115200, Protocol::Hitech, "HT3100-2.04");
    EXPECT_EQ(Connect(), CONNECT_NOT_OUR_DISPLAY);
    const Lines lines = m_view.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(Lines(lines.end() - 3, lines.end()),
              (Lines{"Connection with Pellworth Protocol at 115200 baud has failed.",
                     "Detected a HITECH display at 115200 baud.",
                     "[*TASK ERROR 101*]  Display is not a Quorvantix Reader Board"}));
}

TEST_F(Connection, PortHeldByAnotherProcessEndsAtOnce)
{
    StartDisplay(115200, Protocol::S2200);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CS22NetSerialPort holder;
        holder.Configure(3, 115200, 0);
        const char ok = holder.Connect() == S22NET_OK ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    EXPECT_TRUE(CDisplayConnector::IsPortBusy(3));
    const int result = Connect();
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(result, CONNECT_PORT_BUSY);
    const std::string device =
        (m_dir / "COM3").string() + " (" + std::filesystem::canonical(m_dir / "COM3").string() + ")";
    EXPECT_EQ(m_view.Lines(), (Lines{"Connecting to Sign at address 1...",
                                     "Connecting with Pellworth Protocol at 115200 baud",
                                     "[*TASK ERROR 500*]  Serial COM3 is busy.",
                                     "COM3: " + device + " is held by another program: process " +
                                         std::to_string(child) + " (test_connection)"}));
    EXPECT_FALSE(CDisplayConnector::IsPortBusy(3));
}

TEST_F(Connection, NoPortsAtAll)
{
    EXPECT_TRUE(CInstallerCore::FillComPortList().empty());
    EXPECT_EQ(Connect({}, -1), CONNECT_PORT_BUSY);
    EXPECT_EQ(m_view.Lines(), (Lines{"Connecting to Sign at address 1...",
                                     "Connecting with Pellworth Protocol at 115200 baud",
                                     "[*TASK ERROR 500*]  Serial COM-1 is busy.",
                                     "COM-1: this machine has no serial port with that number (the ports are "
                                     "/dev/ttyS*, /dev/ttyUSB* and /dev/ttyACM*, numbered in that order)"}));
}

TEST_F(Connection, AbortDuringTheFirstAttempt)
{
    ::setenv("QVX_TIME_SCALE", "100", 1); // only the abort can end this attempt
    StartDisplay(19200, Protocol::S2200);
    int result = -1;
    std::thread worker([&] { result = Connect(); });
    // The sign-type query has gone out (at a rate this display ignores): the link now waits for
    // its answer.
    while (m_sim->Stats(3, 1).wrongRateFrames == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    m_core->Cancel();
    worker.join();
    EXPECT_EQ(result, CONNECT_ABORTED);
    const Lines lines = m_view.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Connecting to the display has been aborted");
    for (const auto& line : lines)
        EXPECT_EQ(line.find("Could not connect"), std::string::npos) << line;
    EXPECT_FALSE(m_core->Session().Link().IsOpen());
}

TEST_F(Connection, UnreadableConfigurationIsNotOurDisplay)
{
    StartDisplay(115200, Protocol::S2200);
    m_sim->InjectStatus(3, 1, qvxsim::ExtendedCommand(2), 1, 1);
    EXPECT_EQ(Connect({true, 115200}), CONNECT_NOT_OUR_DISPLAY);
    const Lines lines = m_view.Lines();
    ASSERT_GE(lines.size(), 4u);
    // The status is still read (and logged), but the display is not kept.
    EXPECT_EQ(Lines(lines.end() - 4, lines.end()),
              (Lines{"Retrieving configuration file...", "[*TASK ERROR 512*]  Config file cannot be retrieved",
                     "Retrieving status file...", "The status file was retrieved."}));
    EXPECT_FALSE(m_core->Session().Link().IsOpen());
}

TEST_F(Connection, DisplayInfoFollowsTheConnection)
{
    StartDisplay(115200, Protocol::S2200);
    ASSERT_EQ(Connect({true, 115200}), CONNECT_OK);
    m_core->Session().ShowDisplayInfo();
    ASSERT_EQ(m_view.configRows.size(), 8u);
    ASSERT_EQ(m_view.statusRows.size(), 10u);
    EXPECT_EQ(m_view.configRows[0].strTag, "Configuration Tag");
    EXPECT_EQ(m_view.statusRows[9].strTag, "Firmware Version");
    EXPECT_EQ(m_view.statusRows[9].strValue, m_sim->Settings(3, 1).firmwareVersion);
    EXPECT_EQ(m_core->Session().GetFirmwareVersion(), m_sim->Settings(3, 1).firmwareVersion);
}

TEST_F(Connection, SummaryNeverCarriesAnotherDisplaysValues)
{
    StartDisplay(115200, Protocol::S2200);
    ASSERT_EQ(Connect({true, 115200}), CONNECT_OK);
    m_core->Session().ShowDisplayInfo();
    EXPECT_EQ(m_core->Session().Summary().strBaud, "115200");
    EXPECT_EQ(m_core->Session().Summary().strProtocol, "HTCH");
    // The same line, now a display whose configuration names no sign port.
    const std::string bare = "<CFG type=\"32X80MONO64.CRV.M2\" mid=\"FX40529.RBF-004\"><ADDR sw=\"1\"/></CFG>";
    ASSERT_TRUE(m_sim->WriteFile(3, 1, "CONFIG.XML", std::vector<unsigned char>(bare.begin(), bare.end())));
    ASSERT_EQ(Connect({true, 115200}), CONNECT_OK);
    m_core->Session().ShowDisplayInfo();
    EXPECT_EQ(m_core->Session().Summary().strBaud, "");
    EXPECT_EQ(m_core->Session().Summary().strProtocol, "");
}

// A keep-alive timer the test drives by hand.
class ManualTimer final : public IKeepAliveTimer {
public:
    void Start(std::chrono::milliseconds period) override
    {
        ++starts;
        lastPeriod = period;
        armed = true;
    }
    void Stop() override
    {
        ++stops;
        armed = false;
    }
    int starts = 0;
    int stops = 0;
    bool armed = false;
    std::chrono::milliseconds lastPeriod{0};
};

TEST_F(Connection, KeepAliveRereadsTheStatusWhileConnected)
{
    auto timer = std::make_unique<ManualTimer>();
    ManualTimer* clock = timer.get();
    m_core = std::make_unique<CInstallerCore>(m_view, std::move(timer));
    StartDisplay(115200, Protocol::S2200);
    ASSERT_EQ(Connect({true, 115200}), CONNECT_OK);
    // Every exchange stops the countdown and the end of each starts it again.
    EXPECT_GT(clock->stops, 0);
    EXPECT_EQ(clock->starts, clock->stops);
    EXPECT_TRUE(clock->armed);
    EXPECT_EQ(clock->lastPeriod, std::chrono::milliseconds(3600)); // three minutes at the test's time scale

    const std::size_t before = m_view.Lines().size();
    m_core->OnKeepAlive();
    const Lines lines = m_view.Lines();
    EXPECT_EQ(Lines(lines.begin() + static_cast<long>(before), lines.end()),
              (Lines{"Retrieving status file...", "The status file was retrieved."}));
    EXPECT_EQ(m_view.progressTexts.back(), "Retrieving status file...");
    EXPECT_NE(std::find(m_view.progressTexts.begin(), m_view.progressTexts.end(), "Refreshing sign connection"),
              m_view.progressTexts.end());
    EXPECT_TRUE(clock->armed);

    // A view that cannot run the refresh now (a window with a box open) makes no exchange; the
    // countdown starts again all the same, or the line would never be refreshed again.
    m_view.dropJobs = true;
    clock->armed = false;
    m_core->OnKeepAlive();
    EXPECT_TRUE(clock->armed);
    EXPECT_EQ(m_view.Lines().size(), lines.size());
    m_view.dropJobs = false;

    EXPECT_EQ(m_core->Session().Disconnect(), S22NET_OK);
    EXPECT_EQ(m_core->Session().Disconnect(), ERR_COMMAND_NOT_CONFIGURED); // already closed
    m_core->OnKeepAlive();
    EXPECT_FALSE(clock->armed);
    EXPECT_EQ(m_view.Lines().size(), lines.size());
}

TEST_F(Connection, CoreGoesAwayWhileTheKeepAliveRuns)
{
    // Keep-alive after 1.8 s; the display never answers, so the refresh is still trying (four
    // tries) when the core is destroyed.
    ::setenv("QVX_TIME_SCALE", "0.01", 1);
    StartDisplay(115200, Protocol::S2200);
    ASSERT_EQ(m_core->Session().Link().OpenPort(3, 115200, 0), S22NET_OK);
    ASSERT_EQ(m_core->Session().Link().SequenceReset(1), S22NET_OK); // its end arms the keep-alive
    m_sim->InjectFault(3, 1, {qvxsim::FaultKind::DropReply, -1, 0});
    while (m_view.Lines().empty() || m_view.Lines().back() != "Retrieving status file...")
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    m_core.reset(); // must wait for the refresh and not touch the timer it is destroying
    EXPECT_EQ(m_view.Lines().back(), "[*TASK ERROR 504*]  Status file cannot be retrieved");
}

TEST(ConnectionList, AttemptsWithAndWithoutTheBaudSwitch)
{
    auto rates = [](const BaudChoice& baud) {
        std::vector<CONNECTION_INFO> list;
        CDisplayConnector::BuildConnectionList(list, 7, 4, baud);
        std::vector<std::pair<int, int>> attempts;
        for (const auto& entry : list) {
            EXPECT_EQ(entry.nAddress, 7);
            EXPECT_EQ(entry.nPort, 4);
            attempts.emplace_back(entry.nProtocol, entry.nBaud);
        }
        return attempts;
    };
    using A = std::vector<std::pair<int, int>>;
    EXPECT_EQ(rates({}), (A{{1, 115200}, {1, 19200}, {0, 19200}, {0, 115200}}));
    EXPECT_EQ(rates({true, 9600}), (A{{1, 9600}, {0, 9600}}));
    const A all = rates({true, 0});
    const A expected{{1, 115200}, {1, 19200}, {1, 56700}, {1, 38400}, {1, 28800}, {1, 9600}, {1, 4800}, {1, 2400},
                     {0, 115200}, {0, 19200}, {0, 56700}, {0, 38400}, {0, 28800}, {0, 9600}, {0, 4800}, {0, 2400}};
    EXPECT_EQ(all, expected);
}

TEST(DisplayAddress, RangeAndMessages)
{
    CCapturingView view;
    CInstallerCore core(view);
    for (int address : {1, 240})
        EXPECT_TRUE(core.Connector().ValidateDisplayAddress(false, address));
    EXPECT_TRUE(view.Lines().empty());
    EXPECT_FALSE(core.Connector().ValidateDisplayAddress(false, 0));
    EXPECT_FALSE(core.Connector().ValidateDisplayAddress(true, 241));
    EXPECT_EQ(view.boxes, Lines{"You have entered an invalid display address.  A valid display\n"
                                "address is between 1 and 240."});
    EXPECT_EQ(view.Lines(), (Lines{"[*TASK ERROR 300*]  Invalid network address for a Quorvantix Reader Board",
                                   "[*TASK ERROR 300*]  Invalid network address for a Quorvantix Reader Board"}));
}

TEST(MessageStore, ConcurrentCallersKeepOneOrder)
{
    CCapturingView view;
    CInstallerCore core(view);
    constexpr int kThreads = 4;
    constexpr int kEach = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&core, t] {
            for (int i = 0; i < kEach; ++i) {
                if (i % 3 == 0)
                    core.AddErrorMessage(500 + t, std::to_string(t) + ":" + std::to_string(i));
                else
                    core.AddStatusMessage(std::to_string(t) + ":" + std::to_string(i));
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    const Lines stored = core.Messages().Lines();
    EXPECT_EQ(stored, view.Lines()); // shown in the order stored
    ASSERT_EQ(stored.size(), static_cast<std::size_t>(kThreads * kEach));
    std::vector<int> next(kThreads, 0);
    for (const auto& line : stored) {
        const std::string text = line.rfind("[*TASK ERROR ", 0) == 0 ? line.substr(line.find("*]  ") + 4) : line;
        const int t = std::stoi(text.substr(0, text.find(':')));
        const int i = std::stoi(text.substr(text.find(':') + 1));
        EXPECT_EQ(i, next[t]++) << line;
    }
}

} // namespace
