#include "verify/VerificationMessages.h"

#include "res/Resources.h"
#include "res/verify/VerifyResources.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Decimal(int value)
{
    return std::to_string(value);
}

std::string Template(int id)
{
    const auto bytes = qvxres::FindEmbeddedResource(qvxres::verify::kTextType, id);
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// What both messages share; the text placeholder (%LINES% or %STORE_NUM%) comes in at its turn,
// between %TYPE% and %BITCOUNT%, as the template expects.
std::string Fill(std::string text, int width, int height, int colourBitCode, bool windowFlag, bool firmwareLine,
                 std::string_view textPlaceholder, std::string_view textValue)
{
    if (text.empty())
        return text;
    ReplacePlaceholder(text, "%X_POS%", windowFlag ? "64" : "0");
    ReplacePlaceholder(text, "%Y_POS%", "0");
    ReplacePlaceholder(text, "%WIDTH%", Decimal(windowFlag ? 80 : width));
    ReplacePlaceholder(text, "%HEIGHT%", Decimal(windowFlag ? 32 : height));
    ReplacePlaceholder(text, "%COLOR%", VerificationColourValue(colourBitCode));
    char type[96];
    std::snprintf(type, sizeof type, "%dx%d%s.crv.m2", height, width,
                  VerificationColourName(colourBitCode, firmwareLine));
    ReplacePlaceholder(text, "%TYPE%", type);
    ReplacePlaceholder(text, textPlaceholder, textValue);
    ReplacePlaceholder(text, "%BITCOUNT%", Decimal(colourBitCode));
    return text;
}

} // namespace

const char* VerificationColourName(int colourBitCode, bool firmwareLine)
{
    switch (colourBitCode) {
    case 1:
        return "MONO1";
    case 2:
        return "TRI3";
    case 3:
        return "RGB8";
    case 6:
        return "MONO64";
    case 8:
        return firmwareLine ? "MONO256" : "TRI256";
    case 24:
        return "RGB16M";
    default:
        return "RGB32K";
    }
}

const char* VerificationColourValue(int colourBitCode)
{
    switch (colourBitCode) {
    case 1:
    case 2:
    case 3:
        return "1";
    case 6:
        return "63";
    case 8:
        return "240";
    case 15:
        return "31744";
    default:
        return "16711680";
    }
}

std::string VerificationRows(int width, int height)
{
    // No display comes near the bound; it keeps a nonsense size from building megabytes.
    const int rows = std::clamp(height, 0, kMaxVerificationPixels) / 8;
    const int perRow = (std::clamp(width, 0, kMaxVerificationPixels) + 5) / 6;
    std::string text;
    for (int row = 1; row <= rows; ++row) {
        if (row > 1)
            text += "<BR/>";
        const std::string number = Decimal(row);
        for (int i = 0; i < perRow; ++i)
            text += number;
    }
    return text;
}

std::string BuildMessageOne(int width, int height, int colourBitCode, bool windowFlag, bool firmwareLine)
{
    return Fill(Template(qvxres::verify::kMessageOneTemplate), width, height, colourBitCode, windowFlag,
                firmwareLine, "%LINES%", VerificationRows(width, height));
}

std::string BuildMessageTwo(int width, int height, int colourBitCode, bool windowFlag, bool firmwareLine,
                            std::string_view storeNumber)
{
    return Fill(Template(qvxres::verify::kMessageTwoTemplate), width, height, colourBitCode, windowFlag,
                firmwareLine, "%STORE_NUM%", storeNumber);
}

void ReplacePlaceholder(std::string& text, std::string_view placeholder, std::string_view value)
{
    if (placeholder.empty())
        return;
    std::size_t at = 0;
    while ((at = text.find(placeholder, at)) != std::string::npos) {
        text.replace(at, placeholder.size(), value);
        at += value.size();
    }
}
