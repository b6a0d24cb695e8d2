#include "update/TimeZones.h"

#include "res/Resources.h"

#include <cctype>
#include <utility>

namespace {

// String table ids, by offset. 209 (Rangoon, +6:30) is in the string table but not offered.
constexpr int kZoneIds[] = {185, 186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 196, 197, 198, 199, 200,
                            201, 202, 203, 204, 205, 206, 207, 208, 210, 211, 212, 213, 214, 215, 216, 217};

// Reads one to two decimal digits at `at`; none when there is no digit.
std::optional<int> ReadDigits(std::string_view text, std::size_t& at)
{
    int value = 0;
    std::size_t digits = 0;
    while (at < text.size() && digits < 2 && std::isdigit(static_cast<unsigned char>(text[at])) != 0) {
        value = value * 10 + (text[at++] - '0');
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<int> TimeZonePrefixMinutes(std::string_view name)
{
    constexpr std::string_view kOpen = "(GMT";
    if (name.substr(0, kOpen.size()) != kOpen)
        return std::nullopt;
    std::size_t at = kOpen.size();
    if (at < name.size() && name[at] == ')')
        return 0;
    if (at >= name.size() || (name[at] != '+' && name[at] != '-'))
        return std::nullopt;
    const int sign = name[at++] == '-' ? -1 : 1;
    const auto hours = ReadDigits(name, at);
    if (!hours || at >= name.size() || name[at++] != ':')
        return std::nullopt;
    const auto minutes = ReadDigits(name, at);
    if (!minutes || at >= name.size() || name[at] != ')')
        return std::nullopt;
    return sign * (*hours * 60 + *minutes);
}

std::vector<std::string> TimeZoneNames()
{
    std::vector<std::string> names;
    for (const int id : kZoneIds)
        names.push_back(qvxres::LoadEmbeddedString(id));
    return names;
}

std::map<std::string, int> BuildTimeZoneTable()
{
    std::map<std::string, int> table;
    for (std::string& name : TimeZoneNames()) {
        const int minutes = TimeZonePrefixMinutes(name).value_or(0);
        table.emplace(std::move(name), minutes);
    }
    return table;
}

std::string TimeZoneNameOf(int minutes)
{
    for (std::string& name : TimeZoneNames()) {
        if (TimeZonePrefixMinutes(name) == minutes)
            return std::move(name);
    }
    return {};
}

std::string OwnTimeZoneName(int minutes)
{
    const long long magnitude = minutes < 0 ? -static_cast<long long>(minutes) : minutes;
    const auto twoDigits = [](long long value) { return (value < 10 ? "0" : "") + std::to_string(value); };
    return std::string("(GMT") + (minutes < 0 ? '-' : '+') + twoDigits(magnitude / 60) + ":" +
           twoDigits(magnitude % 60) + ") Display's own zone";
}
