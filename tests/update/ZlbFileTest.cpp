// CZlbFile: the package layout byte for byte, round trips, damaged and hostile packages.
#include "PackageTestSupport.h"

#include "update/package/PackageFiles.h"
#include "update/package/ZlbFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace pkgtest;

namespace {

Bytes DataOf(const CZlbFile& package)
{
    const auto data = package.GetData();
    return Bytes(data.begin(), data.end());
}

struct PackCase {
    const char* label;
    Bytes image;
};

TEST(ZlbFile, PackWritesTheExactLayoutAndLoadsBack)
{
    const PackCase cases[] = {
        {"text", TextLike(100000)},
        {"incompressible", Noise(70000, 7)}, // the stream is larger than the image
        {"empty", Bytes()},
        {"one byte", Bytes{0x42}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        WriteFile(dir / "A.BIN", c.image);
        CZlbFile package;
        ASSERT_EQ(package.Pack(dir / "A.BIN"), CZlbFile::kOk) << package.GetFault();
        EXPECT_EQ(package.GetFault(), "");
        EXPECT_EQ(package.GetPath(), dir / "A.zlb");
        EXPECT_EQ(dir.Files(), (std::vector<std::string>{"A.BIN", "A.zlb"})); // no temporary left

        const Bytes stream = Compress(c.image);
        const Bytes written = ReadFile(dir / "A.zlb");
        EXPECT_EQ(written, MakePackage("A.BIN", c.image));
        EXPECT_EQ(package.GetUncompressedSize(), c.image.size());
        EXPECT_EQ(package.GetStoredLength(), stream.size() + 16);
        EXPECT_EQ(package.GetName(), "A.BIN");
        EXPECT_EQ(DataOf(package), stream); // while writing, the data is the stream
        ASSERT_EQ(written.size(), 8 + 6 + stream.size() + 16);
        EXPECT_TRUE(std::all_of(written.end() - 16, written.end(), [](unsigned char b) { return b == 0; }));
        EXPECT_EQ(written[8 + 5], 0); // the name's terminator

        CZlbFile loaded;
        ASSERT_EQ(loaded.LoadFromMemory(written), CZlbFile::kOk) << loaded.GetFault();
        EXPECT_EQ(DataOf(loaded), c.image);
        EXPECT_EQ(loaded.GetName(), "A.BIN");
        EXPECT_EQ(loaded.GetStreamLength(), stream.size());
        EXPECT_EQ(loaded.GetFault(), "");
    }
}

TEST(ZlbFile, PackNamesTheOutputFromTheSource)
{
    struct NameCase {
        const char* source; // relative to the scratch folder
        const char* package;
        const char* stored;
    };
    const NameCase cases[] = {
        {"FX40211.EXE", "FX40211.zlb", "FX40211.EXE"},
        {"NOEXT", "NOEXT.zlb", "NOEXT"},
        {"a.b.c", "a.b.zlb", "a.b.c"},
        {"trailing.", "trailing.zlb", "trailing."},
        {"sub.d/IMAGE", "sub.d/IMAGE.zlb", "IMAGE"}, // a '.' in the folder is not the file's
        {"sub.d/x.y", "sub.d/x.zlb", "x.y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        ScratchDir dir;
        std::filesystem::create_directories(dir.Path() / "sub.d");
        WriteFile(dir / c.source, TextLike(300));
        CZlbFile package;
        ASSERT_EQ(package.Pack(dir / c.source), CZlbFile::kOk) << package.GetFault();
        EXPECT_EQ(package.GetPath(), dir / c.package);
        CZlbFile loaded;
        ASSERT_EQ(loaded.LoadFromMemory(ReadFile(dir / c.package)), CZlbFile::kOk);
        EXPECT_EQ(loaded.GetName(), c.stored);
    }
}

TEST(ZlbFile, PathRules)
{
    struct PathCase {
        const char* path;
        const char* name;
        const char* folder;
        const char* package;
    };
    const PathCase cases[] = {
        {"C:\\fw\\FX40211.EXE", "FX40211.EXE", "C:\\fw\\", "C:\\fw\\FX40211.zlb"},
        {"C:FX40211.EXE", "FX40211.EXE", "C:", "C:FX40211.zlb"},
        {"/tmp/fw/FX40211.EXE", "FX40211.EXE", "/tmp/fw/", "/tmp/fw/FX40211.zlb"},
        {"fw\\v1.0/A", "A", "fw\\v1.0/", "fw\\v1.0/A.zlb"},
        {"A.BIN", "A.BIN", "", "A.zlb"},
        {"", "", "", ".zlb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(qvxpkg::FileNameOf(c.path), c.name);
        EXPECT_EQ(qvxpkg::FolderOf(c.path), c.folder);
        EXPECT_EQ(ZlbPathFor(c.path), c.package);
    }
}

TEST(ZlbFile, PackFailures)
{
    ScratchDir dir;
    CZlbFile package;
    EXPECT_EQ(package.Pack(dir / "MISSING.BIN"), CZlbFile::kOpenFailed);
    EXPECT_NE(package.GetFault().find("cannot open " + (dir / "MISSING.BIN")), std::string::npos)
        << package.GetFault();
    std::filesystem::create_directories(dir.Path() / "FOLDER.BIN");
    EXPECT_EQ(package.Pack(dir / "FOLDER.BIN"), CZlbFile::kOpenFailed);
    EXPECT_TRUE(package.GetData().empty());

    // The output cannot be put in place (a folder holds its name): nothing half-written is left.
    WriteFile(dir / "B.BIN", TextLike(5000));
    std::filesystem::create_directories(dir.Path() / "B.zlb");
    EXPECT_EQ(package.Pack(dir / "B.BIN"), CZlbFile::kOpenFailed);
    EXPECT_NE(package.GetFault().find("cannot rename"), std::string::npos) << package.GetFault();
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"B.BIN", "B.zlb", "FOLDER.BIN"}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "B.zlb"));

    // A package already there is replaced whole.
    WriteFile(dir / "C.BIN", TextLike(10));
    WriteFile(dir / "C.zlb", Noise(100000, 3));
    ASSERT_EQ(package.Pack(dir / "C.BIN"), CZlbFile::kOk);
    EXPECT_EQ(ReadFile(dir / "C.zlb"), MakePackage("C.BIN", TextLike(10)));
}

TEST(ZlbFile, PackRefusesImagesBeyondTheCap)
{
    ScratchDir dir;
    {
        // Sparse: the size is what counts.
        std::filesystem::path big = dir.Path() / "BIG.BIN";
        WriteFile(big.string(), Bytes{1});
        std::filesystem::resize_file(big, qvxpkg::kMaxImageBytes + 1);
    }
    CZlbFile package;
    EXPECT_EQ(package.Pack(dir / "BIG.BIN"), CZlbFile::kReadFailed);
    EXPECT_EQ(package.GetFault(), (dir / "BIG.BIN") + " is 67108865 bytes, more than the 67108864 allowed");
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"BIG.BIN"}));
}

