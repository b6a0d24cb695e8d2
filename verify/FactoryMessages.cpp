#include "verify/FactoryMessages.h"

#include "res/Resources.h"
#include "res/verify/VerifyResources.h"

#include <cstdio>
#include <iterator>

namespace {

namespace ids = qvxres::verify;

struct FontEntry {
    const char* name;
    int id;
};

constexpr FontEntry kFonts[] = {
    {"FW08X5_1.FNT", ids::kFontFW08X5_1},         {"18X11_3.FNT", ids::kFont18X11_3},
    {"08X06_2.FNT", ids::kFont08X06_2},           {"15X08_2.FNT", ids::kFont15X08_2},
    {"16X08_2.FNT", ids::kFont16X08_2},           {"22X15_3.FNT", ids::kFont22X15_3},
    {"FUJ23X15.FNT", ids::kFontFUJ23X15},         {"FUJ31X13.FNT", ids::kFontFUJ31X13},
    {"HTCH\\16X16N.CFF", ids::kFontHTCH_16X16N}, {"HTCH\\FONT2432.CMD", ids::kFontHTCH_FONT2432},
};

// ---- Package set ----

constexpr const char* kPackageFonts[] = {"18X11_3.FNT", "FW08X5_1.FNT", "15X08_2.FNT", "FUJ23X15.FNT",
                                         "08X06_2.FNT", "16X08_2.FNT",  "22X15_3.FNT", "FUJ31X13.FNT"};

constexpr const char* kPackageNames[kPackageMessageCount] = {"OPENING SOON", "NOW HIRING", "GREAT BENEFITS",
                                                             "EMPLOYEE DISCOUNT", "JOIN OUR TEAM"};
// Lines separated by '|'.
constexpr const char* kPackageTexts[kPackageMessageCount] = {
    "OPENING|SOON", "NOW HIRING|FLEXIBLE HOURS", "GREAT BENEFITS|PAID VACATION", "EMPLOYEE|DISCOUNT",
    "JOIN OUR TEAM|WE'LL TRAIN YOU"};

struct PackageStyle {
    const char* font; // without ".FNT"
    int size;
    int spacing;
};

struct PackageType {
    PackageDisplay display;
    int height;
    int width;
    bool rgb;
    const char* type;
    PackageStyle styles[kPackageMessageCount];
    const char* texts[kPackageMessageCount]; // null: the common text
};

constexpr PackageStyle k15{"15X08_2", 15, 1};
constexpr PackageStyle k08{"08X06_2", 8, 1};
constexpr PackageStyle kFw{"FW08X5_1", 8, 1};
constexpr PackageStyle k16{"16X08_2", 16, 1};
constexpr PackageStyle k18{"18X11_3", 18, 2};
constexpr PackageStyle k22{"22X15_3", 22, 2};
constexpr PackageStyle kFuj23{"FUJ23X15", 23, 2};
constexpr PackageStyle kFuj31{"FUJ31X13", 31, 2};

// In matching order.
constexpr PackageType kPackageTypes[] = {
    {PackageDisplay::Mono32x80, 32, 80, false, "32x80mono256.crv.m2", {k15, k08, kFw, k15, kFw},
     {nullptr, "NOW HIRING|FLEXIBLE|HOURS", "GREAT|BENEFITS|PAID VACATION", nullptr, "JOIN OUR TEAM|WE'LL TRAIN|YOU"}},
    {PackageDisplay::Mono32x128, 32, 128, false, "32x128mono256.crv.m2", {k15, k15, k15, k15, k15},
     {nullptr, nullptr, "GREAT BENEFITS|FLEXIBLE HOURS", nullptr, nullptr}},
    {PackageDisplay::Rgb32x128, 32, 128, true, "32x128rgb16m.crv.m2", {k15, k15, k15, k15, k15}, {}},
    {PackageDisplay::Mono48x160, 48, 160, false, "48x160mono256.crv.m2", {kFuj23, k18, k18, kFuj23, k18}, {}},
    {PackageDisplay::Rgb48x160, 48, 160, true, "48x160rgb16m.crv.m2", {k22, k18, k18, kFuj23, k18}, {}},
    {PackageDisplay::Mono64x224, 64, 224, false, "64x224mono256.crv.m2", {kFuj31, kFuj31, kFuj31, kFuj31, kFuj31}, {}},
    {PackageDisplay::Rgb64x224, 64, 224, true, "64x224rgb16m.crv.m2", {kFuj31, kFuj31, kFuj31, kFuj31, kFuj31}, {}},
    {PackageDisplay::Rgb48x144, 48, 144, true, "48x144rgb16m.crv.m2", {kFuj23, k16, k16, kFuj23, k16}, {}},
    {PackageDisplay::Rgb64x192, 64, 192, true, "64x192rgb16m.crv.m2", {kFuj31, k18, k18, kFuj31, k18}, {}},
};

const PackageType* FindPackageType(PackageDisplay display)
{
    for (const PackageType& type : kPackageTypes)
        if (type.display == display)
            return &type;
    return nullptr;
}

// ---- HITECH set ----

using HitechRows = const char* [kHitechMessageCount][2];

constexpr HitechRows kHitechRows = {{"OPENING", "SOON"}, {"NOW", "HIRING"},    {"FLEXIBLE", "HOURS"},
                                    {"OPENING", "SOON"}, {"GREAT", "BENEFITS"}, {"PAID", "VACATION"},
                                    {"OPENING", "SOON"}, {"JOIN OUR", "TEAM"}};
constexpr HitechRows kHitechRows32x80Mono = {{"OPENING", "SOON"}, {"NOW", "HIRING"},    {"Flexible", "Hours"},
                                             {"OPENING", "SOON"}, {"Great", "Benefits"}, {"Paid", "Vacation"},
                                             {"OPENING", "SOON"}, {"Join  Our", "Team"}};
// The first row of the last message carries its own separators around a space.
constexpr HitechRows kHitechRows32x80Rgb = {{"OPENING", "SOON"}, {"NOW", "HIRING"},    {"Flexible", "Hours"},
                                            {"OPENING", "SOON"}, {"Great", "Benefits"}, {"Paid", "Vacation"},
                                            {"OPENING", "SOON"}, {"Join \x12 \x1E\x0F" "our", "Team"}};

constexpr char kMonoSeparator[] = "\x12";
constexpr char kRgbSeparator[] = "\x1E\x0F";
constexpr char kSmallFont[] = "HTCH\\16X16N.CFF";
constexpr char kLargeFont[] = "HTCH\\FONT2432.CMD";

struct HitechType {
    HitechDisplay display;
    int height;
    int width;
    bool rgb;
    int attributes[kHitechMessageCount];
    const char* secondRow;
    const char* separator;
    const char* font;
    const HitechRows* rows;
};

// In matching order.
constexpr HitechType kHitechTypes[] = {
    {HitechDisplay::Mono32x80, 32, 80, false, {301, 1, 301, 301, 1, 301, 301, 301}, "016000", kMonoSeparator,
     kSmallFont, &kHitechRows32x80Mono},
    {HitechDisplay::Rgb32x80, 32, 80, true, {301, 1, 1, 301, 1, 301, 301, 301}, "016000", kRgbSeparator, kSmallFont,
     &kHitechRows32x80Rgb},
    {HitechDisplay::Mono32x128, 32, 128, false, {1, 1, 1, 1, 1, 1, 1, 1}, "016000", kMonoSeparator, kSmallFont,
     &kHitechRows},
    {HitechDisplay::Rgb32x128, 32, 128, true, {1, 1, 1, 1, 1, 1, 1, 1}, "016000", kRgbSeparator, kSmallFont,
     &kHitechRows},
    {HitechDisplay::Mono48x160, 48, 160, false, {4, 4, 4, 4, 4, 4, 4, 4}, "024000", kMonoSeparator, kLargeFont,
     &kHitechRows},
    {HitechDisplay::Rgb48x160, 48, 160, true, {4, 4, 4, 4, 4, 4, 4, 4}, "024000", kRgbSeparator, kLargeFont,
     &kHitechRows},
    {HitechDisplay::Mono64x224, 64, 224, false, {4, 4, 4, 4, 4, 4, 4, 4}, "024000", kMonoSeparator, kLargeFont,
     &kHitechRows},
    {HitechDisplay::Rgb64x224, 64, 224, true, {5, 5, 5, 5, 5, 5, 5, 5}, "032000", kRgbSeparator, kLargeFont,
     &kHitechRows},
};

const HitechType* FindHitechType(HitechDisplay display)
{
    for (const HitechType& type : kHitechTypes)
        if (type.display == display)
            return &type;
    return nullptr;
}

bool Matches(int height, int width, bool rgb, int displayWidth, int displayHeight, int bitCode)
{
    return displayHeight == height && displayWidth == width && (rgb ? IsRgbBitCode(bitCode) : IsMonoBitCode(bitCode));
}

void Append(std::vector<unsigned char>& bytes, std::string_view text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
}

} // namespace

