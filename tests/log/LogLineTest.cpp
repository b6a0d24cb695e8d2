#include "log/LogLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

TEST(LogLine, PrefixesKeepTheirWidthForExtremeValues)
{
    const struct {
        int flags;
        long counter;
        double elapsed;
        long level;
        const char* line;
    } cases[] = {
        {0x10, 12345, 0, 0, "12345 - ~  t\n"},
        {0x04, 0, -1.5, 0, "(-000001.500) - ~  t\n"},
        {0x04, 0, 1e300, 0, "(9999999.999) - ~  t\n"},
        {0x04, 0, std::numeric_limits<double>::quiet_NaN(), 0, "(0000000.000) - ~  t\n"},
        {0x08, 0, 0, -3, "<-3> - ~  t\n"},
        {0x100, 0, 0, -3, "~  t\n"},  // no indentation below level 0, but the separator stays
    };
    for (const auto& test : cases) {
        CLogLine line;
        LogLineStamp stamp;
        stamp.counter = test.counter;
        stamp.elapsedSeconds = test.elapsed;
        stamp.level = test.level;
        EXPECT_EQ(line.Build(test.flags, stamp, "t"), 1u);
        EXPECT_EQ(line.Text(), test.line) << test.flags;
    }
}

TEST(LogLine, DeepIndentationStillLeavesRoomForText)
{
    CLogLine line;
    LogLineStamp stamp;
    stamp.level = 1000000;
    const std::string text(2000, 'q');
    const std::size_t taken = line.Build(0x1FF, stamp, text);
    EXPECT_GT(taken, 500u);
    EXPECT_EQ(line.Text().size(), CLogLine::kMaxChars);
    const std::string indent(3 * CLogLine::kMaxIndentLevel, ' ');
    EXPECT_NE(line.Text().find("<1000000> - " + indent + "~  q"), std::string::npos);
}

}  // namespace
