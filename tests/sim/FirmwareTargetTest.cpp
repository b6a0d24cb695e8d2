// The controller as a firmware target, over the pty: what the reset-display reboot clears, images
// that cannot boot, and random faults set and cleared. Installs through the tool, with the knobs
// that make them go wrong, are in tests/update/FirmwareInstallTest.cpp.
#include "RawHost.h"
#include "SimLineFixture.h"
#include "TestElf.h"

namespace simtest {
namespace {

using qvxsim::ControllerConfig;

constexpr char kOldVersion[] = "FX40211-1.02.11";
const Bytes kResetDisplay{0x80, 11, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes kResetReply{0x80, 11, 0, 0, 0, 0, 0, 0};
// Pellworth requests to controller 5: the sign type query, and the switch to S2200.
const Bytes kQuery5{0x10, 0x02, 5, 0, 0, 0, 1, 0, 0x02, 0x10, 0x03, 0xF8};
const Bytes kSwitch5{0x10, 0x02, 5, 0, 0, 0, 1, 0, 0xAA, 0x10, 0x03, 0x50};

class FirmwareTarget : public SimLine {
protected:
    // 1 is the barrier of ExpectLineQuiet; 2 speaks S2200, 5 powers up in the Pellworth protocol.
    // Both come back from a reboot at once.
    std::vector<ControllerConfig> Controllers() const override
    {
        ControllerConfig s2200{2, 0}, pellworth{5, 0};
        pellworth.settings.protocol = qvxsim::Protocol::Pellworth;
        s2200.behaviour.rebootMs = pellworth.behaviour.rebootMs = 0;
        return {{1, 0}, s2200, pellworth};
    }

    void ExpectNoReply(const Bytes& request)
    {
        m_host.Write(request);
        ExpectLineQuiet();
    }

    void Switch() { ExpectNoReply(kSwitch5); }

    RawHost m_raw{m_host};
};

TEST_F(FirmwareTarget, ResetIsAnsweredAndTheControllerComesBackAsItPowersUp)
{
    const Bytes data = Pattern(600);
    Switch();
    ASSERT_EQ(m_raw.Exchange(5, SendFileStart("P.BIN", data)).data[2], 0);
    ASSERT_EQ(m_raw.Exchange(5, FileBlock(1, data)).data[2], 0);
    ASSERT_EQ(m_raw.Exchange(5, {0x80, 7, 0, 'M', 0}).data[2], 0); // a message showing
    const Bytes reply = m_raw.Exchange(5, kResetDisplay).frame;
    EXPECT_EQ(reply, MakeFrame(5, static_cast<unsigned char>(m_raw.LastSequence() | 1), kResetReply));
    const Bytes status = m_sim->ReadFile(3, 5, "STATUS.XML").value_or(Bytes{});
    EXPECT_NE(std::string(status.begin(), status.end()).find(" ms=\"\" "), std::string::npos) << "message gone";

    ExpectNoReply(MakeFrame(5, 0x03)); // the Pellworth protocol again
    m_host.Write(kQuery5);
    const Bytes signType = m_host.Read(86);
    ASSERT_EQ(signType.size(), 86u);
    EXPECT_EQ(std::string(signType.begin() + 21, signType.begin() + 36), kOldVersion);
    Switch();
    // The retry memory is gone: the reset's own frame again is a new reset.
    EXPECT_EQ(m_raw.Repeat(5, kResetDisplay).data, kResetReply);
    EXPECT_EQ(m_sim->Stats(3, 5).reboots, 2u);
    EXPECT_EQ(m_sim->Stats(3, 5).repeatsAnswered, 0u);
    Switch();
    EXPECT_EQ(m_raw.Exchange(5, FileBlock(2, data)).data[2], 3) << "the partial file went with the reboot";
    EXPECT_EQ(m_sim->FileNames(3, 5), std::vector<std::string>{"CONFIG.XML"});
}

TEST_F(FirmwareTarget, ImagesThatCannotBootLeaveTheOldVersion)
{
    Bytes truncated = FirmwareElf();
    truncated.pop_back();
    Bytes littleEndian = FirmwareElf();
    littleEndian[kElfDataAt] = 1;
    const struct {
        const char* name;
        Bytes image;
        const char* refused;
    } cases[] = {
        {"FX40211.EXE", Text("MZ not an ELF file"), "FX40211.EXE"},
        {"FX40211.EXE", truncated, "FX40211.EXE"},
        {"fx40211.exe", littleEndian, "FX40211.EXE"},
        {"FP9023417.EXE", FirmwareElf("Gen II Firmware REV 1.2."), "FP9023417.EXE"},
        {"FX40211.BIN", FirmwareElf(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const unsigned long reboots = m_sim->Stats(3, 2).reboots;
        ASSERT_EQ(m_raw.SendFile(2, c.name, c.image), 0);
        if (m_sim->Stats(3, 2).reboots == reboots) // an FP9023417 image has rebooted it already
            m_sim->Reboot(3, 2);
        EXPECT_EQ(m_sim->Settings(3, 2).firmwareVersion, kOldVersion);
        EXPECT_EQ(m_sim->Stats(3, 2).refusedImage, c.refused);
        EXPECT_EQ(m_sim->Stats(3, 2).bootedImage, "");
    }
}

TEST_F(FirmwareTarget, RandomFaultsAreSetAndClearedOnTheLine)
{
    m_sim->SetRandomFaults(3, 2, {5, 0, 0, 1, 0});
    ExpectNoReply(MakeFrame(2, 0x03));
    m_sim->ClearFaults(3, 2);
    EXPECT_EQ(m_sim->RandomFaultSettings(3, 2).drop, 0.0);
    ExpectReply(MakeFrame(2, 0x03), MakeFrame(2, 0x03));
}

} // namespace
} // namespace simtest
