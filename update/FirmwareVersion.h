#pragma once
// Firmware version texts, "FX40211-1.02.11": a prefix naming the firmware line, "-", then three
// dot-separated numbers compared as numbers (so 02 is 2).

#include <string>

struct ParsedFirmwareVersion {
    std::string strPrefix; // the text before the first "-"; empty without one
    int nMajor = 0;
    int nMinor = 0;
    int nBuild = 0;
};

ParsedFirmwareVersion ParseFirmwareVersion(const std::string& text);

// -2 when the prefixes differ (exact comparison); otherwise 0, 1 or -1 as a is the same as, later
// than or earlier than b.
int CompareFirmwareVersions(const std::string& a, const std::string& b);

// Whether a display reporting `current` already has `recommended` or something later of the same
// line: the line is the recommended text's prefix, and it must appear in the current text. The
// numbers after it are compared as major, then minor, then build (a missing part counts as 0).
bool IsRecommendedFirmwareInstalled(const std::string& current, const std::string& recommended);
