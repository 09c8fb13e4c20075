#include "scene/MapConversion.h"

#include "scene/CDIB.h"

#include <algorithm>
#include <cmath>
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

// Row y + 1 lies above row y: the image library hands the bottom row over first.
void NormalsToHeights(CDIB& bitmap)
{
    const int width = bitmap.width(), height = bitmap.height();
    const auto at = [width](int x, int y) { return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x); };
    std::vector<double> slopeX(at(0, height)), slopeY(at(0, height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = bitmap.row(y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* pixel = row + 3 * x;  // blue, green, red
            const float z = std::max(Component(pixel[0]), kLeastUpward);
            slopeX[at(x, y)] = -Component(pixel[2]) / z;
            slopeY[at(x, y)] = -Component(pixel[1]) / z;
        }
    }
    const auto stepX = [&](int x, int y) { return 0.5 * (slopeX[at(x, y)] + slopeX[at(x + 1, y)]); };
    const auto stepY = [&](int x, int y) { return 0.5 * (slopeY[at(x, y)] + slopeY[at(x, y + 1)]); };

    // Up the first column, then along each row.
    std::vector<double> rowsFirst(at(0, height)), columnsFirst(at(0, height));
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

    double lowest = HUGE_VAL, highest = -HUGE_VAL;
    for (std::size_t i = 0; i < rowsFirst.size(); ++i) {
        rowsFirst[i] = 0.5 * (rowsFirst[i] + columnsFirst[i]);
        lowest = std::min(lowest, rowsFirst[i]);
        highest = std::max(highest, rowsFirst[i]);
    }
    const double range = highest - lowest;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.row(y);
        for (int x = 0; x < width; ++x) {
            const long level = range > 1e-9 ? std::lround((rowsFirst[at(x, y)] - lowest) / range * 255.0) : 128;
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
