#pragma once
// Firmware images as the controller takes them: which stored files are images, which images make
// it reboot by itself, and the version an image reports once booted.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace qvxsim {

inline constexpr char kRevisionSection[] = ".m2_rev_id";
inline constexpr std::size_t kRevisionTextSize = 25; // "Gen II Firmware REV 1.2.;"

// A name ending in ".EXE" (any letter case).
bool IsFirmwareImage(const std::string& name);
// An image of the line whose controllers reboot by themselves once they have taken it (the name
// holds "FP9023417"); the other line waits for the reset-display command.
bool RebootsByItself(const std::string& name);

// What `image`, stored as `name`, reports once booted: the name before its last '.', '-', and the
// revision text's characters 20, 22 and 24, each minus '0', as "%d.%d.%d". nullopt when the image
// is not a 32-bit big-endian ELF executable or its revision text has fewer than 25 characters.
std::optional<std::string> BootedVersion(const std::string& name, std::span<const unsigned char> image);

} // namespace qvxsim
