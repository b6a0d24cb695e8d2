#include "link/S22NetGraphic.h"
#include "link/S22NetResult.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// A caller's bitmap: header and palette in one buffer, the pixel rows in another.
struct Bitmap {
    Bytes info;
    Bytes bits;

    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
    void Edit(const std::function<void(BITMAPINFOHEADER&)>& edit)
    {
        BITMAPINFOHEADER header;
        std::memcpy(&header, info.data(), sizeof header);
        edit(header);
        std::memcpy(info.data(), &header, sizeof header);
    }
};

// Palette bytes are blue, green, red, 0 per entry; the header declares exactly those entries.
Bitmap MakeBitmap(std::int32_t width, std::int32_t height, std::uint16_t bitCount, Bytes bits,
                  const Bytes& palette = {})
{
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<std::uint32_t>(bits.size());
    header.biClrUsed = static_cast<std::uint32_t>(palette.size() / 4);
    Bitmap bitmap{Bytes(40 + std::max<std::size_t>(palette.size(), 4)), std::move(bits)};
    std::memcpy(bitmap.info.data(), &header, sizeof header);
    std::copy(palette.begin(), palette.end(), bitmap.info.begin() + 40);
    return bitmap;
}

CS22NetDIB Reader(const Bitmap& bitmap)
{
    return CS22NetDIB(*bitmap.Info(), bitmap.bits.data(), bitmap.bits.size());
}

std::optional<Bytes> Colour(const CS22NetDIB& dib, int x, int y)
{
    const std::optional<S22Colour> colour = dib.GetPixel(x, y);
    if (!colour)
        return std::nullopt;
    return Bytes{colour->blue, colour->green, colour->red};
}

Bytes Planes(const Bitmap& bitmap, short rows, short columns, short type, short expected = S22NET_OK)
{
    Bytes planes{0xEE};
    EXPECT_EQ(BitmapToGraphic(bitmap.Info(), bitmap.bits.data(), rows, columns, type, planes), expected);
    return planes;
}

TEST(Bitmap, StrideRoundsRowsUpToWholeWords)
{
    const struct { std::int32_t width; std::uint16_t bitCount; std::uint64_t stride; } rows[] = {
        {5, 24, 16}, {33, 1, 8}, {32, 1, 4}, {1, 1, 4}, {8, 4, 4}, {9, 4, 8}, {4, 8, 4},
        {5, 8, 8}, {0, 24, 0}, {-1, 24, 0}, {2147483647, 24, 6442450944u},
    };
    for (const auto& row : rows)
        EXPECT_EQ(S22BitmapStride(row.width, row.bitCount), row.stride) << row.width << "x" << row.bitCount;
}

TEST(Dib, TwentyFourBitRowsAtPaddedStride)
{
    Bytes bits(32, 0);  // width 5: 15 bytes of pixels + 1 of padding per row, bottom row first
    const Bytes bottomLeft = {4, 5, 6}, topLeft = {7, 8, 9}, topRight = {1, 2, 3};
    std::copy(bottomLeft.begin(), bottomLeft.end(), bits.begin());
    std::copy(topLeft.begin(), topLeft.end(), bits.begin() + 16);
    std::copy(topRight.begin(), topRight.end(), bits.begin() + 28);
    const Bitmap bitmap = MakeBitmap(5, 2, 24, bits);
    const CS22NetDIB dib = Reader(bitmap);
    EXPECT_EQ(Colour(dib, 0, 1), bottomLeft);
    EXPECT_EQ(Colour(dib, 0, 0), topLeft);
    EXPECT_EQ(Colour(dib, 4, 0), topRight);
}

