#pragma once
// The pictures on the wizard's two check pages: the part of the display the verification messages
// fill, its LEDs lit as the message sent lights them. Message one shows its rows of digits, message
// two the store number typed, the date of the clock the wizard set and the temperature the display
// reported. Each line is centred in a 5 x 7 dot font, and only whole characters are drawn: of a
// line wider than the display the middle characters that fit, never part of one.

#include "verify/VerificationDisplay.h"

#include <QImage>

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

// The board as round LEDs on a dark field in a case: amber for a monochrome display, else white;
// at most about 480 x 200 pixels whatever the display's size.
QImage DrawBoard(const LedBoard& board, bool amber);
