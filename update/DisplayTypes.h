#pragma once
// The display types a configuration can be downloaded for, per firmware line: each type's name,
// the id of its CONFIG.XML template (resource type "CFG") and its category; and the filters that
// group them for the type lists of the configuration page and the download dialog.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct ConfigInfo {
    std::string strName;
    std::uint32_t nTemplateId = 0;
    std::uint32_t nCategory = 0;
};

// A filter's key is the category its entries belong to; "All" (key 0) holds every type.
struct ConfigFilterInfo {
    std::uint32_t nNameId = 0; // string table id of its name
    std::vector<int> entries;  // type keys in display order
};

using ConfigInfoMap = std::map<int, ConfigInfo>;
using ConfigFilterMap = std::map<int, ConfigFilterInfo>;
// One item of a list the view shows: item data (a key) and text.
using ConfigListItem = std::pair<int, std::string>;

constexpr int kConfigFilterAll = 0;

// Which of the two views a filter list is for.
enum class ConfigListUse { ConfigurationPage, DownloadDialog };

// Empties both maps and fills them for the FP9023417 line (firmwareLine) or the FX40211 line.
void BuildDisplayTypeTable(bool firmwareLine, ConfigInfoMap& configs, ConfigFilterMap& filters);

// The filters in key order, names from the string table. The download dialog offers only "All",
// "Gen 1" and "Gen 2". The view selects the first item.
std::vector<ConfigListItem> BuildFilterList(const ConfigFilterMap& filters, ConfigListUse use);

// A type's name as the "All" list shows it, which tells apart types of one name: with the name of
// its category's filter where there is one ("32x80 Mono64 - Gen 1", "32x80 Mono64 - Display
// Emulator"), else the name alone (the FP9023417 line's types).
std::string DisplayTypeListName(const ConfigInfo& info, const ConfigFilterMap& filters);

// The types of one filter in its order, keyed by type. Under "All" each carries its list name
// (DisplayTypeListName). Empty for an unknown filter.
std::vector<ConfigListItem> BuildTypeList(const ConfigInfoMap& configs, const ConfigFilterMap& filters,
                                          int filterKey);