TEST(Dib, OneBitFileHeaderReadInPlace)
{
    // The bytes of a .bmp file after its file header: 33 × 2, 1 bit, 16 image bytes, 2 colours.
    const Bytes info = {
        0x28, 0, 0, 0, 0x21, 0, 0, 0, 0x02, 0, 0, 0, 0x01, 0, 0x01, 0, 0, 0, 0, 0,
        0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0x0A, 0x14, 0x1E, 0,
    };
    const Bytes bits = {0, 0, 0, 0, 0x7F, 0, 0, 0, /* top row */ 0x80, 0, 0, 0, 0x80, 0, 0, 0};
    const CS22NetDIB dib(*reinterpret_cast<const BITMAPINFO*>(info.data()), bits.data(), bits.size());
    const Bytes lit = {0x0A, 0x14, 0x1E}, dark = {0, 0, 0};
    EXPECT_EQ(Colour(dib, 0, 0), lit);
    EXPECT_EQ(Colour(dib, 1, 0), dark);
    EXPECT_EQ(Colour(dib, 32, 0), lit);
    EXPECT_EQ(Colour(dib, 32, 1), dark);
}

TEST(Dib, FourAndEightBitPaletteIndexes)
{
    const Bytes palette = {1, 2, 3, 0, 11, 12, 13, 0, 21, 22, 23, 0, 31, 32, 33, 0};
    const CS22NetDIB four = Reader(MakeBitmap(3, 1, 4, {0x12, 0x30, 0, 0}, palette));
    EXPECT_EQ(Colour(four, 0, 0), (Bytes{11, 12, 13}));
    EXPECT_EQ(Colour(four, 1, 0), (Bytes{21, 22, 23}));
    EXPECT_EQ(Colour(four, 2, 0), (Bytes{31, 32, 33}));
    // Three colours declared: index 3 and beyond have none.
    const Bytes three(palette.begin(), palette.begin() + 12);
    const CS22NetDIB eight = Reader(MakeBitmap(3, 1, 8, {2, 0, 3, 0}, three));
    EXPECT_EQ(Colour(eight, 0, 0), (Bytes{21, 22, 23}));
    EXPECT_EQ(Colour(eight, 1, 0), (Bytes{1, 2, 3}));
    EXPECT_EQ(Colour(eight, 2, 0), std::nullopt);
}

TEST(Dib, NoColourOutsideTheBitmapOrForOtherBitCounts)
{
    const CS22NetDIB dib = Reader(MakeBitmap(2, 2, 24, Bytes(16, 0xFF)));
    for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}})
        EXPECT_EQ(Colour(dib, x, y), std::nullopt) << x << "," << y;
    EXPECT_EQ(Colour(Reader(MakeBitmap(2, 2, 16, Bytes(8, 0xFF))), 0, 0), std::nullopt);
}

TEST(Convert, ColourThresholdsPerType)
{
    const struct { Bytes bgr; short type; Bytes planes; } rows[] = {
        {{255, 0, 0}, 0, {0x01}},
        {{255, 0, 0}, 1, {0x00, 0x00}},
        {{255, 0, 0}, 2, {0x00, 0x00, 0x01}},
        {{89, 89, 89}, 0, {0x00}},
        {{89, 89, 89}, 2, {0x00, 0x00, 0x00}},
        {{0, 0, 90}, 0, {0x01}},
        {{0, 0, 90}, 2, {0x01, 0x00, 0x00}},
        {{0, 90, 0}, 1, {0x00, 0x01}},
        {{255, 255, 255}, 7, {0x01, 0x01, 0x01}},
    };
    for (const auto& row : rows) {
        const Bitmap bitmap = MakeBitmap(1, 1, 24, {row.bgr[0], row.bgr[1], row.bgr[2], 0});
        EXPECT_EQ(Planes(bitmap, 1, 1, row.type), row.planes) << int(row.bgr[0]) << " type " << row.type;
    }
}

TEST(Convert, BandsOfEightRowsColumnsRightToLeft)
{
    Bytes bits(40, 0);  // 3 × 10, 8 bits, bottom row first at stride 4
    const auto light = [&](int x, int y) { bits[static_cast<std::size_t>((9 - y) * 4 + x)] = 1; };
    light(2, 0);
    light(1, 4);
    light(0, 9);
    const Bitmap bitmap = MakeBitmap(3, 10, 8, bits, {0, 0, 0, 0, 255, 255, 255, 0});
    EXPECT_EQ(Planes(bitmap, 10, 3, 0), (Bytes{0x01, 0x10, 0x00, 0x00, 0x00, 0x02}));
}

