// The firmware version of an image, as the tool reads it (the revision section of a big-endian ELF
// executable, the title from the path) and as the stand-in controller boots it; images that are
// truncated, hostile or not ELF at all, through both readers.
#include "../sim/TestElf.h"
#include "PackageTestSupport.h"

#include "sim/FirmwareImage.h"
#include "update/package/FirmwareElf.h"

#include <gtest/gtest.h>

#include <functional>

using namespace pkgtest;
using namespace simtest; // the image builder and its field offsets
using pkgtest::Bytes;

namespace {

// The version the controller boots from the image stored as FX40211.EXE; "" when it refuses it.
std::string Booted(const Bytes& image)
{
    return qvxsim::BootedVersion("FX40211.EXE", image).value_or("");
}

TEST(FirmwareElf, ReadsTheRevisionDigits)
{
    const struct {
        const char* text;
        const char* revision;
    } cases[] = {
        {"Gen II Firmware REV 1.2.;", "1.2.11"}, // ';' is '0' + 11
        {"Gen II Firmware REV 9x9y9", "9.9.9"},  // only the three positions count
        {"Gen II Firmware REV 1.2./", "1.2.-1"}, // below '0' reads negative, as the controller's tools do
        {"xxxxxxxxxxxxxxxxxxxxAxBxC", "17.18.19"},
        {"Gen II Firmware REV 1.2.3 and more", "1.2.3"},
        {"Gen II Firmware REV 1.2.", ""}, // 24 characters: too short
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirmwareRevisionOf(FirmwareElf(c.text)), c.revision) << c.text;
        EXPECT_EQ(Booted(FirmwareElf(c.text)), *c.revision ? std::string("FX40211-") + c.revision : "") << c.text;
    }
    EXPECT_EQ(qvxsim::BootedVersion("A.B.EXE", FirmwareElf()), "A.B-1.2.11");
}

TEST(FirmwareElf, VersionJoinsTitleAndRevision)
{
    const struct {
        const char* path;
        bool elf;
        const char* version;
    } cases[] = {
        {"C:\\fw\\FX40211.EXE", true, "FX40211-1.2.11"},
        {"D:\\x\\NEW.EXE", false, "NEW-"},
        {"/tmp/fw/FX40211.EXE", true, "FX40211-1.2.11"},
        {"FX40211.B.EXE", true, "FX40211.B-1.2.11"}, // only the last '.' ends the title
        {"C:FX40211.EXE", true, "C:FX40211-1.2.11"}, // a colon does not end the folder here
        {"C:\\fw\\.EXE", true, "-1.2.11"},
        {"FX40211", true, "1.2.11"}, // no '.': the bare revision
        {"FX40211", false, ""},
        {"fw.d/FX40211", true, "fw-1.2.11"}, // the last '.' of the whole path decides
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirmwareVersionFromImage(c.elf ? FirmwareElf() : TextLike(4096), c.path), c.version) << c.path;
    EXPECT_EQ(GetFirmwareVersionFromFile("/nonexistent/MISSING.EXE"), "MISSING-");
}

