#include "qtwindow/verify/MessagePictures.h"

#include "files/ControllerStatus.h"
#include "files/DecimalText.h"
#include "files/XmlDoc.h"
#include "verify/VerificationMessages.h"

#include <QColor>
#include <QDateTime>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <array>

namespace {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kAdvance = 6;   // a glyph and one dark column, as the display's 5-wide fonts step
constexpr int kRowPitch = 8;  // message one's rows, in its 8-high font
constexpr char kDegree = '\xb0';

// The window of the displays whose panels show the messages in part of them.
constexpr int kWindowWidth = 80;
constexpr int kWindowHeight = 32;

// How large a picture gets, in pixels: the LED pitch shrinks for a larger display.
constexpr double kMaxPitch = 6;
constexpr double kMaxFieldWidth = 480;
constexpr double kMaxFieldHeight = 192;
constexpr int kBezel = 14;

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

struct Palette {
    QColor core;  // centre of a lit LED
    QColor edge;  // rim of a lit LED
    QColor glow;  // light around it
    QColor unlit; // an LED that is off
};

const Palette kAmber{QColor(255, 226, 150), QColor(255, 150, 0), QColor(255, 140, 0, 70), QColor(44, 30, 14)};
const Palette kWhite{QColor(255, 255, 255), QColor(205, 215, 235), QColor(220, 230, 255, 60), QColor(34, 34, 38)};

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

std::vector<std::string> MessageTwoLines(std::string_view storeNumber, long long localSeconds,
                                         std::string_view celsius)
{
    const QDateTime when = QDateTime::fromSecsSinceEpoch(localSeconds, Qt::UTC);
    const QByteArray date = when.date().toString(QStringLiteral("MM/dd/yyyy")).toLatin1();
    std::vector<std::string> lines{"Store: " + std::string(storeNumber), date.toStdString()};
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

QImage DrawBoard(const LedBoard& board, bool amber)
{
    const Palette& palette = amber ? kAmber : kWhite;
    const double pitch = std::min({kMaxPitch, kMaxFieldWidth / std::max(1, board.nWidth),
                                   kMaxFieldHeight / std::max(1, board.nHeight)});
    const int fieldWidth = static_cast<int>(board.nWidth * pitch + 0.5);
    const int fieldHeight = static_cast<int>(board.nHeight * pitch + 0.5);
    const int width = fieldWidth + 2 * kBezel;
    const int height = fieldHeight + 2 * kBezel;
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The sign's case and its black LED field.
    painter.setPen(QPen(QColor(70, 70, 74), 2));
    painter.setBrush(QColor(38, 38, 42));
    painter.drawRoundedRect(QRectF(1, 1, width - 2, height - 2), 8, 8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(8, 8, 8));
    painter.drawRect(QRectF(kBezel - 4, kBezel - 4, fieldWidth + 8, fieldHeight + 8));

    // Small LEDs are plain dots; large ones get their glow.
    const bool glow = pitch >= 3;
    const double radius = pitch * 0.40;
    for (int y = 0; y < board.nHeight; ++y) {
        for (int x = 0; x < board.nWidth; ++x) {
            const QPointF centre(kBezel + (x + 0.5) * pitch, kBezel + (y + 0.5) * pitch);
            if (!board.IsLit(x, y)) {
                painter.setBrush(palette.unlit);
                painter.drawEllipse(centre, radius * 0.85, radius * 0.85);
                continue;
            }
            if (glow) {
                QRadialGradient halo(centre, pitch * 0.95);
                halo.setColorAt(0, palette.glow);
                halo.setColorAt(1, QColor(palette.glow.red(), palette.glow.green(), palette.glow.blue(), 0));
                painter.setBrush(halo);
                painter.drawEllipse(centre, pitch * 0.95, pitch * 0.95);
                QRadialGradient dot(centre, radius);
                dot.setColorAt(0, palette.core);
                dot.setColorAt(1, palette.edge);
                painter.setBrush(dot);
            } else {
                painter.setBrush(palette.edge);
            }
            painter.drawEllipse(centre, radius, radius);
        }
    }
    painter.end();
    return image;
}
