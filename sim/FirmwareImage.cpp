#include "sim/FirmwareImage.h"

#include "sim/ElfImage.h"
#include "sim/FileStore.h"

#include <algorithm>

namespace qvxsim {

namespace {

constexpr char kImageSuffix[] = ".EXE";
constexpr char kSelfRebootingLine[] = "FP9023417";
constexpr std::size_t kVersionAt[] = {20, 22, 24};

} // namespace

bool IsFirmwareImage(const std::string& name)
{
    return UpperCase(name).ends_with(kImageSuffix);
}

bool RebootsByItself(const std::string& name)
{
    return IsFirmwareImage(name) && UpperCase(name).find(kSelfRebootingLine) != std::string::npos;
}

std::optional<std::string> BootedVersion(const std::string& name, std::span<const unsigned char> image)
{
    const std::optional<ElfImage> elf = ElfImage::Open(image);
    const auto section = elf ? elf->Section(kRevisionSection) : std::nullopt;
    if (!section)
        return std::nullopt;
    // The text ends at its first 0 or with the section.
    const auto end = std::find(section->begin(), section->end(), 0);
    if (static_cast<std::size_t>(end - section->begin()) < kRevisionTextSize)
        return std::nullopt;
    std::string version = name.substr(0, name.rfind('.'));
    for (std::size_t i = 0; i < std::size(kVersionAt); ++i) {
        version += i == 0 ? '-' : '.';
        version += std::to_string(static_cast<int>((*section)[kVersionAt[i]]) - '0');
    }
    return version;
}

} // namespace qvxsim
