#include "scene/MapConversion.h"

#include "scene/CDIB.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace gessoria {
namespace {

constexpr float kLeastUpward = 1.0f / 16.0f;

// 127 and 128 both stand for 0: writers round 127.5 either way, and a flat map must stay flat
// rather than lean by half a step that the spread over 0..255 would then magnify.
float Component(std::uint8_t value)
{
    if (value == 127 || value == 128)
        return 0.0f;
    return (static_cast<float>(value) - 127.5f) / 127.5f;
}

void SetGrey(std::uint8_t* pixel, std::uint8_t value)
{
    pixel[0] = pixel[1] = pixel[2] = value;
}

// The surface's slopes at a texel: along x (to the right) and along y (up the image).
struct Slopes {
    float x, y;
};

Slopes SlopesAt(const CDIB& bitmap, int x, int y)
{
    const std::uint8_t* pixel = bitmap.row(y) + 3 * x;  // blue, green, red
    const float z = std::max(Component(pixel[0]), kLeastUpward);
    return {-Component(pixel[2]) / z, -Component(pixel[1]) / z};
}

// Row y + 1 lies above row y: the image library hands the bottom row over first. Two height
// arrays of floats are the only memory taken; when even they cannot be had the map is left
// without relief (128) rather than ending the program.
void NormalsToHeights(CDIB& bitmap)
{
    const int width = bitmap.width(), height = bitmap.height();
    const auto at = [width](int x, int y) { return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x); };
    std::vector<float> rowsFirst, columnsFirst;
    try {
        rowsFirst.assign(at(0, height), 0.0f);
        columnsFirst.assign(at(0, height), 0.0f);
    } catch (const std::bad_alloc&) {
        rowsFirst.clear();
    }
    const auto stepX = [&](int x, int y) { return 0.5f * (SlopesAt(bitmap, x, y).x + SlopesAt(bitmap, x + 1, y).x); };
    const auto stepY = [&](int x, int y) { return 0.5f * (SlopesAt(bitmap, x, y).y + SlopesAt(bitmap, x, y + 1).y); };

    double lowest = HUGE_VAL, highest = -HUGE_VAL;
    if (!rowsFirst.empty()) {
        // Up the first column, then along each row.
        for (int y = 1; y < height; ++y)
            rowsFirst[at(0, y)] = rowsFirst[at(0, y - 1)] + stepY(0, y - 1);
        for (int y = 0; y < height; ++y)
            for (int x = 1; x < width; ++x)
                rowsFirst[at(x, y)] = rowsFirst[at(x - 1, y)] + stepX(x - 1, y);
        // Along the first row, then up each column.
        for (int x = 1; x < width; ++x)
            columnsFirst[at(x, 0)] = columnsFirst[at(x - 1, 0)] + stepX(x - 1, 0);
        for (int y = 1; y < height; ++y)
            for (int x = 0; x < width; ++x)
                columnsFirst[at(x, y)] = columnsFirst[at(x, y - 1)] + stepY(x, y - 1);
        for (std::size_t i = 0; i < rowsFirst.size(); ++i) {
            rowsFirst[i] = 0.5f * (rowsFirst[i] + columnsFirst[i]);
            lowest = std::min(lowest, static_cast<double>(rowsFirst[i]));
            highest = std::max(highest, static_cast<double>(rowsFirst[i]));
        }
    }
    const double range = rowsFirst.empty() ? 0.0 : highest - lowest;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.row(y);
        for (int x = 0; x < width; ++x) {
            const long level = range > 1e-6 ? std::lround((rowsFirst[at(x, y)] - lowest) / range * 255.0) : 128;
            SetGrey(row + 3 * x, static_cast<std::uint8_t>(level));
        }
    }
}

void RoughnessToShininess(CDIB& bitmap)
{
    for (int y = 0; y < bitmap.height(); ++y) {
        std::uint8_t* row = bitmap.row(y);
        for (int x = 0; x < bitmap.width(); ++x)
            SetGrey(row + 3 * x, static_cast<std::uint8_t>(255 - row[3 * x + 1]));
    }
}

} // namespace

void ConvertMapBitmap(CDIB& bitmap, MapConversion conversion)
{
    if (!bitmap.created() || bitmap.bitCount() != 24)
        return;
    switch (conversion) {
    case MapConversion::None: break;
    case MapConversion::NormalsToHeights: NormalsToHeights(bitmap); break;
    case MapConversion::RoughnessToShininess: RoughnessToShininess(bitmap); break;
    }
}

} // namespace gessoria
