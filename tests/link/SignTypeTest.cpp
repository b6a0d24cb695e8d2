#include "link/S22ServerSignType.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using ST = CS22Server_SignType;

constexpr int kAllColors[] = {1, 3, 8, 64, 256, 32000, 16000000};
constexpr int kAllGenerations[] = {ST::NAME_LEGACY, ST::NAME_M2, ST::NAME_M3};

// A sign type of the family with sizes that fit every name form.
ST Make(int family, int colors, int generation)
{
    ST type;
    bool set = false;
    if (family == ST::FAMILY_TALLYMARK)
        set = type.SetTallymark(16, 80, colors, generation);
    else if (family == ST::FAMILY_TIDINGS)
        set = type.SetTidings(8, 120, 16, colors, generation);
    else
        set = type.SetRowsColumns(family, 32, 80, colors, generation);
    EXPECT_TRUE(set) << family << " " << colors << " " << generation;
    return type;
}

TEST(SignType, ParsesEveryNameForm)
{
    const struct {
        const char* name;
        int family, generation, d0, d1, d2, d3, d4, colors;
    } cases[] = {
        {"16080.CRV", 3, 0, 0, 0, 0, 80, 16, 1},
        {"16080T.CRV", 3, 0, 0, 0, 0, 80, 16, 3},
        {"16080RGB.CRV", 3, 0, 0, 0, 0, 80, 16, 8},
        {"16080.FLP", 4, 0, 0, 0, 0, 80, 16, 1},
        {"24120RGB.PB", 5, 0, 0, 0, 0, 120, 24, 8},
        {"8X120.TMK", 1, 0, 8, 120, 0, 0, 0, 1},
        {"16X80T.TMK", 1, 0, 16, 80, 0, 0, 0, 3},
        {"0812016.TDG", 2, 0, 16, 0, 8, 120, 0, 1},
        {"0812016T.TDG", 2, 0, 16, 0, 8, 120, 0, 3},
        {"32X80MONO64.CRV.M2", 3, 1, 0, 0, 0, 80, 32, 64},
        {"16x120x8tri3.tdg.m2", 2, 1, 8, 0, 16, 120, 0, 3},
        {"16x80rgb8.tmk.m2", 1, 1, 16, 80, 0, 0, 0, 8},
        {"48x144.mc.m2", 6, 1, 0, 0, 0, 144, 48, 0},
        {"32x80tri256.flp.m2", 4, 1, 0, 0, 0, 80, 32, 256},
        {"32x80rgb32k.cp.m2", 7, 1, 0, 0, 0, 80, 32, 32000},
        {"32X80MONO256.CRV.M3", 8, 2, 0, 0, 0, 80, 32, 256},
        {"32x80rgb16m.cp.m3", 7, 2, 0, 0, 0, 80, 32, 16000000},
        // "M2" wins over "M3": read as an extended name.
        {"32X80RGB16M.CP.M2.M3", 7, 1, 0, 0, 0, 80, 32, 16000000},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        ST type;
        ASSERT_TRUE(type.SetFromFileName(test.name));
        EXPECT_EQ(type.GetFamily(), test.family);
        EXPECT_EQ(type.GetGeneration(), test.generation);
        EXPECT_EQ(type.GetD0(), test.d0);
        EXPECT_EQ(type.GetD1(), test.d1);
        EXPECT_EQ(type.GetD2(), test.d2);
        EXPECT_EQ(type.GetD3(), test.d3);
        EXPECT_EQ(type.GetD4(), test.d4);
        EXPECT_EQ(type.GetColors(), test.colors);
    }
}

