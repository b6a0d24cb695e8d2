#pragma once
// The hold time of the factory messages as the wizard's value field and unit list show it: a whole
// number in ms, sec, min or hr, from 1 up to a day in that unit. Changing the unit converts the
// value through milliseconds with whole-number division, so 15 min shows 900 sec and back 15.

#include <string_view>

enum class HoldUnit { Milliseconds = 0, Seconds = 1, Minutes = 2, Hours = 3 };

// What a hold time the field does not give becomes: 15 minutes.
constexpr long long kDefaultHoldMinutes = 15;

// "ms", "sec", "min", "hr".
const char* HoldUnitText(HoldUnit unit);
long long HoldUnitMs(HoldUnit unit);
// The largest value in the unit: 86400 seconds.
long long HoldTimeMaximum(HoldUnit unit);
// The value shown after the unit changes from `from` to `to`; not clamped.
long long ConvertHoldTime(long long value, HoldUnit from, HoldUnit to);

struct HoldTime {
    long long nValue = kDefaultHoldMinutes;
    HoldUnit unit = HoldUnit::Minutes;
    unsigned long nMilliseconds = 0;
};

// Reads the field: a non-empty value (decimal text, as the controls read numbers) clamped into
// 1 .. HoldTimeMaximum(unit); an empty one gives 15 minutes, the unit becoming minutes.
HoldTime ReadHoldTime(std::string_view text, HoldUnit unit);
