#include "update/package/FirmwareElf.h"

#include "base/PathText.h"
#include "base/WholeFile.h"
#include "update/package/PackageFiles.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr std::uint64_t kElfHeaderSize = 52;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint16_t kTypeExecutable = 2;
constexpr std::uint16_t kMachinePowerPc = 20;
constexpr unsigned char kElfMagic[] = {0x7F, 'E', 'L', 'F'};
constexpr std::size_t kClassAt = 4;
constexpr std::size_t kDataAt = 5;
constexpr unsigned char kClass32 = 1;
constexpr unsigned char kClass64 = 2;
constexpr unsigned char kDataLittle = 1;
constexpr unsigned char kDataBig = 2;
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

std::string ByteCount(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

// Text of any code page: no control characters but the usual white space.
bool IsText(std::span<const unsigned char> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](unsigned char c) {
        return c >= 0x20 || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    });
}

// The section header table must lie whole inside the image, in entries of the one size a 32-bit
// ELF file has, with the name table among them.
std::string SectionTableFault(const BigEndianImage& elf)
{
    const std::uint64_t count = elf.U16(48);
    if (count == 0)
        return {};
    if (elf.U16(46) != kSectionHeaderSize)
        return "its section headers are " + std::to_string(elf.U16(46)) + " bytes each, not 40";
    if (!elf.Holds(elf.U32(32), count * kSectionHeaderSize))
        return "its section header table lies outside the file";
    if (elf.U16(50) >= count)
        return "its section name table is header " + std::to_string(elf.U16(50)) + " of " + std::to_string(count);
    return {};
}

} // namespace

std::string ControllerImageFault(std::span<const unsigned char> image)
{
    const BigEndianImage elf(image);
    if (!elf.Holds(0, sizeof kElfMagic) || std::memcmp(image.data(), kElfMagic, sizeof kElfMagic) != 0)
        return "it is " + ByteCount(image.size()) + (IsText(image) ? " of text" : " without an ELF header");
    if (!elf.Holds(0, kElfHeaderSize))
        return "its ELF header is cut short at " + ByteCount(image.size());
    if (image[kClassAt] == kClass64)
        return "it is a 64-bit ELF file";
    if (image[kClassAt] != kClass32)
        return "its ELF class " + std::to_string(image[kClassAt]) + " is not 32-bit";
    if (image[kDataAt] == kDataLittle)
        return "it is a little-endian ELF file";
    if (image[kDataAt] != kDataBig)
        return "its ELF byte order " + std::to_string(image[kDataAt]) + " is not big-endian";
    if (elf.U16(16) != kTypeExecutable)
        return "it is an ELF file of type " + std::to_string(elf.U16(16)) + ", not an executable";
    if (elf.U16(18) != kMachinePowerPc)
        return "it is an ELF executable for machine " + std::to_string(elf.U16(18)) + ", not for PowerPC";
    return SectionTableFault(elf);
}

bool HasRevisionSection(std::span<const unsigned char> image)
{
    return FindRevisionHeader(BigEndianImage(image)).has_value();
}

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
    const std::string_view stem = std::string_view(path).substr(0, dot);
    return std::string(qvxbase::NamePartOf(stem, qvxbase::PathReading::VersionTitle));
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
    return qvxbase::ReadWholeFile(path, qvxpkg::kMaxImageBytes, image, fault) == qvxbase::FileStatus::Ok;
}
