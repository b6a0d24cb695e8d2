#include "verify/HoldTime.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct ConversionCase { long long value; HoldUnit from, to; long long shown; };

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

TEST(HoldTime, EachUnitHasItsTextAndReachesOneDay)
{
    const std::tuple<HoldUnit, const char*, long long> units[] = {
        {HoldUnit::Seconds, "sec", 86400}, {HoldUnit::Minutes, "min", 1440}, {HoldUnit::Hours, "hr", 24}};
    for (const auto& [unit, text, maximum] : units) {
        EXPECT_STREQ(HoldUnitText(unit), text);
        EXPECT_EQ(HoldTimeMaximum(unit), maximum);
    }
}

struct ReadCase { const char* text; HoldUnit unit; long long value; HoldUnit readUnit; unsigned long ms; };

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
        EXPECT_EQ(std::tuple(hold.nValue, hold.unit, hold.nMilliseconds), std::tuple(c.value, c.readUnit, c.ms))
            << '"' << c.text << '"';
    }
}

} // namespace