TEST(FirmwareElf, BothReadersRefuseHostileImages)
{
    using Change = std::function<void(Bytes&)>;
    const auto field = [](unsigned section, std::size_t at, std::uint32_t value) -> Change {
        return [=](Bytes& b) { PutBe32(b, SectionHeaderAt(b, section) + at, value); };
    };
    const auto header16 = [](std::size_t at, std::uint32_t value) -> Change {
        return [=](Bytes& b) { PutBe16(b, at, value); };
    };
    const auto image = [](const char* section) -> Change {
        return [=](Bytes& b) { b = FirmwareElf("Gen II Firmware REV 1.2.;", section); };
    };
    const auto namesAt = [](const Bytes& b) { return Be32(b, SectionHeaderAt(b, kNamesIndex) + kShOffsetAt); };
    const auto size = static_cast<std::uint32_t>(FirmwareElf().size());
    const char* const any = nullptr; // the tool does not look at that field: its reading is not checked
    const struct {
        const char* label;
        Change change;
        const char* tool = ""; // the revision the tool reads
        const char* booted = ""; // the version the controller boots
    } cases[] = {
        {"good", [](Bytes&) {}, "1.2.11", "FX40211-1.2.11"},
        {"no 0 after the text", field(kRevisionIndex, kShSizeAt, 25), "1.2.11", "FX40211-1.2.11"},
        {"text, not ELF", [](Bytes& b) { b = TextLike(5000); }},
        {"not an ELF file", [](Bytes& b) { b[1] = 'e'; }, any},
        {"64-bit", [](Bytes& b) { b[kElfClassAt] = 2; }, any},
        {"little-endian", [](Bytes& b) { b[kElfDataAt] = 1; }, any},
        {"relocatable, not executable", header16(kElfTypeAt, 1)},
        {"type in the other byte order", header16(kElfTypeAt, 0x0200)},
        {"section table at the last byte", [=](Bytes& b) { PutBe32(b, kShoffAt, size - 1); }},
        {"section table wraps around", [](Bytes& b) { PutBe32(b, kShoffAt, 0xFFFFFFF0); }},
        {"entries shorter than a header", header16(kShentsizeAt, 39), any},
        {"entries longer than the file allows", header16(kShentsizeAt, 0xFFFF), any},
        {"no sections", header16(kShnumAt, 0)},
        // The tool reads the headers that are there; the controller wants the whole table.
        {"65535 sections", header16(kShnumAt, 0xFFFF), "1.2.11", ""},
        {"65535 sections, none named", [&](Bytes& b) {
             image(".other")(b);
             PutBe16(b, kShnumAt, 0xFFFF);
         }},
        {"name table index out of range", header16(kShstrndxAt, 4)},
        {"name table past the end", field(kNamesIndex, kShOffsetAt, 0xFFFFFFFF)},
        {"name table longer than the file", field(kNamesIndex, kShSizeAt, 0xFFFFFFFF), any},
        {"name table without bytes", field(kNamesIndex, kShTypeAt, 8), any},
        {"name offset wraps", field(kRevisionIndex, kShNameAt, 0xFFFFFFFF)},
        {"name cut off by the table's end", field(kNamesIndex, kShSizeAt, kRevisionNameAt + 10), any},
        {"name cut off by the file's end", [&](Bytes& b) { // ".m2_r" right at the end
             const std::string partial = ".m2_r";
             b.insert(b.end(), partial.begin(), partial.end());
             PutBe32(b, SectionHeaderAt(b, kRevisionIndex), static_cast<std::uint32_t>(b.size() - 5 - namesAt(b)));
         }},
        // The tool compares the first ten characters of a name, the controller the whole name.
        {"longer name", image(".m2_rev_id_extra"), "1.2.11", ""},
        {"shorter name", image(".m2_rev_i")},
        {"no revision section", field(kRevisionIndex, kShNameAt, 1)},
        {"first match is .text", field(kTextIndex, kShNameAt, kRevisionNameAt)}, // and too short
        {"revision section wraps around", [](Bytes& b) {
             PutBe32(b, SectionHeaderAt(b, kRevisionIndex) + kShOffsetAt, 0xFFFFFF00);
             PutBe32(b, SectionHeaderAt(b, kRevisionIndex) + kShSizeAt, 0x200);
         }},
        {"revision text runs over the end", field(kRevisionIndex, kShOffsetAt, size - 24)},
        {"revision section longer than the file", field(kRevisionIndex, kShSizeAt, 0x10000), any},
        {"revision section without bytes", field(kRevisionIndex, kShTypeAt, 8), any},
        {"revision section of 24 bytes", field(kRevisionIndex, kShSizeAt, 24)},
        {"revision text ended by a 0 at its last place", [](Bytes& b) { b[kRevisionAt + 24] = 0; }},
    };
    for (const auto& c : cases) {
        Bytes changed = FirmwareElf();
        c.change(changed);
        const Bytes exact(changed); // a copy of exactly its size, so ASan sees any read past it
        const std::string tool = FirmwareRevisionOf(exact); // read even where unchecked: ASan watches
        if (c.tool != nullptr) {
            EXPECT_EQ(tool, c.tool) << c.label;
        }
        EXPECT_EQ(Booted(exact), c.booted) << c.label;
    }
    const Bytes full = FirmwareElf();
    for (std::size_t length = 0; length < full.size(); ++length) {
        const Bytes cut(full.begin(), full.begin() + static_cast<long>(length));
        ASSERT_EQ(FirmwareRevisionOf(cut), "") << length;
        ASSERT_EQ(Booted(cut), "") << length;
    }
}

// An ELF made by the PowerPC assembler and linker of Debian's binutils-powerpc-linux-gnu.
TEST(FirmwareElf, RealPowerPcExecutable)
{
    if (!HaveProgram("powerpc-linux-gnu-as") || !HaveProgram("powerpc-linux-gnu-ld"))
        GTEST_SKIP() << "powerpc-linux-gnu-as/-ld not installed (Debian: binutils-powerpc-linux-gnu)";
    ScratchDir dir;
    const std::string source = ".section .text\n.globl _start\n_start:\n    li 3, 0\n    blr\n"
                               ".section .rodata\n    .asciz \"other read-only data\"\n"
                               ".section .m2_rev_id, \"a\"\n    .ascii \"Gen II Firmware REV 4.;.7\"\n    .byte 0\n";
    WriteFile(dir / "fw.s", Bytes(source.begin(), source.end()));
    const auto assembled = RunCommand("powerpc-linux-gnu-as -o " + Quote(dir / "fw.o") + " " + Quote(dir / "fw.s"));
    ASSERT_EQ(assembled.status, 0) << assembled.output;
    const auto linked = RunCommand("powerpc-linux-gnu-ld -o " + Quote(dir / "FX40299.EXE") + " " + Quote(dir / "fw.o"));
    ASSERT_EQ(linked.status, 0) << linked.output;
    EXPECT_EQ(GetFirmwareVersionFromFile(dir / "FX40299.EXE"), "FX40299-4.11.7");
    EXPECT_EQ(qvxsim::BootedVersion("FX40299.EXE", ReadFile(dir / "FX40299.EXE")), "FX40299-4.11.7");
    EXPECT_EQ(GetFirmwareVersionFromFile(dir / "FX40299"), "");
}

} // namespace
