#include "winwindow/verify/BoardPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kMinScale = 0.5; // BoardGeometryFor's smallest
constexpr int kMaxPictureSide = 8192;

// The DIB's pixels, top row first, as BGRA words; every pixel opaque.
class CPixels {
public:
    CPixels(std::uint32_t* bits, int width, int height) : m_bits(bits), m_width(width), m_height(height) {}

    // Lays colour over the pixel with the given coverage (0 .. 1) and the colour's own alpha.
    void Blend(int x, int y, const BoardColour& colour, double coverage)
    {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height)
            return;
        const double alpha = std::clamp(coverage, 0.0, 1.0) * colour.a / 255.0;
        if (alpha <= 0)
            return;
        std::uint32_t& pixel = m_bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                                      static_cast<std::size_t>(x)];
        const auto mix = [alpha](std::uint32_t under, int over) {
            return static_cast<std::uint32_t>(std::lround(under * (1 - alpha) + over * alpha)) & 0xff;
        };
        const std::uint32_t b = mix(pixel & 0xff, colour.b);
        const std::uint32_t g = mix((pixel >> 8) & 0xff, colour.g);
        const std::uint32_t r = mix((pixel >> 16) & 0xff, colour.r);
        pixel = 0xff000000u | (r << 16) | (g << 8) | b;
    }

    // A disc of radius around (cx, cy) with soft edges; colourAt gives the colour at a distance
    // from the centre.
    template <class ColourAt>
    void Disc(double cx, double cy, double radius, ColourAt colourAt)
    {
        const int left = static_cast<int>(std::floor(cx - radius - 1));
        const int right = static_cast<int>(std::ceil(cx + radius + 1));
        const int top = static_cast<int>(std::floor(cy - radius - 1));
        const int bottom = static_cast<int>(std::ceil(cy + radius + 1));
        for (int y = std::max(0, top); y <= std::min(m_height - 1, bottom); ++y) {
            for (int x = std::max(0, left); x <= std::min(m_width - 1, right); ++x) {
                const double distance = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                const double coverage = radius + 0.5 - distance; // a pixel wide edge
                if (coverage > 0)
                    Blend(x, y, colourAt(std::min(1.0, distance / std::max(radius, 0.01))), coverage);
            }
        }
    }

private:
    std::uint32_t* m_bits;
    int m_width;
    int m_height;
};

// GDI leaves the alpha byte of what it draws at 0; a static of the version 6 controls would show
// those pixels as holes.
void MakeOpaque(std::uint32_t* bits, int width, int height)
{
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t index = 0; index < count; ++index)
        bits[index] |= 0xff000000u;
}

BoardColour Between(const BoardColour& from, const BoardColour& to, double at)
{
    const auto mix = [at](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * at)); };
    return {mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b), mix(from.a, to.a)};
}

COLORREF ToColorRef(const BoardColour& colour)
{
    return RGB(colour.r, colour.g, colour.b);
}

// A top-down 32-bit DIB section filled with the backdrop; null when it could not be made.
HBITMAP MakeDib(int width, int height, COLORREF backdrop, std::uint32_t*& bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bitmap == nullptr || pixels == nullptr) {
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        return nullptr;
    }
    bits = static_cast<std::uint32_t*>(pixels);
    const std::uint32_t fill = 0xff000000u | (static_cast<std::uint32_t>(GetRValue(backdrop)) << 16) |
                               (static_cast<std::uint32_t>(GetGValue(backdrop)) << 8) | GetBValue(backdrop);
    std::fill(bits, bits + static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
    return bitmap;
}

// The sign's case (a rounded rectangle with its rim) and the black field inside the bezel.
void DrawCase(HBITMAP bitmap, int width, int height, int bezel, int fieldWidth, int fieldHeight, double scale)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        return;
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const int rim = std::max(1, static_cast<int>(std::lround(2 * scale)));
    const int corner = std::max(2, static_cast<int>(std::lround(16 * scale)));
    HPEN pen = CreatePen(PS_SOLID, rim, ToColorRef(kBoardCaseRim));
    HBRUSH caseBrush = CreateSolidBrush(ToColorRef(kBoardCase));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, caseBrush);
    RoundRect(dc, rim / 2, rim / 2, width - rim / 2, height - rim / 2, corner, corner);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    const int margin = static_cast<int>(std::lround(4 * scale));
    const RECT field{bezel - margin, bezel - margin, bezel + fieldWidth + margin, bezel + fieldHeight + margin};
    HBRUSH fieldBrush = CreateSolidBrush(ToColorRef(kBoardField));
    FillRect(dc, &field, fieldBrush);
    GdiFlush();
    DeleteObject(fieldBrush);
    DeleteObject(caseBrush);
    DeleteObject(pen);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
}

