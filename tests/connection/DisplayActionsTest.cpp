// The display actions against the stand-in controller: the request bytes on the wire, the
// progress texts, the result lines and boxes, the abort lines, and the connection each leaves.
#include "CapturingView.h"
#include "common/TestPortDir.h"

#include "connection/DisplayActions.h"
#include "connection/InstallerCore.h"
#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<unsigned char>;

// A view whose progress window's Abort is pressed as soon as a job shows its text.
class AbortingView : public CCapturingView {
public:
    std::function<void()> abort;
    void SetProgressText(const std::string& text) override
    {
        CCapturingView::SetProgressText(text);
        if (abort)
            abort();
    }
};

constexpr int kPort = 3;
constexpr unsigned char kAddress = 5;

const char kResetBox[] = "The display has been reset and the connection will now be closed.\n"
                         "Wait until the boot sequence is complete before reconnecting.";
const char kCleanupBox[] = "The display has been reset and the connection will now be closed.\n"
                           "Wait until the memory check is complete before reconnecting.";

class DisplayActionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_sim = std::make_unique<qvxsim::SignSim>(m_ports.Path().string());
        qvxsim::PortConfig config;
        config.comNumber = kPort;
        config.baud = 115200;
        config.controllers.push_back({kAddress});
        std::string error;
        ASSERT_TRUE(m_sim->AddPort(config, &error)) << error;
        ASSERT_TRUE(m_sim->Start(&error)) << error;
        std::vector<CONNECTION_INFO> list;
        CDisplayConnector::BuildConnectionList(list, kAddress, kPort, BaudChoice{true, 115200});
        ASSERT_EQ(m_core->Connector().ConnectToDisplay(list, kAddress).result, CONNECT_OK);
        m_view.lines.clear();
        m_view.progressTexts.clear();
    }
    void TearDown() override
    {
        m_core.reset();
        m_sim.reset();
    }

    qvxsim::ControllerStats Stats() const { return m_sim->Stats(kPort, kAddress); }

    // Runs an action whose exchange the display leaves unanswered, and presses Abort once the
    // request is out, as an operator would while the progress window waits.
    short Aborted(const std::function<short()>& run)
    {
        std::thread aborter;
        m_view.abort = [&] {
            m_sim->InjectFault(kPort, kAddress, qvxsim::Fault{});
            const unsigned long before = Stats().framesReceived;
            aborter = std::thread([this, before] {
                while (Stats().framesReceived == before)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                m_core->Cancel();
            });
        };
        const short result = run();
        if (aborter.joinable())
            aborter.join();
        m_view.abort = nullptr;
        m_sim->ClearFaults(kPort, kAddress);
        return result;
    }

    CTestPortDir m_ports{"qvx-actions"};
    std::unique_ptr<qvxsim::SignSim> m_sim;
    AbortingView m_view;
    std::unique_ptr<CInstallerCore> m_core = std::make_unique<CInstallerCore>(m_view);
    CDisplayActions m_actions{*m_core};
};

TEST_F(DisplayActionsTest, PatternListInOrder)
{
    const Lines& names = CDisplayActions::TestPatternNames();
    ASSERT_EQ(names.size(), 14u);
    EXPECT_EQ(names.front(), "Cycle Test Patterns");
    EXPECT_EQ(names[11], "Quorvantix Logo");
    EXPECT_EQ(names.back(), "Cycle Boot Sequence");
}

// The pattern jobs: progress text, line, and what the display then shows.
TEST_F(DisplayActionsTest, PatternStartAndStop)
{
    EXPECT_EQ(m_actions.StartTestPattern(kAddress, 12), S22NET_OK);
    const Bytes sent = Stats().lastData;
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(Bytes(sent.begin() + 1, sent.begin() + 4), (Bytes{16, 2, 12})) << "mode 2 first, then the pattern";
    EXPECT_EQ(m_sim->Display(kPort, kAddress).displayMode, 2);
    EXPECT_EQ(m_sim->Display(kPort, kAddress).testPattern, 12) << "\"Module Numbers\" is pattern 12";
    EXPECT_EQ(m_actions.StopTestPattern(kAddress), S22NET_OK);
    EXPECT_EQ(m_sim->Display(kPort, kAddress).displayMode, 0);
    EXPECT_EQ(m_sim->Display(kPort, kAddress).testPattern, 0);
    EXPECT_EQ(m_view.progressTexts, (Lines{"Starting Test Pattern", "Stoping test pattern"}));
    EXPECT_EQ(m_view.Lines(), (Lines{"Test pattern is now running", "Sign has been set into normal mode"}));
    EXPECT_TRUE(m_core->Session().Link().IsOpen());
    EXPECT_TRUE(m_view.boxes.empty());
}

