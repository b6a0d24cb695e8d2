#pragma once
// Sign types: family, colour depth, size and modules, with their file-name forms. Controllers and
// configuration files name a display by one of three name generations (legacy "16080.CRV",
// extended "32X80MONO64.CRV.M2", and ".M3"); this class converts between those names and the
// description, and gives the display text, the file directory and an ordering.

#include <string>
#include <string_view>
#include <vector>

// Colour count to bit code: 1 -> 1, 3 -> 2, 8 -> 3, 64 -> 6, 256 -> 8, 32000 -> 15,
// 16000000 -> 24; anything else 0.
int S22ColorsToBitCode(int colors);
// The reverse; anything else 0.
int S22BitCodeToColors(int bitCode);

// One module of a modular sign as the configuration gives it.
struct S22SignModule {
    int a = -1, b = -1, c = -1, d = -1; // geometry
    int e = -1;                         // the fifth value
    int colors = -1;                    // the normalised count: 0 when not a known depth
    int bitCode = -1;                   // of colors
};

class CS22Server_SignType {
public:
    enum : int {
        FAMILY_TALLYMARK = 1,
        FAMILY_TIDINGS = 2,
        FAMILY_CORVID = 3,
        FAMILY_FLAREPOINT = 4,
        FAMILY_PRISM_BLOCK = 5,
        FAMILY_MULTI_CORVID = 6,
        FAMILY_CORVID_PRO = 7,
        FAMILY_CORVID_6100 = 8
    };
    enum : int { NAME_LEGACY = 0, NAME_M2 = 1, NAME_M3 = 2, NAME_NONE = 4 };

    CS22Server_SignType() = default;
    CS22Server_SignType(const CS22Server_SignType&) = default;
    CS22Server_SignType& operator=(const CS22Server_SignType&) = default;
    CS22Server_SignType(CS22Server_SignType&&) = default;
    CS22Server_SignType& operator=(CS22Server_SignType&&) = default;
    virtual ~CS22Server_SignType() = default;

    // True when the name was understood. The generation is chosen by "M2", then "M3" in the name
    // (any letter case), else legacy. On false the fields read so far stay; modules are untouched.
    bool SetFromFileName(std::string_view name);
    // The name for the current generation, in lower case; empty when the family has no name in it.
    std::string GetFileName() const;
    // The text shown for the display, e.g. "Corvid 32 x 80 Monochrome 64".
    std::string GetDescription() const;
    // The family directory followed by the colour directory (none for Flarepoint and Prism Block);
    // empty for a family without a directory.
    std::string GetDirectory() const;

    // Appends a module (a to d: geometry as the configuration gives it, e: its fifth value) and
    // clears d0 to d2, which a modular sign does not use.
    void AddModule(int colors, int a, int b, int c, int d, int e);
    int GetModuleCount() const { return static_cast<int>(m_modules.size()); }
    // The module at index; every field -1 for an index that names no module.
    S22SignModule GetModule(int index) const;

    int GetD0() const { return m_nD0; }
    int GetD1() const { return m_nD1; }
    int GetD2() const { return m_nD2; }
    int GetD3() const { return m_nD3; }
    int GetD4() const { return m_nD4; }
    int GetColors() const { return m_nColors; }
    int GetBitCode() const { return S22ColorsToBitCode(m_nColors); }
    int GetFamily() const { return m_nFamily; }
    int GetGeneration() const { return m_nGeneration; }

    // family: one of the FAMILY_ codes; generation: one of the NAME_ codes.
    bool IsFamily(int family) const { return m_nFamily == family; }
    bool IsGeneration(int generation) const { return m_nGeneration == generation; }
    // True for the grey-level depths: any colour count other than 1, 3 or 8.
    bool IsMultiLevel() const { return m_nColors != 1 && m_nColors != 3 && m_nColors != 8; }

    // d0 to d5 become 0 and the generation "none"; family, colours and modules stay.
    void Clear();

    // Accepts only the colour counts of the table; otherwise false with the field unchanged.
    bool SetColors(int colors);
    // Family setters, one per shape of dimensions. False, with nothing changed, for an unknown
    // colour count, generation or (SetRowsColumns) a family that is not sized by rows and columns.
    bool SetTallymark(int d0, int d1, int colors, int generation);
    bool SetTidings(int d2, int d3, int d0, int colors, int generation);
    bool SetRowsColumns(int family, int rows, int columns, int colors, int generation);

    // Strict ordering: family, generation, rows, columns, colours, then the other dimension words,
    // then (both Multi Corvid) the modules.
    bool IsLess(const CS22Server_SignType& other) const;

private:
    struct Module {
        int a, b, c, d, e;
        int givenColors;
        int colors;  // givenColors when it is a known depth, else 0
    };

    const Module* FindModule(int index) const;
    bool ParseLegacy(const std::string& upper);
    bool ParseM2(const std::string& upper);
    bool ParseM3(const std::string& upper);
    // Reads the "X"-separated numbers at the front of an extended name into the family's words.
    void ReadFrontDimensions(const std::string& upper);
    bool HasRequiredDimensions() const;
    void ClearDimensions();

    std::string BuildLegacy() const;
    std::string BuildM2() const;
    std::string BuildM3() const;

    std::vector<Module> m_modules;
    int m_nD0 = 0;
    int m_nD1 = 0;
    int m_nD2 = 0;
    int m_nD3 = 0;
    int m_nD4 = 0;
    int m_nD5 = 0;
    int m_nColors = 0;
    int m_nFamily = 0;
    int m_nGeneration = NAME_LEGACY;
};
