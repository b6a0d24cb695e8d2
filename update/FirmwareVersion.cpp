#include "update/FirmwareVersion.h"

#include <climits>
#include <cstdlib>
#include <tuple>

namespace {

// The leading decimal of text: an optional sign, then digits up to the first other character.
// Values beyond an int are held at its limits rather than wrapped.
int LeadingDecimal(const std::string& text)
{
    const char* start = text.c_str();
    char* end = nullptr;
    const long long value = std::strtoll(start, &end, 10);
    if (end == start)
        return 0;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// Reads "major.minor.build" in the way a version text's number part is read.
void ParseNumbers(std::string rest, ParsedFirmwareVersion& version)
{
    std::size_t dot = rest.find('.');
    if (dot == std::string::npos) {
        version.nBuild = LeadingDecimal(rest);
        return;
    }
    version.nMajor = LeadingDecimal(rest.substr(0, dot));
    rest.erase(0, dot + 1);
    dot = rest.find('.');
    if (dot == std::string::npos) {
        version.nBuild = LeadingDecimal(rest);
        return;
    }
    version.nMinor = LeadingDecimal(rest.substr(0, dot));
    version.nBuild = LeadingDecimal(rest.substr(dot + 1));
}

// "1.2.11" read part by part, each a leading decimal; parts that are not there read 0.
std::tuple<int, int, int> PartsOf(const std::string& numbers)
{
    int parts[3] = {0, 0, 0};
    std::size_t from = 0;
    for (int& part : parts) {
        const std::size_t dot = numbers.find('.', from);
        part = LeadingDecimal(numbers.substr(from, dot == std::string::npos ? std::string::npos : dot - from));
        if (dot == std::string::npos)
            break;
        from = dot + 1;
    }
    return {parts[0], parts[1], parts[2]};
}

// The text after the first "-" that follows where `family` starts in `text`; false without one.
bool NumbersAfterFamily(const std::string& text, const std::string& family, std::string& numbers)
{
    const std::size_t at = text.find(family);
    if (at == std::string::npos)
        return false;
    const std::size_t dash = text.find('-', at);
    if (dash == std::string::npos)
        return false;
    numbers = text.substr(dash + 1);
    return true;
}

} // namespace

ParsedFirmwareVersion ParseFirmwareVersion(const std::string& text)
{
    ParsedFirmwareVersion version;
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos) {
        ParseNumbers(text, version);
    } else {
        version.strPrefix = text.substr(0, dash);
        ParseNumbers(text.substr(dash + 1), version);
    }
    return version;
}

int CompareFirmwareVersions(const std::string& a, const std::string& b)
{
    const ParsedFirmwareVersion first = ParseFirmwareVersion(a);
    const ParsedFirmwareVersion second = ParseFirmwareVersion(b);
    if (first.strPrefix != second.strPrefix)
        return -2;
    const auto left = std::tie(first.nMajor, first.nMinor, first.nBuild);
    const auto right = std::tie(second.nMajor, second.nMinor, second.nBuild);
    if (left == right)
        return 0;
    return left > right ? 1 : -1;
}

bool IsRecommendedFirmwareInstalled(const std::string& current, const std::string& recommended)
{
    const std::string family = recommended.substr(0, recommended.find('-'));
    std::string have;
    std::string want;
    if (family.empty() || !NumbersAfterFamily(current, family, have) ||
        !NumbersAfterFamily(recommended, family, want))
        return false;
    return PartsOf(have) >= PartsOf(want);
}