struct DamageCase {
    const char* label;
    Bytes package;
    std::string fault; // the exact reason
};

std::vector<DamageCase> DamagedPackages()
{
    const Bytes image = TextLike(4000);
    const Bytes good = MakePackage("FX40211.EXE", image);
    const Bytes stream = Compress(image);
    const auto streamSize = static_cast<std::uint32_t>(stream.size());
    const std::size_t streamAt = 8 + 12;
    std::vector<DamageCase> cases;

    cases.push_back({"empty", Bytes(), "the header is shorter than 8 bytes (the package has 0)"});
    cases.push_back({"seven bytes", Bytes(good.begin(), good.begin() + 7),
                     "the header is shorter than 8 bytes (the package has 7)"});
    cases.push_back({"header only", Bytes(good.begin(), good.begin() + 8), "the name has no terminating zero"});
    cases.push_back({"name cut", Bytes(good.begin(), good.begin() + 14), "the name has no terminating zero"});

    Bytes longer = good;
    PutLe32(longer, 4, streamSize + 17);
    cases.push_back({"stored length one too many", longer,
                     "the stored length " + std::to_string(streamSize + 17) +
                         " runs past the end of the package (" + std::to_string(streamSize + 16) +
                         " bytes follow the name)"});
    Bytes huge = good;
    PutLe32(huge, 4, 0xFFFFFFFFu);
    cases.push_back({"stored length huge", huge,
                     "the stored length 4294967295 runs past the end of the package (" +
                         std::to_string(streamSize + 16) + " bytes follow the name)"});

    Bytes absurd = good;
    PutLe32(absurd, 0, 0xFFFFFFFFu);
    cases.push_back({"absurd size", absurd,
                     "the uncompressed size 4294967295 is more than the 67108864 bytes an image may have"});
    Bytes overCap = good;
    PutLe32(overCap, 0, (64u << 20) + 1);
    cases.push_back({"one over the cap", overCap,
                     "the uncompressed size 67108865 is more than the 67108864 bytes an image may have"});

    Bytes smaller = good;
    PutLe32(smaller, 0, 3999);
    cases.push_back({"header one byte short", smaller, "the image inflates to 4000 bytes, not the 3999 the header gives"});
    Bytes muchSmaller = good;
    PutLe32(muchSmaller, 0, 100);
    cases.push_back({"header far short", muchSmaller, "the image inflates to more than the 100 bytes the header gives"});
    Bytes zeroSize = good;
    PutLe32(zeroSize, 0, 0);
    cases.push_back({"header says empty", zeroSize, "the image inflates to more than the 0 bytes the header gives"});
    Bytes larger = good;
    PutLe32(larger, 0, 4001);
    cases.push_back({"header one byte long", larger, "the image inflates to 4000 bytes, not the 4001 the header gives"});

    Bytes cut = good;
    PutLe32(cut, 4, streamSize - 4);
    cases.push_back({"stream cut by the stored length", cut,
                     "the zlib stream does not end within the " + std::to_string(streamSize - 4) + " stored bytes"});
    Bytes noStored = good;
    PutLe32(noStored, 4, 0);
    cases.push_back({"nothing stored", noStored, "the uncompressed size 4000 is more than 0 stored bytes can inflate to"});
    Bytes noStoredEmpty = MakeRawPackage(0, 0, "A", Bytes());
    cases.push_back({"nothing stored, empty image", noStoredEmpty, "the zlib stream does not end within the 0 stored bytes"});
    Bytes beyondDeflate = MakeRawPackage(10 * 1032 + 1, 9, "A", Compress(Bytes(10 * 1032 + 1, 0)));
    cases.push_back({"more than deflate can give", beyondDeflate,
                     "the uncompressed size 10321 is more than 9 stored bytes can inflate to"});
    cases.push_back({"file cut after the name", Bytes(good.begin(), good.begin() + streamAt),
                     "the stored length " + std::to_string(streamSize + 16) +
                         " runs past the end of the package (0 bytes follow the name)"});

    Bytes badHeader = good;
    badHeader[streamAt] = 0x00;
    cases.push_back({"not a zlib header", badHeader,
                     "the zlib stream is damaged (incorrect header check) after 2 of " +
                         std::to_string(streamSize + 16) + " stored bytes"});
    Bytes badCheck = good;
    badCheck[streamAt + streamSize - 1] ^= 0x01;
    cases.push_back({"checksum", badCheck,
                     "the zlib stream is damaged (incorrect data check) after " + std::to_string(streamSize) +
                         " of " + std::to_string(streamSize + 16) + " stored bytes"});
    Bytes zeros = MakeRawPackage(4000, 64, "X", Bytes(64, 0));
    cases.push_back({"zeros", zeros, "the zlib stream is damaged (unknown compression method) after 2 of 64 stored bytes"});
    return cases;
}

