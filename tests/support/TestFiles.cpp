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
