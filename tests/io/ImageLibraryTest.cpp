// The image library adapter: formats, row order, depths and refusals.
//
// Files are checked two ways: read back through the library (the round trip layers rely on)
// and, where it matters that the library agrees with the rest of the world, through stb
// directly or against bytes written by hand here.

#include "io/ImageLibrary.h"
#include "scene/CDIB.h"
#include "support/TestFiles.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace gessoria::test {
namespace {

using ByteVector = std::vector<std::uint8_t>;

const std::filesystem::path kTestData = GESSORIA_TEST_DATA_DIR;

// A 24-bit bitmap whose every row and column differ: (B, G, R) = (7x + 3, 11y + 5, x + 2y).
CDIB Pattern(int width, int height)
{
    CDIB bitmap;
    EXPECT_TRUE(bitmap.Create24(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bitmap.row(y) + x * 3;
            p[0] = static_cast<std::uint8_t>(x * 7 + 3);
            p[1] = static_cast<std::uint8_t>(y * 11 + 5);
            p[2] = static_cast<std::uint8_t>(x + 2 * y);
        }
    return bitmap;
}

// An 8-bit bitmap of distinct grey levels.
CDIB GreyPattern(int width, int height)
{
    CDIB bitmap;
    EXPECT_TRUE(bitmap.Create8(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.row(y)[x] = static_cast<std::uint8_t>(40 * y + 3 * x + 1);
    return bitmap;
}

ByteVector BitsOf(const CDIB& bitmap) { return ByteVector(bitmap.bits().begin(), bitmap.bits().end()); }

// Rows as a CDIB would hold them after copying PackedRows: row 0 is the bottom of the image.
// Turning them over gives rows top-first, which is how a layer saved after FlipVertically and
// read back must come out.
ByteVector RowsTopFirst(const ByteVector& packed, std::size_t stride)
{
    ByteVector out;
    for (std::size_t at = packed.size(); at >= stride; at -= stride)
        out.insert(out.end(), packed.begin() + static_cast<std::ptrdiff_t>(at - stride), packed.begin() + static_cast<std::ptrdiff_t>(at));
    return out;
}

ByteVector ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return ByteVector(std::istreambuf_iterator<char>(in), {});
}

// Saves a layer the way the program does (flipped, then written) and reads it back.
std::optional<LibraryImage> SaveAndReopen(const CDIB& layer, const std::filesystem::path& path, ImageSaveFormat format)
{
    auto image = LibraryImage::FromBitmap(layer);
    if (!image)
        return std::nullopt;
    image->FlipVertically();
    if (!image->Save(path, format)) {
        ADD_FAILURE() << "could not save " << path;
        return std::nullopt;
    }
    return LibraryImage::Open(path);
}

// A palette BMP written byte by byte: indices given top row first, packed at `bits` per pixel,
// palette entries as 0x00RRGGBB.
// A 2 x 2 GIF made by hand: global palette black, red, green, blue; pixels red, green on the
// top row, blue, black below. The LZW stream sends a clear code every two pixels so every
// code stays three bits wide.
const ByteVector kTinyGif = {
    'G', 'I', 'F', '8', '9', 'a', 0x02, 0x00, 0x02, 0x00, 0x81, 0x00, 0x00,  // header, screen
    0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF,  // palette
    0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00,              // image descriptor
    0x02, 0x03, 0x8C, 0x38, 0x14, 0x00,                                      // LZW data
    0x3B};

// --- Row order and exact bytes ------------------------------------------------------------------

TEST(ImageLibraryRoundTrip, LayersKeepRowOrderAndBytesInEveryLosslessFormat)
{
    const auto dir = FreshDirectory("round");
    // Odd widths leave padding at the end of every 24-bit row; width 4 leaves none.
    for (const int width : {1, 2, 3, 4, 5, 7}) {
        const CDIB layer = Pattern(width, 3);
        for (const char* name : {"layer.tif", "layer.tiff", "layer.png", "layer.tga", "layer.bmp", "layer.webp", "LAYER.PNG"}) {
            const auto path = dir / (std::to_string(width) + name);
            auto back = SaveAndReopen(layer, path, ImageSaveFormat::ByExtension);
            ASSERT_TRUE(back.has_value()) << path;
            EXPECT_EQ(back->width(), width);
            EXPECT_EQ(back->height(), 3);
            EXPECT_EQ(back->bitsPerPixel(), 24) << path;
            EXPECT_EQ(back->PackedRows(), BitsOf(layer)) << path;
        }
        // Project layers are written as TIFF whatever the file is called.
        const auto lay = dir / (std::to_string(width) + "layer.lay");
        auto back = SaveAndReopen(layer, lay, ImageSaveFormat::Tiff);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(QueryImageFileType(lay), ImageFileType::Tiff);
        EXPECT_EQ(back->PackedRows(), BitsOf(layer));
    }
}

TEST(ImageLibraryRoundTrip, GreyLayersStayEightBitGrey)
{
    const auto dir = FreshDirectory("grey");
    std::vector<std::uint32_t> greyRamp(256);
    for (std::uint32_t i = 0; i < 256; ++i)
        greyRamp[i] = i << 16 | i << 8 | i;
    for (const int width : {1, 3, 6}) {
        const CDIB alpha = GreyPattern(width, 4);
        for (const char* name : {"alpha.tif", "alpha.png", "alpha.tga", "alpha.bmp"}) {
            const auto path = dir / (std::to_string(width) + name);
            auto back = SaveAndReopen(alpha, path, ImageSaveFormat::ByExtension);
            ASSERT_TRUE(back.has_value()) << path;
            EXPECT_EQ(back->bitsPerPixel(), 8) << path;
            EXPECT_EQ(back->PackedRows(), BitsOf(alpha)) << path;
            EXPECT_EQ(back->Palette(), greyRamp) << path;
        }
        auto back = SaveAndReopen(alpha, dir / (std::to_string(width) + "alpha.lay"), ImageSaveFormat::Tiff);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->PackedRows(), BitsOf(alpha));
    }
    // Other programs must see one grey channel too, not grey stored as RGB.
    auto image = LibraryImage::FromBitmap(GreyPattern(3, 2));
    ASSERT_TRUE(image->Save(dir / "other.png", ImageSaveFormat::ByExtension));
    ASSERT_TRUE(image->Save(dir / "other.tga", ImageSaveFormat::ByExtension));
    for (const char* name : {"other.png", "other.tga"}) {
        int w = 0, h = 0, channels = 0;
        EXPECT_TRUE(stbi_info((dir / name).c_str(), &w, &h, &channels)) << name;
        EXPECT_EQ(channels, 1) << name;
    }
}

// The library's reader and writer could both be wrong the same way and still agree with each
// other; stb reads files top row first, as R, G, B, and settles what is really in them.
TEST(ImageLibraryRoundTrip, FilesHoldTheBitmapTopRowFirstAsRedGreenBlue)
{
    const auto dir = FreshDirectory("orientation");
    const CDIB layer = Pattern(3, 2);
    auto image = LibraryImage::FromBitmap(layer);
    ASSERT_TRUE(image.has_value());
    for (const char* name : {"plain.png", "plain.tga", "plain.bmp"}) {
        ASSERT_TRUE(image->Save(dir / name, ImageSaveFormat::ByExtension));
        int w = 0, h = 0, channels = 0;
        stbi_uc* pixels = stbi_load((dir / name).c_str(), &w, &h, &channels, 3);
        ASSERT_NE(pixels, nullptr) << name;
        ASSERT_EQ(w * h, 6);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                for (int c = 0; c < 3; ++c)
                    EXPECT_EQ(pixels[(y * 3 + x) * 3 + c], layer.row(y)[x * 3 + 2 - c]) << name << " " << x << "," << y;
        stbi_image_free(pixels);
    }
    // And reading: a file's top row ends up last in the packed rows.
    auto back = LibraryImage::Open(dir / "plain.png");
    ASSERT_TRUE(back.has_value());
    const ByteVector rows = back->PackedRows();
    const std::size_t stride = CDIB::StrideFor(3, 24);
    EXPECT_EQ(RowsTopFirst(rows, stride), BitsOf(layer));
}

TEST(ImageLibraryRoundTrip, JpegKeepsColoursCloseAndGreyAsGrey)
{
    const auto dir = FreshDirectory("jpeg");
    CDIB flat;
    flat.Create24(16, 16);
    flat.Fill24(40, 120, 220);  // B, G, R
    auto back = SaveAndReopen(flat, dir / "flat.jpg", ImageSaveFormat::ByExtension);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->bitsPerPixel(), 24);
    const ByteVector rows = back->PackedRows();
    ASSERT_EQ(rows.size(), flat.bits().size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_NEAR(rows[i], flat.bits()[i], 6) << i;

    CDIB grey;
    grey.Create8(8, 8);
    grey.Fill(90);
    back = SaveAndReopen(grey, dir / "grey.jpeg", ImageSaveFormat::ByExtension);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->bitsPerPixel(), 8);
}

// --- Reading what other programs wrote ----------------------------------------------------------

TEST(ImageLibraryReading, RunLengthEncodedTargaOpensTheRightWayUp)
{
    // A gradient: red rises to the right, green to the top, blue is 128 throughout.
    auto gold = LibraryImage::Open(kTestData / "multi" / "gold.tga");
    ASSERT_TRUE(gold.has_value());
    EXPECT_EQ(gold->width(), 128);
    EXPECT_EQ(gold->height(), 64);
    EXPECT_EQ(gold->bitsPerPixel(), 24);
    const ByteVector rows = gold->PackedRows();
    ASSERT_EQ(rows.size(), 128u * 3 * 64);
    const std::size_t stride = 128 * 3;
    const ByteVector bottomLeft(rows.begin(), rows.begin() + 3);
    const ByteVector topLeft(rows.begin() + 63 * stride, rows.begin() + 63 * stride + 3);
    const ByteVector topRight(rows.end() - 3, rows.end());
    EXPECT_EQ(bottomLeft, (ByteVector{128, 0, 0}));
    EXPECT_EQ(topLeft, (ByteVector{128, 251, 0}));
    EXPECT_EQ(topRight, (ByteVector{128, 251, 253}));
}

TEST(ImageLibraryReading, PaletteBitmapKeepsItsIndicesUntilConvertedTo24Bits)
{
    const auto dir = FreshDirectory("bmp");
    // Black, blue, green, red; top row red, black, green; bottom row blue, green, red.
    const std::vector<std::uint32_t> palette = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};
    WriteBytes(dir / "palette.bmp", PaletteBmp(8, 3, 2, palette, {3, 0, 2, 1, 2, 3}));
    auto image = LibraryImage::Open(dir / "palette.bmp");
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->bitsPerPixel(), 8);
    EXPECT_EQ(image->PackedRows(), (ByteVector{1, 2, 3, 0, 3, 0, 2, 0}));  // bottom row first, padded to 4
    const auto entries = image->Palette();
    ASSERT_EQ(entries.size(), 256u);
    EXPECT_EQ(std::vector<std::uint32_t>(entries.begin(), entries.begin() + 4), palette);

    image->ConvertTo24Bits();
    EXPECT_EQ(image->bitsPerPixel(), 24);
    EXPECT_EQ(image->PackedRows(), (ByteVector{255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0,     // blue, green, red
                                               0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0}));  // red, black, green
}

