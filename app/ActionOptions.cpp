#include "app/ActionOptions.h"

#include "app/PellworthCmdLineInfo.h"
#include "connection/DisplayActions.h"
#include "update/DisplayTypes.h"
#include "update/TimeZones.h"
#include "update/package/FirmwareLine.h"

#include <ostream>
#include <vector>

namespace {

// "GMT-05:00", "GMT+5:30", "GMT-5": minutes east of GMT; false for anything else.
bool ReadGmtOffset(std::string_view text, int& minutes)
{
    if (text.size() < 5 || !EqualNoCase(text.substr(0, 3), "GMT") || (text[3] != '+' && text[3] != '-'))
        return false;
    const int sign = text[3] == '-' ? -1 : 1;
    const std::string_view rest = text.substr(4);
    const std::size_t colon = rest.find(':');
    int hours = 0;
    int mins = 0;
    if (!ParseDecimal(rest.substr(0, colon), hours) || hours > 14)
        return false;
    if (colon != std::string_view::npos && (!ParseDecimal(rest.substr(colon + 1), mins) || mins > 59))
        return false;
    minutes = sign * (hours * 60 + mins);
    return true;
}

void ListTimeZones(std::ostream& err)
{
    err << "The time zones are:\n";
    for (const std::string& name : TimeZoneNames())
        err << "  " << name << "\n";
}

} // namespace

std::vector<ConfigListItem> MatchDisplayTypes(const ConfigInfoMap& configs, const ConfigFilterMap& filters,
                                              std::string_view text)
{
    const std::vector<ConfigListItem> all = BuildTypeList(configs, filters, kConfigFilterAll);
    std::vector<ConfigListItem> matches;
    int number = 0;
    if (ParseDecimal(text, number)) {
        for (const ConfigListItem& item : all) {
            if (item.first == number)
                matches.push_back(item);
        }
        return matches;
    }
    for (const ConfigListItem& item : all) {
        if (EqualNoCase(item.second, text))
            return {item};
    }
    // A name without its generation still names a type when only one type has it.
    for (const ConfigListItem& item : all) {
        if (EqualNoCase(configs.at(item.first).strName, text))
            matches.push_back(item);
    }
    return matches;
}

void ListDisplayTypes(const std::vector<ConfigListItem>& types, std::ostream& out)
{
    for (const auto& [key, name] : types)
        out << "  " << key << "  " << name << "\n";
}

bool CheckDisplayType(std::string_view text, std::ostream& err)
{
    const bool lines[] = {false, true}; // the main line's types first
    ConfigInfoMap types[2];
    ConfigFilterMap filters[2];
    std::vector<ConfigListItem> matches;
    for (int i = 0; i < 2; ++i) {
        BuildDisplayTypeTable(lines[i], types[i], filters[i]);
        for (ConfigListItem& item : MatchDisplayTypes(types[i], filters[i], text))
            matches.push_back(std::move(item));
    }
    if (matches.size() == 1)
        return true;
    if (!matches.empty()) {
        err << "qvxfirminstaller: -type \"" << text << "\" names " << matches.size()
            << " display types; give one of them by its number or its whole name:\n";
        ListDisplayTypes(matches, err);
        return false;
    }
    err << "qvxfirminstaller: -type \"" << text << "\" is no display type of either firmware line.\n";
    for (int i = 0; i < 2; ++i) {
        err << "The display types of the " << FirmwareFamily(lines[i]) << " line are:\n";
        ListDisplayTypes(BuildTypeList(types[i], filters[i], kConfigFilterAll), err);
    }
    return false;
}

bool ReadTestPattern(std::string_view text, int& pattern, std::ostream& err)
{
    const std::vector<std::string>& names = CDisplayActions::TestPatternNames();
    if (text.empty()) {
        pattern = 0;
        return true;
    }
    int number = 0;
    if (ParseDecimal(text, number) && number < static_cast<int>(names.size())) {
        pattern = number;
        return true;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (EqualNoCase(names[i], text)) {
            pattern = static_cast<int>(i);
            return true;
        }
    }
    err << "qvxfirminstaller: -pattern \"" << text << "\" is not a test pattern. The patterns are:\n";
    for (std::size_t i = 0; i < names.size(); ++i)
        err << "  " << i << "  " << names[i] << "\n";
    return false;
}

bool ReadTimeZone(std::string_view text, std::string& zoneName, std::ostream& err)
{
    int minutes = 0;
    if (ReadGmtOffset(text, minutes)) {
        zoneName = TimeZoneNameOf(minutes);
        if (!zoneName.empty())
            return true;
        err << "qvxfirminstaller: -timezone " << text << " is no zone of the list.\n";
        ListTimeZones(err);
        return false;
    }
    std::vector<std::string> matches;
    const std::string wanted = AsciiLower(text);
    for (const std::string& name : TimeZoneNames()) {
        if (AsciiLower(name) == wanted) {
            zoneName = name;
            return true;
        }
        if (!wanted.empty() && AsciiLower(name).find(wanted) != std::string::npos)
            matches.push_back(name);
    }
    if (matches.size() == 1) {
        zoneName = matches.front();
        return true;
    }
    err << "qvxfirminstaller: -timezone \"" << text << "\" "
        << (matches.empty() ? "names no time zone" : "names more than one time zone")
        << "; give a name (or a part only one name has) or GMT-05:00.\n";
    ListTimeZones(err);
    return false;
}

bool ReadHoldMinutes(std::string_view text, long long& minutes, std::ostream& err)
{
    constexpr int kDayMinutes = 1440;
    if (text.empty()) {
        minutes = 15;
        return true;
    }
    int value = 0;
    if (ParseDecimal(text, value) && value >= 1 && value <= kDayMinutes) {
        minutes = value;
        return true;
    }
    err << "qvxfirminstaller: -holdtime \"" << text << "\" is not a number of minutes from 1 to 1440.\n";
    return false;
}
