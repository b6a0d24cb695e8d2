#pragma once
// Bitmap pixels to and from the controller's bit-plane graphic layout.
//
// Per plane, the rows are cut into bands of eight; byte band × columns + (columns - 1 - x) holds
// column x of a band (columns run right to left) and its bit y mod 8 the pixel of row y. The planes
// follow one another: red (for a one-plane graphic, any light), green, blue.

#include "link/S22Bitmap.h"
#include "link/S22NetResult.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Largest plane data a transfer can announce: 65535 blocks (16-bit count) of 247 bytes.
constexpr std::uint64_t S22_MAX_GRAPHIC_BYTES = 65535u * 247u;

// A channel at or above this level (0-255) lights its plane.
constexpr unsigned char S22_GRAPHIC_THRESHOLD = 90;

struct S22Colour {
    unsigned char blue = 0;
    unsigned char green = 0;
    unsigned char red = 0;
};

// Pixel access to a device-independent bitmap with bottom-up rows at the standard stride.
class CS22NetDIB {
public:
    // Reads a caller's bitmap: the header, the palette (which follows the header's biSize bytes,
    // as many entries as it declares) and the first `size` bytes of the bits are copied.
    CS22NetDIB(const BITMAPINFO& info, const unsigned char* bits, std::size_t size);
    // Builds an all-black 24-bit bitmap of columns × rows.
    CS22NetDIB(int columns, int rows);

    // Column x, row y counted from the top. No colour outside the bitmap or its copied rows, for
    // a bit count other than 1, 4, 8 or 24, and for a palette index beyond the declared palette.
    std::optional<S22Colour> GetPixel(int x, int y) const;
    // Only a 24-bit bitmap takes colours; a pixel outside it is ignored.
    void SetPixel(int x, int y, S22Colour colour);

    const BITMAPINFOHEADER& Header() const { return m_header; }
    const std::vector<unsigned char>& Bits() const { return m_abBits; }

private:
    std::optional<std::size_t> RowStart(int x, int y) const;
    std::optional<S22Colour> PaletteColour(unsigned index) const;

    BITMAPINFOHEADER m_header{};
    std::vector<S22Colour> m_palette;
    std::uint64_t m_nStride = 0;
    std::vector<unsigned char> m_abBits;
};

// The controller's bit planes of one graphic. Planes are numbered from 1.
class CS22NetGraphic {
public:
    // Graphic type 0 has one plane, 1 two, 2 or more three; a negative type none.
    static int PlanesOfType(short type);
    // Bytes one plane occupies: bands of eight rows × columns; 0 unless both are positive.
    static std::uint64_t PlaneSize(int rows, int columns);

    // An empty graphic of the given number of planes (the caller keeps the size sane).
    CS22NetGraphic(int rows, int columns, int planes);
    // Received plane data; whatever lies beyond it reads as empty.
    CS22NetGraphic(int rows, int columns, const unsigned char* data, std::size_t size);

    bool GetPixel(int plane, int x, int y) const;
    void SetPixel(int plane, int x, int y);

    std::size_t Size() const { return m_abData.size(); }
    const std::vector<unsigned char>& Data() const { return m_abData; }

private:
    std::optional<std::size_t> ByteIndex(int plane, int x, int y) const;

    int m_nRows;
    int m_nColumns;
    std::size_t m_nPlane2Offset;
    std::size_t m_nPlane3Offset;
    std::vector<unsigned char> m_abData;
};

// A caller's bitmap to the plane data of a graphic of rows × columns and the given type.
// -18 ERR_GRAPHIC_UNSUPPORTED_FORMAT (and `planes` empty) for: a null argument; a bit count other
// than 1, 4, 8 or 24; compression other than BI_RGB; an image size of 0; a negative height or
// width; a header size outside 40..124; an image size (the bytes the caller provides) short of
// stride × height; rows or columns not positive; a negative type; plane data beyond
// S22_MAX_GRAPHIC_BYTES.
S22Result BitmapToGraphic(const BITMAPINFO* info, const unsigned char* bits, short rows, short columns,
                          short type, std::vector<unsigned char>& planes);

// Received plane data to a 24-bit bitmap of columns × rows: red, green and blue at 255 where planes
// 1, 2 and 3 are lit (a plane beyond the data reads as empty). `info`, when given, receives the
// header and one zero palette entry. -18 (and `bits` empty, `info` untouched) when the data holds
// less than two planes, or rows or columns are not positive, or two planes would exceed
// S22_MAX_GRAPHIC_BYTES.
S22Result GraphicToBitmap(const unsigned char* data, std::size_t size, short rows, short columns,
                          BITMAPINFO* info, std::vector<unsigned char>& bits);
