// qvx-mkfirm: writes a stand-in controller image, for builds that do not have the maker's.
//
//   qvx-mkfirm <output> <size in bytes> <major.minor.build>
//
// The image is a 32-bit big-endian PowerPC ELF executable of exactly the given size: one loadable
// segment holding .text and .m2_rev_id, then .shstrtab and the section header table. .text is
// filled from a fixed-seed generator with instruction words drawn the way compiled code uses them
// (a few opcodes and registers most of the time, varied immediates and branch targets), so the
// image compresses about as well as real firmware (roughly 2.5:1) and the same arguments always
// give the same bytes.
#include "base/WholeFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kTextOffset = 0x100;
constexpr std::uint32_t kLoadAddress = 0x00010000;
constexpr std::uint32_t kRevisionSize = 32; // the 25-character text, zero-padded
constexpr char kSectionNames[] = "\0.text\0.m2_rev_id\0.shstrtab"; // with its final zero: 28 bytes
constexpr std::uint32_t kSectionNamesSize = sizeof kSectionNames;
constexpr std::uint32_t kTextName = 1;
constexpr std::uint32_t kRevisionName = 7;
constexpr std::uint32_t kSectionNamesName = 18;
constexpr std::uint32_t kSectionCount = 4;
constexpr std::uint32_t kSectionHeaderSize = 40;
// Tuned so whole images compress about 2.5:1 with zlib's default level.
constexpr std::uint32_t kIdiomPercent = 9;
constexpr std::size_t kIdiomCount = 4096;
constexpr std::uint32_t kFixedSize = kTextOffset + kRevisionSize + kSectionNamesSize + kSectionCount * kSectionHeaderSize;

class Image {
public:
    explicit Image(std::size_t size) : m_bytes(size, 0) {}
    void U8(std::size_t at, std::uint32_t v) { m_bytes[at] = static_cast<unsigned char>(v); }
    void U16(std::size_t at, std::uint32_t v)
    {
        U8(at, v >> 8);
        U8(at + 1, v);
    }
    void U32(std::size_t at, std::uint32_t v)
    {
        U16(at, v >> 16);
        U16(at + 2, v);
    }
    void Text(std::size_t at, const char* text, std::size_t length)
    {
        for (std::size_t i = 0; i < length; ++i)
            U8(at + i, static_cast<unsigned char>(text[i]));
    }
    const std::vector<unsigned char>& Bytes() const { return m_bytes; }

private:
    std::vector<unsigned char> m_bytes;
};

// xorshift64*: small, fast, and the same on every platform (unlike the standard distributions).
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed != 0 ? seed : 0x9E3779B97F4A7C15ull) {}
    std::uint32_t Next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return static_cast<std::uint32_t>((m_state * 0x2545F4914F6CDD1Dull) >> 32);
    }
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>((std::uint64_t{Next()} * n) >> 32); }
    // Small values much more often than large ones: each step up taken with probability 1/2.
    std::uint32_t Geometric(std::uint32_t limit)
    {
        std::uint32_t value = 0;
        while (value + 1 < limit && (Next() & 1) != 0)
            ++value;
        return value;
    }
    // An index into weights, chosen in proportion to them.
    template <std::size_t N>
    std::size_t Pick(const std::uint32_t (&weights)[N])
    {
        std::uint32_t total = 0;
        for (const std::uint32_t w : weights)
            total += w;
        std::uint32_t r = Below(total);
        for (std::size_t i = 0; i < N; ++i) {
            if (r < weights[i])
                return i;
            r -= weights[i];
        }
        return N - 1;
    }

private:
    std::uint64_t m_state;
};

// Instruction words of compiled PowerPC code.
class CodeWriter {
public:
    CodeWriter(Random& random, std::uint32_t words) : m_random(random), m_words(words)
    {
        m_idioms.resize(kIdiomCount);
        for (auto& idiom : m_idioms) {
            const std::uint32_t length = 2 + m_random.Geometric(5);
            for (std::uint32_t i = 0; i < length; ++i)
                idiom.push_back(BodyWord(32));
        }
    }