TEST(ImageLibraryReading, FewerThanEightBitsExpandWithTheirColours)
{
    const auto dir = FreshDirectory("low");
    // 1 bit: a white-on-navy checker of odd width.
    WriteBytes(dir / "mono.bmp", PaletteBmp(1, 3, 2, {0x000080, 0xFFFFFF}, {1, 0, 1, 0, 1, 0}));
    auto mono = LibraryImage::Open(dir / "mono.bmp");
    ASSERT_TRUE(mono.has_value());
    EXPECT_EQ(mono->bitsPerPixel(), 1);
    EXPECT_TRUE(mono->PackedRows().empty());
    mono->ExpandTo8Bits();
    EXPECT_EQ(mono->bitsPerPixel(), 8);
    // Qt may renumber a two-colour palette; what must survive is each pixel's colour.
    const ByteVector indices = mono->PackedRows();
    const auto entries = mono->Palette();
    ASSERT_EQ(indices.size(), 8u);
    const std::uint32_t navy = 0x000080, white = 0xFFFFFF;
    const std::uint32_t expected[2][3] = {{navy, white, navy}, {white, navy, white}};  // bottom row first
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(entries[indices[static_cast<std::size_t>(y * 4 + x)]], expected[y][x]) << x << "," << y;

    // 4 bits: sixteen colours, index 15 yellow.
    std::vector<std::uint32_t> sixteen(16, 0x102030);
    sixteen[15] = 0xFFFF00;
    WriteBytes(dir / "sixteen.bmp", PaletteBmp(4, 5, 1, sixteen, {15, 0, 15, 0, 15}));
    auto four = LibraryImage::Open(dir / "sixteen.bmp");
    ASSERT_TRUE(four.has_value());
    four->ExpandTo8Bits();
    ASSERT_EQ(four->bitsPerPixel(), 8);
    four->ConvertTo24Bits();
    const ByteVector rows = four->PackedRows();
    ASSERT_EQ(rows.size(), 16u);
    EXPECT_EQ(ByteVector(rows.begin(), rows.begin() + 6), (ByteVector{0x00, 0xFF, 0xFF, 0x30, 0x20, 0x10}));
}

