#include "verify/VerificationMessages.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

std::string Rows(int rows, int perRow)
{
    std::string out;
    for (int row = 1; row <= rows; ++row)
        out += (row > 1 ? "<BR/>" : "") + Repeat(std::to_string(row), perRow);
    return out;
}

TEST(VerificationMessages, MessageOneForMonochrome64IsByteExact)
{
    EXPECT_EQ(BuildMessageOne(80, 32, 6, false, false),
              "<MS ds=\"\" type=\"32x80MONO64.crv.m2\" vr=\"3\" src=\"2\" >"
              "<FR en=\"INS\" ex=\"INS\" hd=\"HST\" ht=\"30\" enr=\"30\" hdr=\"30\" exr=\"30\" ft=\"txt\">"
              "<WD en=\"INS\" ex=\"INS\" hd=\"HST\" enr=\"30\" hdr=\"30\" exr=\"30\" x=\"0\" y=\"0\" h=\"32\" w=\"80\" "
              "ls=\"0\" trans=\"1\" bg=\"0\" asz=\"0\" bc=\"6\"><JS h=\"C\" v=\"M\"/>"
              "<FO fc=\"FW08X5_1.FNT\" sz=\"8\" clr=\"63\"/>"
              "11111111111111<BR/>22222222222222<BR/>33333333333333<BR/>44444444444444</WD></FR></MS>");
}

struct ColourCase {
    int bitCode;
    bool firmwareLine;
    const char* type;
    const char* colour;
};

class MessageOneColours : public ::testing::TestWithParam<ColourCase> {};

TEST_P(MessageOneColours, NameTheTypeAndColourOfTheBitCode)
{
    const ColourCase& c = GetParam();
    const std::string message = BuildMessageOne(80, 32, c.bitCode, false, c.firmwareLine);
    EXPECT_NE(message.find(std::string("type=\"") + c.type + "\""), std::string::npos) << message;
    EXPECT_NE(message.find(std::string("clr=\"") + c.colour + "\""), std::string::npos) << message;
    EXPECT_NE(message.find("bc=\"" + std::to_string(c.bitCode) + "\""), std::string::npos) << message;
    EXPECT_NE(message.find(Rows(4, 14) + "</WD>"), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(BitCodes, MessageOneColours,
                         ::testing::Values(ColourCase{6, false, "32x80MONO64.crv.m2", "63"},
                                           ColourCase{8, false, "32x80TRI256.crv.m2", "240"},
                                           ColourCase{8, true, "32x80MONO256.crv.m2", "240"},
                                           ColourCase{15, false, "32x80RGB32K.crv.m2", "31744"},
                                           ColourCase{24, false, "32x80RGB16M.crv.m2", "16711680"},
                                           ColourCase{24, true, "32x80RGB16M.crv.m2", "16711680"}));

TEST(VerificationMessages, WindowFlagPutsTheFullSizeRowsIntoTheWindow)
{
    const std::string message = BuildMessageOne(144, 48, 24, true, true);
    EXPECT_NE(message.find("type=\"48x144RGB16M.crv.m2\""), std::string::npos) << message;
    EXPECT_NE(message.find("x=\"64\" y=\"0\" h=\"32\" w=\"80\""), std::string::npos) << message;
    EXPECT_NE(message.find("clr=\"16711680\"/>" + Rows(6, 24) + "</WD>"), std::string::npos) << message;
}

TEST(VerificationMessages, MessageTwoCarriesTheStoreNumberAndTheDegreeBytes)
{
    EXPECT_EQ(BuildMessageTwo(80, 32, 8, false, false, "4711"),
              "<MS ds=\"\" type=\"32x80TRI256.crv.m2\" vr=\"3\" src=\"2\" >"
              "<FR en=\"INS\" ex=\"INS\" hd=\"HST\" ht=\"2\" enr=\"30\" hdr=\"30\" exr=\"30\" ft=\"txt\">"
              "<WD en=\"INS\" ex=\"INS\" hd=\"HST\" enr=\"30\" hdr=\"30\" exr=\"30\" x=\"0\" y=\"0\" h=\"32\" w=\"80\" "
              "ls=\"1\" trans=\"1\" bg=\"0\" asz=\"0\" bc=\"8\"><JS h=\"C\" v=\"M\"/>"
              "<FO fc=\"FW08X5_1.FNT\" sz=\"7\" clr=\"240\"/>"
              "Store: 4711<BR/><TIME fmt=\"%m/%d/%Y\"/><BR/><TEMP fmt=\"%F\xC3\xB8" "F\"/></WD></FR></MS>");
}

TEST(VerificationMessages, RowsStayBoundedForNonsenseSizes)
{
    EXPECT_EQ(VerificationRows(-80, 32), Rows(4, 0));
    EXPECT_EQ(VerificationRows(80, -32), "");
    EXPECT_EQ(VerificationRows(INT_MAX, INT_MAX), VerificationRows(kMaxVerificationPixels, kMaxVerificationPixels));
}

} // namespace
