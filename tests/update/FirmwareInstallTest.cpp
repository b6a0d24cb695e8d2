// Installing and verifying firmware against the stand-in controller, as the automatic job does:
// the exact lines and task codes of each outcome, and what the controller ends up holding.
#include "FirmwareFixture.h"

#include "link/S22Compress.h"
#include "res/Resources.h"
#include "update/package/ZlbFile.h"

#include <atomic>
#include <thread>

namespace {

const char kMainName[] = "FX40211.EXE";
const char kLineName[] = "FP9023417.EXE";

// The length of the embedded package's own zlib stream.
std::size_t PackageStreamLength(int resourceId)
{
    CZlbFile package;
    EXPECT_EQ(package.LoadFromMemory(qvxres::FindEmbeddedResource("BIN", resourceId)), CZlbFile::kOk);
    return package.GetStreamLength();
}

TEST_F(FirmwareTest, MainLineInstallsResetsAndVerifies)
{
    StartDisplay("FX40211-1.01.05");
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(m_firmware->IsFirmwareUpdateNeeded());
    std::string target;
    ASSERT_TRUE(Install(target));
    EXPECT_EQ(target, "FX40211-1.02.11");
    EXPECT_FALSE(m_core->Session().Link().IsOpen()) << "a successful install closes the connection";
    EXPECT_EQ(LinesSinceMark(), (Lines{"Downloading firmware...", "Firmware has been downloaded."}));
    EXPECT_EQ(Stats().reboots, 1u) << "the reset after the directory";
    EXPECT_EQ(StoredFile(kMainName), EmbeddedImage(qvxres::kFirmwareFX40211)) << "the image, byte for byte";
    // The package's stream went as it stands: its blocks hold that many bytes.
    EXPECT_EQ(m_core->Session().Link().GetTransferFigures().sendSize, PackageStreamLength(qvxres::kFirmwareFX40211));

    Mark();
    EXPECT_TRUE(Verify(target));
    EXPECT_EQ(LinesSinceMark(),
              (Lines{"Waiting for display to reboot", "Attempting to reconnect to display Lobby at address 1",
                     "Connecting with Pellworth Protocol at 115200 baud", "Response from get sign type: -6",
                     "Sign Type Version:", "Connection with Pellworth Protocol at 115200 baud has failed.",
                     "Connection established with S2200 Protocol at 115200 baud.", "Retrieving status file...",
                     "The status file was retrieved.",
                     "[*TASK ERROR 0*]  Lobby has been updated successfully to firmware version: FX40211-1.02.11"}));
    EXPECT_EQ(RunningVersion(), "FX40211-1.2.11");
    EXPECT_EQ(Stats().bootedImage, kMainName);
    EXPECT_EQ(Stats().reboots, 2u) << "verification ends with a reset";
}

TEST_F(FirmwareTest, LineImageUnansweredAtTheEndCountsAsSent)
{
    qvxsim::FirmwareBehaviour behaviour;
    behaviour.noFinalReplyForLineImages = true;
    behaviour.rebootMs = 15000; // longer than the host's tries on the last block
    StartDisplay("FP9023417-3.10.0", behaviour);
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(m_core->Session().IsFirmwareLine());
    std::string target;
    ASSERT_TRUE(Install(target));
    EXPECT_EQ(target, "FP9023417-3.11.3");
    EXPECT_EQ(LinesSinceMark(), (Lines{"Downloading firmware...", "Firmware has been downloaded."}))
        << "no directory and no reset on this line";
    EXPECT_EQ(Stats().reboots, 1u) << "the controller restarted by itself";
    EXPECT_EQ(StoredFile(kLineName), EmbeddedImage(qvxres::kFirmwareFP9023417));
    EXPECT_EQ(m_core->Session().Link().GetTransferFigures().sendSize, PackageStreamLength(qvxres::kFirmwareFP9023417));
    EXPECT_TRUE(Verify(target));
    EXPECT_TRUE(HasLine("[*TASK ERROR 0*]  Lobby has been updated successfully to firmware version: FP9023417-3.11.3"));
    EXPECT_EQ(RunningVersion(), "FP9023417-3.11.3");
}

TEST_F(FirmwareTest, LineImageAnsweredAtTheEnd)
{
    StartDisplay("FP9023417-3.10.0");
    ASSERT_TRUE(Connect());
    std::string target;
    ASSERT_TRUE(Install(target));
    EXPECT_TRUE(Verify(target));
    EXPECT_EQ(RunningVersion(), "FP9023417-3.11.3");
}

TEST_F(FirmwareTest, ImageThatDoesNotTakeEffectIs514)
{
    qvxsim::FirmwareBehaviour behaviour;
    behaviour.keepOldFirmware = true;
    StartDisplay("FX40211-1.01.05", behaviour);
    ASSERT_TRUE(Connect());
    std::string target;
    ASSERT_TRUE(Install(target));
    EXPECT_FALSE(Verify(target));
    EXPECT_TRUE(HasLine("[*TASK ERROR 514*]  Firmware was downloaded on Lobby, but failed to take effect"));
    EXPECT_EQ(CountLines("[*TASK ERROR 0*]"), 0);
    EXPECT_EQ(Stats().reboots, 2u) << "the display is still reset after the check";
}

TEST_F(FirmwareTest, DisplayThatNeverComesBackIs508AfterFifteenAttempts)
{
    ::setenv("QVX_TIME_SCALE", "0.01", 1);
    qvxsim::FirmwareBehaviour behaviour;
    behaviour.silentAfterReboot = true;
    StartDisplay("FX40211-1.01.05", behaviour);
    ASSERT_TRUE(Connect());
    std::string target;
    ASSERT_TRUE(Install(target));
    Mark();
    EXPECT_FALSE(Verify(target));
    const Lines lines = LinesSinceMark();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "[*TASK ERROR 508*]  Could not reconnect to display after firmware download");
    EXPECT_EQ(CountLines("Connecting with Pellworth Protocol"), 15);
    EXPECT_EQ(CountLines("Connecting with S2200 Protocol"), 15);
    EXPECT_EQ(CountLines("[*TASK ERROR 510*]"), 0) << "a display still restarting costs an attempt, not a code";
    EXPECT_EQ(Stats().reboots, 1u);
}

