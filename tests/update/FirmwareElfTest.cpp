// The firmware version of an image: the revision section of a big-endian ELF executable, the title
// from the path, and images that are truncated, hostile or not ELF at all.
#include "PackageTestSupport.h"

#include "update/package/FirmwareElf.h"

#include <gtest/gtest.h>

using namespace pkgtest;

namespace {

TEST(FirmwareElf, ReadsTheRevisionDigits)
{
    struct RevisionCase {
        const char* text;
        const char* revision;
    };
    const RevisionCase cases[] = {
        {"Gen II Firmware REV 1.2.;", "1.2.11"}, // ';' is '0' + 11
        {"Gen II Firmware REV 3.;.3", "3.11.3"},
        {"Gen II Firmware REV 0.0.0", "0.0.0"},
        {"Gen II Firmware REV 9x9y9", "9.9.9"},  // only the three positions count
        {"Gen II Firmware REV 1.2./", "1.2.-1"}, // below '0' reads negative, as the controller's tools do
        {"xxxxxxxxxxxxxxxxxxxxAxBxC", "17.18.19"},
        {"Gen II Firmware REV 1.2.3 and more", "1.2.3"},
        {"Gen II Firmware REV 1.2.", ""}, // 24 characters: too short
        {"Gen II Firmware", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FirmwareRevisionOf(MakeSmallElf(c.text).bytes), c.revision);
    }
}

TEST(FirmwareElf, VersionJoinsTitleAndRevision)
{
    struct VersionCase {
        const char* path;
        bool elf;
        const char* version;
    };
    const VersionCase cases[] = {
        {"C:\\fw\\FX40211.EXE", true, "FX40211-1.2.11"},
        {"D:\\x\\NEW.EXE", false, "NEW-"},
        {"/tmp/fw/FX40211.EXE", true, "FX40211-1.2.11"},
        {"fw/FX40211.EXE", true, "FX40211-1.2.11"},
        {"FX40211.EXE", true, "FX40211-1.2.11"},
        {"FX40211.B.EXE", true, "FX40211.B-1.2.11"}, // only the last '.' ends the title
        {"C:FX40211.EXE", true, "C:FX40211-1.2.11"}, // a colon does not end the folder here
        {"C:\\fw\\.EXE", true, "-1.2.11"},
        {"FX40211", true, "1.2.11"},                 // no '.': the bare revision
        {"FX40211", false, ""},
        {"C:\\fw\\FX40211", true, "1.2.11"},
        {"fw.d/FX40211", true, "fw-1.2.11"},          // the last '.' of the whole path decides
        {"", false, ""},
    };
    const Bytes elf = MakeSmallElf().bytes;
    const Bytes other = TextLike(4096);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FirmwareVersionFromImage(c.elf ? elf : other, c.path), c.version);
    }
}

TEST(FirmwareElf, DamagedAndHostileImagesGiveNoRevision)
{
    struct DamageCase {
        const char* label;
        Bytes image;
    };
    const SmallElf good = MakeSmallElf();
    ASSERT_EQ(FirmwareRevisionOf(good.bytes), "1.2.11");
    const auto size = static_cast<std::uint32_t>(good.bytes.size());
    std::vector<DamageCase> cases;
    const auto with = [&](const char* label, auto change) {
        Bytes image = good.bytes;
        change(image);
        cases.push_back({label, image});
    };
    with("shared object, not an executable", [](Bytes& b) { PutBe16(b, 16, 3); });
    with("type in the other byte order", [](Bytes& b) { PutBe16(b, 16, 0x0200); });
    with("table past the end", [&](Bytes& b) { PutBe32(b, 32, size); });
    with("table at the last byte", [&](Bytes& b) { PutBe32(b, 32, size - 1); });
    with("table offset wraps 32 bits", [](Bytes& b) { PutBe32(b, 32, 0xFFFFFFF0u); });
    with("names header index huge", [](Bytes& b) { PutBe16(b, 50, 0xFFFF); });
    with("names past the end", [&](Bytes& b) { PutBe32(b, good.tableOffset + 3 * 40 + 16, size); });
    with("names offset wraps 32 bits", [&](Bytes& b) { PutBe32(b, good.tableOffset + 3 * 40 + 16, 0xFFFFFFFFu); });
    with("no sections", [](Bytes& b) { PutBe16(b, 48, 0); });
    with("revision name past the end", [&](Bytes& b) { PutBe32(b, good.revisionHeader, size); });
    with("revision name wraps", [&](Bytes& b) { PutBe32(b, good.revisionHeader, 0xFFFFFFFFu); });
    with("revision text past the end", [&](Bytes& b) { PutBe32(b, good.revisionHeader + 16, size); });
    with("revision text runs over the end", [&](Bytes& b) { PutBe32(b, good.revisionHeader + 16, size - 24); });
    with("revision text offset wraps", [&](Bytes& b) { PutBe32(b, good.revisionHeader + 16, 0xFFFFFFF0u); });
    with("revision section 24 bytes", [&](Bytes& b) { PutBe32(b, good.revisionHeader + 20, 24); });
    with("zero inside the text", [&](Bytes& b) { b[good.revisionOffset + 21] = 0; });
    with("zero at the last position", [&](Bytes& b) { b[good.revisionOffset + 24] = 0; });
    with("name one letter off", [&](Bytes& b) { b[good.namesOffset + 7 + 9] = 'D'; });
    // A name of ".m2_rev_id" right at the end of the file, cut short.
    with("name cut by the end", [&](Bytes& b) {
        b.resize(b.size() + 5, 0);
        const char partial[] = ".m2_r";
        std::copy(partial, partial + 5, b.end() - 5);
        PutBe32(b, good.revisionHeader, static_cast<std::uint32_t>(b.size() - 5 - good.namesOffset));
    });
    cases.push_back({"not ELF", TextLike(5000)});
    cases.push_back({"empty", Bytes()});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(FirmwareRevisionOf(c.image), "");
        EXPECT_EQ(FirmwareVersionFromImage(c.image, "C:\\fw\\FX40211.EXE"), "FX40211-");
    }
}