bool IsMonoBitCode(int bitCode)
{
    return bitCode == 6 || bitCode == 8;
}

bool IsRgbBitCode(int bitCode)
{
    return bitCode == 15 || bitCode == 24;
}

std::span<const unsigned char> VerificationFont(std::string_view name)
{
    for (const FontEntry& font : kFonts)
        if (name == font.name)
            return qvxres::FindEmbeddedResource(ids::kBinaryType, font.id);
    return {};
}

std::span<const unsigned char> PlayStatusFile()
{
    return qvxres::FindEmbeddedResource(ids::kBinaryType, ids::kPlayStatus);
}

// Package set.

std::span<const char* const> PackageFontNames()
{
    return kPackageFonts;
}

std::optional<PackageDisplay> SelectPackageDisplay(int width, int height, int bitCode)
{
    for (const PackageType& type : kPackageTypes)
        if (Matches(type.height, type.width, type.rgb, width, height, bitCode))
            return type.display;
    return std::nullopt;
}

std::string PackageMessageFileName(int message)
{
    if (message < 0 || message >= kPackageMessageCount)
        return {};
    return std::string(kPackageNames[message]) + ".M2M";
}

std::string BuildPackageMessage(PackageDisplay display, int message)
{
    const PackageType* type = FindPackageType(display);
    if (type == nullptr || message < 0 || message >= kPackageMessageCount)
        return {};
    const PackageStyle& style = type->styles[message];
    std::string text = type->texts[message] != nullptr ? type->texts[message] : kPackageTexts[message];
    for (std::size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', bar))
        text.replace(bar, 1, "<BR />");

    const std::string size = std::to_string(style.size);
    std::string m2;
    m2 += "<MS ds=\"\" type=\"" + std::string(type->type) + "\" IDEVer=\"1.30.5058.20773\">";
    m2 += "<FR bg=\"0\" enr=\"30\" exr=\"30\" hdr=\"30\" en=\"INS\" ex=\"INS\" hd=\"HST\" ht=\"900\">";
    m2 += "<WD bg=\"0\" enr=\"30\" exr=\"30\" hdr=\"30\" en=\"INS\" ex=\"INS\" hd=\"HST\" trans=\"1\" asz=\"0\" x=\"0\" "
          "y=\"0\" w=\"" + std::to_string(type->width) + "\" h=\"" + std::to_string(type->height) + "\" ls=\"" +
          std::to_string(style.spacing) + "\">";
    m2 += "<JS h=\"C\" v=\"M\" />";
    m2 += "<FO fc=\"" + std::string(style.font) + ".FNT\" sz=\"" + size + "\" clr=\"" +
          (type->rgb ? "16777215" : "255") + "\" tta=\"0\" />";
    m2 += text;
    m2 += "</WD></FR></MS>";
    return m2;
}

// HITECH set.

std::optional<HitechDisplay> SelectHitechDisplay(int width, int height, int bitCode)
{
    for (const HitechType& type : kHitechTypes)
        if (Matches(type.height, type.width, type.rgb, width, height, bitCode))
            return type.display;
    return std::nullopt;
}

std::string HitechMessageFileName(int message)
{
    char name[32];
    std::snprintf(name, sizeof name, "HTCH\\TXT%05d.FST", message);
    return name;
}

std::vector<unsigned char> BuildHitechMessage(HitechDisplay display, int message)
{
    const HitechType* type = FindHitechType(display);
    if (type == nullptr || message < 0 || message >= kHitechMessageCount)
        return {};
    std::vector<unsigned char> bytes;
    const char* positions[2] = {"000000", type->secondRow};
    for (int row = 0; row < 2; ++row) {
        bytes.push_back(0x1C);
        Append(bytes, std::to_string(type->attributes[message]));
        bytes.push_back(0x1E);
        bytes.push_back('X');
        Append(bytes, positions[row]);
        bytes.push_back(0x0F);
        Append(bytes, type->separator);
        Append(bytes, (*type->rows)[message][row]);
        bytes.push_back(0x0F);
    }
    bytes.push_back(0x1A);
    bytes.push_back(0x00);
    return bytes;
}

const char* HitechFontName(HitechDisplay display)
{
    const HitechType* type = FindHitechType(display);
    return type != nullptr ? type->font : kSmallFont;
}

std::vector<unsigned char> BuildPlayOrder(unsigned long holdTimeMs)
{
    constexpr std::size_t kNameField = 13;
    std::vector<unsigned char> order;
    for (int message = 0; message < kHitechMessageCount; ++message) {
        char name[kNameField + 8] = {};
        std::snprintf(name, sizeof name, "TXT%05d.FST", message);
        order.insert(order.end(), name, name + kNameField);
        for (int shift = 24; shift >= 0; shift -= 8)
            order.push_back(static_cast<unsigned char>((holdTimeMs >> shift) & 0xFF));
        order.insert(order.end(), 4, 0);
    }
    return order;
}
