#pragma once
// Values on qvx-signsim's command line: whole numbers in a range and chances from 0 to 1.

#include <charconv>
#include <string_view>

namespace qvxsim {

template <typename T>
bool ParseNumber(std::string_view text, T min, T max, T* value)
{
    T parsed{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || parsed < min || parsed > max)
        return false;
    *value = parsed;
    return true;
}

// A decimal fraction from 0 to 1 ("0", "0.05", "1").
inline bool ParseChance(std::string_view text, double* chance)
{
    double parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size() || !(parsed >= 0.0 && parsed <= 1.0))
        return false;
    *chance = parsed;
    return true;
}

} // namespace qvxsim
