// Whether a display gets firmware: the decision table of the automatic job with and without the
// "f" and "anyfirm" switches, and the version it then announces.
#include "../connection/CapturingView.h"
#include "FirmwareFixture.h"

#include "connection/InstallerCore.h"
#include "res/Resources.h"
#include "update/FirmwareInstaller.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

class FirmwareDecision : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() / ("qvx-fw-decision-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
        const auto image = EmbeddedImage(qvxres::kFirmwareFX40211);
        Write("FX40211.EXE", image);                                   // FX40211-1.2.11
        Write("FX40211_new.EXE", WithRevision(image, '1', '3', '0'));  // FX40211_new-1.3.0
        Write("FP9023417.EXE", WithRevision(image, '3', ';', '3'));    // FP9023417-3.11.3
        Write("NEW_FX40211.EXE", {'M', 'Z', 0, 0});                    // no revision: NEW_FX40211-
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    void Write(const std::string& name, const std::vector<unsigned char>& bytes)
    {
        std::ofstream out(m_dir / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    FirmwareSwitches Switches(const char* file, bool anyFirmware) const
    {
        FirmwareSwitches switches;
        switches.bAnyFirmware = anyFirmware;
        if (file != nullptr) {
            switches.bFirmwareFile = true;
            switches.strFirmwarePath = (m_dir / file).string();
            switches.strFirmwareFileName = file;
        }
        return switches;
    }

    std::filesystem::path m_dir;
};

struct DecisionCase {
    const char* current;
    const char* file; // the "f" switch's file in the test folder, or none
    bool anyFirmware;
    bool needed;
    const char* line; // the one line reported, or none
};

TEST_F(FirmwareDecision, Table)
{
    const DecisionCase cases[] = {
        {"FX40211-1.02.11", nullptr, false, false, "[*TASK ERROR 100*]  Display already has the most current firmware installed"},
        {"FX40211-1.2.11", nullptr, false, false, "[*TASK ERROR 100*]  Display already has the most current firmware installed"},
        {"FX40211-1.3.0", nullptr, false, true, nullptr}, // only the same version is skipped
        {"FX40211-1.01.05", nullptr, false, true, nullptr},
        {"FP9023417-3.11.3", nullptr, false, false, "[*TASK ERROR 100*]  Display already has the most current firmware installed"},
        {"FP9023417-3.10.0", nullptr, false, true, nullptr},
        {"HT3100-2.04", nullptr, false, false, "[*TASK ERROR 511*]  Display does not have FX40211 or FP9023417 firmware installed"},
        {"", nullptr, false, false, "[*TASK ERROR 511*]  Display does not have FX40211 or FP9023417 firmware installed"},
        {"HT3100-2.04", nullptr, true, true, nullptr},
        {"FX40211-1.02.11", nullptr, true, true, nullptr},
        {"FX40211-1.02.11", "FX40211.EXE", false, false, "[*TASK ERROR 100*]  Display already has the most current firmware installed"},
        {"FX40211-1.02.11", "FX40211_new.EXE", false, true, nullptr},
        {"FX40211-1.02.11", "FP9023417.EXE", false, false, "[*TASK ERROR 301*]  The selected firmware file is not FX40211"},
        {"FP9023417-3.10.0", "FX40211.EXE", false, false, "[*TASK ERROR 301*]  The selected firmware file is not FP9023417"},
        {"FP9023417-3.10.0", "FP9023417.EXE", false, true, nullptr},
        {"FX40211-1.02.11", "NEW_FX40211.EXE", false, true, nullptr}, // its version matches no display
        {"FX40211-1.02.11", "FP9023417.EXE", true, true, nullptr},    // anyfirm decides before the file
    };
    for (const DecisionCase& c : cases) {
        CCapturingView view;
        CInstallerCore core(view);
        ASSERT_TRUE(core.Session().StatusDoc().SetDocument(std::string("<STATUS vr=\"") + c.current + "\"/>"));
        CFirmwareInstaller firmware(core, Switches(c.file, c.anyFirmware));
        const std::string label = std::string(c.current) + " f=" + (c.file ? c.file : "-") +
                                  (c.anyFirmware ? " anyfirm" : "");
        EXPECT_EQ(firmware.IsFirmwareUpdateNeeded(), c.needed) << label;
        const Lines expected = c.line ? Lines{c.line} : Lines{};
        EXPECT_EQ(view.Lines(), expected) << label;
    }
}

TEST_F(FirmwareDecision, AnnouncedVersion)
{
    CCapturingView view;
    CInstallerCore core(view);
    CFirmwareInstaller embedded(core, Switches(nullptr, false));
    EXPECT_EQ(embedded.GetRecommendedFirmwareVersion(), "FX40211-1.02.11");
    core.Session().SetFirmwareLine(true);
    EXPECT_EQ(embedded.GetRecommendedFirmwareVersion(), "FP9023417-3.11.3");
    CFirmwareInstaller external(core, Switches("FX40211_new.EXE", false));
    EXPECT_EQ(external.GetRecommendedFirmwareVersion(), "FX40211_new-1.3.0");
    CFirmwareInstaller notElf(core, Switches("NEW_FX40211.EXE", false));
    EXPECT_EQ(notElf.GetRecommendedFirmwareVersion(), "NEW_FX40211-");
}

TEST_F(FirmwareDecision, PackageFollowsTheFirmwareLine)
{
    const FirmwarePackageChoice main = ChooseFirmwarePackage(false);
    EXPECT_EQ(main.nResourceId, 248);
    EXPECT_EQ(main.strTargetVersion, "FX40211-1.02.11");
    EXPECT_EQ(main.strFileName, "FX40211.EXE");
    const FirmwarePackageChoice line = ChooseFirmwarePackage(true);
    EXPECT_EQ(line.nResourceId, 265);
    EXPECT_EQ(line.strTargetVersion, "FP9023417-3.11.3");
    EXPECT_EQ(line.strFileName, "FP9023417.EXE");
}

} // namespace
