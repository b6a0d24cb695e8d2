#include "link/S22ServerSignType.h"

#include "base/AsciiCase.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <tuple>

namespace {

struct FamilyRow {
    int code;
    const char* name;
    const char* extendedCode;  // in ".M2" names; empty when the family has none
    const char* m3Code;        // in ".M3" names; empty when the family has none
    const char* directory;
};

constexpr FamilyRow kFamilies[] = {
    {CS22Server_SignType::FAMILY_TALLYMARK, "Tallymark", "TMK", "", "tallymark/"},
    {CS22Server_SignType::FAMILY_TIDINGS, "Tidings", "TDG", "", "tidings/"},
    {CS22Server_SignType::FAMILY_CORVID, "Corvid", "CRV", "", "corvid/"},
    {CS22Server_SignType::FAMILY_FLAREPOINT, "Flarepoint", "FLP", "", "flarepoint/"},
    {CS22Server_SignType::FAMILY_PRISM_BLOCK, "Prism Block", "PB", "", "prismblock/"},
    {CS22Server_SignType::FAMILY_MULTI_CORVID, "Multi Corvid", "MC", "", "multicorvid/"},
    {CS22Server_SignType::FAMILY_CORVID_PRO, "CorvidPro", "CP", "CP", "corvidpro/"},
    {CS22Server_SignType::FAMILY_CORVID_6100, "Corvid 6100", "", "CRV", ""},
};

struct ColorRow {
    int colors;
    int bitCode;
    const char* token;
    const char* text;
    const char* directory;
};

constexpr ColorRow kColors[] = {
    {1, 1, "MONO1", "Monochrome", "monochrome/"},
    {3, 2, "TRI3", "Tricolor", "tricolor/"},
    {8, 3, "RGB8", "RGB 8", "rgb/"},
    {64, 6, "MONO64", "Monochrome 64", "monochrome64/"},
    {256, 8, "TRI256", "Tricolor 256", "tricolor256/"},
    {32000, 15, "RGB32K", "RGB 32K", "rgb32k/"},
    {16000000, 24, "RGB16M", "RGB", "rgb16m/"},
};

struct NameToken {
    const char* text;
    int value;
};

// Search orders of the parses: the first token found decides.
constexpr NameToken kLegacyFamilies[] = {
    {"TDG", CS22Server_SignType::FAMILY_TIDINGS},    {"TMK", CS22Server_SignType::FAMILY_TALLYMARK},
    {"FLP", CS22Server_SignType::FAMILY_FLAREPOINT}, {"PB", CS22Server_SignType::FAMILY_PRISM_BLOCK},
    {"CRV", CS22Server_SignType::FAMILY_CORVID},
};
constexpr NameToken kM2Families[] = {
    {".TDG", CS22Server_SignType::FAMILY_TIDINGS},     {".TMK", CS22Server_SignType::FAMILY_TALLYMARK},
    {".FLP", CS22Server_SignType::FAMILY_FLAREPOINT},  {".PB", CS22Server_SignType::FAMILY_PRISM_BLOCK},
    {".CRV", CS22Server_SignType::FAMILY_CORVID},      {".CP", CS22Server_SignType::FAMILY_CORVID_PRO},
    {".MC", CS22Server_SignType::FAMILY_MULTI_CORVID},
};
constexpr NameToken kM2Colors[] = {
    {"MONO64", 64}, {"MONO1", 1},     {"TRI3", 3},          {"TRI256", 256},
    {"RGB8", 8},    {"RGB32K", 32000}, {"RGB16M", 16000000},
};
constexpr NameToken kM3Families[] = {
    {".CP", CS22Server_SignType::FAMILY_CORVID_PRO},
    {".CRV", CS22Server_SignType::FAMILY_CORVID_6100},
};
constexpr NameToken kM3Colors[] = {{"RGB32K", 32000}, {"RGB16M", 16000000}, {"MONO256", 256}};

const FamilyRow* FindFamily(int code)
{
    for (const FamilyRow& row : kFamilies) {
        if (row.code == code)
            return &row;
    }
    return nullptr;
}

const ColorRow* FindColors(int colors)
{
    for (const ColorRow& row : kColors) {
        if (row.colors == colors)
            return &row;
    }
    return nullptr;
}

bool Contains(const std::string& text, const char* token)
{
    return text.find(token) != std::string::npos;
}

// The value of the first token found, in the table's order; 0 when none occurs.
template <std::size_t N>
int FirstFound(const std::string& text, const NameToken (&tokens)[N])
{
    for (const NameToken& token : tokens) {
        if (Contains(text, token.text))
            return token.value;
    }
    return 0;
}

// The decimal digits at pos, at most maxDigits of them. 0 when there are none or the value does
// not fit an int, so an absurd size is refused like a missing one. *end: just after the digits.
int ReadDecimal(std::string_view text, std::size_t pos, std::size_t maxDigits, std::size_t* end = nullptr)
{
    long long value = 0;
    bool overflow = false;
    std::size_t i = pos;
    for (; i < text.size() && i - pos < maxDigits && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            overflow = true;
            value = 0;
        }
    }
    if (end != nullptr)
        *end = i;
    return overflow ? 0 : static_cast<int>(value);
}

