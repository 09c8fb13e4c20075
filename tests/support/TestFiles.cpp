#include "support/TestFiles.h"

#include "io/ImageLibrary.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace gessoria::test {

void WriteImage(const std::filesystem::path& path, int width, int height, const std::function<Rgb(int, int)>& colour)
{
    CDIB bitmap;
    ASSERT_TRUE(bitmap.Create24(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y);
            std::uint8_t* p = bitmap.row(y) + x * 3;
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    auto image = LibraryImage::FromBitmap(bitmap);
    ASSERT_TRUE(image.has_value());
    ASSERT_TRUE(image->Save(path, ImageSaveFormat::ByExtension)) << path;
}

std::vector<std::uint8_t> PaletteBmp(int bits, int width, int height, const std::vector<std::uint32_t>& palette,
                                     const std::vector<int>& topDownIndices, bool topDown)
{
    std::vector<std::uint8_t> bmp;
    auto put16 = [&](std::uint32_t v) { for (int i = 0; i < 2; ++i) bmp.push_back(static_cast<std::uint8_t>(v >> (8 * i))); };
    auto put32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) bmp.push_back(static_cast<std::uint8_t>(v >> (8 * i))); };
    const std::uint32_t stride = (static_cast<std::uint32_t>(width * bits) + 31) / 32 * 4;
    const auto offset = static_cast<std::uint32_t>(14 + 40 + 4 * palette.size());
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);
    bmp.push_back('B');
    bmp.push_back('M');
    put32(offset + imageSize);
    put32(0);
    put32(offset);
    put32(40);
    put32(static_cast<std::uint32_t>(width));
    put32(static_cast<std::uint32_t>(topDown ? -height : height));
    put16(1);
    put16(static_cast<std::uint32_t>(bits));
    put32(0);
    put32(imageSize);
    put32(2835);
    put32(2835);
    put32(static_cast<std::uint32_t>(palette.size()));
    put32(0);
    for (const std::uint32_t rgb : palette)
        put32(rgb);  // stored B, G, R, 0: the same bytes as 0x00RRGGBB little-endian
    for (int stored = 0; stored < height; ++stored) {
        const int y = topDown ? stored : height - 1 - stored;
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const int bit = x * bits;
            const int shift = 8 - bits - bit % 8;
            row[static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(topDownIndices[static_cast<std::size_t>(y * width + x)] << shift);
        }
        bmp.insert(bmp.end(), row.begin(), row.end());
    }
    return bmp;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::filesystem::path FreshDirectory(const std::string& name)
{
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    auto dir = std::filesystem::temp_directory_path() / "gessoria-tests" /
               (std::string(info->test_suite_name()) + "." + info->name()) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace gessoria::test