TEST(ZlbFile, DamagedPackagesAreRefusedWithTheirReason)
{
    for (const auto& c : DamagedPackages()) {
        SCOPED_TRACE(c.label);
        CZlbFile package;
        EXPECT_EQ(package.LoadFromMemory(c.package), CZlbFile::kDamaged);
        EXPECT_EQ(package.GetFault(), c.fault);
        EXPECT_TRUE(package.GetData().empty()); // never a zero-filled or partial image
        EXPECT_EQ(package.GetStreamLength(), 0u);
    }
}

TEST(ZlbFile, BitFlipsAnywhereInTheStreamNeverPass)
{
    const Bytes image = TextLike(3000);
    const Bytes good = MakePackage("A.BIN", image);
    const std::size_t streamAt = 8 + 6;
    const std::size_t streamEnd = good.size() - 16;
    // The last deflate byte (before the 4-byte checksum) ends in padding bits nothing reads.
    const std::size_t lastDeflateByte = streamEnd - 5;
    for (std::size_t at = streamAt; at < streamEnd; ++at) {
        if (at == lastDeflateByte)
            continue;
        for (const unsigned char mask : {0x01, 0x80}) {
            Bytes damaged = good;
            damaged[at] ^= mask;
            CZlbFile package;
            const int result = package.LoadFromMemory(damaged);
            ASSERT_EQ(result, CZlbFile::kDamaged) << "byte " << at << " mask " << int(mask);
            ASSERT_TRUE(package.GetData().empty());
            ASSERT_FALSE(package.GetFault().empty());
        }
    }
}

TEST(ZlbFile, AnImageAtTheCapLoads)
{
    // Zeros also come near deflate's best ratio, which the size check must still allow.
    const Bytes image(qvxpkg::kMaxImageBytes, 0);
    CZlbFile package;
    ASSERT_EQ(package.LoadFromMemory(MakePackage("ZEROS.BIN", image)), CZlbFile::kOk) << package.GetFault();
    EXPECT_EQ(package.GetData().size(), qvxpkg::kMaxImageBytes);
    EXPECT_EQ(package.GetUncompressedSize(), 64u << 20);
}

