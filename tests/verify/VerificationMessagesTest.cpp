#include "verify/VerificationMessages.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// Rows 1..rows (at most 9), row k being the digit k perRow times.
std::string Rows(int rows, int perRow)
{
    std::string out;
    for (int row = 1; row <= rows; ++row)
        out += (row > 1 ? "<BR/>" : "") + std::string(perRow, static_cast<char>('0' + row));
    return out;
}

const std::string kRows80x32 = "11111111111111<BR/>22222222222222<BR/>33333333333333<BR/>44444444444444";

// Message one byte for byte, over 80 x 32 at x: the whole display, or the window of a larger one.
std::string MessageOne(const std::string& type, const char* x, int bitCode, const char* colour,
                       const std::string& rows)
{
    return "<MS ds=\"\" type=\"" + type + "\" vr=\"3\" src=\"2\" >"
           "<FR en=\"INS\" ex=\"INS\" hd=\"HST\" ht=\"30\" enr=\"30\" hdr=\"30\" exr=\"30\" ft=\"txt\">"
           "<WD en=\"INS\" ex=\"INS\" hd=\"HST\" enr=\"30\" hdr=\"30\" exr=\"30\" x=\"" + x + "\" y=\"0\" h=\"32\" "
           "w=\"80\" ls=\"0\" trans=\"1\" bg=\"0\" asz=\"0\" bc=\"" + std::to_string(bitCode) + "\">"
           "<JS h=\"C\" v=\"M\"/>"
           "<FO fc=\"FW08X5_1.FNT\" sz=\"8\" clr=\"" + colour + "\"/>" + rows + "</WD></FR></MS>";
}

struct MessageOneCase {
    int width, height, bitCode;
    bool window, firmwareLine;
    const char *type, *x, *colour;
    std::string rows;
};

TEST(VerificationMessages, MessageOneIsByteExactForEachBitCodeAndInTheWindow)
{
    const MessageOneCase cases[] = {
        {80, 32, 6, false, false, "32x80MONO64.crv.m2", "0", "63", kRows80x32},
        {80, 32, 8, false, false, "32x80TRI256.crv.m2", "0", "240", kRows80x32},
        {80, 32, 8, false, true, "32x80MONO256.crv.m2", "0", "240", kRows80x32},
        {80, 32, 15, false, false, "32x80RGB32K.crv.m2", "0", "31744", kRows80x32},
        {80, 32, 24, false, false, "32x80RGB16M.crv.m2", "0", "16711680", kRows80x32},
        {80, 32, 24, false, true, "32x80RGB16M.crv.m2", "0", "16711680", kRows80x32},
        // The window keeps the rows of the full 48 x 144 size.
        {144, 48, 24, true, true, "48x144RGB16M.crv.m2", "64", "16711680", Rows(6, 24)},
    };
    for (const MessageOneCase& c : cases)
        EXPECT_EQ(BuildMessageOne(c.width, c.height, c.bitCode, c.window, c.firmwareLine),
                  MessageOne(c.type, c.x, c.bitCode, c.colour, c.rows));
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
    EXPECT_EQ(VerificationRows(-80, 32), "<BR/><BR/><BR/>");
    EXPECT_EQ(VerificationRows(80, -32), "");
    EXPECT_EQ(VerificationRows(INT_MAX, INT_MAX), VerificationRows(kMaxVerificationPixels, kMaxVerificationPixels));
}

} // namespace
