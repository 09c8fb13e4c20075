#pragma once
// Files for tests: small images written through the program's own image library, fresh
// directories, and whole files read back as text.

#include "scene/CDIB.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace gessoria::test {

struct Rgb {
    std::uint8_t r, g, b;
};

// An image file whose pixel (x, y), y counted from the top row of the image, is colour(x, y).
void WriteImage(const std::filesystem::path& path, int width, int height, const std::function<Rgb(int, int)>& colour);

// A fresh empty directory under the test temporary directory.
std::filesystem::path FreshDirectory(const std::string& name);

// The whole file as bytes in a string (empty when it cannot be read).
std::string ReadText(const std::filesystem::path& path);

} // namespace gessoria::test
