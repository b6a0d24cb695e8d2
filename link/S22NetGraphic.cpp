#include "link/S22NetGraphic.h"

#include "link/S22NetResult.h"

#include <algorithm>
#include <cstring>

namespace {

// BITMAPINFOHEADER up to BITMAPV5HEADER: the fields read here sit at the same offsets in each.
constexpr std::uint32_t kMinHeaderSize = 40;
constexpr std::uint32_t kMaxHeaderSize = 124;

bool IsSupportedBitCount(unsigned bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

bool IsKnownHeaderSize(std::uint32_t headerSize)
{
    return headerSize >= kMinHeaderSize && headerSize <= kMaxHeaderSize;
}

// Palette entries worth copying: those the header declares (biClrUsed, or all when 0) that the
// bit count can index.
std::uint32_t UsablePaletteSize(const BITMAPINFOHEADER& header)
{
    if (header.biBitCount > 8)
        return 0;
    const std::uint32_t indexes = 1u << header.biBitCount;
    const std::uint32_t declared = header.biClrUsed;
    return declared != 0 ? std::min(declared, indexes) : indexes;
}

// The bytes of pixel rows a bitmap needs, when its header is one this conversion reads and the
// caller's image size (the bytes it provides) covers them.
std::optional<std::size_t> AcceptedImageBytes(const BITMAPINFOHEADER& header)
{
    if (!IsKnownHeaderSize(header.biSize) || !IsSupportedBitCount(header.biBitCount))
        return std::nullopt;
    if (header.biCompression != BI_RGB || header.biSizeImage == 0)
        return std::nullopt;
    if (header.biWidth < 0 || header.biHeight < 0)
        return std::nullopt;
    const std::uint64_t stride = S22BitmapStride(header.biWidth, header.biBitCount);
    const std::uint64_t height = static_cast<std::uint64_t>(header.biHeight);
    if (height != 0 && stride > header.biSizeImage / height)
        return std::nullopt;
    return static_cast<std::size_t>(stride * height);
}

bool IsAcceptedGraphic(short rows, short columns, int planes)
{
    if (rows <= 0 || columns <= 0 || planes <= 0)
        return false;
    return static_cast<std::uint64_t>(planes) * CS22NetGraphic::PlaneSize(rows, columns) <=
           S22_MAX_GRAPHIC_BYTES;
}

void LightPixel(CS22NetGraphic& graphic, short type, const S22Colour& colour, int x, int y)
{
    const bool red = colour.red >= S22_GRAPHIC_THRESHOLD;
    const bool green = colour.green >= S22_GRAPHIC_THRESHOLD;
    const bool blue = colour.blue >= S22_GRAPHIC_THRESHOLD;
    if (type == 0) {
        if (red || green || blue)
            graphic.SetPixel(1, x, y);
        return;
    }
    if (red)
        graphic.SetPixel(1, x, y);
    if (green)
        graphic.SetPixel(2, x, y);
    if (blue && type >= 2)
        graphic.SetPixel(3, x, y);
}

// Full red, green and blue for lit planes 1, 2 and 3.
S22Colour PlaneColour(const CS22NetGraphic& graphic, int x, int y)
{
    const auto level = [&](int plane) -> unsigned char {
        return graphic.GetPixel(plane, x, y) ? 255 : 0;
    };
    return S22Colour{level(3), level(2), level(1)};
}

}  // namespace

CS22NetDIB::CS22NetDIB(const BITMAPINFO& info, const unsigned char* bits, std::size_t size)
{
    std::memcpy(&m_header, &info, sizeof m_header);
    if (IsKnownHeaderSize(m_header.biSize)) {
        const unsigned char* entry = reinterpret_cast<const unsigned char*>(&info) + m_header.biSize;
        m_palette.resize(UsablePaletteSize(m_header));
        for (S22Colour& colour : m_palette) {
            colour = S22Colour{entry[0], entry[1], entry[2]};
            entry += sizeof(RGBQUAD);
        }
    }
    m_nStride = S22BitmapStride(m_header.biWidth, m_header.biBitCount);
    if (bits != nullptr)
        m_abBits.assign(bits, bits + size);
}

CS22NetDIB::CS22NetDIB(int columns, int rows)
{
    m_header.biSize = sizeof(BITMAPINFOHEADER);
    m_header.biWidth = std::max(columns, 0);
    m_header.biHeight = std::max(rows, 0);
    m_header.biPlanes = 1;
    m_header.biBitCount = 24;
    m_header.biCompression = BI_RGB;
    m_nStride = S22BitmapStride(m_header.biWidth, 24);
    const std::uint64_t imageBytes = m_nStride * static_cast<std::uint64_t>(m_header.biHeight);
    m_header.biSizeImage = static_cast<std::uint32_t>(imageBytes);
    m_header.biXPelsPerMeter = 600;
    m_header.biYPelsPerMeter = 800;
    m_abBits.assign(static_cast<std::size_t>(imageBytes), 0);
}

std::optional<std::size_t> CS22NetDIB::RowStart(int x, int y) const
{
    const std::int32_t width = m_header.biWidth;
    const std::int32_t height = m_header.biHeight;
    if (x < 0 || y < 0 || x >= width || y >= height || m_nStride == 0)
        return std::nullopt;
    // Rows are stored bottom-up; only rows wholly inside the copied bits are read.
    const std::uint64_t row = static_cast<std::uint64_t>(height - 1 - y);
    if (row >= m_abBits.size() / m_nStride)
        return std::nullopt;
    return static_cast<std::size_t>(row * m_nStride);
}

std::optional<S22Colour> CS22NetDIB::PaletteColour(unsigned index) const
{
    if (index >= m_palette.size())
        return std::nullopt;
    return m_palette[index];
}

std::optional<S22Colour> CS22NetDIB::GetPixel(int x, int y) const
{
    const std::optional<std::size_t> start = RowStart(x, y);
    if (!start)
        return std::nullopt;
    const unsigned char* row = m_abBits.data() + *start;
    const auto column = static_cast<std::size_t>(x);
    switch (m_header.biBitCount) {
    case 1:
        return PaletteColour((row[column / 8] >> (7 - column % 8)) & 1u);
    case 4:
        return PaletteColour(column % 2 == 0 ? row[column / 2] >> 4 : row[column / 2] & 0x0Fu);
    case 8:
        return PaletteColour(row[column]);
    case 24:
        return S22Colour{row[3 * column], row[3 * column + 1], row[3 * column + 2]};
    default:
        return std::nullopt;
    }
}

void CS22NetDIB::SetPixel(int x, int y, S22Colour colour)
{
    const std::optional<std::size_t> start = RowStart(x, y);
    if (!start || m_header.biBitCount != 24)
        return;
    unsigned char* pixel = m_abBits.data() + *start + 3 * static_cast<std::size_t>(x);
    pixel[0] = colour.blue;
    pixel[1] = colour.green;
    pixel[2] = colour.red;
}

int CS22NetGraphic::PlanesOfType(short type)
{
    if (type < 0)
        return 0;
    return std::min(type + 1, 3);
}

std::uint64_t CS22NetGraphic::PlaneSize(int rows, int columns)
{
    if (rows <= 0 || columns <= 0)
        return 0;
    const std::uint64_t bands = (static_cast<std::uint64_t>(rows) + 7) / 8;
    return bands * static_cast<std::uint64_t>(columns);
}

CS22NetGraphic::CS22NetGraphic(int rows, int columns, int planes)
    : m_nRows(rows),
      m_nColumns(columns),
      m_nPlane2Offset(static_cast<std::size_t>(PlaneSize(rows, columns))),
      m_nPlane3Offset(2 * m_nPlane2Offset),
      m_abData(m_nPlane2Offset * static_cast<std::size_t>(std::clamp(planes, 0, 3)), 0)
{
}

CS22NetGraphic::CS22NetGraphic(int rows, int columns, const unsigned char* data, std::size_t size)
    : CS22NetGraphic(rows, columns, 0)
{
    if (data != nullptr)
        m_abData.assign(data, data + size);
}

std::optional<std::size_t> CS22NetGraphic::ByteIndex(int plane, int x, int y) const
{
    if (plane < 1 || plane > 3 || x < 0 || y < 0 || x >= m_nColumns || y >= m_nRows)
        return std::nullopt;
    const std::size_t offsets[] = {0, m_nPlane2Offset, m_nPlane3Offset};
    const auto band = static_cast<std::size_t>(y / 8);
    const auto columns = static_cast<std::size_t>(m_nColumns);
    const std::size_t index =
        offsets[plane - 1] + band * columns + (columns - 1 - static_cast<std::size_t>(x));
    if (index >= m_abData.size())
        return std::nullopt;
    return index;
}

bool CS22NetGraphic::GetPixel(int plane, int x, int y) const
{
    const std::optional<std::size_t> index = ByteIndex(plane, x, y);
    return index && ((m_abData[*index] >> (y % 8)) & 1u) != 0;
}

void CS22NetGraphic::SetPixel(int plane, int x, int y)
{
    if (const std::optional<std::size_t> index = ByteIndex(plane, x, y))
        m_abData[*index] = static_cast<unsigned char>(m_abData[*index] | (1u << (y % 8)));
}

S22Result BitmapToGraphic(const BITMAPINFO* info, const unsigned char* bits, short rows, short columns,
                          short type, std::vector<unsigned char>& planes)
{
    planes.clear();
    if (info == nullptr || bits == nullptr)
        return ERR_GRAPHIC_UNSUPPORTED_FORMAT;
    BITMAPINFOHEADER header;
    std::memcpy(&header, info, sizeof header);
    const std::optional<std::size_t> imageBytes = AcceptedImageBytes(header);
    const int planeCount = CS22NetGraphic::PlanesOfType(type);
    if (!imageBytes || !IsAcceptedGraphic(rows, columns, planeCount))
        return ERR_GRAPHIC_UNSUPPORTED_FORMAT;

    const CS22NetDIB dib(*info, bits, *imageBytes);
    CS22NetGraphic graphic(rows, columns, planeCount);
    // Pixels outside the bitmap have no colour and stay dark, so only the overlap is read.
    const int bitmapWidth = header.biWidth;
    const int bitmapHeight = header.biHeight;
    const int width = std::min<int>(columns, bitmapWidth);
    const int height = std::min<int>(rows, bitmapHeight);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (const std::optional<S22Colour> colour = dib.GetPixel(x, y))
                LightPixel(graphic, type, *colour, x, y);
        }
    }
    planes = graphic.Data();
    return S22NET_OK;
}

S22Result GraphicToBitmap(const unsigned char* data, std::size_t size, short rows, short columns,
                          BITMAPINFO* info, std::vector<unsigned char>& bits)
{
    bits.clear();
    if (data == nullptr || !IsAcceptedGraphic(rows, columns, 2))
        return ERR_GRAPHIC_UNSUPPORTED_FORMAT;
    // Fewer bytes than two whole planes cannot be a graphic of this size in colour.
    if (size < 2 * CS22NetGraphic::PlaneSize(rows, columns))
        return ERR_GRAPHIC_UNSUPPORTED_FORMAT;

    const CS22NetGraphic graphic(rows, columns, data, size);
    CS22NetDIB dib(columns, rows);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x)
            dib.SetPixel(x, y, PlaneColour(graphic, x, y));
    }
    if (info != nullptr) {
        info->bmiHeader = dib.Header();
        info->bmiColors[0] = RGBQUAD{};
    }
    bits = dib.Bits();
    return S22NET_OK;
}
