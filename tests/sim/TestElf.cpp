#include "TestElf.h"

namespace simtest {

void PutBe16(Bytes& b, std::size_t at, std::uint32_t v)
{
    b.at(at) = static_cast<unsigned char>(v >> 8);
    b.at(at + 1) = static_cast<unsigned char>(v);
}

void PutBe32(Bytes& b, std::size_t at, std::uint32_t v)
{
    PutBe16(b, at, v >> 16);
    PutBe16(b, at + 2, v);
}

std::uint32_t Be32(const Bytes& b, std::size_t at)
{
    return std::uint32_t{b.at(at)} << 24 | std::uint32_t{b.at(at + 1)} << 16 | std::uint32_t{b.at(at + 2)} << 8
         | b.at(at + 3);
}

std::size_t SectionHeaderAt(const Bytes& elf, unsigned index)
{
    return Be32(elf, kShoffAt) + index * std::size_t{40};
}

Bytes FirmwareElf(const std::string& revision, const std::string& section)
{
    Bytes elf{0x7F, 'E', 'L', 'F', 1, 2, 1};
    elf.resize(52, 0);
    PutBe16(elf, kElfTypeAt, 2);
    PutBe16(elf, 18, 20); // PowerPC
    PutBe32(elf, 20, 1);
    PutBe32(elf, 24, 0x00100000); // entry
    PutBe16(elf, 40, 52);
    PutBe16(elf, kShentsizeAt, 40);
    PutBe16(elf, kShnumAt, 4);
    PutBe16(elf, kShstrndxAt, kNamesIndex);
    const std::string names = std::string("\0.text\0", 7) + section + '\0' + ".shstrtab" + '\0';
    const std::string body = std::string("\x38\x60\0\0\x4E\x80\0\x20", 8) + revision + '\0' + names; // li r3,0; blr
    elf.insert(elf.end(), body.begin(), body.end());
    elf.resize((elf.size() + 3) & ~std::size_t{3}, 0);
    PutBe32(elf, kShoffAt, static_cast<std::uint32_t>(elf.size()));
    elf.resize(elf.size() + 4 * 40, 0);
    const auto header = [&](unsigned index, std::size_t name, std::uint32_t type, std::size_t at, std::size_t size) {
        const std::size_t h = SectionHeaderAt(elf, index);
        PutBe32(elf, h + kShNameAt, static_cast<std::uint32_t>(name));
        PutBe32(elf, h + kShTypeAt, type);
        PutBe32(elf, h + kShOffsetAt, static_cast<std::uint32_t>(at));
        PutBe32(elf, h + kShSizeAt, static_cast<std::uint32_t>(size));
    };
    header(kTextIndex, 1, 1, 52, 8);
    header(kRevisionIndex, kRevisionNameAt, 1, kRevisionAt, revision.size() + 1);
    header(kNamesIndex, kRevisionNameAt + section.size() + 1, 3, kRevisionAt + revision.size() + 1, names.size());
    return elf;
}

} // namespace simtest
