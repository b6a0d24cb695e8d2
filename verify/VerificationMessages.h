#pragma once
// The two verification messages: the embedded templates with their placeholders filled in for a
// display. Message one fills the display with numbered rows in the small font; message two shows
// the store number, the controller's date and its temperature.

#include <string>
#include <string_view>

// The colour part of a display type name: "MONO64", "TRI256" ("MONO256" on the firmware line), ...
const char* VerificationColourName(int colourBitCode, bool firmwareLine);
// The font colour of a bit code, as decimal text: "1", "63", "240", "31744" or "16711680".
const char* VerificationColourValue(int colourBitCode);
// The largest width or height message one fills; a larger size is taken as this.
constexpr int kMaxVerificationPixels = 1024;
// Message one's rows: height / 8 rows, row k being k repeated ceil(width / 6) times, joined by <BR/>.
std::string VerificationRows(int width, int height);

// The messages as single-byte text; empty when the template is missing from the program.
// windowFlag puts the message into the 80 x 32 window at x 64 (the rows stay those of the full size).
std::string BuildMessageOne(int width, int height, int colourBitCode, bool windowFlag, bool firmwareLine);
std::string BuildMessageTwo(int width, int height, int colourBitCode, bool windowFlag, bool firmwareLine,
                            std::string_view storeNumber);

// Every occurrence of placeholder replaced, left to right; replacement text is not searched again.
void ReplacePlaceholder(std::string& text, std::string_view placeholder, std::string_view value);