TEST(SignType, RefusesNamesWithoutFamilyOrSize)
{
    const std::string cases[] = {
        "",
        "README.TXT",
        "CRV",
        "00080.CRV",                      // no rows
        "16000.CRV",                      // no columns
        "1.TMK",                          // second number missing
        "00120160.TDG",                   // first number zero
        "X80MONO1.CRV.M2",                // no rows
        "32MONO1.CRV.M2",                 // no "X" before the columns
        "32X80MONO1.M2",                  // no family
        "32X80MONO256.FLP.M3",            // not an ".M3" family
        "99999999999X80MONO1.CRV.M2",     // does not fit an int
        "-16X80MONO1.CRV.M2",             // signs are not numbers here
        "16x120tri3.tdg.m2",              // Tidings needs three numbers
        std::string("16\0" "080.CRV", 10), // embedded NUL
        std::string(100000, 'X') + ".CRV.M2",
    };
    for (const std::string& name : cases) {
        ST type;
        EXPECT_FALSE(type.SetFromFileName(name)) << name.substr(0, 40);
    }
}

TEST(SignType, RefusedNameLeavesModulesAlone)
{
    ST type;
    type.SetRowsColumns(ST::FAMILY_MULTI_CORVID, 48, 144, 1, ST::NAME_M2);
    type.AddModule(1, 16, 48, 0, 0, 1);
    EXPECT_FALSE(type.SetFromFileName("00080.CRV"));
    EXPECT_EQ(type.GetModuleCount(), 1);
}

TEST(SignType, BuildsLowerCaseNames)
{
    const struct {
        int family, colors, generation;
        const char* name;
    } cases[] = {
        {1, 1, 0, "16x80.tmk"},
        {1, 3, 0, "16x80t.tmk"},
        {1, 8, 0, "16x80t.tmk"},
        {2, 1, 0, "0812016.tdg"},
        {2, 8, 0, "0812016t.tdg"},
        {3, 1, 0, "32080.crv"},
        {3, 3, 0, "32080t.crv"},
        {3, 8, 0, "32080rgb.crv"},
        {3, 64, 0, "32080rgb.crv"},
        {4, 3, 0, "32080.flp"},
        {5, 8, 0, "32080.pb"},
        {6, 1, 0, ""},
        {7, 1, 0, ""},
        {8, 1, 0, ""},
        {1, 8, 1, "16x80rgb8.tmk.m2"},
        {2, 3, 1, "8x120x16tri3.tdg.m2"},
        {3, 64, 1, "32x80mono64.crv.m2"},
        {4, 1, 1, "32x80mono1.flp.m2"},
        {5, 16000000, 1, "32x80rgb16m.pb.m2"},
        {6, 256, 1, "32x80.mc.m2"},
        {7, 32000, 1, "32x80rgb32k.cp.m2"},
        {8, 256, 1, ""},
        {7, 32000, 2, "32x80rgb32k.cp.m3"},
        {7, 16000000, 2, "32x80rgb16m.cp.m3"},
        {7, 8, 2, "32x80.cp.m3"},
        {8, 256, 2, "32x80mono256.crv.m3"},
        {3, 32000, 2, ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::Message() << test.family << " " << test.colors << " " << test.generation);
        EXPECT_EQ(Make(test.family, test.colors, test.generation).GetFileName(), test.name);
    }
}

// The colour count a parse gives back for a built name: names that lose the depth.
int ColorsAfterRoundTrip(int family, int colors, int generation)
{
    if (generation == ST::NAME_LEGACY) {
        if (family == ST::FAMILY_FLAREPOINT || family == ST::FAMILY_PRISM_BLOCK || colors == 1)
            return 1;
        if (family == ST::FAMILY_CORVID && colors >= 8)
            return 8;
        return 3;
    }
    if (generation == ST::NAME_M2)
        return family == ST::FAMILY_MULTI_CORVID ? 0 : colors;
    return colors == 256 || colors == 32000 || colors == 16000000 ? colors : 0;
}

