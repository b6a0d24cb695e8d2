// The controller as a firmware target, over the pty: the reset-display reboot and its silence,
// images booted or not, the knobs that make a download go wrong, and the directory refused.
#include "RawHost.h"
#include "SimLineFixture.h"
#include "TestElf.h"

#include <cstdlib>

namespace simtest {
namespace {

using qvxsim::ControllerConfig;
using qvxsim::FirmwareBehaviour;

constexpr char kRevision[] = "Gen II Firmware REV 1.2.;";
constexpr char kOldVersion[] = "FX40211-1.02.11";
constexpr unsigned long kForAnHour = 3600000;
constexpr unsigned char kQuery = 0x02, kSwitch = 0xAA;

Bytes ResetDisplay()
{
    Bytes b(16, 0);
    b[0] = 0x80;
    b[1] = 11;
    b[2] = 1;
    return b;
}

Bytes PellworthRequest(unsigned char address, unsigned char command)
{
    Bytes frame{0x10, 0x02, address, 0x00, 0x00, 0x00, 0x01, 0x00, command, 0x10, 0x03};
    unsigned sum = 0;
    for (std::size_t i = 2; i < 9; ++i)
        sum += frame[i];
    frame.push_back(static_cast<unsigned char>(-sum));
    return frame;
}

class FirmwareTarget : public SimLine {
protected:
    // 1 is the barrier of ExpectLineQuiet; 2 speaks S2200, 5 powers up in the Pellworth protocol.
    std::vector<ControllerConfig> Controllers() const override
    {
        ControllerConfig pellworth{5, 0};
        pellworth.settings.protocol = qvxsim::Protocol::Pellworth;
        return {{1, 0}, {2, 0}, pellworth};
    }

    void SetUp() override
    {
        ::unsetenv("QVX_TIME_SCALE");
        SimLine::SetUp();
        for (unsigned char address : {2, 5})
            Behave(address, [](FirmwareBehaviour& b) { b.rebootMs = kForAnHour; }); // up again only when told
    }

    template <typename Change>
    void Behave(unsigned char address, Change change)
    {
        FirmwareBehaviour behaviour = m_sim->Behaviour(3, address);
        change(behaviour);
        m_sim->SetBehaviour(3, address, behaviour);
    }

    // Ends the reboot under way at once.
    void ComeBack(unsigned char address)
    {
        Behave(address, [](FirmwareBehaviour& b) { b.rebootMs = 0; });
    }

    void ExpectNoReply(const Bytes& request)
    {
        m_host.Write(request);
        ExpectLineQuiet();
    }

    void Switch(unsigned char address) { ExpectNoReply(PellworthRequest(address, kSwitch)); }

    // vr of STATUS.XML as fetched over the line.
    std::string VersionShown(unsigned char address)
    {
        const Bytes file = m_raw.GetFile(address, "STATUS.XML").value_or(Bytes{});
        const std::string text(file.begin(), file.end());
        const auto at = text.find(" vr=\"");
        return at == std::string::npos ? text : text.substr(at + 5, text.find('"', at + 5) - at - 5);
    }

