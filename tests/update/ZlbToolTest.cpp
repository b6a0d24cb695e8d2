// qvx-zlb end to end: pack, info and unpack round trip, its messages and exit statuses.
#include "PackageTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pkgtest;

namespace {

CommandResult Zlb(const std::string& arguments)
{
    return RunCommand(Quote(QVX_ZLB) + " " + arguments);
}

TEST(ZlbTool, PackInfoUnpackRoundTrip)
{
    ScratchDir dir;
    const Bytes image = ReadFile(std::string(QVX_FIRMWARE_DIR) + "/FX40211.EXE");
    ASSERT_FALSE(image.empty());
    WriteFile(dir / "FX40211.EXE", image);

    const auto packed = Zlb("pack " + Quote(dir / "FX40211.EXE"));
    ASSERT_EQ(packed.status, 0) << packed.output;
    EXPECT_EQ(packed.output.rfind((dir / "FX40211.EXE") + " -> " + (dir / "FX40211.zlb") + ": " +
                                      std::to_string(image.size()) + " bytes, zlib stream ",
                                  0),
              0u)
        << packed.output;
    const Bytes package = ReadFile(dir / "FX40211.zlb");
    EXPECT_EQ(package, MakePackage("FX40211.EXE", image));

    const auto info = Zlb("info " + Quote(dir / "FX40211.zlb"));
    ASSERT_EQ(info.status, 0) << info.output;
    const std::size_t stream = package.size() - 8 - 12 - 16;
    for (const std::string& line :
         {"package            " + (dir / "FX40211.zlb") + " (" + std::to_string(package.size()) + " bytes)\n",
          "uncompressed size  " + std::to_string(image.size()) + "\n",
          "stored length      " + std::to_string(stream + 16) + "\n", std::string("name               FX40211.EXE\n"),
          "zlib stream        " + std::to_string(stream) + " bytes (", std::string("firmware version   FX40211-"),
          std::string("sound              yes\n")})
        EXPECT_NE(info.output.find(line), std::string::npos) << line << "\n" << info.output;

    std::filesystem::remove(dir.Path() / "FX40211.EXE");
    const auto unpacked = Zlb("unpack " + Quote(dir / "FX40211.zlb"));
    ASSERT_EQ(unpacked.status, 0) << unpacked.output;
    EXPECT_EQ(unpacked.output, (dir / "FX40211.zlb") + " -> " + (dir / "FX40211.EXE") + ": " +
                                   std::to_string(image.size()) + " bytes\n");
    EXPECT_EQ(ReadFile(dir / "FX40211.EXE"), image);
}

TEST(ZlbTool, InfoOnAnImageWithoutARevision)
{
    ScratchDir dir;
    WriteFile(dir / "NOTES.TXT", TextLike(2000));
    ASSERT_EQ(Zlb("pack " + Quote(dir / "NOTES.TXT")).status, 0);
    const auto info = Zlb("info " + Quote(dir / "NOTES.zlb"));
    EXPECT_EQ(info.status, 0) << info.output;
    EXPECT_NE(info.output.find("firmware version   none found\n"), std::string::npos) << info.output;
}

TEST(ZlbTool, ExitStatusesAndMessages)
{
    ScratchDir dir;
    WriteFile(dir / "A.ZLB", MakePackage("A.BIN", TextLike(100)));
    Bytes damaged = MakePackage("A.BIN", TextLike(100));
    PutLe32(damaged, 0, 99);
    WriteFile(dir / "BAD.zlb", damaged);
    WriteFile(dir / "EVIL.zlb", MakePackage("../A.BIN", TextLike(100)));

    struct ToolCase {
        std::string arguments;
        int status;
        std::string output; // the start of what it prints
    };
    const ToolCase cases[] = {
        {"", 64, "usage: qvx-zlb pack <file>"},
        {"pack", 64, "usage: qvx-zlb pack <file>"},
        {"pack a b", 64, "usage: qvx-zlb pack <file>"},
        {"squash " + Quote(dir / "A.ZLB"), 64, "qvx-zlb: unknown command \"squash\" (qvx-zlb --help lists them)\n"},
        {"pack " + Quote(dir / "MISSING"), 2, "qvx-zlb: cannot open " + (dir / "MISSING")},
        {"unpack " + Quote(dir / "A.ZLB"), 2,
         "qvx-zlb: " + (dir / "A.ZLB") + ": " + (dir / "A.ZLB") + " is not a package: its name must end in \".zlb\"\n"},
        {"unpack " + Quote(dir / "MISSING.zlb"), 2, "qvx-zlb: " + (dir / "MISSING.zlb") + ": cannot open"},
        {"unpack " + Quote(dir / "BAD.zlb"), 4,
         "qvx-zlb: " + (dir / "BAD.zlb") + ": the image inflates to 100 bytes, not the 99 the header gives\n"},
        {"unpack " + Quote(dir / "EVIL.zlb"), 4,
         "qvx-zlb: " + (dir / "EVIL.zlb") + ": the package names its image \"../A.BIN\", which is not a plain file name\n"},
        {"info " + Quote(dir / "MISSING.zlb"), 2, "qvx-zlb: cannot open " + (dir / "MISSING.zlb")},
        {"info " + Quote(dir / "BAD.zlb"), 4, "package            " + (dir / "BAD.zlb")},
        {"info " + Quote(dir / "EVIL.zlb"), 4, "package            " + (dir / "EVIL.zlb")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto result = Zlb(c.arguments);
        EXPECT_EQ(result.status, c.status) << result.output;
        EXPECT_EQ(result.output.rfind(c.output, 0), 0u) << result.output;
    }
    // Nothing was written by the refusals.
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"A.ZLB", "BAD.zlb", "EVIL.zlb"}));

    const auto bad = Zlb("info " + Quote(dir / "BAD.zlb"));
    EXPECT_NE(bad.output.find("sound              no: the image inflates to 100 bytes, not the 99 the header gives\n"),
              std::string::npos)
        << bad.output;
    const auto evil = Zlb("info " + Quote(dir / "EVIL.zlb"));
    EXPECT_NE(evil.output.find("sound              no: the name is not a plain file name\n"), std::string::npos)
        << evil.output;
}

TEST(ZlbTool, Help)
{
    const auto help = Zlb("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.output.rfind("usage: qvx-zlb pack <file>", 0), 0u) << help.output;
    for (const char* line : {"   0  done", "   1  out of memory", "   2  a file could not be opened",
                             "   3  the file to pack", "   4  the package is damaged", "  64  wrong usage"})
        EXPECT_NE(help.output.find(line), std::string::npos) << line;
}

} // namespace