TEST(SignType, EveryBuiltNameParsesBack)
{
    int named = 0;
    for (int family = 1; family <= 8; ++family) {
        for (const int colors : kAllColors) {
            for (const int generation : kAllGenerations) {
                SCOPED_TRACE(testing::Message() << family << " " << colors << " " << generation);
                const ST built = Make(family, colors, generation);
                const std::string name = built.GetFileName();
                if (name.empty())
                    continue;
                ++named;
                ST parsed;
                ASSERT_TRUE(parsed.SetFromFileName(name)) << name;
                EXPECT_EQ(parsed.GetFamily(), family);
                EXPECT_EQ(parsed.GetGeneration(), generation);
                EXPECT_EQ(parsed.GetD0(), built.GetD0());
                EXPECT_EQ(parsed.GetD1(), built.GetD1());
                EXPECT_EQ(parsed.GetD2(), built.GetD2());
                EXPECT_EQ(parsed.GetD3(), built.GetD3());
                EXPECT_EQ(parsed.GetD4(), built.GetD4());
                EXPECT_EQ(parsed.GetColors(), ColorsAfterRoundTrip(family, colors, generation));
                EXPECT_EQ(parsed.GetFileName(), name);
            }
        }
    }
    // Legacy: families 1 to 5; ".M2": all but Corvid 6100; ".M3": CorvidPro and Corvid 6100.
    EXPECT_EQ(named, 7 * (5 + 7 + 2));
}