TEST(ImageLibraryReading, AlphaIsReportedAndDroppedWithoutDarkeningColours)
{
    const auto dir = FreshDirectory("alpha");
    // Two pixels, R, G, B, A: orange fully transparent, teal half transparent.
    const ByteVector rgba = {255, 128, 0, 0, 0, 128, 128, 128};
    ASSERT_TRUE(stbi_write_png((dir / "alpha.png").c_str(), 2, 1, 4, rgba.data(), 8));
    ASSERT_TRUE(stbi_write_tga((dir / "alpha.tga").c_str(), 2, 1, 4, rgba.data()));
    for (const char* name : {"alpha.png", "alpha.tga"}) {
        auto image = LibraryImage::Open(dir / name);
        ASSERT_TRUE(image.has_value()) << name;
        EXPECT_EQ(image->bitsPerPixel(), 32) << name;
        EXPECT_TRUE(image->PackedRows().empty());
        image->ConvertTo24Bits();
        EXPECT_EQ(image->PackedRows(), (ByteVector{0, 128, 255, 128, 128, 0, 0, 0})) << name;
    }
}

// --- File types ------------------------------------------------------------------------------

TEST(ImageLibraryTypes, ContentDecidesTheTypeNotTheName)
{
    const auto dir = FreshDirectory("types");
    WriteBytes(dir / "wood.tga", kTinyGif);
    EXPECT_EQ(QueryImageFileType(dir / "wood.tga"), ImageFileType::Gif);
    EXPECT_EQ(static_cast<int>(ImageFileType::Gif), 4);
    // A GIF under a Targa name still opens as the GIF it is.
    auto gif = LibraryImage::Open(dir / "wood.tga");
    ASSERT_TRUE(gif.has_value());
    gif->ConvertTo24Bits();
    EXPECT_EQ(gif->PackedRows(), (ByteVector{255, 0, 0, 0, 0, 0, 0, 0,      // blue, black
                                             0, 0, 255, 0, 255, 0, 0, 0}));  // red, green

    auto image = LibraryImage::FromBitmap(Pattern(3, 2));
    ASSERT_TRUE(image.has_value());
    const std::pair<const char*, ImageFileType> written[] = {
        {"a.png", ImageFileType::Png}, {"a.bmp", ImageFileType::Bmp},   {"a.jpg", ImageFileType::Jpeg},
        {"a.tif", ImageFileType::Tiff}, {"a.webp", ImageFileType::WebP}, {"a.tga", ImageFileType::Targa}};
    for (const auto& [name, type] : written) {
        ASSERT_TRUE(image->Save(dir / name, ImageSaveFormat::ByExtension)) << name;
        EXPECT_EQ(QueryImageFileType(dir / name), type) << name;
        if (type == ImageFileType::Targa)
            continue;
        // Renamed to .tga the content still wins, for detection and for reading.
        const auto renamed = dir / (std::string(name) + ".tga");
        std::filesystem::copy_file(dir / name, renamed);
        EXPECT_EQ(QueryImageFileType(renamed), type) << name;
        auto reopened = LibraryImage::Open(renamed);
        ASSERT_TRUE(reopened.has_value()) << name;
        EXPECT_EQ(reopened->width(), 3);
    }
    // Targa has no signature: only its name, in any case, identifies it.
    std::filesystem::copy_file(dir / "a.tga", dir / "B.TGA");
    std::filesystem::copy_file(dir / "a.tga", dir / "a.dat");
    EXPECT_EQ(QueryImageFileType(dir / "B.TGA"), ImageFileType::Targa);
    EXPECT_EQ(QueryImageFileType(dir / "a.dat"), ImageFileType::Unknown);
    EXPECT_TRUE(LibraryImage::Open(dir / "B.TGA").has_value());
    // Unrecognised content Qt cannot read either is still tried as Targa.
    auto dat = LibraryImage::Open(dir / "a.dat");
    ASSERT_TRUE(dat.has_value());
    EXPECT_EQ(RowsTopFirst(dat->PackedRows(), CDIB::StrideFor(3, 24)), BitsOf(Pattern(3, 2)));

    EXPECT_EQ(QueryImageFileType(dir / "missing.png"), ImageFileType::Unknown);
    EXPECT_EQ(QueryImageFileType(dir), ImageFileType::Unknown);
    WriteBytes(dir / "tiny.gif", {'G', 'I', 'F'});
    EXPECT_EQ(QueryImageFileType(dir / "tiny.gif"), ImageFileType::Unknown);
}

