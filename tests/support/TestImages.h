#pragma once
// Writes small image files for tests through the program's own image library.

#include "scene/CDIB.h"

#include <cstdint>
#include <filesystem>
#include <functional>

namespace gessoria::test {

struct Rgb {
    std::uint8_t r, g, b;
};

// An image file whose pixel (x, y), y counted from the top row of the image, is colour(x, y).
void WriteImage(const std::filesystem::path& path, int width, int height, const std::function<Rgb(int, int)>& colour);

// A fresh empty directory under the test temporary directory.
std::filesystem::path FreshDirectory(const std::string& name);

} // namespace gessoria::test
