#include "TimeScale.h"

#include <cmath>
#include <cstdlib>

double TimeScale()
{
    const char* text = std::getenv("QVX_TIME_SCALE");
    if (text == nullptr || *text == '\0')
        return 1.0;
    char* end = nullptr;
    const double factor = std::strtod(text, &end);
    if (end == text || !std::isfinite(factor) || factor <= 0.0 || factor > 1000.0)
        return 1.0;
    return factor;
}

unsigned long ScaledMs(unsigned long ms)
{
    if (ms == 0)
        return 0;
    const double scaled = std::ceil(static_cast<double>(ms) * TimeScale());
    if (scaled < 1.0)
        return 1;
    if (scaled > 4.0e9)
        return 4000000000UL;
    return static_cast<unsigned long>(scaled);
}
