// The display list reader: the 48-line record layout, entries per address, overflowing numbers,
// Windows line ends, long lines, and Open's faults.
#include "update/DisplayList.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

struct Fields {
    std::string name = "Lobby", height = "16", width = "80", addresses = "1", port = "COM3", baud = "115200";
    std::string filler = "9,9"; // skipped lines: a record read out of step picks these up
    std::size_t lines = 48;     // fewer: the file ends inside the record
};

std::string Record(const Fields& f, const char* lineEnd = "\n")
{
    std::vector<std::string> lines(48, f.filler);
    lines[0] = f.name, lines[2] = f.height, lines[3] = f.width, lines[9] = f.addresses;
    lines[21] = f.port, lines[22] = f.baud;
    std::string text;
    for (std::size_t i = 0; i < f.lines; ++i)
        text += lines[i] + lineEnd;
    return text;
}

DisplayInfo Entry(std::uint32_t index, std::string name, std::uint32_t address, std::uint16_t port = 3,
                  std::uint32_t baud = 115200)
{
    return {index, std::move(name), 16, 80, port, baud, address};
}

std::vector<DisplayInfo> Displays(const CSilentConfigFileParser& parser)
{
    std::vector<DisplayInfo> displays{Entry(9, "stale", 9)};
    parser.GetDisplays(displays);
    return displays;
}

TEST(DisplayList, Records)
{
    const std::string longName(150, 'N'), odd("N\0\xFF\x80", 4), bom = "\xEF\xBB\xBF";
    const std::vector<DisplayInfo> two{Entry(0, "Lobby", 1), Entry(1, "Lobby", 2), Entry(2, "B", 1, 4)};
    const std::string crlf = Record({.addresses = "1,x, 2"}, "\r\n") + Record({.name = "B", .port = "COM4", .lines = 23}, "\r\n");
    const std::string lf = Record({.addresses = "1,x, 2"}) + Record({.name = "B", .port = "COM4", .lines = 23});
    const struct {
        std::string text;
        std::vector<DisplayInfo> expected;
        std::vector<std::string> notes;
    } cases[] = {
        {Record({.addresses = "1, 2,x, 3", .port = "COM12", .baud = "9600 baud"}),
         {Entry(0, "Lobby", 1, 12, 9600), Entry(1, "Lobby", 2, 12, 9600), Entry(2, "Lobby", 3, 12, 9600)}, {}},
        // unused slots: no entry, no index, no note
        {Record({.name = "", .port = "COM70000"}) + Record({.addresses = " ,x,", .port = "COM70000"}) + Record({.name = "B"}),
         {Entry(0, "B", 1)}, {}},
        {lf, two, {}}, // the second record stops after its baud line
        {Record({}) + Record({.name = "B", .lines = 22}), {Entry(0, "Lobby", 1)}, {}},
        {crlf, two, {}},
        {bom + lf, two, {}},
        {bom + crlf.substr(0, crlf.size() - 2), two, {}},
        {lf.substr(0, lf.size() - 1) + "\r", two, {}},
        {Record({.addresses = "0000000000000000000007,0", .port = "COM", .baud = "000000000000004294967295"}),
         {Entry(0, "Lobby", 7, 0, 4294967295u), Entry(1, "Lobby", 0, 0, 4294967295u)}, {}},
        {Record({.name = "P", .port = "COM65536"}) + Record({.name = "R", .baud = "4294967296"}) +
             Record({.name = "A", .addresses = "1,99999999999"}) +
             Record({.name = "H\t", .height = "4294967296", .port = "COM999999"}) + Record({.name = "Ok", .port = "COM065535"}),
         {Entry(0, "Ok", 1, 65535)},
         {"the record at line 1 (\"P\") is left out: the COM port 65536 is out of range",
          "the record at line 49 (\"R\") is left out: the baud rate 4294967296 is out of range",
          "the record at line 97 (\"A\") is left out: the address 99999999999 is out of range",
          "the record at line 145 (\"H\\x09\") is left out: the height 4294967296 is out of range; the COM port 999999 is out of range"}},
        {Record({.name = longName, .filler = std::string(150, '9')}) + Record({.name = "B"}),
         {Entry(0, longName.substr(0, 99), 1), Entry(1, "B", 1)}, {}},
        {Record({.name = odd}), {Entry(0, odd, 1)}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text.substr(0, 40)));
        CSilentConfigFileParser parser;
        parser.Parse(c.text);
        EXPECT_EQ(Displays(parser), c.expected);
        EXPECT_EQ(parser.GetSkippedRecords(), c.notes);
    }
}

TEST(DisplayList, Open)
{
    const auto dir = std::filesystem::temp_directory_path() / ("qvx-display-list-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "list.dat", std::ios::binary) << "\xEF\xBB\xBF" << Record({.name = "B"});
    std::ofstream(dir / "empty.dat", std::ios::binary).flush();
    std::ofstream(dir / "big.dat", std::ios::binary).flush();
    std::filesystem::resize_file(dir / "big.dat", CSilentConfigFileParser::kMaxFileBytes + 1);
    const struct {
        std::string path;
        std::string fault; // a piece of it; empty: opens
        std::vector<DisplayInfo> expected;
    } cases[] = {
        {(dir / "list.dat").string(), "", {Entry(0, "B", 1)}},
        {(dir / "empty.dat").string(), "", {}},
        {"", "no display list", {}},
        {(dir / "missing.dat").string(), std::strerror(ENOENT), {}},
        {dir.string(), "folder", {}},
        {(dir / "big.dat").string(), "more than", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        CSilentConfigFileParser parser;
        parser.Parse(Record({}));
        EXPECT_EQ(parser.Open(c.path), c.fault.empty());
        EXPECT_NE(parser.GetFault().find(c.fault), std::string::npos) << parser.GetFault();
        EXPECT_EQ(c.fault.empty(), parser.GetFault().empty());
        EXPECT_EQ(Displays(parser), c.expected);
    }
    std::filesystem::remove_all(dir);
}

} // namespace

namespace {

TEST(DisplayList, NoMoreEntriesThanAStoreCanHave)
{
    // 30 addresses a record: a hostile file may not grow the list without bound.
    std::string addresses = "1";
    for (int a = 2; a <= 30; ++a)
        addresses += "," + std::to_string(a);
    std::string text;
    for (std::size_t records = 0; records * 30 <= CSilentConfigFileParser::kMaxEntries; ++records)
        text += Record({.addresses = addresses});
    CSilentConfigFileParser parser;
    parser.Parse(text);
    EXPECT_EQ(Displays(parser).size(), CSilentConfigFileParser::kMaxEntries);
    EXPECT_EQ(parser.GetSkippedRecords(),
              std::vector<std::string>{"the displays after the first 61200 are left out: no store has more "
                                       "(255 ports, 240 addresses each)"});
}

} // namespace