TEST(FirmwareElf, HugeSectionCountsStopAtTheEndOfTheFile)
{
    SmallElf elf = MakeSmallElf("Gen II Firmware REV 1.2.;", ".other");
    PutBe16(elf.bytes, 48, 0xFFFF);
    EXPECT_EQ(FirmwareRevisionOf(elf.bytes), "");
    // With a count past the table, the headers that are there are still read in order.
    SmallElf found = MakeSmallElf();
    PutBe16(found.bytes, 48, 0xFFFF);
    EXPECT_EQ(FirmwareRevisionOf(found.bytes), "1.2.11");
}

TEST(FirmwareElf, EveryTruncationIsSafe)
{
    const Bytes full = MakeSmallElf().bytes;
    for (std::size_t length = 0; length < full.size(); ++length) {
        // A copy of exactly that length, so the sanitizers see any read past it.
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
        ASSERT_EQ(FirmwareRevisionOf(cut), "") << length;
    }
    EXPECT_EQ(FirmwareRevisionOf(full), "1.2.11");
}

TEST(FirmwareElf, TheFirstMatchingSectionDecides)
{
    // Names are compared on their first ten characters only.
    EXPECT_EQ(FirmwareRevisionOf(MakeSmallElf("Gen II Firmware REV 4.5.6", ".m2_rev_id_extra").bytes), "4.5.6");
    EXPECT_EQ(FirmwareRevisionOf(MakeSmallElf("Gen II Firmware REV 4.5.6", ".m2_rev_i").bytes), "");

    // Point .text's name at the revision name too: it comes first, and its text is too short.
    SmallElf elf = MakeSmallElf();
    const std::size_t textHeader = elf.tableOffset + 40;
    PutBe32(elf.bytes, textHeader, 7);
    EXPECT_EQ(FirmwareRevisionOf(elf.bytes), "");
}

TEST(FirmwareElf, FromFile)
{
    ScratchDir dir;
    WriteFile(dir / "FX40211.EXE", MakeSmallElf().bytes);
    WriteFile(dir / "NEW.EXE", TextLike(100));
    EXPECT_EQ(GetFirmwareVersionFromFile(dir / "FX40211.EXE"), "FX40211-1.2.11");
    EXPECT_EQ(GetFirmwareVersionFromFile(dir / "NEW.EXE"), "NEW-");
    EXPECT_EQ(GetFirmwareVersionFromFile(dir / "MISSING.EXE"), "MISSING-");
    std::vector<unsigned char> image;
    std::string fault;
    EXPECT_TRUE(LoadFirmwareImage(dir / "FX40211.EXE", image, fault));
    EXPECT_EQ(image, MakeSmallElf().bytes);
    EXPECT_FALSE(LoadFirmwareImage(dir / "MISSING.EXE", image, fault));
    EXPECT_NE(fault.find("cannot open"), std::string::npos) << fault;
}

// An ELF made by the PowerPC assembler and linker of Debian's binutils-powerpc-linux-gnu.
TEST(FirmwareElf, RealPowerPcExecutable)
{
    if (!HaveProgram("powerpc-linux-gnu-as") || !HaveProgram("powerpc-linux-gnu-ld"))
        GTEST_SKIP() << "powerpc-linux-gnu-as/-ld not installed (Debian: binutils-powerpc-linux-gnu)";
    ScratchDir dir;
    const std::string source = ".section .text\n"
                               ".globl _start\n"
                               "_start:\n"
                               "    li 3, 0\n"
                               "    blr\n"
                               ".section .rodata\n"
                               "    .asciz \"other read-only data\"\n"
                               ".section .m2_rev_id, \"a\"\n"
                               "    .ascii \"Gen II Firmware REV 4.;.7\"\n"
                               "    .byte 0\n";
    WriteFile(dir / "fw.s", Bytes(source.begin(), source.end()));
    const auto assembled = RunCommand("powerpc-linux-gnu-as -o " + Quote(dir / "fw.o") + " " + Quote(dir / "fw.s"));
    ASSERT_EQ(assembled.status, 0) << assembled.output;
    const auto linked = RunCommand("powerpc-linux-gnu-ld -o " + Quote(dir / "FX40299.EXE") + " " + Quote(dir / "fw.o"));
    ASSERT_EQ(linked.status, 0) << linked.output;
    EXPECT_EQ(GetFirmwareVersionFromFile(dir / "FX40299.EXE"), "FX40299-4.11.7");
    EXPECT_EQ(GetFirmwareVersionFromFile(dir / "FX40299"), "");
}

} // namespace
