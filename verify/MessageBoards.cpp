#include "verify/MessageBoards.h"

#include "files/ControllerStatus.h"
#include "files/DecimalText.h"
#include "files/XmlDoc.h"
#include "verify/VerificationMessages.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kAdvance = 6;   // a glyph and one dark column, as the display's 5-wide fonts step
constexpr int kRowPitch = 8;  // message one's rows, in its 8-high font
constexpr char kDegree = '\xb0';

// The window of the displays whose panels show the messages in part of them.
constexpr int kWindowWidth = 80;
constexpr int kWindowHeight = 32;

// How large a picture gets, in pixels at scale 1: the LED pitch shrinks for a larger display.
constexpr double kMaxPitch = 6;
constexpr double kMaxFieldWidth = 480;
constexpr double kMaxFieldHeight = 192;
constexpr int kBezel = 14;
constexpr double kMinGlowPitch = 3;

struct Glyph {
    char ch;
    std::array<const char*, kGlyphHeight> rows; // '#' lit
};

// A 5 x 7 dot font with every character the two messages show.
constexpr Glyph kFont[] = {
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'t', {" #   ", " #   ", "###  ", " #   ", " #   ", " #  #", "  ## "}},
    {'o', {"     ", "     ", " ### ", "#   #", "#   #", "#   #", " ### "}},
    {'r', {"     ", "     ", "# ## ", "##  #", "#    ", "#    ", "#    "}},
    {'e', {"     ", "     ", " ### ", "#   #", "#####", "#    ", " ### "}},
    {':', {"     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "}},
    {'/', {"     ", "    #", "   # ", "  #  ", " #   ", "#    ", "     "}},
    {'-', {"     ", "     ", "     ", "#####", "     ", "     ", "     "}},
    {kDegree, {" ##  ", "#  # ", "#  # ", " ##  ", "     ", "     ", "     "}},
};

const Glyph* FindGlyph(char ch)
{
    for (const Glyph& glyph : kFont)
        if (glyph.ch == ch)
            return &glyph;
    return nullptr; // a blank
}

void Light(LedBoard& board, int x, int y)
{
    if (x >= 0 && x < board.nWidth && y >= 0 && y < board.nHeight)
        board.lit[static_cast<std::size_t>(y) * static_cast<std::size_t>(board.nWidth) + static_cast<std::size_t>(x)] =
            true;
}

// A line centred across the board with its glyphs' top row at top. Only whole characters: of a
// line too wide the middle ones that fit (the message is centred on the display too); nothing of a
// line whose glyphs would run past the bottom.
void DrawLine(LedBoard& board, std::string_view text, int top)
{
    const std::size_t fit = static_cast<std::size_t>((board.nWidth + 1) / kAdvance);
    std::string_view shown = text;
    if (shown.size() > fit) {
        shown = shown.substr((shown.size() - fit) / 2, fit);
        board.bCut = true;
    }
    if (top < 0 || top + kGlyphHeight > board.nHeight) {
        board.bCut = board.bCut || !text.empty();
        return;
    }
    board.lines.emplace_back(shown);
    const int inkWidth = static_cast<int>(shown.size()) * kAdvance - 1;
    int left = (board.nWidth - inkWidth) / 2;
    for (char ch : shown) {
        if (const Glyph* glyph = FindGlyph(ch))
            for (int row = 0; row < kGlyphHeight; ++row)
                for (int column = 0; column < kGlyphWidth; ++column)
                    if (glyph->rows[static_cast<std::size_t>(row)][column] == '#')
                        Light(board, left + column, top + row);
        left += kAdvance;
    }
}

std::vector<std::string> SplitRows(const std::string& rows)
{
    constexpr std::string_view kBreak = "<BR/>";
    std::vector<std::string> lines;
    std::string_view rest = rows;
    while (!rest.empty()) {
        const std::size_t end = rest.find(kBreak);
        lines.emplace_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + kBreak.size());
    }
    return lines;
}

// Floor division, for the days before 1970.
long long FloorDiv(long long value, long long divisor)
{
    const long long quotient = value / divisor;
    return value % divisor < 0 ? quotient - 1 : quotient;
}

struct CivilDate {
    long long year; // astronomical: 0 is the year before 1
    int month;
    int day;
};

// The Gregorian date of a day counted from 1970-01-01, in eras of 400 years (146097 days) that
// start on 1 March, so that the leap day ends a year.
CivilDate CivilFromDays(long long days)
{
    days += 719468; // from 0000-03-01
    const long long era = FloorDiv(days, 146097);
    const long long dayOfEra = days - era * 146097;                                          // 0 .. 146096
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365; // 0 .. 399
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100); // 0 .. 365
    const long long shiftedMonth = (5 * dayOfYear + 2) / 153;                                 // 0 .. 11, March first
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

} // namespace

bool LedBoard::IsLit(int x, int y) const
{
    if (x < 0 || x >= nWidth || y < 0 || y >= nHeight)
        return false;
    return lit[static_cast<std::size_t>(y) * static_cast<std::size_t>(nWidth) + static_cast<std::size_t>(x)];
}