// A refused command and an Abort: each action's own lines; only the memory cleanup has a task code.
TEST_F(DisplayActionsTest, FailureAndAbortLines)
{
    const struct { unsigned char command; std::function<short(CDisplayActions&)> run; Lines lines; } cases[] = {
        {16, [](CDisplayActions& a) { return a.StartTestPattern(kAddress, 3); },
         {"Selected test pattern failed to run", "Running test patterns was aborted"}},
        {16, [](CDisplayActions& a) { return a.StopTestPattern(kAddress); },
         {"Could not put sign back into normal mode", "Aborted command to stop test pattern"}},
        {15, [](CDisplayActions& a) { return a.SetTimeDate(kAddress, 1000000000); },
         {"The display's time & date could not be set.", "Setting the display's time & date was aborted."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.front());
        m_view.lines.clear();
        m_sim->InjectStatus(kPort, kAddress, qvxsim::ExtendedCommand(c.command), 1);
        EXPECT_NE(c.run(m_actions), S22NET_OK);
        EXPECT_EQ(Aborted([&] { return c.run(m_actions); }), ERR_SIGN_ABORT);
        EXPECT_EQ(m_view.Lines(), c.lines);
    }
}

TEST_F(DisplayActionsTest, ClockIsSentAsTheGivenSecondsAndSaidInABox)
{
    EXPECT_EQ(m_actions.SetTimeDate(kAddress, 1700000000), S22NET_OK);
    EXPECT_EQ(m_view.progressTexts, (Lines{"Setting Time/Date"}));
    EXPECT_EQ(m_view.Lines(), (Lines{"The display's time & date has been set."}));
    EXPECT_EQ(m_view.boxes, (Lines{"The display's time & date has been set."}));
    // Extended command 15: option 0, then the seconds, least significant byte first.
    const Bytes sent = Stats().lastData;
    ASSERT_GE(sent.size(), 7u);
    EXPECT_EQ(Bytes(sent.begin() + 1, sent.begin() + 7), (Bytes{15, 0, 0x00, 0xF1, 0x53, 0x65}));
    EXPECT_TRUE(m_core->Session().Link().IsOpen()) << "the clock leaves the connection open";
}

TEST_F(DisplayActionsTest, ResetClosesTheConnectionAfterItsBox)
{
    EXPECT_EQ(m_actions.ResetDisplay(kAddress), S22NET_OK);
    EXPECT_EQ(m_view.progressTexts, (Lines{"Reseting Display"}));
    EXPECT_EQ(m_view.Lines(), (Lines{"The display has been reset.", "Sign is disconnected..."}));
    EXPECT_EQ(m_view.boxes, (Lines{kResetBox}));
    EXPECT_FALSE(m_core->Session().Link().IsOpen());
    EXPECT_FALSE(m_view.controlsConnected);
    EXPECT_EQ(Stats().reboots, 1u);
}

TEST_F(DisplayActionsTest, MemoryCleanupQuestionAndSuccess)
{
    const unsigned long framesBefore = Stats().framesReceived;
    EXPECT_FALSE(m_actions.ConfirmMemoryCleanup());
    EXPECT_EQ(m_view.questions, (Lines{"This process may take several minutes.\nDo you want to continue?"}));
    EXPECT_EQ(Stats().framesReceived, framesBefore) << "the question alone sends nothing";

    ASSERT_TRUE(m_sim->WriteFile(kPort, kAddress, "SALE.M2M", Bytes{1, 2, 3}));
    EXPECT_EQ(m_actions.MemoryCleanup(kAddress), S22NET_OK);
    EXPECT_EQ(m_view.progressTexts, (Lines{"Clearing memory"}));
    EXPECT_EQ(m_view.Lines(), (Lines{"Memory on the display has been cleared", "Sign is disconnected..."}));
    EXPECT_EQ(m_view.boxes, (Lines{kCleanupBox}));
    EXPECT_FALSE(m_sim->ReadFile(kPort, kAddress, "SALE.M2M").has_value());
    EXPECT_FALSE(m_core->Session().Link().IsOpen());
}

// A failed cleanup still closes the connection and shows the box, after its task code.
TEST_F(DisplayActionsTest, FailedMemoryCleanupReports106AndStillDisconnects)
{
    m_sim->InjectStatus(kPort, kAddress, qvxsim::ExtendedCommand(16), 1);
    EXPECT_NE(m_actions.MemoryCleanup(kAddress), S22NET_OK);
    EXPECT_EQ(m_view.Lines(), (Lines{"[*TASK ERROR 106*]  Memory could not be cleared on the display",
                                     "Sign is disconnected..."}));
    EXPECT_EQ(m_view.boxes, (Lines{kCleanupBox}));
    EXPECT_FALSE(m_core->Session().Link().IsOpen());
    EXPECT_FALSE(m_view.controlsConnected);

    m_view.lines.clear();
    m_view.boxes.clear();
    ASSERT_TRUE(m_core->Session().Link().OpenPort(kPort, 115200, 0) == S22NET_OK);
    EXPECT_EQ(Aborted([&] { return m_actions.MemoryCleanup(kAddress); }), ERR_SIGN_ABORT);
    EXPECT_EQ(m_view.Lines(), (Lines{"Clear sign memory was aborted", "Sign is disconnected..."}));
    EXPECT_EQ(m_view.boxes, (Lines{kCleanupBox}));
}

} // namespace
