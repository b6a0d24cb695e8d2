// Draws the two pictures the verification wizard shows beside its check pages: a 32 x 80 reader
// board lit with message one (its rows of digits, as the message builder makes them) and with
// message two (store number, a date, a temperature), as round LED dots on a dark board. One picture
// in amber for the monochrome displays, one in white for the colour ones.
//
//   qvx_render_wizard_pictures <folder>   (the build's wizard-pictures target writes res/verify/pictures)
//
// The drawing depends on nothing but this file and the message rows, so the PNGs come out the same
// on every run.
#include "verify/VerificationMessages.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRadialGradient>

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kBoardWidth = 80; // LEDs
constexpr int kBoardHeight = 32;
constexpr int kPitch = 6;  // picture pixels from one LED to the next
constexpr int kBezel = 14; // frame around the LED field
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kAdvance = 6; // glyph and one dark column, as the display's 5 x 8 font steps

// The sample values of message two: the controller fills in its own date and temperature.
constexpr char kStoreLine[] = "Store: 4711";
constexpr char kDateLine[] = "06/14/2024";
constexpr char kTemperatureLine[] = "72\xb0" "F"; // Latin-1 degree sign

struct Glyph {
    char ch;
    std::array<const char*, kGlyphHeight> rows; // '#' lit
};

// A 5 x 7 dot font with the characters the two messages show.
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
    {'\xb0', {" ##  ", "#  # ", "#  # ", " ##  ", "     ", "     ", "     "}},
    {' ', {"     ", "     ", "     ", "     ", "     ", "     ", "     "}},
};

const Glyph* FindGlyph(char ch)
{
    for (const Glyph& glyph : kFont)
        if (glyph.ch == ch)
            return &glyph;
    return nullptr;
}

// Which LEDs are lit.
class CBoard {
public:
    CBoard() : m_lit(kBoardWidth * kBoardHeight, false) {}

    bool IsLit(int x, int y) const { return m_lit[static_cast<std::size_t>(y * kBoardWidth + x)]; }

    // A line of text centred across the board, its glyphs' top row at top; what runs past an edge is
    // cut off, as on the display.
    void Line(std::string_view text, int top)
    {
        const int inkWidth = static_cast<int>(text.size()) * kAdvance - 1;
        int left = (kBoardWidth - inkWidth) / 2;
        if (kBoardWidth < inkWidth)
            left = -((inkWidth - kBoardWidth + 1) / 2);
        for (char ch : text) {
            DrawGlyph(ch, left, top);
            left += kAdvance;
        }
    }

private:
    void DrawGlyph(char ch, int left, int top)
    {
        const Glyph* glyph = FindGlyph(ch);
        if (!glyph)
            return;
        for (int row = 0; row < kGlyphHeight; ++row)
            for (int column = 0; column < kGlyphWidth; ++column)
                if (glyph->rows[static_cast<std::size_t>(row)][column] == '#')
                    Set(left + column, top + row);
    }
    void Set(int x, int y)
    {
        if (x >= 0 && x < kBoardWidth && y >= 0 && y < kBoardHeight)
            m_lit[static_cast<std::size_t>(y * kBoardWidth + x)] = true;
    }

    std::vector<bool> m_lit;
};

struct Palette {
    QColor core;  // centre of a lit LED
    QColor edge;  // rim of a lit LED
    QColor glow;  // light around it
    QColor unlit; // an LED that is off
};

const Palette kAmber{QColor(255, 226, 150), QColor(255, 150, 0), QColor(255, 140, 0, 70), QColor(44, 30, 14)};
const Palette kWhite{QColor(255, 255, 255), QColor(205, 215, 235), QColor(220, 230, 255, 60), QColor(34, 34, 38)};

QImage Draw(const CBoard& board, const Palette& palette)
{
    const int width = kBoardWidth * kPitch + 2 * kBezel;
    const int height = kBoardHeight * kPitch + 2 * kBezel;
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
    painter.drawRect(QRectF(kBezel - 4, kBezel - 4, kBoardWidth * kPitch + 8, kBoardHeight * kPitch + 8));

    const qreal radius = kPitch * 0.40;
    for (int y = 0; y < kBoardHeight; ++y) {
        for (int x = 0; x < kBoardWidth; ++x) {
            const QPointF centre(kBezel + x * kPitch + kPitch / 2.0, kBezel + y * kPitch + kPitch / 2.0);
            if (!board.IsLit(x, y)) {
                painter.setBrush(palette.unlit);
                painter.drawEllipse(centre, radius * 0.85, radius * 0.85);
                continue;
            }
            QRadialGradient glow(centre, kPitch * 0.95);
            glow.setColorAt(0, palette.glow);
            glow.setColorAt(1, QColor(palette.glow.red(), palette.glow.green(), palette.glow.blue(), 0));
            painter.setBrush(glow);
            painter.drawEllipse(centre, kPitch * 0.95, kPitch * 0.95);
            QRadialGradient dot(centre, radius);
            dot.setColorAt(0, palette.core);
            dot.setColorAt(1, palette.edge);
            painter.setBrush(dot);
            painter.drawEllipse(centre, radius, radius);
        }
    }
    painter.end();
    return image;
}

// Message one: the rows of digits in the 8-dot font, one under the other from the top.
CBoard MessageOne()
{
    CBoard board;
    const std::string rows = VerificationRows(kBoardWidth, kBoardHeight);
    constexpr std::string_view kBreak = "<BR/>";
    std::string_view rest = rows;
    int top = 0;
    while (!rest.empty() && top < kBoardHeight) {
        const std::size_t end = rest.find(kBreak);
        board.Line(rest.substr(0, end), top);
        top += 8;
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + kBreak.size());
    }
    return board;
}

// Message two: three lines in the 7-dot font, one dark row between them, centred up and down.
CBoard MessageTwo()
{
    CBoard board;
    constexpr int kLines = 3;
    constexpr int kSpacing = 1;
    int top = (kBoardHeight - (kLines * kGlyphHeight + (kLines - 1) * kSpacing)) / 2;
    for (const char* line : {kStoreLine, kDateLine, kTemperatureLine}) {
        board.Line(line, top);
        top += kGlyphHeight + kSpacing;
    }
    return board;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }
    struct Picture {
        const char* file;
        CBoard board;
        const Palette& palette;
    };
    const Picture pictures[] = {
        {"MessageOneAmber.png", MessageOne(), kAmber},
        {"MessageOneWhite.png", MessageOne(), kWhite},
        {"MessageTwoAmber.png", MessageTwo(), kAmber},
        {"MessageTwoWhite.png", MessageTwo(), kWhite},
    };
    for (const Picture& picture : pictures) {
        const QString path = folder.filePath(QString::fromLatin1(picture.file));
        if (!Draw(picture.board, picture.palette).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
