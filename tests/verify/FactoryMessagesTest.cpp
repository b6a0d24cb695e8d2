#include "RecordingOperations.h"

#include "res/Resources.h"
#include "res/verify/VerifyResources.h"
#include "verify/FactoryMessages.h"
#include "verify/VerificationDisplay.h"
#include "verify/VerificationSteps.h"

#include <gtest/gtest.h>

#include <string>
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

TEST(HitechMessages, FirstMessageFor64x224RgbIsTheFortyOneBytes)
{
    const Bytes expected = B({k1C, "5", k1E, "X000000", k0F, k1E, k0F, "OPENING", k0F, k1C, "5", k1E, "X032000", k0F,
                              k1E, k0F, "SOON", k0F, kEnd});
    ASSERT_EQ(expected.size(), 41u);
    EXPECT_EQ(BuildHitechMessage(HitechDisplay::Rgb64x224, 0), expected);
}

TEST(HitechMessages, SmallDisplaysUseTheirOwnRowsAndSeparators)
{
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
            EXPECT_GE(size, 37u) << type << "/" << message;
            EXPECT_LE(size, 50u) << type << "/" << message;
        }
    EXPECT_EQ(HitechMessageFileName(0), "HTCH\\TXT00000.FST");
    EXPECT_EQ(HitechMessageFileName(7), "HTCH\\TXT00007.FST");
    EXPECT_TRUE(BuildHitechMessage(HitechDisplay::Mono32x80, 8).empty());
}

TEST(HitechMessages, PlayOrderHoldsFifteenMinutesBigEndian)
{
    const Bytes order = BuildPlayOrder(15 * 60 * 1000);
    ASSERT_EQ(order.size(), 8u * 21);
    for (int record = 0; record < 8; ++record) {
        const std::string name = "TXT0000" + std::to_string(record) + ".FST";
        Bytes expected(name.begin(), name.end());
        expected.push_back(0);
        expected.insert(expected.end(), {0x00, 0x0D, 0xBB, 0xA0, 0, 0, 0, 0});
        EXPECT_EQ(Bytes(order.begin() + record * 21, order.begin() + (record + 1) * 21), expected) << record;
    }
}

TEST(PackageMessages, ThirtyTwoByEightyMonoNowHiringIsByteExact)
{
    EXPECT_EQ(BuildPackageMessage(PackageDisplay::Mono32x80, 1),
              "<MS ds=\"\" type=\"32x80mono256.crv.m2\" IDEVer=\"1.30.5058.20773\">"
              "<FR bg=\"0\" enr=\"30\" exr=\"30\" hdr=\"30\" en=\"INS\" ex=\"INS\" hd=\"HST\" ht=\"900\">"
              "<WD bg=\"0\" enr=\"30\" exr=\"30\" hdr=\"30\" en=\"INS\" ex=\"INS\" hd=\"HST\" trans=\"1\" asz=\"0\" "
              "x=\"0\" y=\"0\" w=\"80\" h=\"32\" ls=\"1\"><JS h=\"C\" v=\"M\" />"
              "<FO fc=\"08X06_2.FNT\" sz=\"8\" clr=\"255\" tta=\"0\" />"
              "NOW HIRING<BR />FLEXIBLE<BR />HOURS</WD></FR></MS>");
}

struct PackageCase {
    PackageDisplay display;
    int message;
    const char* part; // from the window's size to the end of the text
};

