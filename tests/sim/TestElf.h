#pragma once
// Small firmware images for the tests: 32-bit big-endian PowerPC ELF executables with a .text,
// a .m2_rev_id and a section name table, and the offsets of the fields hostile images change.

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
// Where the revision text starts in images made by FirmwareElf.
inline constexpr std::size_t kRevisionAt = 60;
// Where the name ".m2_rev_id" starts in the name table ("\0.text\0.m2_rev_id\0.shstrtab\0").
inline constexpr std::size_t kRevisionNameAt = 7;

// The revision section holds `revision` and a terminating 0.
Bytes FirmwareElf(const std::string& revision);
// Offset of section `index`'s header in an image made by FirmwareElf.
std::size_t SectionHeaderAt(const Bytes& elf, unsigned index);

void PutBe16(Bytes& b, std::size_t at, std::uint32_t v);
void PutBe32(Bytes& b, std::size_t at, std::uint32_t v);

} // namespace simtest