bool IsValidGeneration(int generation)
{
    return generation == CS22Server_SignType::NAME_LEGACY || generation == CS22Server_SignType::NAME_M2 ||
           generation == CS22Server_SignType::NAME_M3;
}

template <typename... Args>
std::string Format(const char* format, Args... args)
{
    char buffer[160];
    const int length = std::snprintf(buffer, sizeof buffer, format, args...);
    if (length < 0)
        return std::string();
    return std::string(buffer, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof buffer - 1));
}

}  // namespace

int S22ColorsToBitCode(int colors)
{
    const ColorRow* row = FindColors(colors);
    return row != nullptr ? row->bitCode : 0;
}

int S22BitCodeToColors(int bitCode)
{
    for (const ColorRow& row : kColors) {
        if (row.bitCode == bitCode)
            return row.colors;
    }
    return 0;
}

bool CS22Server_SignType::SetFromFileName(std::string_view name)
{
    const std::string upper = AsciiUpper(name);
    if (Contains(upper, "M2"))
        return ParseM2(upper);
    if (Contains(upper, "M3"))
        return ParseM3(upper);
    return ParseLegacy(upper);
}

bool CS22Server_SignType::ParseLegacy(const std::string& upper)
{
    m_nGeneration = NAME_LEGACY;
    const int family = FirstFound(upper, kLegacyFamilies);
    if (family == 0)
        return false;
    m_nFamily = family;
    if (Contains(upper, "RGB"))
        m_nColors = 8;
    else if (Contains(upper, "T."))
        m_nColors = 3;
    else
        m_nColors = 1;

    // Legacy names carry their sizes at fixed character positions.
    ClearDimensions();
    switch (family) {
    case FAMILY_TIDINGS:
        m_nD2 = ReadDecimal(upper, 0, 2);
        m_nD3 = ReadDecimal(upper, 2, 3);
        m_nD0 = ReadDecimal(upper, 5, 2);
        break;
    case FAMILY_TALLYMARK:
        // "%dX%d": a one-digit first number moves the second one a place to the left.
        m_nD0 = ReadDecimal(upper, 0, 2);
        m_nD1 = ReadDecimal(upper, m_nD0 < 10 ? 2 : 3, 3);
        break;
    default:
        m_nD4 = ReadDecimal(upper, 0, 2);
        m_nD3 = ReadDecimal(upper, 2, 3);
        break;
    }
    return HasRequiredDimensions();
}

bool CS22Server_SignType::ParseM2(const std::string& upper)
{
    m_nGeneration = NAME_M2;
    const int family = FirstFound(upper, kM2Families);
    if (family == 0)
        return false;
    m_nFamily = family;
    m_nColors = FirstFound(upper, kM2Colors);  // 0: no colour token (Multi Corvid names carry none)
    ReadFrontDimensions(upper);
    return HasRequiredDimensions();
}

bool CS22Server_SignType::ParseM3(const std::string& upper)
{
    m_nGeneration = NAME_M3;
    const int family = FirstFound(upper, kM3Families);
    if (family == 0)
        return false;
    m_nFamily = family;
    m_nColors = FirstFound(upper, kM3Colors);
    ReadFrontDimensions(upper);
    return HasRequiredDimensions();
}

void CS22Server_SignType::ReadFrontDimensions(const std::string& upper)
{
    int values[3] = {0, 0, 0};
    const int count = m_nFamily == FAMILY_TIDINGS ? 3 : 2;
    std::size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        values[i] = ReadDecimal(upper, pos, upper.size(), &pos);
        if (pos >= upper.size() || upper[pos] != 'X')
            break;
        ++pos;
    }
    ClearDimensions();
    switch (m_nFamily) {
    case FAMILY_TIDINGS:
        m_nD2 = values[0];
        m_nD3 = values[1];
        m_nD0 = values[2];
        break;
    case FAMILY_TALLYMARK:
        m_nD0 = values[0];
        m_nD1 = values[1];
        break;
    default:
        m_nD4 = values[0];
        m_nD3 = values[1];
        break;
    }
}

