#pragma once
// The two firmware lines the tool installs, told apart by name: the main line, whose version
// texts and files begin with "FX40211", and the firmware line ("FP9023417"), whose controllers
// restart by themselves once they hold their firmware file. Here, beside the image's version
// (FirmwareElf.h) and below the connection core, which keeps only the flag this rule gives.

#include <string>
#include <string_view>

// The family a line's version texts and file names carry.
std::string FirmwareFamily(bool firmwareLine);

// Whether `text` (a display's version text, a file's name) names the line's family. Anywhere in
// it: "FP9023417-3.10.0", "NEW_FP9023417.EXE".
bool NamesFirmwareFamily(std::string_view text, bool firmwareLine);

// The version the tool recommends for a line: "FX40211-1.02.11" or "FP9023417-3.11.3", the
// versions of the two packages it carries.
std::string RecommendedFirmwareVersion(bool firmwareLine);
