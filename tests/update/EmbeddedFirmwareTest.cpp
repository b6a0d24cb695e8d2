// The firmware packages linked into the executable, and the stand-in images the build generates
// when the maker's are not given.
#include "PackageTestSupport.h"

#include "res/Resources.h"
#include "update/package/FirmwareElf.h"
#include "update/package/ZlbFile.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pkgtest;

namespace {

const struct Firmware {
    int id;
    std::string title;
    std::uint32_t size;
    std::string revision;
    bool standIn;
} kFirmware[] = {
    {qvxres::kFirmwareFX40211, "FX40211", 1556288, "1.2.11", QVX_STANDIN_FX40211 != 0},
    {qvxres::kFirmwareFP9023417, "FP9023417", 2949328, "3.11.3", QVX_STANDIN_FP9023417 != 0},
};

std::string PathOf(const Firmware& firmware, const char* extension = ".EXE")
{
    return QVX_FIRMWARE_DIR "/" + firmware.title + extension;
}

TEST(EmbeddedFirmware, PackagesAreSoundAndHoldTheirImages)
{
    for (const auto& firmware : kFirmware) {
        SCOPED_TRACE(firmware.title);
        const auto block = qvxres::FindEmbeddedResource("BIN", firmware.id);
        CZlbFile package;
        ASSERT_EQ(package.LoadFromMemory(block), CZlbFile::kOk) << package.GetFault();
        EXPECT_EQ(package.GetName(), firmware.title + ".EXE");
        // The resource is the package qvx-zlb made exactly: header, name, stored bytes, nothing more.
        EXPECT_EQ(block.size(), 8 + package.GetName().size() + 1 + package.GetStreamLength() + 16);
        const Bytes onDisk = ReadFile(PathOf(firmware, ".zlb"));
        EXPECT_TRUE(std::equal(block.begin(), block.end(), onDisk.begin(), onDisk.end()));
        const auto data = package.GetData();
        EXPECT_EQ(Bytes(data.begin(), data.end()), ReadFile(PathOf(firmware)));
        EXPECT_FALSE(FirmwareRevisionOf(data).empty());
        if (!firmware.standIn)
            continue;
        EXPECT_EQ(data.size(), firmware.size);
        EXPECT_EQ(FirmwareVersionFromImage(data, package.GetName()), firmware.title + "-" + firmware.revision);
        // Real code compresses about 2.5:1; so must the stand-ins, or transfer timings would lie.
        const double ratio = static_cast<double>(firmware.size) / static_cast<double>(package.GetStreamLength());
        EXPECT_GE(ratio, 2.3);
        EXPECT_LE(ratio, 2.7);
    }
    // Types match without regard to case; both type and id must match.
    EXPECT_EQ(qvxres::FindEmbeddedResource("bin", kFirmware[0].id).data(), qvxres::FindEmbeddedResource("BIN", kFirmware[0].id).data());
    EXPECT_TRUE(qvxres::FindEmbeddedResource("BINX", kFirmware[0].id).empty());
    EXPECT_TRUE(qvxres::FindEmbeddedResource("BIN", 249).empty());
}

TEST(EmbeddedFirmware, ReadelfAcceptsTheImages)
{
    if (!HaveProgram("readelf"))
        GTEST_SKIP() << "readelf not installed (Debian: binutils)";
    for (const auto& firmware : kFirmware) {
        SCOPED_TRACE(firmware.title);
        const auto result = RunCommand("readelf -h -S -l " + Quote(PathOf(firmware)));
        EXPECT_EQ(result.status, 0) << result.output;
        EXPECT_EQ(result.output.find("Warning"), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find("Error"), std::string::npos) << result.output;
        for (const char* expected : {"ELF32", "big endian", "EXEC (Executable file)", "PowerPC", ".text",
                                     ".m2_rev_id", ".shstrtab", "LOAD"})
            EXPECT_TRUE(!firmware.standIn || result.output.find(expected) != std::string::npos) << expected;
    }
}

TEST(EmbeddedFirmware, StandInsAreReproducible)
{
    ScratchDir dir;
    for (const auto& firmware : kFirmware) {
        if (!firmware.standIn)
            continue;
        const std::string out = dir / (firmware.title + ".EXE");
        const auto result = RunCommand(Quote(QVX_MKFIRM) + " " + Quote(out) + " " + std::to_string(firmware.size) +
                                       " " + firmware.revision);
        ASSERT_EQ(result.status, 0) << result.output;
        EXPECT_EQ(ReadFile(out), ReadFile(PathOf(firmware))) << firmware.title;
    }
}

} // namespace
