#pragma once
// The factory message sets a restore puts back on a display, as data: the package set for the
// firmware line (fonts, then five messages that are run) and the HITECH set for the others (eight
// message files, a font, the play status and a play order; nothing is run). Also the embedded
// fonts and fixed files they send.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Display types by size and colour: mono is bit code 6 or 8, RGB 15 or 24.
bool IsMonoBitCode(int bitCode);
bool IsRgbBitCode(int bitCode);

// An embedded font by the name it is sent under ("FW08X5_1.FNT", "HTCH\16X16N.CFF", ...); empty
// when the program carries none by that name.
std::span<const unsigned char> VerificationFont(std::string_view name);
// "playstatus.dat": 13 fixed bytes.
std::span<const unsigned char> PlayStatusFile();

// ---- The package set --------------------------------------------------------------------------

// In the order a display is matched against them.
enum class PackageDisplay { Mono32x80, Mono32x128, Rgb32x128, Mono48x160, Rgb48x160, Mono64x224, Rgb64x224,
                            Rgb48x144, Rgb64x192 };
constexpr int kPackageMessageCount = 5;

// The eight fonts, in the order they are sent.
std::span<const char* const> PackageFontNames();
// The first type the display matches; none for any other (32 x 80 RGB included).
std::optional<PackageDisplay> SelectPackageDisplay(int width, int height, int bitCode);
// Message 0..4: "OPENING SOON.M2M", "NOW HIRING.M2M", ...; empty for another index.
std::string PackageMessageFileName(int message);
// The message file; empty for an index out of range.
std::string BuildPackageMessage(PackageDisplay display, int message);

// ---- The HITECH set ---------------------------------------------------------------------------

enum class HitechDisplay { Mono32x80, Rgb32x80, Mono32x128, Rgb32x128, Mono48x160, Rgb48x160, Mono64x224,
                           Rgb64x224 };
constexpr int kHitechMessageCount = 8;

std::optional<HitechDisplay> SelectHitechDisplay(int width, int height, int bitCode);
// Message 0..7: "HTCH\TXT00000.FST" .. "HTCH\TXT00007.FST".
std::string HitechMessageFileName(int message);
// Two rows of text in the HITECH message file format; empty for an index out of range.
std::vector<unsigned char> BuildHitechMessage(HitechDisplay display, int message);
// "HTCH\16X16N.CFF" for the 32-row types, "HTCH\FONT2432.CMD" for the others.
const char* HitechFontName(HitechDisplay display);
// "playorder.dat": the eight messages in turn, each held holdTimeMs.
std::vector<unsigned char> BuildPlayOrder(unsigned long holdTimeMs);
