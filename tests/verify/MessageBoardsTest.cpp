// The check pages' boards: message two's lines from what was sent, its date before and after 1970,
// and whole characters centred on the LEDs.
#include "files/XmlDoc.h"
#include "verify/MessageBoards.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

constexpr long long kEvening = 1751671800; // 2025-07-04 23:30 UTC
constexpr long long kNoon = 1751630400;    // 2025-07-04 12:00 UTC

std::string Joined(const std::vector<std::string>& lines)
{
    std::string joined;
    for (const std::string& line : lines)
        joined += (joined.empty() ? "" : "|") + line;
    return joined;
}

struct SentCase { const char* name; const char* status; long long clockSet; const char* lines; };

// The clock set, moved into the display's zone (and its daylight saving) from its STATUS.XML, and
// the temperature reported there.
TEST(MessageBoards, MessageTwoLinesFollowWhatWasSent)
{
    const SentCase cases[] = {
        {"UTC", R"(<STATUS temp="21"><TIME sec="5" zn="0" dsta="0"/></STATUS>)", kEvening,
         "Store: 4711|07/04/2025|69\xb0" "F"},
        {"west, with daylight saving", R"(<STATUS temp="-40"><TIME zn="-300" dsta="1"/></STATUS>)",
         kEvening + 5 * 3600, "Store: 4711|07/05/2025|-40\xb0" "F"},
        {"east, past midnight", R"(<STATUS temp="0"><TIME zn="330" dsta="0"/></STATUS>)", kEvening,
         "Store: 4711|07/05/2025|32\xb0" "F"},
        {"no temperature", R"(<STATUS><TIME zn="0"/></STATUS>)", kEvening, "Store: 4711|07/04/2025"},
        {"cut toward zero", R"(<STATUS temp="-19"><TIME zn="0"/></STATUS>)", kEvening,
         "Store: 4711|07/04/2025|-2\xb0" "F"},
    };
    for (const SentCase& c : cases) {
        CXmlDoc doc;
        ASSERT_TRUE(doc.SetDocument(c.status)) << c.name;
        EXPECT_EQ(Joined(SentMessageTwoLines(doc, "4711", c.clockSet)), c.lines) << c.name;
    }
}

struct DateCase { long long seconds; const char* date; };

// Month/day/year of the proleptic Gregorian calendar, no year 0, nothing beyond a clock of
// milliseconds in 64 bits.
TEST(MessageBoards, DatesBeforeAndAfter1970)
{
    const DateCase cases[] = {
        {0, "01/01/1970"},
        {-1, "12/31/1969"},
        {-86401, "12/30/1969"},
        {951782400, "02/29/2000"},
        {4102444800, "01/01/2100"},
        {-2208988800, "01/01/1900"},
        {-62135596800, "01/01/0001"},
        {-62135596801, "12/31/-0001"},
        {-62162035200, "03/01/-0001"},
        {-62167219201, "12/31/-0002"},
        {-100000000000, "02/15/-1200"},
        {253402300800, "01/01/10000"},
        {-377705116801, "12/31/-10001"},
        {9223372036854775, "08/17/292278994"},
        {-9223372036854775, "05/16/-292275056"},
        {9223372036854776, ""},
        {-9223372036854776, ""},
        {LLONG_MAX, ""},
        {LLONG_MIN, ""},
    };
    for (const DateCase& c : cases)
        EXPECT_EQ(MessageDate(c.seconds), c.date) << c.seconds;
    EXPECT_EQ(Joined(MessageTwoLines("1", LLONG_MIN, "")), "Store: 1|");
}

struct BoardCase { const char* name; int width, height; const char* store; const char* lines; bool cut; };

// Only whole characters, centred: the outermost LED columns stay dark where a row is longer than
// the display; a message two line too long shows its middle and says so.
TEST(MessageBoards, PicturesDrawWholeCharacters)
{
    const BoardCase cases[] = {
        {"32 x 80", 80, 32, "", "1111111111111|2222222222222|3333333333333|4444444444444", false},
        {"32 x 128", 128, 32, "",
         "111111111111111111111|222222222222222222222|333333333333333333333|444444444444444444444", false},
        {"short store number", 80, 32, "4711", "Store: 4711|07/04/2025|69\xb0" "F", false},
        {"long store number", 80, 32, "1234567890123456", ": 12345678901|07/04/2025|69\xb0" "F", true},
        {"long store number, wide display", 160, 48, "1234567890123456",
         "Store: 1234567890123456|07/04/2025|69\xb0" "F", false},
    };
    for (const BoardCase& c : cases) {
        const VerificationDisplay display{c.width, c.height, 6, false, false};
        const LedBoard board = *c.store ? MessageTwoBoard(display, MessageTwoLines(c.store, kNoon, "21"))
                                        : MessageOneBoard(display);
        EXPECT_EQ(Joined(board.lines), c.lines) << c.name;
        EXPECT_EQ(board.bCut, c.cut) << c.name;
        for (int y = 0; y < board.nHeight; ++y)
            EXPECT_FALSE(board.IsLit(0, y) || board.IsLit(board.nWidth - 1, y)) << c.name << " row " << y;
    }
}

struct GeometryCase { int width, height; double scale; double pitch; int pictureWidth, pictureHeight; bool glow; };

// The field stays within 480 x 192 at scale 1 and grows with the scale; small LEDs lose their glow.
TEST(MessageBoards, PictureSizeFollowsTheDisplayAndTheScale)
{
    const GeometryCase cases[] = {
        {80, 32, 1.0, 6, 508, 220, true},
        {80, 32, 2.0, 12, 1016, 440, true},
        {160, 48, 1.0, 3, 508, 172, true},
        {224, 64, 1.0, 480.0 / 224, 508, 165, false},
        {300, 100, 1.0, 1.6, 508, 188, false},
    };
    for (const GeometryCase& c : cases) {
        LedBoard board;
        board.nWidth = c.width;
        board.nHeight = c.height;
        const BoardGeometry geometry = BoardGeometryFor(board, c.scale);
        EXPECT_DOUBLE_EQ(geometry.pitch, c.pitch) << c.width;
        EXPECT_EQ(geometry.nWidth, c.pictureWidth) << c.width;
        EXPECT_EQ(geometry.nHeight, c.pictureHeight) << c.width;
        EXPECT_EQ(geometry.bGlow, c.glow) << c.width;
    }
}

} // namespace
