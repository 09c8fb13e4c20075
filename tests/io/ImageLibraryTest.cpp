// The image library adapter: formats, row order, depths and refusals.

#include "io/ImageLibrary.h"
#include "scene/CDIB.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <fstream>

namespace gessoria::test {
namespace {

// A 24-bit bitmap of odd width whose every row differs: texel (x, y) = (x, y, x + 2y) in B, G, R.
CDIB Pattern(int width, int height)
{
    CDIB bitmap;
    bitmap.Create24(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bitmap.row(y) + x * 3;
            p[0] = static_cast<std::uint8_t>(x * 7);
            p[1] = static_cast<std::uint8_t>(y * 11);
            p[2] = static_cast<std::uint8_t>(x + 2 * y);
        }
    return bitmap;
}

// Writes a layer the way the program does (flipped, then saved) and reads it back.
std::vector<std::uint8_t> RoundTrip(const CDIB& layer, const std::filesystem::path& path, ImageSaveFormat format)
{
    auto image = LibraryImage::FromBitmap(layer);
    EXPECT_TRUE(image.has_value());
    image->FlipVertically();
    EXPECT_TRUE(image->Save(path, format)) << path;
    auto back = LibraryImage::Open(path);
    EXPECT_TRUE(back.has_value()) << path;
    if (!back)
        return {};
    EXPECT_EQ(back->bitsPerPixel(), layer.bitCount());
    return back->PackedRows();
}

TEST(ImageLibrary, LayersWrittenAndReadBackKeepTheirRowsInEveryLosslessFormat)
{
    const auto dir = FreshDirectory("round");
    const CDIB layer = Pattern(5, 3);
    const std::vector<std::uint8_t> expected(layer.bits().begin(), layer.bits().end());
    for (const char* name : {"layer.tif", "layer.png", "layer.tga", "layer.bmp"})
        EXPECT_EQ(RoundTrip(layer, dir / name, ImageSaveFormat::ByExtension), expected) << name;
    // The project writer names TIFF explicitly, whatever the file is called.
    EXPECT_EQ(RoundTrip(layer, dir / "layer.lay", ImageSaveFormat::Tiff), expected);
    EXPECT_EQ(QueryImageFileType(dir / "layer.lay"), ImageFileType::Tiff);

    CDIB grey;
    grey.Create8(3, 2);
    grey.row(0)[0] = 10;
    grey.row(1)[2] = 250;
    const std::vector<std::uint8_t> greyBytes(grey.bits().begin(), grey.bits().end());
    EXPECT_EQ(RoundTrip(grey, dir / "alpha.tif", ImageSaveFormat::Tiff), greyBytes);
}

TEST(ImageLibrary, RunLengthEncodedTargaOpens)
{
    auto gold = LibraryImage::Open(std::string(GESSORIA_TEST_DATA_DIR) + "/multi/gold.tga");
    ASSERT_TRUE(gold.has_value());
    EXPECT_EQ(gold->width(), 128);
    EXPECT_EQ(gold->height(), 64);
    EXPECT_EQ(gold->bitsPerPixel(), 24);
    EXPECT_EQ(gold->PackedRows().size(), 128u * 3 * 64);
}

TEST(ImageLibrary, PaletteBitmapKeepsItsIndicesUntilConvertedTo24Bits)
{
    // A 2 x 2 8-bit BMP with a four-colour palette, rows bottom-up, each padded to 4 bytes.
    std::vector<std::uint8_t> bmp = {'B', 'M'};
    auto put32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) bmp.push_back(static_cast<std::uint8_t>(v >> (8 * i))); };
    auto put16 = [&](std::uint16_t v) { bmp.push_back(static_cast<std::uint8_t>(v)); bmp.push_back(static_cast<std::uint8_t>(v >> 8)); };
    const std::uint32_t offset = 14 + 40 + 4 * 4;
    put32(offset + 8); put32(0); put32(offset);
    put32(40); put32(2); put32(2); put16(1); put16(8); put32(0); put32(8); put32(2835); put32(2835); put32(4); put32(0);
    for (const std::uint32_t rgb : {0x000000u, 0x0000FFu, 0x00FF00u, 0xFF0000u})  // black, blue, green, red
        put32(rgb);
    for (const int i : {1, 2, 0, 0, 3, 0, 0, 0})  // bottom row: blue, green; top row: red, black
        bmp.push_back(static_cast<std::uint8_t>(i));
    const auto path = FreshDirectory("bmp") / "palette.bmp";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));

    auto image = LibraryImage::Open(path);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->bitsPerPixel(), 8);
    EXPECT_EQ(image->PackedRows()[0], 1);
    EXPECT_EQ(image->Palette()[3], 0xFF0000u);
    image->ConvertTo24Bits();
    const auto rows = image->PackedRows();
    EXPECT_EQ(std::vector<std::uint8_t>(rows.begin(), rows.begin() + 6), (std::vector<std::uint8_t>{255, 0, 0, 0, 255, 0}));
    EXPECT_EQ(rows[8 + 2], 255);  // top row, first pixel red (stored B, G, R)
}

TEST(ImageLibrary, TypesAreDetectedByContentAndBrokenFilesRefused)
{
    const auto dir = FreshDirectory("types");
    std::ofstream(dir / "wood.tga", std::ios::binary) << "GIF89a....";
    std::ofstream(dir / "short.png", std::ios::binary) << "\x89PNG\r\n\x1a\n\x00\x00";
    EXPECT_EQ(QueryImageFileType(dir / "wood.tga"), ImageFileType::Gif);
    EXPECT_EQ(QueryImageFileType(dir / "missing.png"), ImageFileType::Unknown);
    EXPECT_FALSE(LibraryImage::Open(dir / "short.png").has_value());
    EXPECT_FALSE(LibraryImage::Open(dir / "missing.png").has_value());
    EXPECT_FALSE(LibraryImage::Open(dir).has_value());
    EXPECT_FALSE(LibraryImage::FromBitmap(CDIB{}).has_value());

    auto image = LibraryImage::FromBitmap(Pattern(2, 2));
    EXPECT_FALSE(image->Save(dir / "picture.xyz", ImageSaveFormat::ByExtension));
    EXPECT_FALSE(image->Save(dir / "no-such-dir" / "picture.png", ImageSaveFormat::ByExtension));
}

TEST(ImageLibrary, WholeImageOperations)
{
    auto image = LibraryImage::FromBitmap(Pattern(3, 2));
    image->FlipHorizontally();
    image->InvertColours();
    const auto rows = image->PackedRows();  // bottom row first: CDIB row 1
    EXPECT_EQ(rows[0], 255 - 2 * 7);        // x = 2 moved to x = 0, inverted
    EXPECT_EQ(rows[1], 255 - 11);
    image->ReduceTo8Bits();
    EXPECT_EQ(image->bitsPerPixel(), 8);
    EXPECT_EQ(image->PackedRows().size(), 4u * 2);
}

} // namespace
} // namespace gessoria::test