// --- Refusals -------------------------------------------------------------------------------------

TEST(ImageLibraryRefusals, TruncatedFilesOfEveryFormatAreRefused)
{
    const auto dir = FreshDirectory("truncated");
    // Noise compresses badly, so most of every file is pixel data.
    CDIB noise;
    noise.Create24(37, 29);
    std::uint32_t state = 12345;
    for (std::uint8_t& byte : noise.bits()) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    auto image = LibraryImage::FromBitmap(noise);
    ASSERT_TRUE(image.has_value());
    WriteBytes(dir / "whole.gif", kTinyGif);
    for (const char* name : {"whole.png", "whole.bmp", "whole.jpg", "whole.tif", "whole.webp", "whole.tga", "whole.gif"}) {
        if (std::string(name) != "whole.gif") {
            ASSERT_TRUE(image->Save(dir / name, ImageSaveFormat::ByExtension)) << name;
        }
        const ByteVector whole = ReadBytes(dir / name);
        ImageReadFailure read = ImageReadFailure::OutOfMemory;
        ASSERT_TRUE(LibraryImage::Open(dir / name, &read).has_value()) << name;
        EXPECT_EQ(read, ImageReadFailure::None);
        // Cut in the header, half way, and a few bytes short of the last pixels.
        const std::size_t cuts[] = {10, whole.size() / 2, whole.size() - whole.size() / 8};
        for (const std::size_t cut : cuts) {
            const auto part = dir / ("cut" + std::to_string(cut) + name);
            WriteBytes(part, ByteVector(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
            // A file fault, whatever memory shortage an earlier call left behind.
            ImageReadFailure failure = ImageReadFailure::None;
            errno = ENOMEM;
            EXPECT_FALSE(LibraryImage::Open(part, &failure).has_value()) << name << " cut at " << cut << " of " << whole.size();
            EXPECT_EQ(failure, ImageReadFailure::Unreadable) << name << " cut at " << cut;
        }
    }
    // The GIF's image data must be complete; only the closing trailer byte may be missing.
    WriteBytes(dir / "notrailer.gif", ByteVector(kTinyGif.begin(), kTinyGif.end() - 1));
    WriteBytes(dir / "nodata.gif", ByteVector(kTinyGif.begin(), kTinyGif.end() - 2));
    EXPECT_TRUE(LibraryImage::Open(dir / "notrailer.gif").has_value());
    EXPECT_FALSE(LibraryImage::Open(dir / "nodata.gif").has_value());

    // A cut Targa under another name is tried as a Targa and refused the same way: here 54
    // bytes whose run-length header promises 4112 x 4112 pixels.
    ByteVector bomb = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x10, 0x10, 0x10, 16, 0};
    bomb.resize(54, 0xC0);
    WriteBytes(dir / "bomb.dib", bomb);
    EXPECT_FALSE(LibraryImage::Open(dir / "bomb.dib").has_value());
    const ByteVector whole = ReadBytes(dir / "whole.tga");
    WriteBytes(dir / "cut.dat", ByteVector(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)));
    EXPECT_FALSE(LibraryImage::Open(dir / "cut.dat").has_value());
}

