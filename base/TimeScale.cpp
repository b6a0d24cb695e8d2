#include "base/TimeScale.h"

#include <cmath>
#include <cstdlib>

namespace {

// The factor a variable's text gives; 0 when it is not a usable one.
double ParseFactor(const char* text)
{
    char* end = nullptr;
    const double factor = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(factor) || factor <= 0.0 || factor > 1000.0)
        return 0.0;
    return factor;
}

double FactorFrom(const char* variable)
{
    const char* text = std::getenv(variable);
    if (text == nullptr || *text == '\0')
        return 1.0;
    const double factor = ParseFactor(text);
    return factor > 0.0 ? factor : 1.0;
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

std::vector<std::string> TimeScaleProblems()
{
    std::vector<std::string> problems;
    for (const char* variable : {"QVX_TIME_SCALE", "QVX_WAIT_SCALE"}) {
        const char* text = std::getenv(variable);
        if (text != nullptr && *text != '\0' && ParseFactor(text) == 0.0)
            problems.push_back(std::string(variable) + "=\"" + text +
                               "\" is not a factor above 0 and up to 1000; the default 1 is used.");
    }
    return problems;
}
