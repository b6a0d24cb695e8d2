// Auto Connect without its window: the connection, the display lists, and the recommended
// firmware offered and installed through the view.
#include "FirmwareFixture.h"

#include "res/Resources.h"
#include "update/AutoConnect.h"
#include "update/ConfigDownload.h"

namespace {

const char kQuestion[] = "You do not have the recommended firmware downloaded.\nDo you want to download it now?";
// The stand-in controller's own CONFIG.XML is not the recommended one.
const char kConfigQuestion[] = "The display configuration does not match the recommended settings.\n"
                               "Do you want to update the display configuration?";

class AutoConnectTest : public FirmwareTest {
protected:
    int Run(int address = kAddress)
    {
        CConfigDownloader config(*m_core);
        return AutoConnect(*m_core, *m_firmware, config, kPort, address, BaudChoice{true, static_cast<int>(kBaud)});
    }
};

TEST_F(AutoConnectTest, OlderFirmwareIsOfferedAndNoLeavesItAlone)
{
    StartDisplay("FX40211-1.01.05");
    EXPECT_EQ(Run(), CONNECT_OK);
    EXPECT_EQ(m_view.questions, (Lines{kQuestion, kConfigQuestion})) << "firmware first, then the configuration";
    EXPECT_TRUE(m_view.controlsConnected);
    EXPECT_FALSE(m_view.statusRows.empty()) << "the lists are shown before the question";
    EXPECT_TRUE(m_core->Session().Link().IsOpen());
    EXPECT_EQ(Stats().reboots, 0u);
}

TEST_F(AutoConnectTest, YesInstallsTheRecommendedFirmwareAndClosesTheConnection)
{
    StartDisplay("FX40211-1.01.05");
    m_view.answerYes = true;
    EXPECT_EQ(Run(), CONNECT_OK);
    EXPECT_EQ(m_view.boxes, (Lines{"The new firmware has been downloaded successfully and the connection will be "
                                   "closed.\nWait until the boot sequence is complete before reconnecting."}));
    EXPECT_FALSE(m_core->Session().Link().IsOpen());
    EXPECT_FALSE(m_view.controlsConnected);
    EXPECT_FALSE(m_view.abortEnabled) << "Abort is off once the file has gone over";
    EXPECT_EQ(m_view.progressSteps, 32) << "the bar ends with the directory wait's 32 steps";
    // A block per 246 bytes of the package's stream (about 600 KB), as it stands.
    const unsigned long sent = m_core->Session().Link().GetTransferFigures().sendSize;
    EXPECT_GT(sent, 500000u);
    EXPECT_GT(m_view.progressStepped, static_cast<int>((sent + 245) / 246))
        << "a step per block, then the directory wait";
    EXPECT_EQ(StoredFile("FX40211.EXE"), EmbeddedImage(qvxres::kFirmwareFX40211));
    EXPECT_EQ(Stats().reboots, 1u);
    EXPECT_FALSE(HasLine("Waiting for display to reboot")) << "no verification on the operator's path";
}

TEST_F(AutoConnectTest, SameOrLaterFirmwareIsNotOffered)
{
    for (const char* version : {"FX40211-1.02.11", "FX40211-1.3.0", "FX40211-2.0.0"}) {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        StartDisplay(version);
        m_view.questions.clear();
        EXPECT_EQ(Run(), CONNECT_OK) << version;
        EXPECT_EQ(m_view.questions, (Lines{kConfigQuestion})) << version;
        m_core->Session().Disconnect();
    }
}

TEST_F(AutoConnectTest, ReaderBoardWhoseFilesCannotBeReadGetsItsOwnLine)
{
    StartDisplay("FX40211-1.01.05");
    m_sim->InjectStatus(kPort, kAddress, qvxsim::ExtendedCommand(2), 1); // CONFIG.XML refused
    EXPECT_EQ(Run(), CONNECT_NOT_OUR_DISPLAY);
    EXPECT_EQ(CountLines("[*TASK ERROR 512*]  Config file cannot be retrieved"), 1);
    EXPECT_EQ(CountLines("[*TASK ERROR 101*]  Display is not a Quorvantix Reader Board"), 1);
    EXPECT_TRUE(m_view.questions.empty());
    EXPECT_FALSE(m_core->Session().Link().IsOpen());
}

TEST_F(AutoConnectTest, HitechDisplayGetsBothLines)
{
    StartDisplay("FX40211-1.01.05", {}, qvxsim::Protocol::Hitech);
    EXPECT_EQ(Run(), CONNECT_NOT_OUR_DISPLAY);
    const Lines lines = m_view.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "[*TASK ERROR 101*]  Display is not a Quorvantix Reader Board");
    EXPECT_EQ(lines.back(), "[*TASK ERROR 101*]  Display is not a Quorvantix Reader Board");
}

TEST_F(AutoConnectTest, BadAddressStopsBeforeConnecting)
{
    StartDisplay("FX40211-1.01.05");
    EXPECT_EQ(Run(241), AUTO_CONNECT_BAD_ADDRESS);
    EXPECT_EQ(m_view.Lines(), (Lines{"[*TASK ERROR 300*]  Invalid network address for a Quorvantix Reader Board"}));
    EXPECT_EQ(m_view.boxes.size(), 1u);
}

TEST_F(AutoConnectTest, PageDownloadNeedsAFileWhenExternal)
{
    StartDisplay("FX40211-1.01.05");
    ASSERT_TRUE(Connect());
    EXPECT_FALSE(m_firmware->DownloadFirmwareFromPage(1, "", kAddress));
    EXPECT_EQ(m_view.boxes, (Lines{"Please enter a Firmware File before downloading."}));
    EXPECT_TRUE(LinesSinceMark().empty());
    EXPECT_TRUE(m_core->Session().Link().IsOpen());
}

} // namespace
