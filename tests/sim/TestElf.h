#pragma once
// Small firmware images for the tests: 32-bit big-endian PowerPC ELF executables with a .text, the
// revision section and a section name table, and the offsets of the fields hostile images change.

#include "HostPort.h"

#include <cstdint>
#include <string>

namespace simtest {

// ELF header fields.
inline constexpr std::size_t kElfClassAt = 4, kElfDataAt = 5, kElfTypeAt = 16, kShoffAt = 32, kShentsizeAt = 46,
                             kShnumAt = 48, kShstrndxAt = 50;
// Section header fields.
inline constexpr std::size_t kShNameAt = 0, kShTypeAt = 4, kShOffsetAt = 16, kShSizeAt = 20;
enum : unsigned { kTextIndex = 1, kRevisionIndex = 2, kNamesIndex = 3 };
// Where the revision text starts, and the revision section's name in the name table.
inline constexpr std::size_t kRevisionAt = 60, kRevisionNameAt = 7;

// The revision section, named `section`, holds `revision` and a terminating 0.
Bytes FirmwareElf(const std::string& revision = "Gen II Firmware REV 1.2.;", const std::string& section = ".m2_rev_id");
// Offset of section `index`'s header.
std::size_t SectionHeaderAt(const Bytes& elf, unsigned index);

void PutBe16(Bytes& b, std::size_t at, std::uint32_t v);
void PutBe32(Bytes& b, std::size_t at, std::uint32_t v);
std::uint32_t Be32(const Bytes& b, std::size_t at);

} // namespace simtest