bool CS22Server_SignType::HasRequiredDimensions() const
{
    switch (m_nFamily) {
    case FAMILY_TIDINGS:
        return m_nD2 != 0 && m_nD3 != 0 && m_nD0 != 0;
    case FAMILY_TALLYMARK:
        return m_nD0 != 0 && m_nD1 != 0;
    default:
        return m_nD4 != 0 && m_nD3 != 0;
    }
}

void CS22Server_SignType::ClearDimensions()
{
    m_nD0 = m_nD1 = m_nD2 = m_nD3 = m_nD4 = m_nD5 = 0;
}

std::string CS22Server_SignType::GetFileName() const
{
    std::string name;
    switch (m_nGeneration) {
    case NAME_LEGACY:
        name = BuildLegacy();
        break;
    case NAME_M2:
        name = BuildM2();
        break;
    case NAME_M3:
        name = BuildM3();
        break;
    default:
        break;
    }
    return AsciiLower(name);
}

std::string CS22Server_SignType::BuildLegacy() const
{
    // Columns: 1 colour, 3 colours, 8 colours and up. Counts outside those read as 1.
    const int column = m_nColors == 3 ? 1 : (m_nColors >= 8 ? 2 : 0);
    switch (m_nFamily) {
    case FAMILY_TALLYMARK: {
        const char* forms[] = {"%dX%d.TMK", "%dX%dT.TMK", "%dX%dT.TMK"};
        return Format(forms[column], m_nD0, m_nD1);
    }
    case FAMILY_TIDINGS: {
        const char* forms[] = {"%02d%03d%02d.TDG", "%02d%03d%02dT.TDG", "%02d%03d%02dT.TDG"};
        return Format(forms[column], m_nD2, m_nD3, m_nD0);
    }
    case FAMILY_CORVID: {
        const char* forms[] = {"%02d%03d.CRV", "%02d%03dT.CRV", "%02d%03dRGB.CRV"};
        return Format(forms[column], m_nD4, m_nD3);
    }
    case FAMILY_FLAREPOINT:
        return Format("%02d%03d.FLP", m_nD4, m_nD3);
    case FAMILY_PRISM_BLOCK:
        return Format("%02d%03d.PB", m_nD4, m_nD3);
    default:
        return std::string();
    }
}

std::string CS22Server_SignType::BuildM2() const
{
    const FamilyRow* family = FindFamily(m_nFamily);
    if (family == nullptr || *family->extendedCode == '\0')
        return std::string();
    const ColorRow* colors = FindColors(m_nColors);
    const char* token = colors != nullptr ? colors->token : "";
    switch (m_nFamily) {
    case FAMILY_TIDINGS:
        return Format("%dx%dx%d%s.%s.M2", m_nD2, m_nD3, m_nD0, token, family->extendedCode);
    case FAMILY_MULTI_CORVID:
        return Format("%dx%d.%s.M2", m_nD4, m_nD3, family->extendedCode);
    case FAMILY_TALLYMARK:
        return Format("%dx%d%s.%s.M2", m_nD0, m_nD1, token, family->extendedCode);
    default:
        return Format("%dx%d%s.%s.M2", m_nD4, m_nD3, token, family->extendedCode);
    }
}

std::string CS22Server_SignType::BuildM3() const
{
    const FamilyRow* family = FindFamily(m_nFamily);
    if (family == nullptr || *family->m3Code == '\0')
        return std::string();
    // The tokens the ".M3" parse reads, so every name built here parses back.
    const char* token = "";
    for (const NameToken& candidate : kM3Colors) {
        if (candidate.value == m_nColors)
            token = candidate.text;
    }
    return Format("%dx%d%s.%s.M3", m_nD4, m_nD3, token, family->m3Code);
}

std::string CS22Server_SignType::GetDescription() const
{
    const FamilyRow* family = FindFamily(m_nFamily);
    const char* name = family != nullptr ? family->name : "";
    const ColorRow* colors = FindColors(m_nColors);
    const char* text = colors != nullptr ? colors->text : "";
    if (m_nFamily == FAMILY_CORVID_6100 && m_nColors == 256)
        text = "Monochrome 4096";
    switch (m_nFamily) {
    case FAMILY_TALLYMARK:
        return Format("%s %d x %d %s", name, m_nD0, m_nD1, text);
    case FAMILY_TIDINGS:
        return Format("%s %d x %d x %d %s", name, m_nD2, m_nD3, m_nD0, text);
    case FAMILY_MULTI_CORVID:
        return Format("%s %d x %d %s", name, m_nD4, m_nD3, "");
    default:
        return Format("%s %d x %d %s", name, m_nD4, m_nD3, text);
    }
}

