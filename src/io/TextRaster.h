#pragma once
// RasteriseText: a line of text drawn in white on black with a chosen font, for the Text tool.
//
// Contract: the image is exactly as wide as the text's advance and as high as the font's line
// (ascent plus descent), 24-bit blue, green, red, top row first, rows padded to four bytes;
// anti-aliased edges are grey. Nothing comes back for an empty text, a size outside 1..1000
// points, or when no font can be had. Sizes in points are at 96 dots per inch. The fonts come
// from the toolkit, which this call starts without a display when the program has not.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gessoria {

struct TextFont {
    std::string family = "Sans Serif";
    double points = 24.0;
    bool bold = false;
    bool italic = false;
};

struct TextRaster {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rows;  // 24-bit, top row first, stride (width x 3 + 3) & ~3
};

std::optional<TextRaster> RasteriseText(const std::string& text, const TextFont& font);

} // namespace gessoria
