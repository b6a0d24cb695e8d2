#include "update/package/FirmwareElf.h"

#include "update/package/PackageFiles.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint64_t kElfHeaderSize = 52;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint16_t kTypeExecutable = 2;
constexpr char kRevisionSection[] = ".m2_rev_id";
constexpr std::uint64_t kRevisionNameChars = sizeof kRevisionSection - 1;
constexpr std::uint64_t kRevisionChars = 25;

// Reads within the image only; offsets are 64-bit so offset + length never wraps.
class BigEndianImage {
public:
    explicit BigEndianImage(std::span<const unsigned char> bytes) : m_bytes(bytes) {}

    bool Holds(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
    }
    std::uint16_t U16(std::uint64_t offset) const
    {
        const unsigned char* p = m_bytes.data() + offset;
        return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
    }
    std::uint32_t U32(std::uint64_t offset) const
    {
        const unsigned char* p = m_bytes.data() + offset;
        return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
               static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
    }
    const unsigned char* At(std::uint64_t offset) const { return m_bytes.data() + offset; }

private:
    std::span<const unsigned char> m_bytes;
};

// The section header of the revision text, if the image has one.
std::optional<std::uint64_t> FindRevisionHeader(const BigEndianImage& elf)
{
    if (!elf.Holds(0, kElfHeaderSize) || elf.U16(16) != kTypeExecutable)
        return std::nullopt;
    const std::uint64_t table = elf.U32(32);
    const std::uint64_t count = elf.U16(48);
    const std::uint64_t namesHeader = table + elf.U16(50) * kSectionHeaderSize;
    if (!elf.Holds(namesHeader, kSectionHeaderSize))
        return std::nullopt;
    const std::uint64_t names = elf.U32(namesHeader + 16);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t header = table + i * kSectionHeaderSize;
        if (!elf.Holds(header, kSectionHeaderSize))
            break;
        const std::uint64_t name = names + elf.U32(header);
        // A name that ends too early cannot be the revision's, so a short read is no match.
        if (elf.Holds(name, kRevisionNameChars) &&
            std::memcmp(elf.At(name), kRevisionSection, kRevisionNameChars) == 0)
            return header;
    }
    return std::nullopt;
}

} // namespace

std::string FirmwareRevisionOf(std::span<const unsigned char> image)
{
    const BigEndianImage elf(image);
    const auto header = FindRevisionHeader(elf);
    if (!header)
        return {};
    const std::uint64_t offset = elf.U32(*header + 16);
    const std::uint64_t size = elf.U32(*header + 20);
    if (size < kRevisionChars || !elf.Holds(offset, kRevisionChars))
        return {};
    const unsigned char* text = elf.At(offset);
    if (std::find(text, text + kRevisionChars, 0) != text + kRevisionChars)
        return {};
    // Digits as the controller's own tools read them: a byte minus '0', as a signed char.
    const auto digit = [text](int position) { return static_cast<signed char>(text[position]) - '0'; };
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, "%d.%d.%d", digit(20), digit(22), digit(24));
    return numbers;
}

std::optional<std::string> FirmwareTitleOf(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return std::nullopt;
    const std::string stem = path.substr(0, dot);
#ifdef _WIN32
    const std::size_t folder = stem.rfind('\\');
#else
    const std::size_t folder = stem.find_last_of("\\/");
#endif
    return folder == std::string::npos ? stem : stem.substr(folder + 1);
}

std::string FirmwareVersionFromImage(std::span<const unsigned char> image, const std::string& path)
{
    const std::string revision = FirmwareRevisionOf(image);
    const auto title = FirmwareTitleOf(path);
    if (!title)
        return revision;
    return *title + "-" + revision;
}

std::string GetFirmwareVersionFromFile(const std::string& path)
{
    std::vector<unsigned char> image;
    std::string fault;
    if (!LoadFirmwareImage(path, image, fault))
        image.clear();
    return FirmwareVersionFromImage(image, path);
}

bool LoadFirmwareImage(const std::string& path, std::vector<unsigned char>& image, std::string& fault)
{
    return qvxpkg::ReadWholeFile(path, qvxpkg::kMaxImageBytes, image, fault) == qvxpkg::FileStatus::Ok;
}
