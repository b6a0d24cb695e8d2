// Version texts: parsing, comparing, and whether a display already has the recommended firmware.
#include "res/Resources.h"
#include "update/FirmwareVersion.h"
#include "update/package/FirmwareLine.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct ParseCase {
    const char* text;
    const char* prefix;
    int major, minor, build;
};

TEST(FirmwareVersion, ParsesPrefixAndNumbers)
{
    const ParseCase cases[] = {
        {"FX40211-1.02.11", "FX40211", 1, 2, 11},
        {"FP9023417-3.11.3", "FP9023417", 3, 11, 3},
        {"FX40211-1.2.11", "FX40211", 1, 2, 11},
        {"1.2.3", "", 1, 2, 3},                        // no prefix
        {"FX40211-7", "FX40211", 0, 0, 7},             // no '.': only the build
        {"FX40211-1.5", "FX40211", 1, 0, 5},           // one '.': major and build
        {"FX40211-1.2.3-beta", "FX40211", 1, 2, 3},    // reading stops at the first non-digit
        {"FX40211-", "FX40211", 0, 0, 0},
        {"FX40211-a.b.c", "FX40211", 0, 0, 0},
        {"X-+4.-2.007", "X", 4, -2, 7},                // an optional sign, leading zeros
        {"X-99999999999.1.1", "X", INT_MAX, 1, 1},     // held at the limit, never wrapped
        {"", "", 0, 0, 0},
    };
    for (const ParseCase& c : cases) {
        const ParsedFirmwareVersion v = ParseFirmwareVersion(c.text);
        EXPECT_EQ(v.strPrefix, c.prefix) << c.text;
        EXPECT_EQ(v.nMajor, c.major) << c.text;
        EXPECT_EQ(v.nMinor, c.minor) << c.text;
        EXPECT_EQ(v.nBuild, c.build) << c.text;
    }
}

struct CompareCase {
    const char* a;
    const char* b;
    int result;
};

TEST(FirmwareVersion, ComparesPrefixThenNumbers)
{
    const CompareCase cases[] = {
        {"FX40211-1.02.11", "FX40211-1.02.11", 0},
        {"FX40211-1.2.11", "FX40211-1.02.11", 0},   // parts are numbers
        {"FX40211-1.3.0", "FX40211-1.02.11", 1},    // minor decides before build
        {"FX40211-1.2.10", "FX40211-1.02.11", -1},
        {"FX40211-2.0.0", "FX40211-1.99.99", 1},
        {"FX40211-0.99.99", "FX40211-1.0.0", -1},
        {"FP9023417-3.11.3", "FX40211-3.11.3", -2}, // another line
        {"fx40211-1.02.11", "FX40211-1.02.11", -2}, // prefixes compare exactly
        {"Unknown", "FX40211-1.02.11", -2},
        {"FX40211-", "FX40211-0.0.0", 0},
    };
    for (const CompareCase& c : cases)
        EXPECT_EQ(CompareFirmwareVersions(c.a, c.b), c.result) << c.a << " vs " << c.b;
}

struct InstalledCase {
    const char* current;
    const char* recommended;
    bool installed;
};

TEST(FirmwareVersion, RecommendedInstalledWhenSameOrLater)
{
    const InstalledCase cases[] = {
        {"FX40211-1.02.11", "FX40211-1.02.11", true},
        {"FX40211-1.2.11", "FX40211-1.02.11", true},
        {"FX40211-1.3.0", "FX40211-1.02.11", true},  // later, though its build is smaller
        {"FX40211-2.0.0", "FX40211-1.02.11", true},
        {"FX40211-1.2.10", "FX40211-1.02.11", false},
        {"FX40211-1.1.99", "FX40211-1.02.11", false},
        {"FX40211-0.9.20", "FX40211-1.02.11", false},
        {"FX40211-1.2", "FX40211-1.02.11", false},   // a missing build counts as 0
        {"FP9023417-3.11.3", "FP9023417-3.11.3", true},
        {"FP9023417-3.9.9", "FP9023417-3.11.3", false},
        {"FX40211-9.9.9", "FP9023417-3.11.3", false}, // not the recommended line
        {"Unknown", "FX40211-1.02.11", false},
        {"", "FX40211-1.02.11", false},
        {"FX40211", "FX40211-1.02.11", false},       // no numbers at all
    };
    for (const InstalledCase& c : cases)
        EXPECT_EQ(IsRecommendedFirmwareInstalled(c.current, c.recommended), c.installed)
            << c.current << " vs " << c.recommended;
}

// The lines' names are written out below the core (which cannot reach the string table); they
// must stay the string table's own, which names the packages and their versions.
TEST(FirmwareLine, NamesAgreeWithTheStringTable)
{
    EXPECT_EQ(FirmwareFamily(true), qvxres::LoadEmbeddedString(qvxres::kStrFP9023417));
    EXPECT_EQ(FirmwareFamily(false), "FX40211");
    EXPECT_EQ(RecommendedFirmwareVersion(true), qvxres::LoadEmbeddedString(qvxres::kStrFP9023417Version));
    EXPECT_EQ(RecommendedFirmwareVersion(false), qvxres::LoadEmbeddedString(qvxres::kStrFX40211Version));
    const struct {
        const char* text;
        bool line, main;
    } cases[] = {
        {"FP9023417-3.10.0", true, false}, {"FX40211-1.02.11", false, true}, {"NEW_FP9023417.EXE", true, false},
        {"fp9023417-3.10.0", false, false}, // the case of the name counts
        {"Unknown", false, false},          {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NamesFirmwareFamily(c.text, true), c.line) << c.text;
        EXPECT_EQ(NamesFirmwareFamily(c.text, false), c.main) << c.text;
    }
}

} // namespace
