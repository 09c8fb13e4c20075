#pragma once
// Files for tests: small images written through the program's own image library, fresh
// directories, and whole files read back as text.

#include "scene/CDIB.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace gessoria::test {

struct Rgb {
    std::uint8_t r, g, b;
};

// An image file whose pixel (x, y), y counted from the top row of the image, is colour(x, y).
void WriteImage(const std::filesystem::path& path, int width, int height, const std::function<Rgb(int, int)>& colour);

// A palette BMP file's bytes, made by hand: 1, 4 or 8 bits per pixel, indices given top row
// first, rows stored bottom row first or, with topDown, top row first (a negative height).
std::vector<std::uint8_t> PaletteBmp(int bits, int width, int height, const std::vector<std::uint32_t>& palette,
                                     const std::vector<int>& topDownIndices, bool topDown = false);

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// A fresh empty directory under the test temporary directory.
std::filesystem::path FreshDirectory(const std::string& name);

// The whole file as bytes in a string (empty when it cannot be read).
std::string ReadText(const std::filesystem::path& path);

} // namespace gessoria::test
