#pragma once
// Ids of the verification test's embedded data. Verify.cmake reads the ids from this list, so it
// is the only place they are written; lines of the form "constexpr int kName = id;" are ids.

namespace qvxres::verify {

inline constexpr char kTextType[] = "TEXT";
inline constexpr char kBinaryType[] = "BIN";

// TEXT: the verification message templates.
constexpr int kMessageOneTemplate = 700;
constexpr int kMessageTwoTemplate = 701;

// BIN: the fonts, by the name they are sent under.
constexpr int kFontFW08X5_1 = 702;    // "FW08X5_1.FNT"
constexpr int kFont18X11_3 = 703;     // "18X11_3.FNT"
constexpr int kFont08X06_2 = 704;     // "08X06_2.FNT"
constexpr int kFont15X08_2 = 705;     // "15X08_2.FNT"
constexpr int kFont16X08_2 = 706;     // "16X08_2.FNT"
constexpr int kFont22X15_3 = 707;     // "22X15_3.FNT"
constexpr int kFontFUJ23X15 = 708;    // "FUJ23X15.FNT"
constexpr int kFontFUJ31X13 = 709;    // "FUJ31X13.FNT"
constexpr int kFontHTCH_16X16N = 710;   // "HTCH\16X16N.CFF"
constexpr int kFontHTCH_FONT2432 = 711; // "HTCH\FONT2432.CMD"

// BIN: the play status file of the HITECH set.
constexpr int kPlayStatus = 712;

} // namespace qvxres::verify