TEST_F(FirmwareTest, TransferCutByARebootIs503AndNothingIsKept)
{
    qvxsim::FirmwareBehaviour behaviour;
    behaviour.rebootAtBlock = 100;
    StartDisplay("FX40211-1.01.05", behaviour);
    ASSERT_TRUE(Connect());
    std::string target;
    EXPECT_FALSE(Install(target));
    const Lines lines = LinesSinceMark();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Downloading firmware...");
    EXPECT_EQ(lines[1].rfind("Sending FX40211.EXE stopped after ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "[*TASK ERROR 503*]  Transmission failed");
    EXPECT_FALSE(HasLine("Firmware has been downloaded."));
    EXPECT_TRUE(StoredFile(kMainName).empty()) << "a cut file is not kept";
    EXPECT_EQ(Stats().reboots, 1u) << "only the reboot in the middle: no reset after a cut transfer";
}

// Installs while another thread presses Abort once blocksDone(done, total) holds for the firmware
// send (the only transfer of more than a few blocks).
bool InstallAbortedWhen(FirmwareTest& test, CInstallerCore& core, bool (*blocksDone)(unsigned, unsigned),
                        std::string& target)
{
    std::atomic<bool> finished{false};
    std::thread abort([&] {
        while (!finished && (core.Session().Link().GetTransferFigures().blocksTotal < 1000 ||
                             !blocksDone(core.Session().Link().GetTransferFigures().blocksDone,
                                         core.Session().Link().GetTransferFigures().blocksTotal)))
            std::this_thread::yield();
        core.Cancel();
    });
    const bool installed = test.Install(target);
    finished = true;
    abort.join();
    return installed;
}

struct AbortCase {
    const char* when;
    bool (*blocksDone)(unsigned, unsigned);
    bool fileKept;
};

TEST_F(FirmwareTest, AbortIsReportedAndNothingFollows)
{
    const AbortCase cases[] = {
        {"during the transfer", [](unsigned done, unsigned) { return done >= 200; }, false},
        {"in the directory wait", [](unsigned done, unsigned total) { return done >= total; }, true},
    };
    for (const AbortCase& c : cases) {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        StartDisplay("FX40211-1.01.05");
        ASSERT_TRUE(Connect());
        std::string target;
        EXPECT_FALSE(InstallAbortedWhen(*this, *m_core, c.blocksDone, target)) << c.when;
        EXPECT_EQ(LinesSinceMark(), (Lines{"Downloading firmware...", "Aborted command to download the file to sign"}))
            << c.when;
        EXPECT_EQ(Stats().reboots, 0u) << "no reset after an abort " << c.when;
        EXPECT_EQ(!StoredFile(kMainName).empty(), c.fileKept) << c.when;
        m_core->Session().Disconnect();
    }
}

TEST_F(FirmwareTest, DirectoryWithNoFilesStillResets)
{
    qvxsim::FirmwareBehaviour behaviour;
    behaviour.refuseDirectory = true;
    StartDisplay("FX40211-1.01.05", behaviour);
    ASSERT_TRUE(Connect());
    std::string target;
    ASSERT_TRUE(Install(target));
    EXPECT_EQ(LinesSinceMark(), (Lines{"Downloading firmware...", "Firmware has been downloaded."}));
    EXPECT_EQ(Stats().reboots, 1u);
}

TEST_F(FirmwareTest, UnreadableDirectoryIs505AndNoReset)
{
    StartDisplay("FX40211-1.01.05");
    ASSERT_TRUE(Connect());
    // The next get start (the directory's) is refused with status 1.
    m_sim->InjectStatus(kPort, kAddress, qvxsim::ExtendedCommand(2), 1);
    std::string target;
    EXPECT_TRUE(Install(target)) << "the file went over";
    EXPECT_EQ(LinesSinceMark(), (Lines{"Downloading firmware...",
                                       "[*TASK ERROR 505*]  Display file directory could not be retrieved",
                                       "Firmware could not be downloaded.", "Firmware has been downloaded."}));
    EXPECT_EQ(Stats().reboots, 0u);
}

TEST_F(FirmwareTest, GetSignDirectoryListsOnlyExeFilesInOrder)
{
    StartDisplay("FX40211-1.01.05");
    ASSERT_TRUE(Connect());
    for (const char* name : {"A.EXE", "CONFIG.XML", "B.exe", "NODOT", "C.EXE.BAK", "D.EXE"})
        ASSERT_TRUE(m_sim->WriteFile(kPort, kAddress, name, {1, 2, 3}));
    std::vector<std::string> names;
    ASSERT_TRUE(m_firmware->GetSignDirectory(names, kAddress));
    EXPECT_EQ(names, (std::vector<std::string>{"A.EXE", "B.EXE", "D.EXE"}));
}

TEST_F(FirmwareTest, ExternalFileGoesUnderItsOwnNameAndVersion)
{
    StartDisplay("FX40211-1.01.05");
    ASSERT_TRUE(Connect());
    const auto image = WithRevision(EmbeddedImage(qvxres::kFirmwareFX40211), '1', '3', '0');
    const auto path = WriteFile("FX40211.EXE", image);
    std::string target;
    m_core->Runner().SetMode(RunMode::Inline);
    ASSERT_TRUE(m_firmware->InstallFirmware(true, path.string(), "ignored", target, kAddress));
    EXPECT_EQ(target, "FX40211-1.3.0");
    EXPECT_EQ(StoredFile("FX40211.EXE"), image);
    std::vector<unsigned char> stream; // compressed for the send, as a plan counts it
    ASSERT_TRUE(S22CompressStream(image.data(), static_cast<unsigned long>(image.size()), stream));
    EXPECT_EQ(m_core->Session().Link().GetTransferFigures().sendSize, stream.size());
    EXPECT_TRUE(Verify(target));
    EXPECT_EQ(RunningVersion(), "FX40211-1.3.0");
}

TEST_F(FirmwareTest, ExternalFileThatCannotBeLoadedIs502)
{
    StartDisplay("FX40211-1.01.05");
    ASSERT_TRUE(Connect());
    const auto missing = (m_dir / "nowhere" / "FX40211.EXE").string();
    const auto empty = WriteFile("EMPTY.EXE", {}).string();
    for (const std::string& path : {missing, empty}) {
        Mark();
        std::string target;
        m_core->Runner().SetMode(RunMode::Inline);
        EXPECT_FALSE(m_firmware->InstallFirmware(true, path, "", target, kAddress));
        const Lines lines = LinesSinceMark();
        ASSERT_EQ(lines.size(), 2u) << path;
        EXPECT_EQ(lines[0], "[*TASK ERROR 502*]  External firmware file could not be loaded at: " + path);
        EXPECT_EQ(lines[1].rfind("Reason: ", 0), 0u) << lines[1];
    }
    EXPECT_TRUE(m_core->Session().Link().IsOpen()) << "nothing was sent; the connection stays";
    EXPECT_EQ(Stats().reboots, 0u);
}

} // namespace
