#include "TestElf.h"

namespace simtest {

namespace {

constexpr std::size_t kHeaderSize = 52;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr char kNames[] = "\0.text\0.m2_rev_id\0.shstrtab"; // sizeof includes the final 0

void Append(Bytes& b, const Bytes& more)
{
    b.insert(b.end(), more.begin(), more.end());
}

Bytes SectionHeader(std::uint32_t name, std::uint32_t type, std::uint32_t offset, std::uint32_t size)
{
    Bytes h(kSectionHeaderSize, 0);
    PutBe32(h, kShNameAt, name);
    PutBe32(h, kShTypeAt, type);
    PutBe32(h, kShOffsetAt, offset);
    PutBe32(h, kShSizeAt, size);
    return h;
}

} // namespace

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

Bytes FirmwareElf(const std::string& revision)
{
    Bytes elf(kHeaderSize, 0);
    const unsigned char ident[] = {0x7F, 'E', 'L', 'F', 1, 2, 1};
    std::copy(std::begin(ident), std::end(ident), elf.begin());
    PutBe16(elf, kElfTypeAt, 2);
    PutBe16(elf, 18, 20); // PowerPC
    PutBe32(elf, 20, 1);
    PutBe32(elf, 24, 0x00100000); // entry
    PutBe16(elf, 40, kHeaderSize);
    PutBe16(elf, kShentsizeAt, kSectionHeaderSize);
    PutBe16(elf, kShnumAt, 4);
    PutBe16(elf, kShstrndxAt, kNamesIndex);

    const std::uint32_t textAt = static_cast<std::uint32_t>(elf.size());
    Append(elf, {0x38, 0x60, 0x00, 0x00, 0x4E, 0x80, 0x00, 0x20}); // li r3,0; blr
    const std::uint32_t revisionAt = static_cast<std::uint32_t>(elf.size()); // kRevisionAt
    Append(elf, Bytes(revision.begin(), revision.end()));
    elf.push_back(0);
    const std::uint32_t namesAt = static_cast<std::uint32_t>(elf.size());
    Append(elf, Bytes(std::begin(kNames), std::end(kNames)));
    elf.resize((elf.size() + 3) & ~std::size_t{3}, 0);

    PutBe32(elf, kShoffAt, static_cast<std::uint32_t>(elf.size()));
    Append(elf, SectionHeader(0, 0, 0, 0));
    Append(elf, SectionHeader(1, 1, textAt, 8));
    Append(elf, SectionHeader(kRevisionNameAt, 1, revisionAt, static_cast<std::uint32_t>(revision.size() + 1)));
    Append(elf, SectionHeader(18, 3, namesAt, sizeof kNames));
    return elf;
}

std::size_t SectionHeaderAt(const Bytes& elf, unsigned index)
{
    const std::size_t table = std::size_t{elf.at(kShoffAt)} << 24 | std::size_t{elf.at(kShoffAt + 1)} << 16
                            | std::size_t{elf.at(kShoffAt + 2)} << 8 | elf.at(kShoffAt + 3);
    return table + index * kSectionHeaderSize;
}

} // namespace simtest