TEST(ImageLibraryRefusals, NothingToReadOrHostileHeadersFailCleanly)
{
    const auto dir = FreshDirectory("refusals");
    ImageReadFailure failure = ImageReadFailure::None;
    errno = ENOMEM;
    EXPECT_FALSE(LibraryImage::Open(dir / "missing.png", &failure).has_value());
    EXPECT_EQ(failure, ImageReadFailure::Unreadable);
    EXPECT_FALSE(LibraryImage::Open(dir).has_value());
    WriteBytes(dir / "empty.png", {});
    WriteBytes(dir / "empty.tga", {});
    EXPECT_FALSE(LibraryImage::Open(dir / "empty.png").has_value());
    EXPECT_FALSE(LibraryImage::Open(dir / "empty.tga").has_value());
    WriteBytes(dir / "text.tga", ByteVector(40, 'x'));
    EXPECT_FALSE(LibraryImage::Open(dir / "text.tga").has_value());

    // A Targa header claiming 65535 x 65535 run-length pixels with almost no data.
    ByteVector huge = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 24, 0};
    for (int i = 0; i < 64; ++i)
        huge.insert(huge.end(), {0xFF, 1, 2, 3});
    WriteBytes(dir / "huge.tga", huge);
    EXPECT_FALSE(LibraryImage::Open(dir / "huge.tga").has_value());
    // A BMP header whose size overflows 32-bit arithmetic.
    ByteVector wide = PaletteBmp(8, 2, 2, {0, 0xFFFFFF}, {0, 1, 1, 0});
    wide[18] = 0xFF, wide[19] = 0xFF, wide[20] = 0xFF, wide[21] = 0x7F;
    WriteBytes(dir / "wide.bmp", wide);
    EXPECT_FALSE(LibraryImage::Open(dir / "wide.bmp").has_value());

    // A named pipe with no writer must not hang the reader or the type check.
    const auto fifo = dir / "pipe.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto opened = std::async(std::launch::async, [&] { return LibraryImage::Open(fifo).has_value(); });
    auto typed = std::async(std::launch::async, [&] { return QueryImageFileType(fifo); });
    const bool openReturned = opened.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    const bool typeReturned = typed.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    // If either is stuck, play the writer once so the test itself can finish.
    for (int i = 0; i < 100 && (opened.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready ||
                                typed.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready); ++i) {
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    EXPECT_TRUE(openReturned) << "Open blocked on a FIFO";
    EXPECT_TRUE(typeReturned) << "QueryImageFileType blocked on a FIFO";
    EXPECT_FALSE(opened.get());
    EXPECT_EQ(typed.get(), ImageFileType::Unknown);

    EXPECT_FALSE(LibraryImage::FromBitmap(CDIB{}).has_value());
}

