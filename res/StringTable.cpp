// The string table: one line per entry, ids as Resources.h names them.
#include "res/Resources.h"
#include "res/ResourceTable.h"

namespace qvxres::detail {

namespace {

constexpr StringEntry kStrings[] = {
    {kStrFX40211Version, "FX40211-1.02.11"},
    {kStrFP9023417Version, "FP9023417-3.11.3"},
    {kStrFP9023417, "FP9023417"},
};

} // namespace

std::span<const StringEntry> StringTable()
{
    return kStrings;
}

} // namespace qvxres::detail
