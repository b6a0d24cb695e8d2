#include "res/Resources.h"

#include "res/ResourceTable.h"

#include <cstdint>

namespace qvxres {

namespace {

// Resource types match without regard to case, as they do in Windows resources.
bool SameType(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

} // namespace

std::span<const unsigned char> FindEmbeddedResource(std::string_view type, int id)
{
    for (const auto& resource : detail::EmbeddedResources()) {
        if (resource.id == id && SameType(resource.type, type)) {
            // The two labels belong to one block of data, so measure between their addresses.
            const auto size = static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(resource.end) -
                                                       reinterpret_cast<std::uintptr_t>(resource.begin));
            return {resource.begin, size};
        }
    }
    return {};
}

std::string LoadEmbeddedString(int id)
{
    for (const auto& entry : detail::StringTable()) {
        if (entry.id == id)
            return std::string(entry.text);
    }
    return {};
}

} // namespace qvxres