TEST(ZlbFile, HeaderFieldsStayReadableAfterAFault)
{
    Bytes package = MakePackage("FX40211.EXE", TextLike(500));
    PutLe32(package, 0, 499);
    CZlbFile file;
    EXPECT_EQ(file.LoadFromMemory(package), CZlbFile::kDamaged);
    EXPECT_EQ(file.GetUncompressedSize(), 499u);
    EXPECT_EQ(file.GetName(), "FX40211.EXE");
    // A later good load clears the fault.
    EXPECT_EQ(file.LoadFromMemory(MakePackage("B", TextLike(10))), CZlbFile::kOk);
    EXPECT_EQ(file.GetFault(), "");
    EXPECT_EQ(file.GetName(), "B");
}

TEST(ZlbFile, BytesAfterTheStoredRegionAreIgnored)
{
    Bytes package = MakePackage("A.BIN", TextLike(700));
    package.push_back(0xEE);
    CZlbFile file;
    ASSERT_EQ(file.LoadFromMemory(package), CZlbFile::kOk);
    EXPECT_EQ(DataOf(file), TextLike(700));
}

TEST(ZlbFile, UnpackWritesTheImageUnderItsStoredName)
{
    ScratchDir dir;
    const Bytes image = TextLike(20000);
    WriteFile(dir / "P.zlb", MakePackage("IMAGE.EXE", image));
    CZlbFile package;
    ASSERT_EQ(package.Unpack(dir / "P.zlb"), CZlbFile::kOk) << package.GetFault();
    EXPECT_EQ(package.GetPath(), dir / "IMAGE.EXE");
    EXPECT_EQ(ReadFile(dir / "IMAGE.EXE"), image);
    EXPECT_EQ(DataOf(package), image);
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"IMAGE.EXE", "P.zlb"}));
}

TEST(ZlbFile, UnpackRefusesOtherNamesAndWritesNothing)
{
    const char* names[] = {"P.ZLB", "P.Zlb", "P.zlb.bak", "P", "P.zl", "zlb", "P.zlbx"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        WriteFile(dir / name, MakePackage("IMAGE.EXE", TextLike(100)));
        CZlbFile package;
        EXPECT_EQ(package.Unpack(dir / name), CZlbFile::kOpenFailed);
        EXPECT_EQ(package.GetFault(), (dir / name) + " is not a package: its name must end in \".zlb\"");
        EXPECT_EQ(dir.Files(), std::vector<std::string>{name});
    }
    ScratchDir dir;
    CZlbFile package;
    EXPECT_EQ(package.Unpack(dir / "MISSING.zlb"), CZlbFile::kOpenFailed);
    std::filesystem::create_directories(dir.Path() / "DIR.zlb");
    EXPECT_EQ(package.Unpack(dir / "DIR.zlb"), CZlbFile::kOpenFailed);
}

TEST(ZlbFile, UnpackRefusesHostileNames)
{
    const char* names[] = {"../EVIL.EXE", "/tmp/EVIL.EXE", "sub/EVIL.EXE", "..\\EVIL.EXE", "C:EVIL.EXE",
                           "C:\\EVIL.EXE", ".", "..", ""};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        std::filesystem::create_directories(dir.Path() / "in");
        const std::string path = (dir.Path() / "in" / "P.zlb").string();
        WriteFile(path, MakePackage(name, TextLike(100)));
        CZlbFile package;
        EXPECT_EQ(package.Unpack(path), CZlbFile::kDamaged);
        EXPECT_EQ(package.GetFault(),
                  "the package names its image \"" + std::string(name) + "\", which is not a plain file name");
        EXPECT_TRUE(package.GetData().empty());
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"in"});
        std::vector<std::string> inside;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path() / "in"))
            inside.push_back(entry.path().filename().string());
        EXPECT_EQ(inside, std::vector<std::string>{"P.zlb"});
    }
    EXPECT_FALSE(std::filesystem::exists("/tmp/EVIL.EXE"));
}

TEST(ZlbFile, UnpackOfADamagedPackageWritesNothing)
{
    for (const auto& c : DamagedPackages()) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        WriteFile(dir / "P.zlb", c.package);
        CZlbFile package;
        EXPECT_EQ(package.Unpack(dir / "P.zlb"), CZlbFile::kDamaged);
        EXPECT_EQ(package.GetFault(), c.fault);
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"P.zlb"});
    }
}

TEST(ZlbFile, NamesShownInFaultsAreMadePrintable)
{
    ScratchDir dir;
    WriteFile(dir / "P.zlb", MakePackage("a/\x01\x7f\xff", TextLike(10)));
    CZlbFile package;
    EXPECT_EQ(package.Unpack(dir / "P.zlb"), CZlbFile::kDamaged);
    EXPECT_EQ(package.GetFault(), "the package names its image \"a/\\x01\\x7F\\xFF\", which is not a plain file name");
}

} // namespace
