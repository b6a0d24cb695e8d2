#include "RecordingOperations.h"

#include "res/Resources.h"
#include "res/verify/VerifyResources.h"
#include "verify/FactoryMessages.h"
#include "verify/VerificationDisplay.h"
#include "verify/VerificationSteps.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes B(std::initializer_list<std::string> parts)
{
    Bytes bytes;
    for (const std::string& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

const std::string k1C = "\x1C", k1E = "\x1E", k0F = "\x0F", k12 = "\x12";
const std::string kEnd("\x1A\x00", 2);

TEST(HitechMessages, MessagesAreByteExactInEachRowLayout)
{
    const Bytes opening = B({k1C, "5", k1E, "X000000", k0F, k1E, k0F, "OPENING", k0F, k1C, "5", k1E, "X032000", k0F,
                             k1E, k0F, "SOON", k0F, kEnd});
    EXPECT_EQ(opening.size(), 41u);
    EXPECT_EQ(BuildHitechMessage(HitechDisplay::Rgb64x224, 0), opening);
    EXPECT_EQ(BuildHitechMessage(HitechDisplay::Mono32x80, 7),
              B({k1C, "301", k1E, "X000000", k0F, k12, "Join  Our", k0F, k1C, "301", k1E, "X016000", k0F, k12, "Team",
                 k0F, kEnd}));
    EXPECT_EQ(BuildHitechMessage(HitechDisplay::Rgb32x80, 7),
              B({k1C, "301", k1E, "X000000", k0F, k1E, k0F, "Join ", k12, " ", k1E, k0F, "our", k0F, k1C, "301", k1E,
                 "X016000", k0F, k1E, k0F, "Team", k0F, kEnd}));
}

TEST(HitechMessages, AllSixtyFourFilesHaveTheirSizesAndNames)
{
    for (int type = 0; type <= static_cast<int>(HitechDisplay::Rgb64x224); ++type)
        for (int message = 0; message < kHitechMessageCount; ++message) {
            const std::size_t size = BuildHitechMessage(static_cast<HitechDisplay>(type), message).size();
            EXPECT_TRUE(size >= 37u && size <= 50u) << type << "/" << message << ": " << size;
        }
    EXPECT_EQ(HitechMessageFileName(0), "HTCH\\TXT00000.FST");
    EXPECT_EQ(HitechMessageFileName(7), "HTCH\\TXT00007.FST");
    EXPECT_TRUE(BuildHitechMessage(HitechDisplay::Mono32x80, 8).empty());
}

TEST(HitechMessages, PlayOrderHoldsFifteenMinutesBigEndian)
{
    std::string expected; // per message: its name, a zero, the time in ms big-endian, four zeros
    for (char record = '0'; record < '8'; ++record)
        expected += "TXT0000" + std::string(1, record) + ".FST" + std::string("\0\0\x0D\xBB\xA0\0\0\0\0", 9);
    EXPECT_EQ(BuildPlayOrder(15 * 60 * 1000), B({expected}));
}

TEST(PackageMessages, EachTypeHasItsFontsSpacingColourAndTexts)
{
    EXPECT_EQ(BuildPackageMessage(PackageDisplay::Mono32x80, 1),
              "<MS ds=\"\" type=\"32x80mono256.crv.m2\" IDEVer=\"1.30.5058.20773\">"
              "<FR bg=\"0\" enr=\"30\" exr=\"30\" hdr=\"30\" en=\"INS\" ex=\"INS\" hd=\"HST\" ht=\"900\">"
              "<WD bg=\"0\" enr=\"30\" exr=\"30\" hdr=\"30\" en=\"INS\" ex=\"INS\" hd=\"HST\" trans=\"1\" asz=\"0\" "
              "x=\"0\" y=\"0\" w=\"80\" h=\"32\" ls=\"1\"><JS h=\"C\" v=\"M\" />"
              "<FO fc=\"08X06_2.FNT\" sz=\"8\" clr=\"255\" tta=\"0\" />"
              "NOW HIRING<BR />FLEXIBLE<BR />HOURS</WD></FR></MS>");
    // The other types' fonts, spacing and colours: the message from the window's size to the text's end.
    const std::tuple<PackageDisplay, int, const char*> cases[] = {
        {PackageDisplay::Mono32x128, 2,
         "w=\"128\" h=\"32\" ls=\"1\"><JS h=\"C\" v=\"M\" /><FO fc=\"15X08_2.FNT\" sz=\"15\" clr=\"255\" tta=\"0\" />"
         "GREAT BENEFITS<BR />FLEXIBLE HOURS</WD>"},
        {PackageDisplay::Rgb48x160, 0,
         "w=\"160\" h=\"48\" ls=\"2\"><JS h=\"C\" v=\"M\" /><FO fc=\"22X15_3.FNT\" sz=\"22\" clr=\"16777215\" "
         "tta=\"0\" />OPENING<BR />SOON</WD>"},
        {PackageDisplay::Rgb48x144, 4,
         "w=\"144\" h=\"48\" ls=\"1\"><JS h=\"C\" v=\"M\" /><FO fc=\"16X08_2.FNT\" sz=\"16\" clr=\"16777215\" "
         "tta=\"0\" />JOIN OUR TEAM<BR />WE'LL TRAIN YOU</WD>"},
    };
    for (const auto& [display, index, part] : cases) {
        const std::string message = BuildPackageMessage(display, index);
        EXPECT_NE(message.find(part), std::string::npos) << message;
    }
}

TEST(FactorySets, TypesAreSelectedBySizeAndColour)
{
    EXPECT_EQ(SelectPackageDisplay(80, 32, 8), PackageDisplay::Mono32x80);
    EXPECT_EQ(SelectPackageDisplay(144, 48, 15), PackageDisplay::Rgb48x144);
    EXPECT_FALSE(SelectPackageDisplay(144, 48, 8));
    EXPECT_EQ(SelectHitechDisplay(80, 32, 24), HitechDisplay::Rgb32x80);
    EXPECT_FALSE(SelectHitechDisplay(144, 48, 24));
    EXPECT_FALSE(SelectHitechDisplay(80, 32, 3));
}

TEST(FactorySets, StandardDisplaysAndTheWindowRule)
{
    const std::pair<VerificationDisplay, bool> cases[] = {
        {{80, 32, 24, false, false}, true},   {{80, 32, 6, false, true}, true},    {{224, 64, 8, false, false}, true},
        {{144, 48, 24, false, false}, false}, {{144, 48, 24, false, true}, true},  {{144, 48, 8, false, true}, false},
        {{192, 64, 15, false, true}, true},   {{192, 64, 15, false, false}, false}, {{160, 48, 3, false, false}, false},
        {{96, 16, 6, false, false}, false},
    };
    for (const auto& [d, standard] : cases)
        EXPECT_EQ(IsStandardDisplay(d), standard) << d.nHeight << "x" << d.nWidth << " " << d.nColourBitCode << " "
                                                  << d.bFirmwareLine;
    EXPECT_TRUE(UsesVerificationWindow(144, 48, "fx40158.rbf-002"));
    EXPECT_FALSE(UsesVerificationWindow(160, 48, "FX40158.RBF"));
    EXPECT_FALSE(UsesVerificationWindow(144, 48, "FX40529.RBF-004"));
}

TEST(EmbeddedData, FontsTemplatesAndPlayStatusHaveTheirSizes)
{
    const std::pair<const char*, std::size_t> fonts[] = {
        {"FW08X5_1.FNT", 1176}, {"18X11_3.FNT", 4938},   {"08X06_2.FNT", 1218},        {"15X08_2.FNT", 2490},
        {"16X08_2.FNT", 2626},  {"22X15_3.FNT", 6252},   {"FUJ23X15.FNT", 5439},       {"FUJ31X13.FNT", 8032},
        {"HTCH\\16X16N.CFF", 3271}, {"HTCH\\FONT2432.CMD", 16329},
    };
    for (const auto& [name, size] : fonts)
        EXPECT_EQ(VerificationFont(name).size(), size) << name;
    EXPECT_TRUE(VerificationFont("NOPE.FNT").empty());
    EXPECT_EQ(qvxres::FindEmbeddedResource("TEXT", qvxres::verify::kMessageOneTemplate).size(), 353u);
    EXPECT_EQ(qvxres::FindEmbeddedResource("TEXT", qvxres::verify::kMessageTwoTemplate).size(), 414u);
    const auto status = PlayStatusFile();
    EXPECT_EQ(Bytes(status.begin(), status.end()),
              (Bytes{0x00, 0x00, 0x00, 0x08, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00}));
}

// The steps over scripted link operations.

TEST(FactoryRestore, PackageSetSendsFontsThenSendsAndRunsEachMessage)
{
    CRecordingOperations ops;
    ops.directory = "<DIR><FILE name=\"A.M2M\"/><FILE name=\"KEEP.TXT\"/><FILE name=\"B.fnt\"/>"
                    "<FILE name=\"NODOT\"/><FILE name=\"WEEK.M2S\"/></DIR>";
    const FactoryRestoreReport report = RestoreFactorySet(ops, {80, 32, 8, false, true}, 60000);
    const std::vector<std::string> expected = {
        "blank", "get DIRECTORY.XML", "delete A.M2M", "delete B.fnt", "delete WEEK.M2S",
        "send 18X11_3.FNT", "send FW08X5_1.FNT", "send 15X08_2.FNT", "send FUJ23X15.FNT", "send 08X06_2.FNT",
        "send 16X08_2.FNT", "send 22X15_3.FNT", "send FUJ31X13.FNT",
        "send OPENING SOON.M2M", "run OPENING SOON.M2M 1", "send NOW HIRING.M2M", "run NOW HIRING.M2M 0",
        "send GREAT BENEFITS.M2M", "run GREAT BENEFITS.M2M 0", "send EMPLOYEE DISCOUNT.M2M",
        "run EMPLOYEE DISCOUNT.M2M 0", "send JOIN OUR TEAM.M2M", "run JOIN OUR TEAM.M2M 0"};
    EXPECT_EQ(ops.calls, expected);
    EXPECT_EQ(Summary(report), std::tuple(FactorySet::Package, true, 3, 13, 0, 0, false, true));
}

TEST(FactoryRestore, WithoutADirectoryNothingIsDeletedAndTheSetStillGoes)
{
    CRecordingOperations ops; // no directory
    const FactoryRestoreReport report = RestoreFactorySet(ops, {80, 32, 24, false, true}, 60000);
    EXPECT_EQ(ops.calls.size(), 2u + 8); // no package set for 32 x 80 RGB: the eight fonts only
    EXPECT_EQ(Summary(report), std::tuple(FactorySet::None, false, 0, 8, 0, 0, false, false));
}

TEST(FactoryRestore, FailedSendsAreCountedAndDoNotStopTheSet)
{
    CRecordingOperations ops;
    ops.result = -5;
    const FactoryRestoreReport report = RestoreFactorySet(ops, {80, 32, 24, false, false}, 60000);
    EXPECT_EQ(ops.calls.back(), "send compressed playorder.dat");
    EXPECT_EQ(Summary(report), std::tuple(FactorySet::Hitech, false, 0, 0, 11, 0, false, false));
}

TEST(FactoryRestore, AnAbortStopsTheRestoreAtTheNextFile)
{
    CRecordingOperations ops;
    ops.directory = "<DIR><FILE name=\"A.M2M\"/></DIR>";
    ops.cancelAfter = 5;
    EXPECT_EQ(Summary(RestoreFactorySet(ops, {80, 32, 6, false, false}, 60000)),
              std::tuple(FactorySet::Hitech, true, 1, 2, 0, 0, true, false));
    EXPECT_EQ(ops.calls.size(), 5u);
}

TEST(VerificationSteps, MessageGoesWithItsFontAndIsRun)
{
    CRecordingOperations ops;
    SendVerificationMessage(ops, "MsgOne.M2M", "<MS/>");
    EXPECT_EQ(ops.calls, (std::vector<std::string>{"send MsgOne.M2M", "send FW08X5_1.FNT", "blank",
                                                   "run MsgOne.M2M 0"}));
    EXPECT_EQ(ops.sent["MsgOne.M2M"], B({"<MS/>"}));
}

} // namespace
