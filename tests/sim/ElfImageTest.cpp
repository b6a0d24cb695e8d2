// The controller's own reading of firmware images: the version a good image reports, and hostile
// or truncated images refused without a read past their end (ASan watches exact-size copies).
#include "TestElf.h"
#include "sim/ElfImage.h"
#include "sim/FirmwareImage.h"

#include <gtest/gtest.h>

#include <functional>

namespace simtest {
namespace {

using qvxsim::BootedVersion;

constexpr char kRevision[] = "Gen II Firmware REV 1.2.;";

// The image in a buffer of exactly its size.
std::optional<std::string> Boot(const std::string& name, const Bytes& image)
{
    const Bytes exact(image.begin(), image.end());
    return BootedVersion(name, exact);
}

TEST(FirmwareImage, VersionComesFromTheNameAndTheRevisionText)
{
    Bytes exactly25 = FirmwareElf(kRevision);
    PutBe32(exactly25, SectionHeaderAt(exactly25, kRevisionIndex) + kShSizeAt, 25); // no 0 after the text
    const struct {
        const char* name;
        Bytes image;
        const char* version;
    } cases[] = {
        {"FX40211.EXE", FirmwareElf(kRevision), "FX40211-1.2.11"},
        {"FP9023417.EXE", FirmwareElf("Gen II Firmware REV 3.;.3 built 2024"), "FP9023417-3.11.3"},
        {"A.B.EXE", exactly25, "A.B-1.2.11"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Boot(c.name, c.image), c.version) << c.name;
    EXPECT_TRUE(qvxsim::IsFirmwareImage("fx40211.exe"));
    EXPECT_FALSE(qvxsim::IsFirmwareImage("FX40211.EXE.BAK"));
    EXPECT_TRUE(qvxsim::RebootsByItself("fp9023417.Exe"));
    EXPECT_FALSE(qvxsim::RebootsByItself("FX40211.EXE"));
}

TEST(FirmwareImage, HostileImagesAreRefused)
{
    using Change = std::function<void(Bytes&)>;
    const auto field = [](unsigned section, std::size_t at, std::uint32_t value) -> Change {
        return [=](Bytes& b) { PutBe32(b, SectionHeaderAt(b, section) + at, value); };
    };
    const auto header16 = [](std::size_t at, std::uint32_t value) -> Change {
        return [=](Bytes& b) { PutBe16(b, at, value); };
    };
    const struct {
        const char* name;
        Change change;
    } cases[] = {
        {"empty", [](Bytes& b) { b.clear(); }},
        {"header cut short", [](Bytes& b) { b.resize(51); }},
        {"not an ELF file", [](Bytes& b) { b[1] = 'e'; }},
        {"64-bit", [](Bytes& b) { b[kElfClassAt] = 2; }},
        {"little-endian", [](Bytes& b) { b[kElfDataAt] = 1; }},
        {"relocatable, not executable", header16(kElfTypeAt, 1)},
        {"section table at the end", [](Bytes& b) { PutBe32(b, kShoffAt, static_cast<std::uint32_t>(b.size())); }},
        {"section table wraps around", [](Bytes& b) { PutBe32(b, kShoffAt, 0xFFFFFFF0); }},
        {"entries shorter than a header", header16(kShentsizeAt, 39)},
        {"entries longer than the file allows", header16(kShentsizeAt, 0xFFFF)},
        {"no sections", header16(kShnumAt, 0)},
        {"65535 sections", header16(kShnumAt, 0xFFFF)},
        {"name table index out of range", header16(kShstrndxAt, 4)},
        {"name table past the end", field(kNamesIndex, kShOffsetAt, 0xFFFFFFFF)},
        {"name table longer than the file", field(kNamesIndex, kShSizeAt, 0xFFFFFFFF)},
        {"name table without bytes", field(kNamesIndex, kShTypeAt, 8)},
        {"name past the name table", field(kRevisionIndex, kShNameAt, 0x7FFFFFFF)},
        {"name cut off by the table's end", field(kNamesIndex, kShSizeAt, kRevisionNameAt + 10)},
        {"revision section wraps around", [](Bytes& b) {
             PutBe32(b, SectionHeaderAt(b, kRevisionIndex) + kShOffsetAt, 0xFFFFFF00);
             PutBe32(b, SectionHeaderAt(b, kRevisionIndex) + kShSizeAt, 0x200);
         }},
        {"revision section longer than the file", field(kRevisionIndex, kShSizeAt, 0x10000)},
        {"revision section without bytes", field(kRevisionIndex, kShTypeAt, 8)},
        {"no revision section", field(kRevisionIndex, kShNameAt, 1)},
        {"revision text of 24 characters", field(kRevisionIndex, kShSizeAt, 24)},
        {"revision text ended early by a 0", [](Bytes& b) { b[kRevisionAt + 10] = 0; }},
    };
    for (const auto& c : cases) {
        Bytes image = FirmwareElf(kRevision);
        c.change(image);
        EXPECT_EQ(Boot("FX40211.EXE", image), std::nullopt) << c.name;
    }
    const Bytes good = FirmwareElf(kRevision);
    for (std::size_t size = 0; size < good.size(); ++size)
        ASSERT_EQ(Boot("FX40211.EXE", Bytes(good.begin(), good.begin() + static_cast<long>(size))), std::nullopt)
            << "cut to " << size;
}

} // namespace
} // namespace simtest
