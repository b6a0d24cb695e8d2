// The verification steps against the stand-in controller: what a restore deletes, keeps and
// sends, in order; the two messages; the listener hand-over and the keep-alive.
#include "../connection/CapturingView.h"
#include "RecordingOperations.h"
#include "common/TestPortDir.h"

#include "connection/InstallerCore.h"
#include "link/S22ExtendedRequests.h"
#include "sim/SignSim.h"
#include "verify/FactoryMessages.h"
#include "verify/VerificationMessages.h"
#include "verify/VerificationTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct TimerLog {
    int starts = 0;
    bool armed = false;
};

// A keep-alive timer that only records; tests fire it by calling the handler.
class CRecordingTimer final : public IKeepAliveTimer {
public:
    explicit CRecordingTimer(TimerLog& log) : m_log(log) {}
    void Start(std::chrono::milliseconds) override
    {
        ++m_log.starts;
        m_log.armed = true;
    }
    void Stop() override { m_log.armed = false; }

private:
    TimerLog& m_log;
};

template <class Range>
Bytes ToBytes(const Range& range)
{
    return {range.begin(), range.end()};
}

class VerificationTestAgainstSim : public ::testing::Test {
protected:
    static constexpr int kPort = 3;
    static constexpr unsigned char kAddress = 1;
    static constexpr unsigned long kBaud = 115200;

    // Starts the controller and connects as Auto Connect does (the information lists included,
    // which fill the sign type).
    void Connect(const std::string& displayType, const std::string& moduleType, const std::string& version)
    {
        const qvxsim::ControllerConfig controller{
            .address = kAddress,
            .settings = {.displayType = displayType, .moduleType = moduleType, .firmwareVersion = version}};
        std::string error;
        ASSERT_TRUE(m_sim->AddPort({.comNumber = kPort, .baud = kBaud, .controllers = {controller}}, &error)) << error;
        ASSERT_TRUE(m_sim->Start(&error)) << error;
        std::vector<CONNECTION_INFO> list;
        CDisplayConnector::BuildConnectionList(list, kAddress, kPort, BaudChoice{true, static_cast<int>(kBaud)});
        ASSERT_EQ(m_core->Connector().ConnectToDisplay(list, kAddress).result, CONNECT_OK);
        m_core->Session().ShowDisplayInfo();
        m_view.progressTexts.clear();
    }

    // The data of the run-message request the link sends for these bytes.
    static Bytes RunRequest(const char* name, unsigned char b6)
    {
        const CS22CommandBuffer request = S22RunMessageRequest(name, 0, 0, 1, 0, 0, b6, 0, 0);
        return {request.Data(), request.Data() + request.Length()};
    }
    Bytes Stored(const std::string& name) const { return m_sim->ReadFile(kPort, kAddress, name).value_or(Bytes{}); }
    bool Has(const std::string& name) const { return m_sim->ReadFile(kPort, kAddress, name).has_value(); }

    CTestPortDir m_ports{"qvx-verify"};
    std::unique_ptr<qvxsim::SignSim> m_sim = std::make_unique<qvxsim::SignSim>(m_ports.Path().string());
    CCapturingView m_view;
    TimerLog m_coreTimer;
    std::unique_ptr<CInstallerCore> m_core =
        std::make_unique<CInstallerCore>(m_view, std::make_unique<CRecordingTimer>(m_coreTimer));
};

