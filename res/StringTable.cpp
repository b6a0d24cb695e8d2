// The string table: one line per entry, ids as Resources.h names them.
#include "res/Resources.h"
#include "res/ResourceTable.h"

namespace qvxres::detail {

namespace {

constexpr StringEntry kStrings[] = {
    {kStrFX40211Version, "FX40211-1.02.11"},
    // Display type filters and display type names (update/DisplayTypes.cpp).
    {144, "All"},
    {145, "Gen 1"},
    {146, "Gen 2"},
    {147, "LX-7400"},
    {150, "32x128 Mono64 LX7400 12mm 1V"},
    {151, "32x128 Mono64 LX7400 12mm 2V"},
    {152, "Display Emulator"},
    {153, "8x96 Mono64"},
    {155, "16x80 Mono64"},
    {157, "24x80 Mono64"},
    {159, "32x64 Mono64"},
    {161, "32x80 Mono64"},
    {163, "32x128 Mono64"},
    {165, "48x160 Mono64"},
    {167, "64x224 Mono64"},
    {169, "32x80 RGB32K"},
    {171, "32x128 RGB32K"},
    {173, "48x160 RGB32K"},
    {175, "48x192 RGB32K"},
    {177, "64x224 RGB32K"},
    {179, "72x240 RGB32K"},
    {kStrFP9023417Version, "FP9023417-3.11.3"},
    // FP9023417 display type names: 183, then 218 to 232 after the time zones.
    {183, "32x80 Mono4096"},
    // Time zone names (update/TimeZones.cpp); 209 is not offered.
    {185, "(GMT-12:00) Eniwetok, Kwajalein"},
    {186, "(GMT-11:00) Midway Island, Samoa"},
    {187, "(GMT-10:00) Hawaii"},
    {188, "(GMT-09:00) Alaska"},
    {189, "(GMT-08:00) Pacific Time (US & Canada);Tijuana"},
    {190, "(GMT-07:00) Mountain Time (US & Canada)"},
    {191, "(GMT-06:00) Central Time (US & Canada)"},
    {192, "(GMT-05:00) Eastern Time (US & Canada);Bogota, Lima, Quito"},
    {193, "(GMT-04:00) Atlantic Time (Canada);Caracas, La Paz"},
    {194, "(GMT-03:30) Newfoundland"},
    {195, "(GMT-03:00) Brasilia, Buenos Aires, Georgetown"},
    {196, "(GMT-02:00) Mid-Atlantic"},
    {197, "(GMT-01:00) Azores, Cape Verde Is."},
    {198, "(GMT) Greenwich Mean Time: Dublin, Edinburgh, Lisbon, London"},
    {199, "(GMT+1:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna"},
    {200, "(GMT+2:00) Athens, Istanbul, Minsk"},
    {201, "(GMT+3:00) Moscow, St. Petersburg, Volgograd"},
    {202, "(GMT+3:30) Tehran"},
    {203, "(GMT+4:00) Abu Dhabi, Muscat"},
    {204, "(GMT+4:30) Kabul"},
    {205, "(GMT+5:00) Islamabad, Karachi, Tashkent"},
    {206, "(GMT+5:30) Calcutta, Chennai, Mumbai, New Delhi"},
    {207, "(GMT+5:45) Kathmandu"},
    {208, "(GMT+6:00) Astana, Dhaka"},
    {209, "(GMT+6:30) Rangoon"},
    {210, "(GMT+7:00) Bangkok, Hanoi, Jakarta"},
    {211, "(GMT+8:00) Beijing, Hong Kong, Perth, Singapore"},
    {212, "(GMT+9:00) Osaka, Sapporo, Seoul, Tokyo"},
    {213, "(GMT+9:30) Adelaide, Darwin"},
    {214, "(GMT+10:00) Brisbane, Canberra, Melbourne, Sydney"},
    {215, "(GMT+11:00) Magadan, Solomon Is., New Caledonia"},
    {216, "(GMT+12:00) Auckland, Fiji, Wellington"},
    {217, "(GMT+13:00) Nuku'alofa"},
    {218, "32x128 Mono 4096"},
    {220, "32x128 RGB68B"},
    {222, "48x144 RGB68B"},
    {224, "48x160 Mono 4096"},
    {226, "48x160 RGB68B"},
    {228, "64x192 RGB68B"},
    {230, "64x224 Mono 4096"},
    {232, "64x224 RGB68B"},
    {kStrFP9023417, "FP9023417"},
};

} // namespace

std::span<const StringEntry> StringTable()
{
    return kStrings;
}

} // namespace qvxres::detail