LedBoard EmptyMessageBoard(const VerificationDisplay& display)
{
    LedBoard board;
    const bool known = display.nWidth > 0 && display.nHeight > 0;
    // A display of no known size is drawn as the smallest standard one.
    board.nWidth = display.bWindow || !known ? kWindowWidth : std::min(display.nWidth, kMaxVerificationPixels);
    board.nHeight = display.bWindow || !known ? kWindowHeight : std::min(display.nHeight, kMaxVerificationPixels);
    board.lit.assign(static_cast<std::size_t>(board.nWidth) * static_cast<std::size_t>(board.nHeight), false);
    return board;
}

LedBoard MessageOneBoard(const VerificationDisplay& display)
{
    LedBoard board = EmptyMessageBoard(display);
    // The rows come from the display's full size even in the window, as the message's do.
    int top = 0;
    for (const std::string& row : SplitRows(VerificationRows(display.nWidth, display.nHeight))) {
        if (top + kGlyphHeight > board.nHeight)
            break; // the message's rows below the window are not shown
        DrawLine(board, row, top);
        top += kRowPitch;
    }
    // Each row is made longer than the display on purpose: its cut is not worth a word.
    board.bCut = false;
    return board;
}

std::string MessageDate(long long seconds)
{
    // The range of a clock kept in milliseconds in 64 bits; beyond it there is no date.
    constexpr long long kLimit = 9223372036854775LL;
    if (seconds < -kLimit || seconds > kLimit)
        return {};
    const CivilDate date = CivilFromDays(FloorDiv(seconds, 86400));
    // No year 0: the year before 1 is -1.
    const long long year = date.year > 0 ? date.year : date.year - 1;
    char text[40];
    std::snprintf(text, sizeof text, year < 0 ? "%02d/%02d/-%04lld" : "%02d/%02d/%04lld", date.month, date.day,
                  year < 0 ? -year : year);
    return text;
}

std::vector<std::string> MessageTwoLines(std::string_view storeNumber, long long localSeconds,
                                         std::string_view celsius)
{
    std::vector<std::string> lines{"Store: " + std::string(storeNumber), MessageDate(localSeconds)};
    if (!celsius.empty()) {
        // Worked in integers, cut toward zero, as the status list shows it: (9c + 160) / 5.
        const long long fahrenheit = (static_cast<long long>(DecimalIntValue(celsius)) * 9 + 160) / 5;
        lines.push_back(std::to_string(fahrenheit) + kDegree + "F");
    }
    return lines;
}

std::vector<std::string> SentMessageTwoLines(CXmlDoc& status, std::string_view storeNumber, long long clockSet)
{
    ControllerTime time = ReadStatusTime(status);
    time.nSeconds = clockSet;
    std::string celsius;
    status.ResetPosition();
    if (status.FindElement(StatusXml::kRoot))
        celsius = status.GetAttribute(StatusXml::kTemperature);
    status.ResetPosition();
    return MessageTwoLines(storeNumber, time.LocalSeconds(), celsius);
}

LedBoard MessageTwoBoard(const VerificationDisplay& display, const std::vector<std::string>& lines)
{
    LedBoard board = EmptyMessageBoard(display);
    constexpr int kSpacing = 1;
    const int count = static_cast<int>(lines.size());
    int top = (board.nHeight - (count * kGlyphHeight + std::max(0, count - 1) * kSpacing)) / 2;
    top = std::max(0, top);
    for (const std::string& line : lines) {
        DrawLine(board, line, top);
        top += kGlyphHeight + kSpacing;
    }
    return board;
}

const BoardPalette& LedPalette(bool amber)
{
    static const BoardPalette kAmber{{255, 226, 150}, {255, 150, 0}, {255, 140, 0, 70}, {44, 30, 14}};
    static const BoardPalette kWhite{{255, 255, 255}, {205, 215, 235}, {220, 230, 255, 60}, {34, 34, 38}};
    return amber ? kAmber : kWhite;
}

BoardGeometry BoardGeometryFor(const LedBoard& board, double scale)
{
    scale = std::clamp(scale, 0.5, 8.0);
    BoardGeometry geometry;
    const double pitch = std::min({kMaxPitch, kMaxFieldWidth / std::max(1, board.nWidth),
                                   kMaxFieldHeight / std::max(1, board.nHeight)});
    geometry.pitch = pitch * scale;
    geometry.nFieldWidth = static_cast<int>(board.nWidth * geometry.pitch + 0.5);
    geometry.nFieldHeight = static_cast<int>(board.nHeight * geometry.pitch + 0.5);
    geometry.nBezel = static_cast<int>(kBezel * scale + 0.5);
    geometry.nWidth = geometry.nFieldWidth + 2 * geometry.nBezel;
    geometry.nHeight = geometry.nFieldHeight + 2 * geometry.nBezel;
    geometry.bGlow = pitch >= kMinGlowPitch;
    return geometry;
}
