// The resources linked into the executable: the two firmware packages, the string table, and the
// stand-in images the build generates when the maker's are not given.
#include "PackageTestSupport.h"

#include "res/Resources.h"
#include "update/package/FirmwareElf.h"
#include "update/package/ZlbFile.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pkgtest;

namespace {

struct Firmware {
    int id;
    const char* name;
    const char* title;
    std::uint32_t size;
    const char* version;
    bool standIn;
};

const Firmware kFirmware[] = {
    {qvxres::kFirmwareFX40211, "FX40211.EXE", "FX40211", 1556288, "FX40211-1.2.11", QVX_STANDIN_FX40211 != 0},
    {qvxres::kFirmwareFP9023417, "FP9023417.EXE", "FP9023417", 2949328, "FP9023417-3.11.3",
     QVX_STANDIN_FP9023417 != 0},
};

std::string ImagePath(const Firmware& firmware)
{
    return std::string(QVX_FIRMWARE_DIR) + "/" + firmware.name;
}

TEST(EmbeddedFirmware, PackagesAreSoundAndHoldTheirImages)
{
    for (const auto& firmware : kFirmware) {
        SCOPED_TRACE(firmware.name);
        const auto block = qvxres::FindResource("BIN", firmware.id);
        ASSERT_FALSE(block.empty());
        CZlbFile package;
        ASSERT_EQ(package.LoadFromMemory(block), CZlbFile::kOk) << package.GetFault();
        EXPECT_EQ(package.GetName(), firmware.name);
        // The resource is the package exactly: header, name, stored bytes, nothing more.
        EXPECT_EQ(block.size(), 8 + package.GetName().size() + 1 + package.GetStoredLength());
        EXPECT_EQ(package.GetStoredLength(), package.GetStreamLength() + 16);
        EXPECT_TRUE(std::all_of(block.end() - 16, block.end(), [](unsigned char b) { return b == 0; }));
        // The build embeds the package qvx-zlb made, and that package holds the image beside it.
        const Bytes onDisk = ReadFile(std::string(QVX_FIRMWARE_DIR) + "/" + firmware.title + ".zlb");
        EXPECT_TRUE(std::equal(block.begin(), block.end(), onDisk.begin(), onDisk.end()));
        const auto data = package.GetData();
        EXPECT_EQ(Bytes(data.begin(), data.end()), ReadFile(ImagePath(firmware)));
        EXPECT_FALSE(FirmwareRevisionOf(data).empty());
        if (!firmware.standIn)
            continue;
        EXPECT_EQ(package.GetUncompressedSize(), firmware.size);
        EXPECT_EQ(data.size(), firmware.size);
        EXPECT_EQ(FirmwareVersionFromImage(data, package.GetName()), firmware.version);
        // Real code compresses about 2.5:1; so must the stand-ins, or transfer timings would lie.
        const double ratio = static_cast<double>(firmware.size) / static_cast<double>(package.GetStreamLength());
        EXPECT_GE(ratio, 2.3);
        EXPECT_LE(ratio, 2.7);
    }
}

TEST(EmbeddedFirmware, ResourceLookup)
{
    EXPECT_EQ(qvxres::FindResource("bin", qvxres::kFirmwareFX40211).data(),
              qvxres::FindResource("BIN", qvxres::kFirmwareFX40211).data()); // types ignore case
    EXPECT_TRUE(qvxres::FindResource("BIN", 249).empty());
    EXPECT_TRUE(qvxres::FindResource("BIN", 0).empty());
    EXPECT_TRUE(qvxres::FindResource("BIN", -248).empty());
    EXPECT_TRUE(qvxres::FindResource("TXT", qvxres::kFirmwareFX40211).empty());
    EXPECT_TRUE(qvxres::FindResource("", qvxres::kFirmwareFX40211).empty());
    EXPECT_TRUE(qvxres::FindResource("BINX", qvxres::kFirmwareFX40211).empty());
    // Read in place: the same bytes every time, 16-byte aligned.
    const auto block = qvxres::FindResource("BIN", qvxres::kFirmwareFP9023417);
    EXPECT_EQ(block.data(), qvxres::FindResource("BIN", qvxres::kFirmwareFP9023417).data());
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.data()) % 16, 0u);
}

TEST(EmbeddedFirmware, StringTable)
{
    struct StringCase {
        int id;
        const char* text;
    };
    const StringCase cases[] = {
        {qvxres::kStrFX40211Version, "FX40211-1.02.11"},
        {qvxres::kStrFP9023417Version, "FP9023417-3.11.3"},
        {qvxres::kStrFP9023417, "FP9023417"},
        {122, "FX40211-1.02.11"},
        {181, "FP9023417-3.11.3"},
        {292, "FP9023417"},
        {0, ""},
        {248, ""},
        {-1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(qvxres::LoadString(c.id), c.text);
    }
}

TEST(EmbeddedFirmware, ReadelfAcceptsTheImages)
{
    if (!HaveProgram("readelf"))
        GTEST_SKIP() << "readelf not installed (Debian: binutils)";
    for (const auto& firmware : kFirmware) {
        SCOPED_TRACE(firmware.name);
        const auto result = RunCommand("readelf -h -S -l " + Quote(ImagePath(firmware)));
        EXPECT_EQ(result.status, 0) << result.output;
        EXPECT_EQ(result.output.find("Warning"), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find("Error"), std::string::npos) << result.output;
        if (!firmware.standIn)
            continue;
        for (const char* expected : {"ELF32", "big endian", "EXEC (Executable file)", "PowerPC", ".text",
                                     ".m2_rev_id", ".shstrtab", "LOAD"})
            EXPECT_NE(result.output.find(expected), std::string::npos) << expected << "\n" << result.output;
    }
}

TEST(EmbeddedFirmware, StandInsAreReproducible)
{
    ScratchDir dir;
    for (const auto& firmware : kFirmware) {
        if (!firmware.standIn)
            continue;
        SCOPED_TRACE(firmware.name);
        const std::string revision = std::string(firmware.version).substr(std::string(firmware.title).size() + 1);
        const std::string out = dir / firmware.name;
        const auto result = RunCommand(Quote(QVX_MKFIRM) + " " + Quote(out) + " " + std::to_string(firmware.size) + " " +
                                revision);
        ASSERT_EQ(result.status, 0) << result.output;
        EXPECT_EQ(ReadFile(out), ReadFile(ImagePath(firmware)));
        EXPECT_EQ(GetFirmwareVersionFromFile(out), firmware.version);
    }
}

} // namespace