std::string CS22Server_SignType::GetDirectory() const
{
    const FamilyRow* family = FindFamily(m_nFamily);
    if (family == nullptr || *family->directory == '\0')
        return std::string();
    std::string directory = family->directory;
    if (m_nFamily != FAMILY_FLAREPOINT && m_nFamily != FAMILY_PRISM_BLOCK) {
        const ColorRow* colors = FindColors(m_nColors);
        if (colors != nullptr)
            directory += colors->directory;
    }
    return directory;
}

void CS22Server_SignType::AddModule(int colors, int a, int b, int c, int d, int e)
{
    const int normalised = FindColors(colors) != nullptr ? colors : 0;
    m_modules.push_back(Module{a, b, c, d, e, colors, normalised});
    m_nD0 = m_nD1 = m_nD2 = 0;
}

const CS22Server_SignType::Module* CS22Server_SignType::FindModule(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_modules.size())
        return nullptr;
    return &m_modules[static_cast<std::size_t>(index)];
}

S22SignModule CS22Server_SignType::GetModule(int index) const
{
    S22SignModule result;
    if (const Module* module = FindModule(index)) {
        result.a = module->a;
        result.b = module->b;
        result.c = module->c;
        result.d = module->d;
        result.e = module->e;
        result.colors = module->colors;
        result.bitCode = S22ColorsToBitCode(module->colors);
    }
    return result;
}

void CS22Server_SignType::Clear()
{
    ClearDimensions();
    m_nGeneration = NAME_NONE;
}

bool CS22Server_SignType::SetColors(int colors)
{
    if (FindColors(colors) == nullptr)
        return false;
    m_nColors = colors;
    return true;
}

bool CS22Server_SignType::SetTallymark(int d0, int d1, int colors, int generation)
{
    if (FindColors(colors) == nullptr || !IsValidGeneration(generation))
        return false;
    ClearDimensions();
    m_nFamily = FAMILY_TALLYMARK;
    m_nD0 = d0;
    m_nD1 = d1;
    m_nColors = colors;
    m_nGeneration = generation;
    return true;
}

bool CS22Server_SignType::SetTidings(int d2, int d3, int d0, int colors, int generation)
{
    if (FindColors(colors) == nullptr || !IsValidGeneration(generation))
        return false;
    ClearDimensions();
    m_nFamily = FAMILY_TIDINGS;
    m_nD2 = d2;
    m_nD3 = d3;
    m_nD0 = d0;
    m_nColors = colors;
    m_nGeneration = generation;
    return true;
}

bool CS22Server_SignType::SetRowsColumns(int family, int rows, int columns, int colors, int generation)
{
    if (family < FAMILY_CORVID || family > FAMILY_CORVID_6100 || FindColors(colors) == nullptr ||
        !IsValidGeneration(generation))
        return false;
    ClearDimensions();
    m_nFamily = family;
    m_nD4 = rows;
    m_nD3 = columns;
    m_nColors = colors;
    m_nGeneration = generation;
    return true;
}

bool CS22Server_SignType::IsLess(const CS22Server_SignType& other) const
{
    // d2, d1 and d0 come after the fields that order sign types, so they only separate the sizes
    // of Tallymark and Tidings signs that would otherwise compare equal.
    const auto key = [](const CS22Server_SignType& s) {
        return std::make_tuple(s.m_nFamily, s.m_nGeneration, s.m_nD4, s.m_nD3, s.m_nColors, s.GetBitCode(),
                               s.m_nD2, s.m_nD1, s.m_nD0);
    };
    if (key(*this) != key(other))
        return key(*this) < key(other);
    if (m_nFamily != FAMILY_MULTI_CORVID)
        return false;
    if (m_modules.size() != other.m_modules.size())
        return m_modules.size() < other.m_modules.size();
    for (std::size_t i = 0; i < m_modules.size(); ++i) {
        const Module& mine = m_modules[i];
        const Module& theirs = other.m_modules[i];
        const auto moduleKey = [](const Module& m) { return std::make_tuple(m.b, m.a, m.c, m.d); };
        if (moduleKey(mine) != moduleKey(theirs))
            return moduleKey(mine) < moduleKey(theirs);
    }
    return false;
}