// The LEDs from (left, top): unlit ones as small dark dots; lit ones with a core fading to the
// rim, and their glow around when they are large enough.
void DrawLeds(CPixels& pixels, const LedBoard& board, bool amber, double pitch, bool glow, double left, double top)
{
    const BoardPalette& palette = LedPalette(amber);
    const double radius = pitch * 0.40;
    BoardColour clearGlow = palette.glow;
    clearGlow.a = 0;
    for (int y = 0; y < board.nHeight; ++y) {
        for (int x = 0; x < board.nWidth; ++x) {
            const double cx = left + (x + 0.5) * pitch;
            const double cy = top + (y + 0.5) * pitch;
            if (!board.IsLit(x, y)) {
                pixels.Disc(cx, cy, radius * 0.85, [&](double) { return palette.unlit; });
                continue;
            }
            if (glow) {
                pixels.Disc(cx, cy, pitch * 0.95, [&](double at) { return Between(palette.glow, clearGlow, at); });
                pixels.Disc(cx, cy, radius, [&](double at) { return Between(palette.core, palette.edge, at); });
            } else {
                pixels.Disc(cx, cy, radius, [&](double) { return palette.edge; });
            }
        }
    }
}

} // namespace

double BoardScaleToFit(const LedBoard& board, int dpi, int width, int height)
{
    const BoardGeometry unit = BoardGeometryFor(board, 1.0);
    double scale = dpi > 0 ? dpi / 96.0 : 1.0;
    if (unit.nWidth > 0 && width > 0)
        scale = std::min(scale, static_cast<double>(width) / unit.nWidth);
    if (unit.nHeight > 0 && height > 0)
        scale = std::min(scale, static_cast<double>(height) / unit.nHeight);
    return std::max(kMinScale, scale);
}

HBITMAP DrawBoardBitmap(const LedBoard& board, bool amber, double scale, COLORREF backdrop)
{
    const BoardGeometry geometry = BoardGeometryFor(board, scale);
    if (geometry.nWidth <= 0 || geometry.nHeight <= 0 || geometry.nWidth > kMaxPictureSide ||
        geometry.nHeight > kMaxPictureSide)
        return nullptr;
    std::uint32_t* bits = nullptr;
    HBITMAP bitmap = MakeDib(geometry.nWidth, geometry.nHeight, backdrop, bits);
    if (bitmap == nullptr)
        return nullptr;
    DrawCase(bitmap, geometry.nWidth, geometry.nHeight, geometry.nBezel, geometry.nFieldWidth, geometry.nFieldHeight,
             geometry.pitch / BoardGeometryFor(board, 1.0).pitch);
    MakeOpaque(bits, geometry.nWidth, geometry.nHeight);
    CPixels pixels(bits, geometry.nWidth, geometry.nHeight);
    DrawLeds(pixels, board, amber, geometry.pitch, geometry.bGlow, geometry.nBezel, geometry.nBezel);
    return bitmap;
}

HBITMAP DrawHeaderBitmap(int size, COLORREF backdrop)
{
    size = std::clamp(size, 9, 512);
    std::uint32_t* bits = nullptr;
    HBITMAP bitmap = MakeDib(size, size, backdrop, bits);
    if (bitmap == nullptr)
        return nullptr;
    // A sign of 7 x 5 LEDs with a check mark lit, a bezel of one LED around, across the middle.
    constexpr int kColumns = 7;
    constexpr int kRows = 5;
    constexpr const char* kMark[kRows] = {"......#", ".....#.", "#...#..", ".#.#...", "..#...."};
    LedBoard board;
    board.nWidth = kColumns;
    board.nHeight = kRows;
    board.lit.assign(kColumns * kRows, false);
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x)
            board.lit[static_cast<std::size_t>(y * kColumns + x)] = kMark[y][x] == '#';

    const double pitch = size / (kColumns + 2.0);
    const int caseHeight = static_cast<int>(std::lround((kRows + 2) * pitch));
    const int top = (size - caseHeight) / 2;
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc != nullptr) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        HBRUSH caseBrush = CreateSolidBrush(ToColorRef(kBoardCase));
        HPEN pen = CreatePen(PS_SOLID, 1, ToColorRef(kBoardCaseRim));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, caseBrush);
        const int corner = static_cast<int>(std::lround(pitch));
        RoundRect(dc, 0, top, size, top + caseHeight, corner, corner);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        const int inset = static_cast<int>(std::lround(pitch / 2));
        const RECT field{inset, top + inset, size - inset, top + caseHeight - inset};
        HBRUSH fieldBrush = CreateSolidBrush(ToColorRef(kBoardField));
        FillRect(dc, &field, fieldBrush);
        GdiFlush();
        DeleteObject(fieldBrush);
        DeleteObject(caseBrush);
        DeleteObject(pen);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    MakeOpaque(bits, size, size);
    CPixels pixels(bits, size, size);
    DrawLeds(pixels, board, true, pitch, true, pitch, top + pitch);
    return bitmap;
}