TEST_F(VerificationTestAgainstSim, HitechRestoreWipesMessagesSchedulesAndFontsThenSendsTheSetInOrder)
{
    Connect("32X80MONO64.CRV.M2", "FX40529.RBF-004", "FX40211-1.02.11");
    for (const char* name : {"OLD.M2M", "WEEK.M2S", "HTCH\\OLD.FNT", "KEEP.TXT", "LOGO.CMD", "HTCH\\TXT00003.FST"})
        ASSERT_TRUE(m_sim->WriteFile(kPort, kAddress, name, ToBytes(std::string("old ") + name)));
    CLinkSignOperations link(m_core->Session().Link(), kAddress);
    CRecordingOperations ops(&link);
    const VerificationDisplay display = ConnectedVerificationDisplay(*m_core);
    ASSERT_EQ(display.nColourBitCode, 6); // off the firmware line: the HITECH set, as the report says
    auto hold = m_core->Session().HoldLink();
    const FactoryRestoreReport report = RestoreFactorySet(ops, display, 900000);

    ASSERT_GE(ops.calls.size(), 5u);
    std::sort(ops.calls.begin() + 2, ops.calls.begin() + 5); // the deletes go in the controller's order
    std::vector<std::string> expected = {"blank", "get DIRECTORY.XML", "delete HTCH\\OLD.FNT", "delete OLD.M2M",
                                         "delete WEEK.M2S"};
    for (char message = '0'; message < '8'; ++message)
        expected.push_back(std::string("send HTCH\\TXT0000") + message + ".FST");
    expected.insert(expected.end(), {"send HTCH\\16X16N.CFF", "send playstatus.dat", "send compressed playorder.dat"});
    EXPECT_EQ(ops.calls, expected);
    EXPECT_EQ(Summary(report), std::tuple(FactorySet::Hitech, true, 3, 11, 0, 0, false, true));

    for (const char* name : {"OLD.M2M", "WEEK.M2S", "HTCH\\OLD.FNT"})
        EXPECT_FALSE(Has(name)) << name;
    EXPECT_EQ(Stored("KEEP.TXT"), ToBytes(std::string("old KEEP.TXT")));
    EXPECT_EQ(Stored("LOGO.CMD"), ToBytes(std::string("old LOGO.CMD")));
    EXPECT_EQ(Stored("HTCH\\TXT00003.FST"), BuildHitechMessage(HitechDisplay::Mono32x80, 3));
    EXPECT_EQ(Stored("HTCH\\TXT00007.FST"), BuildHitechMessage(HitechDisplay::Mono32x80, 7));
    EXPECT_EQ(Stored("HTCH\\16X16N.CFF"), ToBytes(VerificationFont("HTCH\\16X16N.CFF")));
    EXPECT_EQ(Stored("PLAYSTATUS.DAT"), ToBytes(PlayStatusFile()));
    EXPECT_EQ(Stored("PLAYORDER.DAT"), BuildPlayOrder(900000));
}

TEST_F(VerificationTestAgainstSim, PackageRestoreOnTheFirmwareLineSendsAndRunsTheFiveMessages)
{
    Connect("48X160RGB16M.CRV.M2", "FX40529.RBF-004", "FP9023417-3.11.3");
    ASSERT_TRUE(m_sim->WriteFile(kPort, kAddress, "OLD.M2M", ToBytes(std::string("old"))));
    const VerificationDisplay display = ConnectedVerificationDisplay(*m_core);
    EXPECT_EQ(std::tuple(display.nWidth, display.nHeight, display.nColourBitCode, display.bFirmwareLine),
              std::tuple(160, 48, 24, true));

    TimerLog wizardTimer;
    CVerificationTest test(*m_core, kAddress, display, std::make_unique<CRecordingTimer>(wizardTimer));
    EXPECT_FALSE(test.IsNotStandardDisplay());
    EXPECT_FALSE(test.IsHoldTimeEditable());
    const FactoryRestoreReport report = test.RestoreFactoryMessages(900000);

    EXPECT_EQ(test.HoldTimeMs(), 900000u);
    EXPECT_EQ(Summary(report), std::tuple(FactorySet::Package, true, 1, 13, 0, 0, false, true));
    EXPECT_FALSE(Has("OLD.M2M"));
    for (int message = 0; message < kPackageMessageCount; ++message)
        EXPECT_EQ(Stored(PackageMessageFileName(message)),
                  ToBytes(BuildPackageMessage(PackageDisplay::Rgb48x160, message))) << message;
    EXPECT_EQ(Stored("FUJ31X13.FNT"), ToBytes(VerificationFont("FUJ31X13.FNT")));
    EXPECT_EQ(m_sim->Display(kPort, kAddress).message, "JOIN OUR TEAM.M2M");
    EXPECT_EQ(m_view.progressTexts.back(), "Restoring Factory Messages");
}

