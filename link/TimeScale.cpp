#include "TimeScale.h"

#include <cmath>
#include <cstdlib>

namespace {

double FactorFrom(const char* variable)
{
    const char* text = std::getenv(variable);
    if (text == nullptr || *text == '\0')
        return 1.0;
    char* end = nullptr;
    const double factor = std::strtod(text, &end);
    if (end == text || !std::isfinite(factor) || factor <= 0.0 || factor > 1000.0)
        return 1.0;
    return factor;
}

unsigned long Scaled(unsigned long ms, double factor)
{
    if (ms == 0)
        return 0;
    const double scaled = std::ceil(static_cast<double>(ms) * factor);
    if (scaled < 1.0)
        return 1;
    if (scaled > 4.0e9)
        return 4000000000UL;
    return static_cast<unsigned long>(scaled);
}

} // namespace

double TimeScale()
{
    return FactorFrom("QVX_TIME_SCALE");
}

unsigned long ScaledMs(unsigned long ms)
{
    return Scaled(ms, TimeScale());
}

unsigned long ScaledWaitMs(unsigned long ms)
{
    return Scaled(ms, TimeScale() * FactorFrom("QVX_WAIT_SCALE"));
}