    // One function's words, into code (reused, so its storage is allocated once).
    void Function(std::vector<std::uint32_t>& code)
    {
        code.clear();
        const std::uint32_t frame = 16 + 8 * m_random.Geometric(8);
        const std::uint32_t saved = m_random.Geometric(4);
        // Prologue: frame, link register, callee-saved registers.
        code.push_back(D(37, 1, 1, (0x10000 - frame) & 0xFFFF)); // stwu r1,-frame(r1)
        code.push_back(0x7C0802A6);                            // mflr r0
        code.push_back(D(36, 0, 1, frame + 4));                // stw r0,frame+4(r1)
        for (std::uint32_t i = 0; i < saved; ++i)
            code.push_back(D(36, 31 - i, 1, frame - 4 - 4 * i));
        const std::uint32_t body = 4 + m_random.Geometric(12) * 6 + m_random.Below(10);
        for (std::uint32_t i = 0; i < body; ++i) {
            // Compilers emit the same short sequences over and over (address loads, field
            // accesses, calls with their argument set-up): that repetition is what makes code
            // compress, so much of a body is drawn from a fixed set of such idioms.
            if (m_random.Below(100) < kIdiomPercent) {
                const auto& idiom = m_idioms[IdiomIndex()];
                code.insert(code.end(), idiom.begin(), idiom.end());
                i += static_cast<std::uint32_t>(idiom.size()) - 1;
            } else {
                code.push_back(BodyWord(frame));
            }
        }
        // Epilogue.
        for (std::uint32_t i = 0; i < saved; ++i)
            code.push_back(D(32, 31 - i, 1, frame - 4 - 4 * i));
        code.push_back(D(32, 0, 1, frame + 4)); // lwz r0,frame+4(r1)
        code.push_back(0x7C0803A6);             // mtlr r0
        code.push_back(D(14, 1, 1, frame));     // addi r1,r1,frame
        code.push_back(0x4E800020);             // blr
    }

private:
    // Zipf-like: a few idioms are everywhere, most are rare.
    std::size_t IdiomIndex()
    {
        const std::uint32_t band = m_random.Geometric(12);
        const std::uint32_t first = (1u << band) - 1;
        const std::uint32_t width = 1u << band;
        return std::min<std::size_t>(first + m_random.Below(width), kIdiomCount - 1);
    }