TEST_F(VerificationTestAgainstSim, MessagesGoIntoTheWindowOfA48x144PanelAndRun)
{
    Connect("48X144RGB16M.CRV.M2", "FX40158.RBF-001", "FP9023417-3.11.3");
    CVerificationTest test(*m_core, kAddress); // the connected display's type and module
    ASSERT_TRUE(test.Display().bWindow);

    test.SendMessageOne();
    EXPECT_EQ(Stored("MsgOne.M2M"), ToBytes(BuildMessageOne(144, 48, 24, true, true)));
    EXPECT_EQ(Stored("FW08X5_1.FNT"), ToBytes(VerificationFont("FW08X5_1.FNT")));
    EXPECT_EQ(m_sim->Display(kPort, kAddress).message, "MSGONE.M2M");
    EXPECT_EQ(m_sim->Stats(kPort, kAddress).lastData, RunRequest("MsgOne.M2M", 0));

    test.SendMessageTwo("4711");
    const Bytes two = Stored("MsgTwo.M2M");
    EXPECT_EQ(two, ToBytes(BuildMessageTwo(144, 48, 24, true, true, "4711")));
    EXPECT_NE(std::string(two.begin(), two.end()).find("Store: 4711<BR/>"), std::string::npos);
    EXPECT_EQ(m_sim->Display(kPort, kAddress).message, "MSGTWO.M2M");
    EXPECT_EQ(m_view.progressTexts,
              (std::vector<std::string>{"Sending Verification Message 1", "Sending Verification Message 2"}));

    // The first package message starts the cycle with b6 = 1.
    auto hold = m_core->Session().HoldLink();
    CLinkSignOperations(m_core->Session().Link(), kAddress).RunMessage("MsgTwo.M2M", 1);
    EXPECT_EQ(m_sim->Stats(kPort, kAddress).lastData, RunRequest("MsgTwo.M2M", 1));
}

TEST_F(VerificationTestAgainstSim, TakesTheLinkFromTheCoreKeepsItAliveAndGivesItBack)
{
    Connect("32X80MONO64.CRV.M2", "FX40529.RBF-004", "FX40211-1.02.11");
    const auto lines = m_view.Lines().size();
    TimerLog wizardTimer;
    {
        CVerificationTest test(*m_core, kAddress, ConnectedVerificationDisplay(*m_core),
                               std::make_unique<CRecordingTimer>(wizardTimer));
        EXPECT_FALSE(m_coreTimer.armed); // the core's keep-alive rests while the test runs
        const int coreStarts = m_coreTimer.starts;
        test.StartKeepAlive();
        EXPECT_TRUE(wizardTimer.armed);

        const auto frames = m_sim->Stats(kPort, kAddress).framesReceived;
        test.OnKeepAlive();
        EXPECT_GT(m_sim->Stats(kPort, kAddress).framesReceived, frames);
        EXPECT_EQ(m_view.progressTexts.back(), "Refreshing sign connection");
        EXPECT_EQ(m_view.Lines().size(), lines); // the status is read and dropped, nothing reported
        EXPECT_TRUE(wizardTimer.armed);          // restarted by the end of the exchange
        EXPECT_EQ(m_coreTimer.starts, coreStarts);

        m_core->Session().CloseLink();
        const int jobs = m_view.jobs;
        test.OnKeepAlive();
        EXPECT_FALSE(wizardTimer.armed);
        EXPECT_EQ(m_view.jobs, jobs);
    }
    EXPECT_TRUE(m_coreTimer.armed); // told the link is idle again
}

} // namespace
