#include "verify/HoldTime.h"

#include <gtest/gtest.h>

namespace {

struct ConversionCase {
    long long value;
    HoldUnit from;
    HoldUnit to;
    long long shown;
};

TEST(HoldTime, UnitChangesConvertThroughMillisecondsWithWholeDivision)
{
    const ConversionCase cases[] = {
        {15, HoldUnit::Minutes, HoldUnit::Seconds, 900}, {900, HoldUnit::Seconds, HoldUnit::Minutes, 15},
        {90, HoldUnit::Seconds, HoldUnit::Minutes, 1},   {1, HoldUnit::Hours, HoldUnit::Minutes, 60},
        {59, HoldUnit::Minutes, HoldUnit::Hours, 0},     {2, HoldUnit::Seconds, HoldUnit::Milliseconds, 2000},
    };
    for (const ConversionCase& c : cases)
        EXPECT_EQ(ConvertHoldTime(c.value, c.from, c.to), c.shown) << c.value;
}

TEST(HoldTime, RangeIsOneDayInTheUnit)
{
    EXPECT_EQ(HoldTimeMaximum(HoldUnit::Seconds), 86400);
    EXPECT_EQ(HoldTimeMaximum(HoldUnit::Minutes), 1440);
    EXPECT_EQ(HoldTimeMaximum(HoldUnit::Hours), 24);
    EXPECT_STREQ(HoldUnitText(HoldUnit::Seconds), "sec");
    EXPECT_STREQ(HoldUnitText(HoldUnit::Minutes), "min");
    EXPECT_STREQ(HoldUnitText(HoldUnit::Hours), "hr");
}

struct ReadCase {
    const char* text;
    HoldUnit unit;
    long long value;
    HoldUnit readUnit;
    unsigned long ms;
};

TEST(HoldTime, ReadingClampsANonEmptyFieldAndDefaultsAnEmptyOne)
{
    const ReadCase cases[] = {
        {"15", HoldUnit::Minutes, 15, HoldUnit::Minutes, 900000},
        {"0", HoldUnit::Minutes, 1, HoldUnit::Minutes, 60000},
        {"", HoldUnit::Seconds, 15, HoldUnit::Minutes, 900000},
        {"", HoldUnit::Hours, 15, HoldUnit::Minutes, 900000},
        {"2000", HoldUnit::Minutes, 1440, HoldUnit::Minutes, 86400000},
        {"25", HoldUnit::Hours, 24, HoldUnit::Hours, 86400000},
        {"-5", HoldUnit::Seconds, 1, HoldUnit::Seconds, 1000},
        {"x", HoldUnit::Seconds, 1, HoldUnit::Seconds, 1000},
        {"99999999999999999999999", HoldUnit::Milliseconds, 86400000, HoldUnit::Milliseconds, 86400000},
    };
    for (const ReadCase& c : cases) {
        const HoldTime hold = ReadHoldTime(c.text, c.unit);
        EXPECT_EQ(hold.nValue, c.value) << '"' << c.text << '"';
        EXPECT_EQ(hold.unit, c.readUnit) << '"' << c.text << '"';
        EXPECT_EQ(hold.nMilliseconds, c.ms) << '"' << c.text << '"';
    }
}

} // namespace
