#pragma once
// The pictures on the wizard's two check pages, without a window: the part of the display the
// verification messages fill, its LEDs lit as the message sent lights them. Message one shows its
// rows of digits, message two the store number typed, the date of the clock the wizard set and the
// temperature the display reported. Each line is centred in a 5 x 7 dot font, and only whole
// characters are drawn: of a line wider than the display the middle characters that fit, never
// part of one. Each window draws the board in its own way.

#include "verify/VerificationDisplay.h"

#include <string>
#include <string_view>
#include <vector>

class CXmlDoc;

struct LedBoard {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<bool> lit;          // row by row
    std::vector<std::string> lines; // the text drawn on each line, whole characters only
    bool bCut = false;              // a line did not fit: only part of it is drawn

    bool IsLit(int x, int y) const;
};

// The LEDs the messages fill: the display's, or the 80 x 32 window of the displays that have one.
LedBoard EmptyMessageBoard(const VerificationDisplay& display);

// Message one: the rows of digits as the message carries them, one per 8 LEDs from the top.
LedBoard MessageOneBoard(const VerificationDisplay& display);

// The date of seconds since 1970-01-01 00:00 as "MM/dd/yyyy" in the proleptic Gregorian calendar:
// years before 1 are counted without a year 0 and written with a minus sign ("12/31/-0001" the day
// before 01/01/0001). Empty for seconds whose milliseconds do not fit 64 bits.
std::string MessageDate(long long seconds);

// Message two's three lines as the display shows them (single-byte text, the degree sign 0xB0):
// "Store: " and the number, the date of localSeconds as month/day/year, and the temperature in
// whole degrees Fahrenheit (cut toward zero) of the Celsius text, followed by the degree sign and
// "F"; no temperature line when the text is empty.
std::vector<std::string> MessageTwoLines(std::string_view storeNumber, long long localSeconds,
                                         std::string_view celsius);

// The same for a message sent with the controller's clock set to clockSet (seconds since 1970, UTC):
// the date in the zone of the display's STATUS.XML, its temperature from there too.
std::vector<std::string> SentMessageTwoLines(CXmlDoc& status, std::string_view storeNumber, long long clockSet);

// Message two: the lines one under the other with one dark row between, centred up and down.
LedBoard MessageTwoBoard(const VerificationDisplay& display, const std::vector<std::string>& lines);

// ---- How a window draws a board -----------------------------------------------------------------

struct BoardColour {
    int r = 0, g = 0, b = 0, a = 255;
};

// The colours of the LEDs: amber for a monochrome display, else white.
struct BoardPalette {
    BoardColour core;  // centre of a lit LED
    BoardColour edge;  // rim of a lit LED
    BoardColour glow;  // light around it
    BoardColour unlit; // an LED that is off
};
const BoardPalette& LedPalette(bool amber);

// The sign's case around the LED field.
inline constexpr BoardColour kBoardCaseRim{70, 70, 74};
inline constexpr BoardColour kBoardCase{38, 38, 42};
inline constexpr BoardColour kBoardField{8, 8, 8};

// The picture's size in pixels at scale (1 at 96 dots per inch): the LED pitch shrinks for a larger
// display, so that the field stays within about 480 x 192 pixels; the case adds a bezel around it.
struct BoardGeometry {
    double pitch = 0;    // from one LED's centre to the next
    int nFieldWidth = 0;
    int nFieldHeight = 0;
    int nBezel = 0;      // from the picture's edge to the field's
    int nWidth = 0;      // the whole picture
    int nHeight = 0;
    bool bGlow = false;  // LEDs large enough for their glow; smaller ones are plain dots
};
BoardGeometry BoardGeometryFor(const LedBoard& board, double scale);