TEST(ImageLibraryRefusals, SavingFailsCleanly)
{
    const auto dir = FreshDirectory("save");
    auto image = LibraryImage::FromBitmap(Pattern(2, 2));
    ASSERT_TRUE(image.has_value());
    EXPECT_FALSE(image->Save(dir / "picture.xyz", ImageSaveFormat::ByExtension));
    EXPECT_FALSE(image->Save(dir / "picture", ImageSaveFormat::ByExtension));
    for (const char* name : {"picture.png", "picture.tga", "picture.tif"})
        EXPECT_FALSE(image->Save(dir / "no-such-dir" / name, ImageSaveFormat::ByExtension)) << name;
    EXPECT_FALSE(image->Save(dir / "no-such-dir" / "layer.lay", ImageSaveFormat::Tiff));
    EXPECT_FALSE(image->Save(dir, ImageSaveFormat::Tiff));  // a directory is not a file
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

// --- Whole-image operations ----------------------------------------------------------------------

TEST(ImageLibraryOperations, FlipsMoveRowsAndColumns)
{
    const CDIB layer = Pattern(3, 2);
    auto image = LibraryImage::FromBitmap(layer);
    ASSERT_TRUE(image.has_value());
    // CDIB row 0 is the top row, so it comes out last.
    EXPECT_EQ(RowsTopFirst(image->PackedRows(), layer.stride()), BitsOf(layer));

    image->FlipHorizontally();
    const ByteVector rows = image->PackedRows();  // bottom row first: CDIB row 1, mirrored
    for (int x = 0; x < 3; ++x)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(rows[static_cast<std::size_t>(x * 3 + c)], layer.row(1)[(2 - x) * 3 + c]) << x << "," << c;

    image->FlipHorizontally();
    image->FlipVertically();
    EXPECT_EQ(image->PackedRows(), BitsOf(layer));
}

TEST(ImageLibraryOperations, InvertingTurnsEveryKindOfPixelToItsOpposite)
{
    const auto dir = FreshDirectory("invert");
    auto colour = LibraryImage::FromBitmap(Pattern(3, 2));
    colour->InvertColours();
    ByteVector expected = BitsOf(Pattern(3, 2));
    ByteVector rows = colour->PackedRows();
    for (int y = 0; y < 2; ++y)
        for (std::size_t i = 0; i < 9; ++i)  // padding bytes stay zero
            EXPECT_EQ(rows[static_cast<std::size_t>(y) * 12 + i], 255 - expected[static_cast<std::size_t>(1 - y) * 12 + i]);

    auto grey = LibraryImage::FromBitmap(GreyPattern(2, 1));
    grey->InvertColours();
    EXPECT_EQ(grey->PackedRows(), (ByteVector{254, 251, 0, 0}));

    // A grey bitmap saved as BMP comes back as a palette image with a grey ramp; inverting it
    // must invert the levels the program copies out, not only the palette beside them.
    auto saved = SaveAndReopen(GreyPattern(2, 1), dir / "grey.bmp", ImageSaveFormat::ByExtension);
    ASSERT_TRUE(saved.has_value());
    saved->InvertColours();
    EXPECT_EQ(saved->PackedRows(), (ByteVector{254, 251, 0, 0}));
    EXPECT_EQ(saved->Palette()[254], 0xFEFEFEu);

    // A colour palette: the colours turn to their opposites.
    WriteBytes(dir / "palette.bmp", PaletteBmp(8, 2, 1, {0xFF8000, 0x204060}, {0, 1}));
    auto palette = LibraryImage::Open(dir / "palette.bmp");
    ASSERT_TRUE(palette.has_value());
    palette->InvertColours();
    palette->ConvertTo24Bits();
    EXPECT_EQ(palette->PackedRows(), (ByteVector{0xFF, 0x7F, 0x00, 0x9F, 0xBF, 0xDF, 0, 0}));
}

TEST(ImageLibraryOperations, ReducingColourGivesLumaAndLeavesEightBitImagesAlone)
{
    CDIB primaries;
    primaries.Create24(5, 1);
    const std::uint8_t bgr[5][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 255}, {0, 0, 0}};
    for (int x = 0; x < 5; ++x)
        std::copy(bgr[x], bgr[x] + 3, primaries.row(0) + x * 3);
    auto image = LibraryImage::FromBitmap(primaries);
    image->ReduceTo8Bits();
    EXPECT_EQ(image->bitsPerPixel(), 8);
    // Green is brightest and blue darkest; white and black stay at the ends of the scale.
    EXPECT_EQ(image->PackedRows(), (ByteVector{77, 149, 29, 255, 0, 0, 0, 0}));
    EXPECT_EQ(image->Palette()[200], 0xC8C8C8u);

    const auto dir = FreshDirectory("reduce");
    WriteBytes(dir / "palette.bmp", PaletteBmp(8, 2, 1, {0xFF0000, 0x00FF00, 0x0000FF}, {2, 1}));
    auto palette = LibraryImage::Open(dir / "palette.bmp");
    ASSERT_TRUE(palette.has_value());
    palette->ReduceTo8Bits();
    EXPECT_EQ(palette->PackedRows(), (ByteVector{2, 1, 0, 0}));
}

