#include "update/DisplayTypes.h"

#include "res/Resources.h"

#include <utility>

namespace {

// A type's name is either text or a string table id (szName null).
struct TypeRow {
    int nKey;
    const char* szName;
    int nNameId;
    std::uint32_t nTemplateId;
    std::uint32_t nCategory;
};

constexpr std::uint32_t kNameAll = 144;
constexpr std::uint32_t kNameGen1 = 145;
constexpr std::uint32_t kNameGen2 = 146;
constexpr std::uint32_t kNameLx7400 = 147;
constexpr std::uint32_t kNameEmulator = 152;

// The FX40211 line: category 1 the first generation, 2 the second, 3 LX-7400, 4 the emulator.
constexpr TypeRow kMainTypes[] = {
    {0, "72x240 RGB32K", 0, 125, 1},
    {1, "64x224 RGB32K", 0, 133, 1},
    {2, "48x192 RGB32K", 0, 128, 1},
    {3, "48x160 RGB32K", 0, 124, 1},
    {4, "48x144 Dual Resolution", 0, 120, 1},
    {5, "32x128 RGB32K", 0, 131, 1},
    {6, "32x80 RGB32K", 0, 132, 1},
    {7, "64x224 Mono64", 0, 129, 1},
    {8, "48x160 Mono64", 0, 123, 1},
    {9, "32x128 Mono64", 0, 118, 1},
    {10, "32x80 Mono64", 0, 117, 1},
    {11, "32x64 Mono64", 0, 130, 1},
    {12, "24x80 Mono64", 0, 126, 1},
    {13, "16x80 Mono64", 0, 127, 1},
    {14, "8x96 Mono64", 0, 119, 1},
    {15, "64x224 RGB32K", 0, 143, 2},
    {16, "48x160 RGB32K", 0, 142, 2},
    {17, "32x128 RGB32K", 0, 141, 2},
    {18, "64x224 Mono64", 0, 140, 2},
    {19, "48x160 Mono64", 0, 139, 2},
    {20, "32x128 Mono64", 0, 138, 2},
    {21, "32x80 Mono64", 0, 137, 2},
    {22, nullptr, 150, 148, 3},
    {23, nullptr, 151, 149, 3},
    {24, nullptr, 153, 154, 4},
    {25, nullptr, 155, 156, 4},
    {26, nullptr, 157, 158, 4},
    {27, nullptr, 159, 160, 4},
    {28, nullptr, 161, 162, 4},
    {29, nullptr, 163, 164, 4},
    {30, nullptr, 165, 166, 4},
    {31, nullptr, 167, 168, 4},
    {32, nullptr, 169, 170, 4},
    {33, nullptr, 171, 172, 4},
    {34, nullptr, 173, 174, 4},
    {35, nullptr, 175, 176, 4},
    {36, nullptr, 177, 178, 4},
    {37, nullptr, 179, 180, 4},
};

void FillMainFilters(ConfigFilterMap& filters)
{
    // "All" pairs each size's generations.
    filters[0] = {kNameAll, {0, 1, 15, 2, 3, 16, 4, 5, 17, 6, 7, 18, 8, 19, 9, 20, 10, 21, 11, 12, 13, 14, 22,
                             23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37}};
    filters[1] = {kNameGen1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}};
    filters[2] = {kNameGen2, {15, 16, 17, 18, 19, 20, 21}};
    filters[3] = {kNameLx7400, {22, 23}};
    filters[4] = {kNameEmulator, {24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37}};
}

// The FP9023417 line: one category, 5, with no filter of its own.
constexpr TypeRow kLineTypes[] = {
    {40, nullptr, 220, 221, 5},
    {41, nullptr, 222, 223, 5},
    {43, nullptr, 226, 227, 5},
    {44, nullptr, 228, 229, 5},
    {46, nullptr, 232, 233, 5},
    {38, nullptr, 183, 182, 5},
    {39, nullptr, 218, 219, 5},
    {42, nullptr, 224, 225, 5},
    {45, nullptr, 230, 231, 5},
};

void FillLineFilters(ConfigFilterMap& filters)
{
    filters[0] = {kNameAll, {40, 41, 43, 44, 46, 38, 39, 42, 45}};
}

template <std::size_t N>
void FillTypes(const TypeRow (&types)[N], ConfigInfoMap& configs)
{
    for (const TypeRow& row : types) {
        ConfigInfo info;
        info.strName = row.szName != nullptr ? std::string(row.szName) : qvxres::LoadEmbeddedString(row.nNameId);
        info.nTemplateId = row.nTemplateId;
        info.nCategory = row.nCategory;
        configs.emplace(row.nKey, std::move(info));
    }
}

std::string FilterName(const ConfigFilterInfo& filter)
{
    return qvxres::LoadEmbeddedString(static_cast<int>(filter.nNameId));
}

} // namespace

void BuildDisplayTypeTable(bool firmwareLine, ConfigInfoMap& configs, ConfigFilterMap& filters)
{
    configs.clear();
    filters.clear();
    if (firmwareLine) {
        FillTypes(kLineTypes, configs);
        FillLineFilters(filters);
    } else {
        FillTypes(kMainTypes, configs);
        FillMainFilters(filters);
    }
}

std::vector<ConfigListItem> BuildFilterList(const ConfigFilterMap& filters, ConfigListUse use)
{
    std::vector<ConfigListItem> items;
    for (const auto& [key, filter] : filters) {
        // The dialog offers the generations only; LX-7400 and the emulator are chosen on the page.
        if (use == ConfigListUse::DownloadDialog && key != kConfigFilterAll && key != 1 && key != 2)
            continue;
        items.emplace_back(key, FilterName(filter));
    }
    return items;
}

std::string DisplayTypeListName(const ConfigInfo& info, const ConfigFilterMap& filters)
{
    const auto category = filters.find(static_cast<int>(info.nCategory));
    if (category == filters.end())
        return info.strName;
    return info.strName + " - " + FilterName(category->second);
}

std::vector<ConfigListItem> BuildTypeList(const ConfigInfoMap& configs, const ConfigFilterMap& filters,
                                          int filterKey)
{
    std::vector<ConfigListItem> items;
    const auto filter = filters.find(filterKey);
    if (filter == filters.end())
        return items;
    for (const int key : filter->second.entries) {
        const auto config = configs.find(key);
        if (config == configs.end())
            continue;
        items.emplace_back(key, filterKey == kConfigFilterAll ? DisplayTypeListName(config->second, filters)
                                                              : config->second.strName);
    }
    return items;
}