    static std::uint32_t D(std::uint32_t op, std::uint32_t d, std::uint32_t a, std::uint32_t imm)
    {
        return op << 26 | (d & 31) << 21 | (a & 31) << 16 | (imm & 0xFFFF);
    }
    static std::uint32_t X(std::uint32_t d, std::uint32_t a, std::uint32_t b, std::uint32_t xo)
    {
        return 31u << 26 | (d & 31) << 21 | (a & 31) << 16 | (b & 31) << 11 | xo << 1;
    }
    // Argument and scratch registers most, then the saved ones, then the rest.
    std::uint32_t Reg()
    {
        static const std::uint32_t kWeights[] = {4, 0, 1, 30, 22, 14, 9, 6, 4, 12, 10, 8, 3,
                                                 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                 1, 2, 3, 5, 8, 14};
        return static_cast<std::uint32_t>(m_random.Pick(kWeights));
    }
    std::uint32_t SmallImmediate()
    {
        switch (m_random.Below(8)) {
        case 0:
        case 1:
        case 2:
            return m_random.Geometric(6);
        case 3:
        case 4:
            return 4 * m_random.Geometric(10);
        case 5:
            return (0x10000 - 1 - m_random.Geometric(4)) & 0xFFFF;
        default:
            return m_random.Below(0x100) & ~3u;
        }
    }
    std::uint32_t BodyWord(std::uint32_t frame)
    {
        static const std::uint32_t kWeights[] = {16, 18, 12, 6, 6, 8, 10, 7, 5, 4, 4, 3, 3, 2, 2, 4, 3};
        switch (m_random.Pick(kWeights)) {
        case 0: // lwz rD,d(rA)
            return D(32, Reg(), Reg(), SmallImmediate());
        case 1: // stw / lwz on the frame
            return D(m_random.Below(2) != 0 ? 36 : 32, Reg(), 1, 8 + 4 * m_random.Below(frame / 4));
        case 2: // addi / li
            return D(14, Reg(), m_random.Below(3) == 0 ? 0 : Reg(), SmallImmediate());
        case 3: // lis / addis with an address's high half
            return D(15, Reg(), 0, 0x0001 + m_random.Geometric(6));
        case 4: // ori / andi.
            return D(m_random.Below(2) != 0 ? 24 : 28, Reg(), Reg(), SmallImmediate());
        case 5: // mr rA,rS
        {
            const std::uint32_t s = Reg();
            return X(s, Reg(), s, 444);
        }
        case 6: // cmpwi / cmplwi crf0 or crf7
            return (m_random.Below(3) != 0 ? 11u : 10u) << 26 | (m_random.Below(4) == 0 ? 7u : 0u) << 23 |
                   Reg() << 16 | SmallImmediate();
        case 7: // bc: beq, bne, blt, bge a short way on
        {
            static const std::uint32_t kBo[] = {12, 4, 12, 4};
            static const std::uint32_t kBi[] = {2, 2, 0, 0};
            const std::uint32_t which = m_random.Below(4);
            const std::uint32_t distance = 2 + m_random.Geometric(10) * 3 + m_random.Below(4);
            return 16u << 26 | kBo[which] << 21 | kBi[which] << 16 | ((distance * 4) & 0xFFFC);
        }
        case 8: // bl to another function
            return 18u << 26 | (((m_words - m_random.Below(m_words)) * 4) & 0x03FFFFFC) | 1;
        case 9: // b a short way
            return 18u << 26 | (((1 + m_random.Geometric(12)) * 4) & 0x03FFFFFC);
        case 10: // add / subf
            return X(Reg(), Reg(), Reg(), m_random.Below(2) != 0 ? 266 : 40);
        case 11: // rlwinm (shifts and masks)
            return 21u << 26 | Reg() << 21 | Reg() << 16 | m_random.Below(32) << 11 | m_random.Below(32) << 6 |
                   m_random.Below(32) << 1;
        case 12: // lbz / stb
            return D(m_random.Below(2) != 0 ? 34 : 38, Reg(), Reg(), m_random.Geometric(8));
        case 13: // lhz / sth
            return D(m_random.Below(2) != 0 ? 40 : 44, Reg(), Reg(), 2 * m_random.Geometric(8));
        case 14: // and / or / xor
        {
            static const std::uint32_t kXo[] = {28, 444, 316};
            return X(Reg(), Reg(), Reg(), kXo[m_random.Below(3)]);
        }
        case 15: // nop
            return 0x60000000;
        default: // lwzx / stwx
            return X(Reg(), Reg(), Reg(), m_random.Below(2) != 0 ? 23 : 151);
        }
    }

    Random& m_random;
    std::uint32_t m_words;
    std::vector<std::vector<std::uint32_t>> m_idioms;
};

