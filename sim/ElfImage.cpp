#include "sim/ElfImage.h"

#include <algorithm>
#include <cstdint>

namespace qvxsim {

namespace {

constexpr std::size_t kElfHeaderSize = 52;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr unsigned char kMagic[] = {0x7F, 'E', 'L', 'F'};
constexpr unsigned char kClass32 = 1;
constexpr unsigned char kBigEndian = 2;
constexpr std::uint32_t kTypeExecutable = 2;
constexpr std::uint32_t kSectionNoBits = 8; // occupies no bytes in the file

// ELF header fields.
constexpr std::size_t kClassAt = 4, kDataAt = 5, kTypeAt = 16, kSectionTableAt = 32, kSectionEntrySizeAt = 46,
                      kSectionCountAt = 48, kNameTableIndexAt = 50;
// Section header fields.
constexpr std::size_t kNameAt = 0, kKindAt = 4, kOffsetAt = 16, kSizeAt = 20;

// Callers check that the field lies inside `data`.
std::uint32_t Be16(std::span<const unsigned char> data, std::size_t at)
{
    return static_cast<std::uint32_t>(data[at]) << 8 | data[at + 1];
}

std::uint32_t Be32(std::span<const unsigned char> data, std::size_t at)
{
    return Be16(data, at) << 16 | Be16(data, at + 2);
}

// Whether [offset, offset + size) lies inside `total` bytes, without overflowing.
bool Inside(std::uint64_t offset, std::uint64_t size, std::size_t total)
{
    return offset <= total && size <= total - offset;
}

// Whether the 0-terminated name at `at` of the name table is `name`.
bool NameIs(std::span<const unsigned char> names, std::size_t at, std::string_view name)
{
    if (at >= names.size() || names.size() - at <= name.size())
        return false; // no room for the name and its terminator
    const std::span<const unsigned char> text = names.subspan(at, name.size());
    return std::equal(text.begin(), text.end(), name.begin(), name.end(),
                      [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); })
        && names[at + name.size()] == 0;
}

} // namespace

std::optional<ElfImage> ElfImage::Open(std::span<const unsigned char> file)
{
    if (file.size() < kElfHeaderSize || !std::equal(std::begin(kMagic), std::end(kMagic), file.begin())
        || file[kClassAt] != kClass32 || file[kDataAt] != kBigEndian || Be16(file, kTypeAt) != kTypeExecutable)
        return std::nullopt;
    return ElfImage(file);
}

std::optional<std::span<const unsigned char>> ElfImage::Section(std::string_view name) const
{
    const std::uint64_t tableAt = Be32(m_file, kSectionTableAt);
    const std::uint64_t entrySize = Be16(m_file, kSectionEntrySizeAt);
    const std::uint64_t count = Be16(m_file, kSectionCountAt); // at most 65535: the loop's bound
    const std::uint64_t namesIndex = Be16(m_file, kNameTableIndexAt);
    if (count == 0 || entrySize < kSectionHeaderSize || namesIndex >= count
        || !Inside(tableAt, count * entrySize, m_file.size()))
        return std::nullopt;
    const auto at = [&](std::uint64_t index) { return static_cast<std::size_t>(tableAt + index * entrySize); };
    const std::optional<std::span<const unsigned char>> names = Contents(HeaderAt(at(namesIndex)));
    if (!names)
        return std::nullopt;
    for (std::uint64_t index = 0; index < count; ++index) {
        const SectionHeader header = HeaderAt(at(index));
        if (NameIs(*names, header.name, name))
            return Contents(header);
    }
    return std::nullopt;
}

ElfImage::SectionHeader ElfImage::HeaderAt(std::size_t at) const
{
    const std::span<const unsigned char> entry = m_file.subspan(at, kSectionHeaderSize);
    return {Be32(entry, kNameAt), Be32(entry, kKindAt), Be32(entry, kOffsetAt), Be32(entry, kSizeAt)};
}

std::optional<std::span<const unsigned char>> ElfImage::Contents(const SectionHeader& header) const
{
    if (header.type == kSectionNoBits || !Inside(header.offset, header.size, m_file.size()))
        return std::nullopt;
    return m_file.subspan(header.offset, header.size);
}

} // namespace qvxsim