TEST(SignType, Descriptions)
{
    const struct {
        int family, colors;
        const char* text;
    } cases[] = {
        {1, 3, "Tallymark 16 x 80 Tricolor"},
        {2, 1, "Tidings 8 x 120 x 16 Monochrome"},
        {3, 64, "Corvid 32 x 80 Monochrome 64"},
        {3, 256, "Corvid 32 x 80 Tricolor 256"},
        {4, 8, "Flarepoint 32 x 80 RGB 8"},
        {5, 256, "Prism Block 32 x 80 Tricolor 256"},
        {6, 3, "Multi Corvid 32 x 80 "},
        {7, 32000, "CorvidPro 32 x 80 RGB 32K"},
        {7, 16000000, "CorvidPro 32 x 80 RGB"},
        {8, 256, "Corvid 6100 32 x 80 Monochrome 4096"},
        {8, 32000, "Corvid 6100 32 x 80 RGB 32K"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(Make(test.family, test.colors, ST::NAME_M2).GetDescription(), test.text);

    ST parsed;
    ASSERT_TRUE(parsed.SetFromFileName("32X80MONO64.CRV.M2"));
    EXPECT_EQ(parsed.GetDescription(), "Corvid 32 x 80 Monochrome 64");
    ASSERT_TRUE(parsed.SetFromFileName("32X80MONO256.CRV.M3"));
    EXPECT_EQ(parsed.GetDescription(), "Corvid 6100 32 x 80 Monochrome 4096");
}

TEST(SignType, Directories)
{
    const struct {
        int family, colors;
        const char* directory;
    } cases[] = {
        {1, 3, "tallymark/tricolor/"},
        {2, 1, "tidings/monochrome/"},
        {3, 8, "corvid/rgb/"},
        {3, 64, "corvid/monochrome64/"},
        {3, 256, "corvid/tricolor256/"},
        {4, 8, "flarepoint/"},
        {5, 16000000, "prismblock/"},
        {6, 1, "multicorvid/monochrome/"},
        {7, 32000, "corvidpro/rgb32k/"},
        {7, 16000000, "corvidpro/rgb16m/"},
        {8, 256, ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(Make(test.family, test.colors, ST::NAME_M2).GetDirectory(), test.directory);
}

TEST(SignType, BitCodesBothWays)
{
    const std::pair<int, int> table[] = {{1, 1}, {3, 2}, {8, 3}, {64, 6}, {256, 8}, {32000, 15}, {16000000, 24}};
    for (const auto& [colors, bitCode] : table) {
        EXPECT_EQ(S22ColorsToBitCode(colors), bitCode);
        EXPECT_EQ(S22BitCodeToColors(bitCode), colors);
    }
    for (const int other : {0, 2, 4, 16, 65536, -1})
        EXPECT_EQ(S22ColorsToBitCode(other), 0) << other;
    for (const int other : {0, 4, 7, 16, 32, -1})
        EXPECT_EQ(S22BitCodeToColors(other), 0) << other;
}

TEST(SignType, UnknownColourCountIsRefusedAndLeavesTheField)
{
    ST type = Make(ST::FAMILY_CORVID, 64, ST::NAME_M2);
    EXPECT_FALSE(type.SetColors(4096));
    EXPECT_EQ(type.GetColors(), 64);
    EXPECT_FALSE(type.SetRowsColumns(ST::FAMILY_CORVID, 16, 80, 2, ST::NAME_M2));
    EXPECT_FALSE(type.SetRowsColumns(ST::FAMILY_TIDINGS, 16, 80, 1, ST::NAME_M2));
    EXPECT_FALSE(type.SetRowsColumns(ST::FAMILY_CORVID, 16, 80, 1, ST::NAME_NONE));
    EXPECT_EQ(type.GetFileName(), "32x80mono64.crv.m2");
    EXPECT_TRUE(type.SetColors(16000000));
    EXPECT_EQ(type.GetBitCode(), 24);
    EXPECT_TRUE(type.IsMultiLevel());
    EXPECT_TRUE(type.SetColors(8));
    EXPECT_FALSE(type.IsMultiLevel());
}

TEST(SignType, ModulesAreKeptAndCopiedDeeply)
{
    ST type;
    ASSERT_TRUE(type.SetFromFileName("16x120x8tri3.tdg.m2"));
    type.AddModule(64, 16, 48, 2, 3, 9);
    type.AddModule(5, 1, 2, 3, 4, 5);
    EXPECT_EQ(type.GetD0(), 0);
    EXPECT_EQ(type.GetD2(), 0);
    EXPECT_EQ(type.GetD3(), 120);
    ASSERT_EQ(type.GetModuleCount(), 2);
    EXPECT_EQ(type.GetModule(0).a, 16);
    EXPECT_EQ(type.GetModule(0).b, 48);
    EXPECT_EQ(type.GetModule(0).c, 2);
    EXPECT_EQ(type.GetModule(0).d, 3);
    EXPECT_EQ(type.GetModule(0).e, 9);
    EXPECT_EQ(type.GetModule(0).colors, 64);
    EXPECT_EQ(type.GetModule(0).bitCode, 6);
    EXPECT_EQ(type.GetModule(1).colors, 0);  // 5 is no colour depth
    EXPECT_EQ(type.GetModule(1).bitCode, 0);
    for (const int index : {-1, 2, 1000}) {
        EXPECT_EQ(type.GetModule(index).a, -1) << index;
        EXPECT_EQ(type.GetModule(index).e, -1) << index;
        EXPECT_EQ(type.GetModule(index).colors, -1) << index;
        EXPECT_EQ(type.GetModule(index).bitCode, -1) << index;
    }

    ST copy(type);
    copy.AddModule(1, 7, 7, 7, 7, 7);
    EXPECT_EQ(type.GetModuleCount(), 2);
    EXPECT_EQ(copy.GetModuleCount(), 3);
    copy = type;
    EXPECT_EQ(copy.GetModuleCount(), 2);
    EXPECT_EQ(copy.GetModule(0).b, 48);
}

TEST(SignType, ClearLeavesNoName)
{
    ST type = Make(ST::FAMILY_CORVID, 8, ST::NAME_LEGACY);
    type.Clear();
    EXPECT_EQ(type.GetGeneration(), ST::NAME_NONE);
    EXPECT_EQ(type.GetD4(), 0);
    EXPECT_EQ(type.GetD3(), 0);
    EXPECT_EQ(type.GetFileName(), "");
    EXPECT_TRUE(type.IsFamily(ST::FAMILY_CORVID));
}

TEST(SignType, OrdersByFamilyGenerationSizeAndColours)
{
    // Each strictly before the next.
    const std::vector<ST> ordered = {
        Make(1, 1, 0),
        [] { ST t; t.SetTallymark(16, 96, 1, 0); return t; }(),  // same rows/columns words, wider
        Make(2, 1, 0),
        Make(3, 1, 0),
        Make(3, 1, 1),
        [] { ST t; t.SetRowsColumns(3, 32, 96, 1, 1); return t; }(),
        [] { ST t; t.SetRowsColumns(3, 48, 16, 1, 1); return t; }(),
        [] { ST t; t.SetRowsColumns(3, 48, 16, 64, 1); return t; }(),
        Make(7, 1, 0),
    };
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        EXPECT_FALSE(ordered[i].IsLess(ordered[i])) << i;
        for (std::size_t j = i + 1; j < ordered.size(); ++j) {
            EXPECT_TRUE(ordered[i].IsLess(ordered[j])) << i << " < " << j;
            EXPECT_FALSE(ordered[j].IsLess(ordered[i])) << j << " < " << i;
        }
    }
}

TEST(SignType, MultiCorvidOrdersByModules)
{
    const auto multi = [](std::vector<std::vector<int>> modules) {
        ST type = Make(ST::FAMILY_MULTI_CORVID, 1, ST::NAME_M2);
        for (const auto& m : modules)
            type.AddModule(1, m[0], m[1], m[2], m[3], 0);
        return type;
    };
    // Fewer modules first; then the second, first, third and fourth values of each module.
    const std::vector<ST> ordered = {
        multi({{9, 9, 9, 9}}),
        multi({{9, 1, 9, 9}, {0, 0, 0, 0}}),
        multi({{1, 2, 0, 0}, {0, 0, 0, 0}}),
        multi({{2, 2, 0, 0}, {0, 0, 0, 0}}),
        multi({{2, 2, 1, 0}, {0, 0, 0, 0}}),
        multi({{2, 2, 1, 1}, {0, 0, 0, 0}}),
        multi({{2, 2, 1, 1}, {0, 1, 0, 0}}),
    };
    for (std::size_t i = 0; i + 1 < ordered.size(); ++i) {
        EXPECT_TRUE(ordered[i].IsLess(ordered[i + 1])) << i;
        EXPECT_FALSE(ordered[i + 1].IsLess(ordered[i])) << i;
    }
    // The fifth value and the colours do not order modules.
    ST a = multi({{1, 1, 1, 1}});
    ST b = Make(ST::FAMILY_MULTI_CORVID, 1, ST::NAME_M2);
    b.AddModule(64, 1, 1, 1, 1, 7);
    EXPECT_FALSE(a.IsLess(b));
    EXPECT_FALSE(b.IsLess(a));

    // Other families ignore modules.
    ST c = Make(ST::FAMILY_CORVID, 1, ST::NAME_M2);
    ST d = c;
    d.AddModule(1, 1, 1, 1, 1, 1);
    EXPECT_FALSE(c.IsLess(d));
    EXPECT_FALSE(d.IsLess(c));
}

TEST(SignType, SortsWithIsLess)
{
    std::vector<std::string> names = {"32X80MONO256.CRV.M3", "16080RGB.CRV", "32X80MONO64.CRV.M2", "8X120.TMK",
                                      "16080.CRV",           "0812016.TDG",  "16080.FLP"};
    std::vector<ST> types;
    for (const std::string& name : names) {
        types.emplace_back();
        ASSERT_TRUE(types.back().SetFromFileName(name)) << name;
    }
    std::sort(types.begin(), types.end(), [](const ST& a, const ST& b) { return a.IsLess(b); });
    std::vector<std::string> sorted;
    for (const ST& type : types)
        sorted.push_back(type.GetFileName());
    EXPECT_EQ(sorted, (std::vector<std::string>{"8x120.tmk", "0812016.tdg", "16080.crv", "16080rgb.crv",
                                                "32x80mono64.crv.m2", "16080.flp", "32x80mono256.crv.m3"}));
}

}  // namespace
