// qvx-zlb end to end: pack, info and unpack, their messages and exit statuses.
#include "PackageTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pkgtest;

namespace {

TEST(ZlbTool, MessagesAndExitStatuses)
{
    ScratchDir dir;
    const Bytes image = ReadFile(QVX_FIRMWARE_DIR "/FX40211.EXE");
    ASSERT_FALSE(image.empty());
    WriteFile(dir / "FX40211.EXE", image);
    const Bytes package = MakePackage("FX40211.EXE", image);
    const std::string size = std::to_string(image.size()), stream = std::to_string(package.size() - 8 - 12 - 16);
    WriteFile(dir / "A.ZLB", MakePackage("A.BIN", TextLike(100)));
    WriteFile(dir / "NOTES.zlb", MakePackage("NOTES.TXT", TextLike(2000)));
    Bytes damaged = MakePackage("A.BIN", TextLike(100));
    PutLe32(damaged, 0, 99);
    WriteFile(dir / "BAD.zlb", damaged);
    WriteFile(dir / "EVIL.zlb", MakePackage("../A.BIN", TextLike(100)));
    std::filesystem::create_directories(dir.path / "FOLDER.BIN");
    WriteFile(dir / "BIG.BIN", Bytes{1});
    std::filesystem::resize_file(dir.path / "BIG.BIN", (64u << 20) + 1); // sparse: the size is what counts
    const std::string bad = "the image inflates to 100 bytes, not the 99 the header gives\n";
    const struct {
        std::string arguments; // in this order: the package is made first
        int status;
        std::string output; // a part of what it prints
    } cases[] = {
        {"pack " + Quote(dir / "FX40211.EXE"), 0,
         (dir / "FX40211.EXE") + " -> " + (dir / "FX40211.zlb") + ": " + size + " bytes, zlib stream " + stream},
        {"info " + Quote(dir / "FX40211.zlb"), 0,
         "package            " + (dir / "FX40211.zlb") + " (" + std::to_string(package.size()) + " bytes)\n" +
             "uncompressed size  " + size + "\nstored length      " + std::to_string(std::stoul(stream) + 16) +
             "\nname               FX40211.EXE\nzlib stream        " + stream + " bytes ("},
        {"info " + Quote(dir / "FX40211.zlb"), 0, "\nfirmware version   FX40211-"},
        {"info " + Quote(dir / "FX40211.zlb"), 0, "\nsound              yes\n"},
        {"unpack " + Quote(dir / "FX40211.zlb"), 0,
         (dir / "FX40211.zlb") + " -> " + (dir / "FX40211.EXE") + ": " + size + " bytes\n"},
        {"--help", 0, "Exit status:\n   0  done"},
        {"", 64, "usage: qvx-zlb pack <file>"},
        {"pack a b", 64, "usage: qvx-zlb pack <file>"},
        {"squash " + Quote(dir / "A.ZLB"), 64, "qvx-zlb: unknown command \"squash\" (qvx-zlb --help lists them)\n"},
        {"pack " + Quote(dir / "MISSING"), 2, "qvx-zlb: cannot open " + (dir / "MISSING")},
        {"pack " + Quote(dir / "FOLDER.BIN"), 2, "qvx-zlb: cannot read " + (dir / "FOLDER.BIN") + ": it is a folder\n"},
        {"pack " + Quote(dir / "BIG.BIN"), 3,
         "qvx-zlb: " + (dir / "BIG.BIN") + " is 67108865 bytes, more than the 67108864 allowed\n"},
        {"unpack " + Quote(dir / "A.ZLB"), 2,
         "qvx-zlb: " + (dir / "A.ZLB") + ": " + (dir / "A.ZLB") + " is not a package: its name must end in \".zlb\"\n"},
        {"unpack " + Quote(dir / "MISSING.zlb"), 2, "qvx-zlb: " + (dir / "MISSING.zlb") + ": cannot open"},
        {"unpack " + Quote(dir / "BAD.zlb"), 4, "qvx-zlb: " + (dir / "BAD.zlb") + ": " + bad},
        {"unpack " + Quote(dir / "EVIL.zlb"), 4,
         ": the package names its image \"../A.BIN\", which is not a plain file name\n"},
        {"info " + Quote(dir / "MISSING.zlb"), 2, "qvx-zlb: cannot open " + (dir / "MISSING.zlb")},
        {"info " + Quote(dir / "BAD.zlb"), 4, "uncompressed size  99\nstored length      "},
        {"info " + Quote(dir / "BAD.zlb"), 4, "\nsound              no: " + bad},
        {"info " + Quote(dir / "EVIL.zlb"), 4, "\nsound              no: the name is not a plain file name\n"},
        {"info " + Quote(dir / "NOTES.zlb"), 0, "\nfirmware version   none found\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto result = RunCommand(Quote(QVX_ZLB) + " " + c.arguments);
        EXPECT_EQ(result.status, c.status) << result.output;
        EXPECT_NE(result.output.find(c.output), std::string::npos) << result.output;
    }
    EXPECT_EQ(ReadFile(dir / "FX40211.zlb"), package);
    EXPECT_EQ(ReadFile(dir / "FX40211.EXE"), image);
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"A.ZLB", "BAD.zlb", "BIG.BIN", "EVIL.zlb", "FOLDER.BIN",
                                                     "FX40211.EXE", "FX40211.zlb", "NOTES.zlb"}))
        << "the refusals write nothing";
}

} // namespace