// An image of `width` x `height` whose bytes all differ from their neighbours'.
std::optional<LibraryImage> Noise(int width, int height)
{
    CDIB bitmap;
    bitmap.Create24(width, height);
    std::uint32_t state = 99;
    for (std::uint8_t& byte : bitmap.bits()) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return LibraryImage::FromBitmap(bitmap);
}

// Qt scales an image in pieces on its own threads and waits for them all; where no thread
// can be started (here every new thread asks for more memory than the machine has), Resize
// leaves the image as it was instead of waiting for ever. Run in a fresh process of this
// program, so that Qt's pool holds no threads from earlier tests.
TEST(ImageLibraryOperations, ResizingWithNoThreadToBeHadLeavesTheImageInsteadOfHanging)
{
    constexpr const char* kChild = "GESSORIA_TEST_NO_THREADS";
    if (std::getenv(kChild) != nullptr) {
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        ASSERT_EQ(pthread_attr_setstacksize(&attributes, std::size_t{1} << 45), 0);
        ASSERT_EQ(pthread_setattr_default_np(&attributes), 0);
        ASSERT_THROW(std::thread([] {}).join(), std::system_error);
        auto image = Noise(1024, 512);
        image->Resize(512, 1024);
        EXPECT_EQ(image->width(), 1024);
        EXPECT_EQ(image->height(), 512);
        return;
    }
    // With threads to be had, the image is resized.
    auto image = Noise(1024, 512);
    image->Resize(512, 1024);
    EXPECT_EQ(image->width(), 512);
    EXPECT_EQ(image->height(), 1024);

    const std::string filter =
        std::string("--gtest_filter=") + testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "." +
        testing::UnitTest::GetInstance()->current_test_info()->name();
    const pid_t child = fork();
    if (child == 0) {
        setenv(kChild, "1", 1);
        if (std::freopen("/dev/null", "w", stdout) == nullptr)
            _exit(126);
        execl("/proc/self/exe", "engine_tests", filter.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    // A run still going after a minute is taken to wait for ever.
    int status = 0;
    bool ended = false;
    for (int waited = 0; waited < 60 * 20 && !ended; ++waited) {
        ended = waitpid(child, &status, WNOHANG) == child;
        if (!ended)
            usleep(50000);
    }
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    EXPECT_TRUE(ended) << "the resize waited for ever";
    EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

} // namespace
} // namespace gessoria::test