    RawHost m_raw{m_host};
};

TEST_F(FirmwareTarget, ResetIsAnsweredThenNothingUntilItComesBackAsItPowersUp)
{
    const Bytes data = Pattern(600);
    Switch(5);
    ASSERT_EQ(m_raw.Exchange(5, SendFileStart("P.BIN", data)).data[2], 0);
    ASSERT_EQ(m_raw.Exchange(5, FileBlock(1, data)).data[2], 0);
    ASSERT_EQ(m_raw.Exchange(5, {0x80, 7, 0, 'M', 0}).data[2], 0); // a message showing
    const Bytes reply = m_raw.Exchange(5, ResetDisplay()).frame;
    EXPECT_EQ(reply, MakeFrame(5, static_cast<unsigned char>(m_raw.LastSequence() | 1), {0x80, 11, 0, 0, 0, 0, 0, 0}));

    ExpectNoReply(MakeFrame(5, 0x03));
    ExpectNoReply(PellworthRequest(5, kQuery));
    qvxsim::ControllerStats stats = m_sim->Stats(3, 5);
    EXPECT_EQ(stats.reboots, 1u);
    EXPECT_EQ(stats.framesWhileDown, 2u);
    EXPECT_TRUE(stats.down);
    EXPECT_FALSE(stats.speaksS2200);
    const Bytes status = m_sim->ReadFile(3, 5, "STATUS.XML").value_or(Bytes{});
    EXPECT_NE(std::string(status.begin(), status.end()).find(" ms=\"\" "), std::string::npos);

    ComeBack(5);
    ExpectNoReply(MakeFrame(5, 0x03)); // the Pellworth protocol again
    m_host.Write(PellworthRequest(5, kQuery));
    const Bytes signType = m_host.Read(86);
    ASSERT_EQ(signType.size(), 86u);
    EXPECT_EQ(std::string(signType.begin() + 21, signType.begin() + 36), kOldVersion);
    Switch(5);
    // The retry memory is gone: the reset's own frame again is a new reset.
    EXPECT_EQ(m_raw.Repeat(5, ResetDisplay()).data, (Bytes{0x80, 11, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(m_sim->Stats(3, 5).reboots, 2u);
    EXPECT_EQ(m_sim->Stats(3, 5).repeatsAnswered, 0u);
    Switch(5);
    EXPECT_EQ(m_raw.Exchange(5, FileBlock(2, data)).data[2], 3) << "the partial file went with the reboot";
    EXPECT_EQ(m_sim->FileNames(3, 5), std::vector<std::string>{"CONFIG.XML"});
}

TEST_F(FirmwareTarget, ImageIsBootedByTheReset)
{
    ASSERT_EQ(m_raw.SendCompressed(2, "FX40211.EXE", FirmwareElf(kRevision)), 0);
    ASSERT_TRUE(m_raw.GetFile(2, "DIRECTORY.XML")) << "this line waits for the reset";
    EXPECT_EQ(VersionShown(2), kOldVersion);
    ASSERT_EQ(m_raw.Exchange(2, ResetDisplay()).data[2], 0);
    ComeBack(2);
    EXPECT_EQ(VersionShown(2), "FX40211-1.2.11");
    EXPECT_EQ(m_sim->Stats(3, 2).bootedImage, "FX40211.EXE");
    EXPECT_EQ(m_sim->Stats(3, 2).reboots, 1u);
}

TEST_F(FirmwareTarget, LineImageRebootsByItselfAfterItsLastReply)
{
    Switch(5);
    ASSERT_EQ(m_raw.SendCompressed(5, "FP9023417.EXE", FirmwareElf("Gen II Firmware REV 3.;.3")), 0);
    ExpectNoReply(MakeFrame(5, 0x03));
    EXPECT_EQ(m_sim->Stats(3, 5).reboots, 1u);
    ComeBack(5);
    m_host.Write(PellworthRequest(5, kQuery)); // back in the Pellworth protocol, on the new version
    const Bytes signType = m_host.Read(86);
    ASSERT_EQ(signType.size(), 86u);
    EXPECT_EQ(std::string(signType.begin() + 21, signType.begin() + 37), "FP9023417-3.11.3");
}

TEST_F(FirmwareTarget, LineImageWithoutFinalReply)
{
    Behave(2, [](FirmwareBehaviour& b) { b.noFinalReplyForLineImages = true; });
    const Bytes image = FirmwareElf(kRevision);
    const Bytes packed = Compress(image);
    const auto blocks = static_cast<std::uint16_t>((packed.size() + kFileBlock - 1) / kFileBlock);
    ASSERT_EQ(m_raw.Exchange(2, CompressedStart("FP9023417.EXE", packed, static_cast<std::uint32_t>(image.size())))
                  .data[2], 0);
    for (std::uint16_t k = 1; k < blocks; ++k)
        ASSERT_EQ(m_raw.Exchange(2, FileBlock(k, packed)).data[2], 0);
    ExpectNoReply(MakeFrame(2, static_cast<unsigned char>(m_raw.LastSequence() + 0x10), FileBlock(blocks, packed)));
    EXPECT_EQ(m_sim->ReadFile(3, 2, "FP9023417.EXE"), image);
    EXPECT_EQ(m_sim->Stats(3, 2).reboots, 1u);
    EXPECT_EQ(m_sim->Settings(3, 2).firmwareVersion, "FP9023417-1.2.11");
}

TEST_F(FirmwareTarget, KeepOldFirmwareAndSilentAfterReboot)
{
    Behave(2, [](FirmwareBehaviour& b) { b.keepOldFirmware = true; });
    ASSERT_EQ(m_raw.SendFile(2, "FX40211.EXE", FirmwareElf(kRevision)), 0);
    ASSERT_EQ(m_raw.Exchange(2, ResetDisplay()).data[2], 0);
    ComeBack(2);
    EXPECT_EQ(VersionShown(2), kOldVersion);
    Behave(2, [](FirmwareBehaviour& b) { b.keepOldFirmware = false; });
    m_sim->Reboot(3, 2);
    EXPECT_EQ(VersionShown(2), kOldVersion) << "the image was used up by the boot that kept the old version";

    Behave(2, [](FirmwareBehaviour& b) { b.silentAfterReboot = true; });
    ASSERT_EQ(m_raw.Exchange(2, ResetDisplay()).data[2], 0);
    ExpectNoReply(MakeFrame(2, 0x03));
    EXPECT_TRUE(m_sim->Stats(3, 2).down);
    Behave(2, [](FirmwareBehaviour& b) { b.silentAfterReboot = false; });
    ExpectReply(MakeFrame(2, 0x03), MakeFrame(2, 0x03));
    EXPECT_EQ(m_sim->Stats(3, 2).reboots, 3u);
    EXPECT_EQ(m_sim->Stats(3, 2).bootedImage, "");
}

TEST_F(FirmwareTarget, RebootAtBlockDropsThePartialFile)
{
    Behave(2, [](FirmwareBehaviour& b) { b.rebootAtBlock = 2; });
    const Bytes data = Pattern(700);
    ASSERT_EQ(m_raw.Exchange(2, SendFileStart("R.BIN", data)).data[2], 0);
    ASSERT_EQ(m_raw.Exchange(2, FileBlock(1, data)).data[2], 0);
    ExpectNoReply(MakeFrame(2, static_cast<unsigned char>(m_raw.LastSequence() + 0x10), FileBlock(2, data)));
    ComeBack(2);
    EXPECT_EQ(m_raw.Exchange(2, FileBlock(3, data)).data[2], 3);
    EXPECT_FALSE(m_sim->ReadFile(3, 2, "R.BIN"));
    ASSERT_EQ(m_raw.SendFile(2, "R.BIN", data), 0) << "once only";
    EXPECT_EQ(m_sim->ReadFile(3, 2, "R.BIN"), data);
}

TEST_F(FirmwareTarget, ImagesThatCannotBootLeaveTheOldVersion)
{
    ComeBack(2);
    Bytes truncated = FirmwareElf(kRevision);
    truncated.resize(truncated.size() - 1);
    Bytes littleEndian = FirmwareElf(kRevision);
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
        {"FX40211.BIN", FirmwareElf(kRevision), ""},
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

TEST_F(FirmwareTarget, DirectoryAloneIsRefused)
{
    Behave(2, [](FirmwareBehaviour& b) { b.refuseDirectory = true; });
    Bytes refused(152, 0);
    refused[0] = 0x80;
    refused[1] = 2;
    refused[124] = 2;
    EXPECT_EQ(m_raw.Exchange(2, GetFileStart("Directory.xml")).data, refused);
    EXPECT_EQ(VersionShown(2), kOldVersion);
    EXPECT_EQ(m_raw.Exchange(2, GetFileStart("DIRECTORY.XML")).data, refused) << "every time";
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
