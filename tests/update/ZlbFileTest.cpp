// CZlbFile: the package layout byte for byte, round trips, damaged and hostile packages.
#include "PackageTestSupport.h"

#include "base/PathText.h"
#include "update/package/PackageFiles.h"
#include "update/package/ZlbFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace pkgtest;

namespace {

using Names = std::vector<std::string>;

Bytes DataOf(const CZlbFile& package)
{
    const auto data = package.GetData();
    return Bytes(data.begin(), data.end());
}

TEST(ZlbFile, PackWritesTheExactLayoutAndLoadsBack)
{
    Bytes noise(70000); // incompressible: the stream is larger than the image
    std::mt19937 random(7);
    for (auto& byte : noise)
        byte = static_cast<unsigned char>(random());
    for (const Bytes& image : {TextLike(100000), noise, Bytes(), Bytes{0x42}}) {
        SCOPED_TRACE(image.size());
        ScratchDir dir;
        WriteFile(dir / "A.BIN", image);
        CZlbFile package;
        ASSERT_EQ(package.Pack(dir / "A.BIN"), CZlbFile::kOk) << package.GetFault();
        EXPECT_EQ(package.GetPath(), dir / "A.zlb");
        EXPECT_EQ(dir.Files(), (Names{"A.BIN", "A.zlb"})); // no temporary left
        Bytes written = ReadFile(dir / "A.zlb");
        EXPECT_EQ(written, MakePackage("A.BIN", image));

        written.push_back(0xEE); // bytes after the stored region are ignored
        CZlbFile loaded;
        ASSERT_EQ(loaded.LoadFromMemory(written), CZlbFile::kOk) << loaded.GetFault();
        EXPECT_EQ(DataOf(loaded), image);
        EXPECT_EQ(loaded.GetName(), "A.BIN");
        const Bytes stream = CompressBest(image);
        EXPECT_EQ(loaded.GetStreamLength(), stream.size());
        EXPECT_EQ(Bytes(loaded.GetStream().begin(), loaded.GetStream().end()), stream);
        EXPECT_EQ(package.GetStream().size(), stream.size());

        // A package made by another encoder loads all the same, its own stream kept.
        const Bytes other = Compress(image);
        const Bytes otherPackage = MakePackage("A.BIN", image, other); // GetStream points into it
        ASSERT_EQ(loaded.LoadFromMemory(otherPackage), CZlbFile::kOk) << loaded.GetFault();
        EXPECT_EQ(DataOf(loaded), image);
        EXPECT_EQ(Bytes(loaded.GetStream().begin(), loaded.GetStream().end()), other);
    }
}

TEST(ZlbFile, PathRules)
{
    const struct {
        const char* path;
        const char* name;
        const char* folder;
        const char* package;
    } cases[] = {
        {"C:\\fw\\FX40211.EXE", "FX40211.EXE", "C:\\fw\\", "C:\\fw\\FX40211.zlb"},
        {"C:FX40211.EXE", "FX40211.EXE", "C:", "C:FX40211.zlb"},
        {"fw\\v1.0/A", "A", "fw\\v1.0/", "fw\\v1.0/A.zlb"}, // a '.' in the folder is not the file's
        {"a.b.c", "a.b.c", "", "a.b.zlb"},
        {"trailing.", "trailing.", "", "trailing.zlb"},
        {"", "", "", ".zlb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qvxbase::NamePartOf(c.path, qvxbase::PathReading::StoredName), c.name) << c.path;
        EXPECT_EQ(qvxbase::FolderPartOf(c.path, qvxbase::PathReading::StoredName), c.folder) << c.path;
        EXPECT_EQ(ZlbPathFor(c.path), c.package) << c.path;
    }
}

TEST(ZlbFile, PackPutsItsOutputInPlaceWholeOrNotAtAll)
{
    ScratchDir dir;
    CZlbFile package;
    // The output cannot be put in place (a folder holds its name): nothing half-written is left.
    WriteFile(dir / "B.BIN", TextLike(5000));
    std::filesystem::create_directories(dir.path / "B.zlb");
    EXPECT_EQ(package.Pack(dir / "B.BIN"), CZlbFile::kOpenFailed);
    EXPECT_NE(package.GetFault().find("cannot rename"), std::string::npos) << package.GetFault();
    EXPECT_EQ(dir.Files(), (Names{"B.BIN", "B.zlb"}));

    // A package already there is replaced whole.
    WriteFile(dir / "C.BIN", TextLike(10));
    WriteFile(dir / "C.zlb", TextLike(100000));
    ASSERT_EQ(package.Pack(dir / "C.BIN"), CZlbFile::kOk);
    EXPECT_EQ(ReadFile(dir / "C.zlb"), MakePackage("C.BIN", TextLike(10)));
}

TEST(ZlbFile, DamagedPackagesAreRefusedWithTheirReasonAndNothingIsUnpacked)
{
    const Bytes good = MakePackage("FX40211.EXE", TextLike(4000));
    const auto stream = static_cast<std::uint32_t>(good.size() - 8 - 12 - 16);
    const std::string stored = std::to_string(stream + 16);
    const auto set = [](Bytes bytes, std::size_t at, std::uint32_t value) {
        PutLe32(bytes, at, value);
        return bytes;
    };
    const auto flip = [&good](std::size_t at) {
        Bytes bytes = good;
        bytes[at] ^= 0x01;
        return bytes;
    };
    const auto pastTheEnd = [&stored](const std::string& length) {
        return "the stored length " + length + " runs past the end of the package (" + stored +
               " bytes follow the name)";
    };
    const auto inflates = [](const std::string& what, const char* declared) {
        return "the image inflates to " + what + declared + " the header gives";
    };
    const struct {
        const char* label;
        Bytes package;
        std::string fault; // the exact reason
    } cases[] = {
        {"seven bytes", Bytes(good.begin(), good.begin() + 7),
         "the header is shorter than 8 bytes (the package has 7)"},
        {"header only", Bytes(good.begin(), good.begin() + 8), "the name has no terminating zero"},
        {"stored length one too many", set(good, 4, stream + 17), pastTheEnd(std::to_string(stream + 17))},
        {"stored length huge", set(good, 4, 0xFFFFFFFFu), pastTheEnd("4294967295")},
        {"size one over the cap", set(good, 0, (64u << 20) + 1),
         "the uncompressed size 67108865 is more than the 67108864 bytes an image may have"},
        {"size one byte short", set(good, 0, 3999), inflates("4000 bytes, not the ", "3999")},
        {"size far short", set(good, 0, 100), inflates("more than the ", "100 bytes")},
        {"size says empty", set(good, 0, 0), inflates("more than the ", "0 bytes")},
        {"size one byte long", set(good, 0, 4001), inflates("4000 bytes, not the ", "4001")},
        {"stream cut by the stored length", set(good, 4, stream - 4),
         "the zlib stream does not end within the " + std::to_string(stream - 4) + " stored bytes"},
        {"nothing stored, empty image", set(MakePackage("A", {}), 4, 0),
         "the zlib stream does not end within the 0 stored bytes"},
        {"more than deflate can give", set(MakePackage("A", Bytes(10321, 0)), 4, 9),
         "the uncompressed size 10321 is more than 9 stored bytes can inflate to"},
        {"not a zlib header", flip(20),
         "the zlib stream is damaged (incorrect header check) after 2 of " + stored + " stored bytes"},
        {"checksum", flip(20 + stream - 1),
         "the zlib stream is damaged (incorrect data check) after " + std::to_string(stream) + " of " + stored +
             " stored bytes"},
    };
    CZlbFile package;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(package.LoadFromMemory(c.package), CZlbFile::kDamaged);
        EXPECT_EQ(package.GetFault(), c.fault);
        EXPECT_TRUE(package.GetData().empty()); // never a zero-filled or partial image
        EXPECT_EQ(package.GetStreamLength(), 0u);
        EXPECT_TRUE(package.GetStream().empty());
        ScratchDir dir;
        WriteFile(dir / "P.zlb", c.package);
        EXPECT_EQ(package.Unpack(dir / "P.zlb"), CZlbFile::kDamaged);
        EXPECT_EQ(package.GetFault(), c.fault);
        EXPECT_EQ(dir.Files(), Names{"P.zlb"});
    }
    EXPECT_EQ(package.LoadFromMemory(good), CZlbFile::kOk); // a good load clears the fault
    EXPECT_EQ(package.GetFault(), "");

    // Zeros come near deflate's best ratio, which the size check must still allow at the cap.
    EXPECT_EQ(package.LoadFromMemory(MakePackage("Z", Bytes(qvxpkg::kMaxImageBytes, 0))), CZlbFile::kOk);
    EXPECT_EQ(package.GetData().size(), qvxpkg::kMaxImageBytes);
}

TEST(ZlbFile, UnpackWritesOnlyAPlainStoredNameBesideAPackage)
{
    const auto notPlain = [](const std::string& shown) {
        return "the package names its image \"" + shown + "\", which is not a plain file name";
    };
    const std::string notAPackage = " is not a package: its name must end in \".zlb\""; // after the path
    struct UnpackCase {
        std::string file;
        std::string stored;
        int status;
        std::string fault;
    };
    std::vector<UnpackCase> cases = {
        {"P.zlb", "IMAGE.EXE", CZlbFile::kOk, ""},
        {"P.ZLB", "IMAGE.EXE", CZlbFile::kOpenFailed, notAPackage},
        {"P.zlb.bak", "IMAGE.EXE", CZlbFile::kOpenFailed, notAPackage},
        {"P", "IMAGE.EXE", CZlbFile::kOpenFailed, notAPackage},
        {"P.zlbx", "IMAGE.EXE", CZlbFile::kOpenFailed, notAPackage},
        {"P.zlb", "a/\x01\x7f\xff", CZlbFile::kDamaged, notPlain("a/\\x01\\x7F\\xFF")},
    };
    for (const char* hostile : {"../EVIL.EXE", "/tmp/EVIL.EXE", "sub/EVIL.EXE", "..\\EVIL.EXE", "C:EVIL.EXE",
                                "C:\\EVIL.EXE", ".", "..", ""})
        cases.push_back({"P.zlb", hostile, CZlbFile::kDamaged, notPlain(hostile)});
    const Bytes image = TextLike(20000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " holding " + c.stored);
        ScratchDir dir;
        std::filesystem::create_directories(dir.path / "in");
        const std::string path = dir / ("in/" + c.file);
        WriteFile(path, MakePackage(c.stored, image));
        CZlbFile package;
        EXPECT_EQ(package.Unpack(path), c.status);
        EXPECT_EQ(package.GetFault(), c.status == CZlbFile::kOpenFailed ? path + c.fault : c.fault);
        EXPECT_EQ(dir.Files(), Names{"in"});
        const bool ok = c.status == CZlbFile::kOk;
        EXPECT_EQ(dir.Files("in"), ok ? Names({"IMAGE.EXE", "P.zlb"}) : Names({c.file}));
        EXPECT_EQ(DataOf(package), ok ? image : Bytes());
        EXPECT_EQ(ReadFile(dir / "in/IMAGE.EXE"), ok ? image : Bytes());
    }
    EXPECT_FALSE(std::filesystem::exists("/tmp/EVIL.EXE"));
}

} // namespace
