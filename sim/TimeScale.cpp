#include "sim/TimeScale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qvxsim {

namespace {

constexpr double kMaxFactor = 1000.0;
constexpr double kMaxWaitMs = 1.0e12; // about 30 years: "for good" without overflowing any clock

} // namespace

double TimeScaleFactor()
{
    const char* text = std::getenv("QVX_TIME_SCALE");
    if (text == nullptr || *text == '\0')
        return 1.0;
    char* end = nullptr;
    const double factor = std::strtod(text, &end);
    if (end == text || !std::isfinite(factor) || factor <= 0.0 || factor > kMaxFactor)
        return 1.0;
    return factor;
}

std::chrono::milliseconds ScaledWait(unsigned long ms)
{
    if (ms == 0)
        return std::chrono::milliseconds(0);
    const double scaled = std::ceil(static_cast<double>(ms) * TimeScaleFactor());
    return std::chrono::milliseconds(static_cast<long long>(std::clamp(scaled, 1.0, kMaxWaitMs)));
}

} // namespace qvxsim
