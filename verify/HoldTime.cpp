#include "verify/HoldTime.h"

#include "files/DecimalText.h"

#include <algorithm>

namespace {

constexpr long long kDayMs = 86400LL * 1000;

} // namespace

const char* HoldUnitText(HoldUnit unit)
{
    switch (unit) {
    case HoldUnit::Milliseconds:
        return "ms";
    case HoldUnit::Seconds:
        return "sec";
    case HoldUnit::Minutes:
        return "min";
    case HoldUnit::Hours:
        return "hr";
    }
    return "";
}

long long HoldUnitMs(HoldUnit unit)
{
    switch (unit) {
    case HoldUnit::Milliseconds:
        return 1;
    case HoldUnit::Seconds:
        return 1000;
    case HoldUnit::Minutes:
        return 60 * 1000;
    case HoldUnit::Hours:
        return 60 * 60 * 1000;
    }
    return 1;
}

long long HoldTimeMaximum(HoldUnit unit)
{
    return kDayMs / HoldUnitMs(unit);
}

long long ConvertHoldTime(long long value, HoldUnit from, HoldUnit to)
{
    // Clamped first only so that the product cannot overflow; a field holds far less.
    const long long ms = std::clamp(value, -kDayMs, kDayMs) * HoldUnitMs(from);
    return ms / HoldUnitMs(to);
}

HoldTime ReadHoldTime(std::string_view text, HoldUnit unit)
{
    HoldTime hold;
    if (text.empty()) {
        hold.nValue = kDefaultHoldMinutes;
        hold.unit = HoldUnit::Minutes;
    } else {
        hold.nValue = std::clamp(DecimalValue(text), 1LL, HoldTimeMaximum(unit));
        hold.unit = unit;
    }
    hold.nMilliseconds = static_cast<unsigned long>(hold.nValue * HoldUnitMs(hold.unit));
    return hold;
}