TEST(PackageMessages, EachTypeHasItsFontsSpacingColourAndTexts)
{
    const PackageCase cases[] = {
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
    for (const PackageCase& c : cases) {
        const std::string message = BuildPackageMessage(c.display, c.message);
        EXPECT_NE(message.find(c.part), std::string::npos) << message;
    }
    EXPECT_EQ(PackageMessageFileName(3), "EMPLOYEE DISCOUNT.M2M");
}

TEST(FactorySets, TypesAreSelectedBySizeAndColour)
{
    EXPECT_FALSE(SelectPackageDisplay(80, 32, 24));
    EXPECT_EQ(SelectPackageDisplay(80, 32, 8), PackageDisplay::Mono32x80);
    EXPECT_EQ(SelectPackageDisplay(144, 48, 15), PackageDisplay::Rgb48x144);
    EXPECT_FALSE(SelectPackageDisplay(144, 48, 8));
    EXPECT_EQ(SelectHitechDisplay(80, 32, 24), HitechDisplay::Rgb32x80);
    EXPECT_FALSE(SelectHitechDisplay(144, 48, 24));
    EXPECT_FALSE(SelectHitechDisplay(80, 32, 3));
}

struct StandardCase {
    int width;
    int height;
    int bitCode;
    bool firmwareLine;
    bool standard;
};

TEST(FactorySets, StandardDisplaysAndTheWindowRule)
{
    const StandardCase cases[] = {
        {80, 32, 24, false, true},  {80, 32, 6, true, true},     {224, 64, 8, false, true},
        {144, 48, 24, false, false}, {144, 48, 24, true, true},  {144, 48, 8, true, false},
        {192, 64, 15, true, true},  {192, 64, 15, false, false}, {160, 48, 3, false, false},
        {96, 16, 6, false, false},
    };
    for (const StandardCase& c : cases)
        EXPECT_EQ(IsStandardDisplay({c.width, c.height, c.bitCode, false, c.firmwareLine}), c.standard)
            << c.height << "x" << c.width << " " << c.bitCode << " " << c.firmwareLine;
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
    EXPECT_EQ(report.set, FactorySet::Package);
    EXPECT_EQ(report.nDeleted, 3);
    EXPECT_EQ(report.nSent, 13);
    EXPECT_TRUE(report.IsComplete());
}

TEST(FactoryRestore, WithoutADirectoryNothingIsDeletedAndTheSetStillGoes)
{
    CRecordingOperations ops; // no directory
    const FactoryRestoreReport report = RestoreFactorySet(ops, {80, 32, 24, false, true}, 60000);
    ASSERT_EQ(ops.calls.size(), 2u + 8); // no package set for 32 x 80 RGB: the fonts only
    EXPECT_EQ(ops.calls[1], "get DIRECTORY.XML");
    EXPECT_EQ(ops.calls[2], "send 18X11_3.FNT");
    EXPECT_FALSE(report.bDirectoryRead);
    EXPECT_FALSE(report.IsComplete());
    EXPECT_EQ(report.set, FactorySet::None);
}

TEST(FactoryRestore, FailedSendsAreCountedAndDoNotStopTheSet)
{
    CRecordingOperations ops;
    ops.result = -5;
    const FactoryRestoreReport report = RestoreFactorySet(ops, {80, 32, 24, false, false}, 60000);
    EXPECT_EQ(ops.calls.back(), "send compressed playorder.dat");
    EXPECT_EQ(report.set, FactorySet::Hitech);
    EXPECT_EQ(report.nNotSent, 11);
    EXPECT_EQ(report.nSent, 0);
    EXPECT_FALSE(report.IsComplete());
}

TEST(FactoryRestore, AnAbortStopsTheRestoreAtTheNextFile)
{
    CRecordingOperations ops;
    ops.directory = "<DIR><FILE name=\"A.M2M\"/></DIR>";
    ops.cancelAfter = 5;
    const FactoryRestoreReport report = RestoreFactorySet(ops, {80, 32, 6, false, false}, 60000);
    EXPECT_EQ(ops.calls.size(), 5u);
    EXPECT_TRUE(report.bCancelled);
    EXPECT_FALSE(report.IsComplete());
}

TEST(VerificationSteps, MessageGoesWithItsFontAndIsRun)
{
    CRecordingOperations ops;
    SendVerificationMessage(ops, "MsgOne.M2M", "<MS/>");
    EXPECT_EQ(ops.calls, (std::vector<std::string>{"send MsgOne.M2M", "send FW08X5_1.FNT", "blank", "run MsgOne.M2M 0"}));
    EXPECT_EQ(ops.sent["MsgOne.M2M"], B({"<MS/>"}));
}

} // namespace