TEST(Convert, GraphicBeyondTheBitmapStaysDark)
{
    const Bitmap bitmap = MakeBitmap(1, 1, 24, {255, 255, 255, 0});
    EXPECT_EQ(Planes(bitmap, 2, 2, 0), (Bytes{0x00, 0x01}));
}

TEST(Convert, RefusesUnsupportedOrUnsafeBitmaps)
{
    const struct { const char* what; std::function<void(BITMAPINFOHEADER&)> edit; } rows[] = {
        {"16 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 16; }},
        {"32 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 32; }},
        {"run-length", [](BITMAPINFOHEADER& h) { h.biCompression = 1; }},
        {"no image size", [](BITMAPINFOHEADER& h) { h.biSizeImage = 0; }},
        {"top-down", [](BITMAPINFOHEADER& h) { h.biHeight = -2; }},
        {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -2; }},
        {"bits short of the rows", [](BITMAPINFOHEADER& h) { h.biSizeImage = 15; }},
        {"core header", [](BITMAPINFOHEADER& h) { h.biSize = 12; }},
        {"unknown header", [](BITMAPINFOHEADER& h) { h.biSize = 125; }},
        {"huge rows", [](BITMAPINFOHEADER& h) { h.biHeight = 0x7FFFFFFF; }},
    };
    for (const auto& row : rows) {
        Bitmap bitmap = MakeBitmap(2, 2, 24, Bytes(16, 0xFF));
        bitmap.Edit(row.edit);
        EXPECT_EQ(Planes(bitmap, 8, 2, 0, ERR_GRAPHIC_UNSUPPORTED_FORMAT), Bytes{}) << row.what;
    }
}

TEST(Convert, RefusesUnsafeArguments)
{
    const Bitmap bitmap = MakeBitmap(2, 2, 24, Bytes(16, 0xFF));
    const struct { short rows, columns, type; } rows[] = {
        {0, 2, 0}, {8, 0, 0}, {-8, 2, 0}, {8, -2, 0}, {8, 2, -1},
        {5305, 24415, 0}, {5304, 24415, 1}, {32767, 32767, 2},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Planes(bitmap, row.rows, row.columns, row.type, ERR_GRAPHIC_UNSUPPORTED_FORMAT), Bytes{})
            << row.rows << "x" << row.columns << " type " << row.type;
    Bytes planes;
    EXPECT_EQ(BitmapToGraphic(nullptr, bitmap.bits.data(), 8, 2, 0, planes), ERR_GRAPHIC_UNSUPPORTED_FORMAT);
    EXPECT_EQ(BitmapToGraphic(bitmap.Info(), nullptr, 8, 2, 0, planes), ERR_GRAPHIC_UNSUPPORTED_FORMAT);
}

TEST(Convert, LargestGraphicFitsOneTransfer)
{
    // 663 bands × 24415 columns = 65535 × 247 bytes.
    const Bitmap bitmap = MakeBitmap(1, 1, 24, {255, 255, 255, 0});
    EXPECT_EQ(Planes(bitmap, 5304, 24415, 0).size(), 16187145u);
}

TEST(Fetch, NeedsTwoWholePlanes)
{
    const struct { short rows, columns; std::size_t size; short result; } rows[] = {
        {8, 2, 2, ERR_GRAPHIC_UNSUPPORTED_FORMAT},
        {8, 2, 3, ERR_GRAPHIC_UNSUPPORTED_FORMAT},
        {8, 2, 4, S22NET_OK},
        {10, 1, 2, ERR_GRAPHIC_UNSUPPORTED_FORMAT},
        {10, 3, 11, ERR_GRAPHIC_UNSUPPORTED_FORMAT},
        {10, 3, 12, S22NET_OK},
        {4, 8, 8, ERR_GRAPHIC_UNSUPPORTED_FORMAT},  // one plane of a band of half height
        {4, 8, 16, S22NET_OK},
        {0, 8, 16, ERR_GRAPHIC_UNSUPPORTED_FORMAT},
        {8, 0, 16, ERR_GRAPHIC_UNSUPPORTED_FORMAT},
        {-8, 2, 16, ERR_GRAPHIC_UNSUPPORTED_FORMAT},
        {32767, 32767, 16, ERR_GRAPHIC_UNSUPPORTED_FORMAT},
    };
    const Bytes data(16, 0);
    for (const auto& row : rows) {
        Bytes bits{0xEE};
        EXPECT_EQ(GraphicToBitmap(data.data(), row.size, row.rows, row.columns, nullptr, bits), row.result)
            << row.rows << "x" << row.columns << " from " << row.size;
        if (row.result != S22NET_OK) {
            EXPECT_EQ(bits, Bytes{});
        }
    }
    Bytes bits;
    EXPECT_EQ(GraphicToBitmap(nullptr, 16, 8, 2, nullptr, bits), ERR_GRAPHIC_UNSUPPORTED_FORMAT);
}

TEST(Fetch, BuildsTwentyFourBitBitmap)
{
    // 2 rows × 5 columns: plane 1 lights (0, 0), plane 2 lights (4, 1); no third plane.
    const Bytes data = {0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00};
    Bytes infoBytes(sizeof(BITMAPINFO), 0xEE);
    Bytes bits;
    ASSERT_EQ(GraphicToBitmap(data.data(), data.size(), 2, 5, reinterpret_cast<BITMAPINFO*>(infoBytes.data()), bits),
              S22NET_OK);
    EXPECT_EQ(infoBytes, (Bytes{0x28, 0, 0, 0, 0x05, 0, 0, 0, 0x02, 0, 0, 0, 0x01, 0, 0x18, 0,
                                0, 0, 0, 0, 0x20, 0, 0, 0, 0x58, 0x02, 0, 0, 0x20, 0x03, 0, 0,
                                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    Bytes expected(32, 0);
    expected[13] = 0xFF;  // bottom row (y = 1), x = 4: green
    expected[18] = 0xFF;  // top row at the 16-byte stride, x = 0: red
    EXPECT_EQ(bits, expected);
}

TEST(Fetch, PlaneBeyondTheDataReadsEmpty)
{
    // 8 × 2 with the third plane cut after its first byte (column 1).
    const Bytes data = {0, 0, 0, 0, 0x01};
    Bytes bits;
    ASSERT_EQ(GraphicToBitmap(data.data(), data.size(), 8, 2, nullptr, bits), S22NET_OK);
    Bytes expected(64, 0);
    expected[59] = 0xFF;  // top row is the last at stride 8; x = 1: blue
    EXPECT_EQ(bits, expected);
}

TEST(RoundTrip, ThreePlaneBitmapComesBackUnchanged)
{
    // 3 × 10 in the eight pure colours; each row's 9 pixel bytes are followed by 3 of padding.
    const Bytes colours[] = {{0, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0},
                             {0, 255, 255}, {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
    Bytes bits(120, 0);
    for (std::size_t pixel = 0; pixel < 30; ++pixel) {
        const Bytes& colour = colours[(pixel * 5 + pixel / 3) % 8];
        std::copy(colour.begin(), colour.end(), bits.begin() + pixel / 3 * 12 + pixel % 3 * 3);
    }
    const Bitmap bitmap = MakeBitmap(3, 10, 24, bits);
    const Bytes planes = Planes(bitmap, 10, 3, 2);
    ASSERT_EQ(planes.size(), 18u);
    Bytes back;
    ASSERT_EQ(GraphicToBitmap(planes.data(), planes.size(), 10, 3, nullptr, back), S22NET_OK);
    EXPECT_EQ(back, bits);
}

}  // namespace