bool ParseRevision(const std::string& text, int (&numbers)[3])
{
    // Each number becomes one character, '0' + n, which must stay printable.
    if (std::sscanf(text.c_str(), "%d.%d.%d", &numbers[0], &numbers[1], &numbers[2]) != 3)
        return false;
    for (const int n : numbers) {
        if (n < 0 || n > '~' - '0')
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: qvx-mkfirm <output> <size in bytes> <major.minor.build>\n");
        return 2;
    }
    const std::string output = argv[1];
    char* end = nullptr;
    const unsigned long long size = std::strtoull(argv[2], &end, 10);
    int numbers[3];
    if (end == argv[2] || *end != '\0' || size < kFixedSize + 64 || size > (64ull << 20) ||
        !ParseRevision(argv[3], numbers)) {
        std::fprintf(stderr, "qvx-mkfirm: need a size of %u bytes to 64 MiB and a revision like 1.2.11\n",
                     kFixedSize + 64);
        return 2;
    }

    // .text takes what the fixed parts leave, in whole words; the rest pads the revision section.
    const auto total = static_cast<std::uint32_t>(size);
    const std::uint32_t textSize = (total - kFixedSize) & ~3u;
    const std::uint32_t revisionSize = kRevisionSize + (total - kFixedSize - textSize);
    const std::uint32_t revisionOffset = kTextOffset + textSize;
    const std::uint32_t namesOffset = revisionOffset + revisionSize;
    const std::uint32_t tableOffset = namesOffset + kSectionNamesSize;

    Image image(total);
    // ELF header: 32-bit, big-endian, current version, System V; an executable for PowerPC.
    image.Text(0, "\x7f" "ELF\x01\x02\x01", 7);
    image.U16(16, 2);
    image.U16(18, 20);
    image.U32(20, 1);
    image.U32(24, kLoadAddress + kTextOffset);
    image.U32(28, 52);
    image.U32(32, tableOffset);
    image.U32(36, 0);
    image.U16(40, 52);
    image.U16(42, 32);
    image.U16(44, 1);
    image.U16(46, kSectionHeaderSize);
    image.U16(48, kSectionCount);
    image.U16(50, 3);
    // The loadable segment: .text and the revision, read and execute.
    image.U32(52, 1);
    image.U32(56, kTextOffset);
    image.U32(60, kLoadAddress + kTextOffset);
    image.U32(64, kLoadAddress + kTextOffset);
    image.U32(68, textSize + revisionSize);
    image.U32(72, textSize + revisionSize);
    image.U32(76, 5);
    image.U32(80, 0x10000);

    Random random(0x51A7E5EEDull ^ (std::uint64_t{total} << 20) ^
                  static_cast<std::uint64_t>(numbers[0] << 16 | numbers[1] << 8 | numbers[2]));
    CodeWriter writer(random, textSize / 4);
    std::uint32_t at = kTextOffset;
    std::vector<std::uint32_t> code;
    while (at < revisionOffset) {
        writer.Function(code);
        for (const std::uint32_t word : code) {
            if (at >= revisionOffset)
                break;
            image.U32(at, word);
            at += 4;
        }
    }

    char revision[32];
    std::snprintf(revision, sizeof revision, "Gen II Firmware REV %c.%c.%c", '0' + numbers[0], '0' + numbers[1],
                  '0' + numbers[2]);
    image.Text(revisionOffset, revision, 25);
    image.Text(namesOffset, kSectionNames, kSectionNamesSize);

    // Section headers: name, type, flags, address, offset, size, link, info, alignment, entry size.
    const auto section = [&](std::uint32_t index, const std::uint32_t (&fields)[10]) {
        for (std::uint32_t i = 0; i < 10; ++i)
            image.U32(tableOffset + index * kSectionHeaderSize + 4 * i, fields[i]);
    };
    section(1, {kTextName, 1, 6, kLoadAddress + kTextOffset, kTextOffset, textSize, 0, 0, 4, 0});
    section(2, {kRevisionName, 1, 2, kLoadAddress + revisionOffset, revisionOffset, revisionSize, 0, 0, 1, 0});
    section(3, {kSectionNamesName, 3, 0, 0, namesOffset, kSectionNamesSize, 0, 0, 1, 0});

    // Replaced whole: a build stopped half-way must not leave a cut image for the packing step.
    const std::span<const unsigned char> bytes(image.Bytes().data(), total);
    std::string fault;
    if (!qvxbase::ReplaceFileAtomically(output, std::span(&bytes, 1), fault)) {
        std::fprintf(stderr, "qvx-mkfirm: cannot write %s: %s\n", output.c_str(), fault.c_str());
        return 1;
    }
    return 0;
}
