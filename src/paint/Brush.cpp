#include "paint/Brush.h"

#include "io/ImageLibrary.h"
#include "scene/UserInteraction.h"

#include <algorithm>
#include <cmath>

namespace gessoria {
namespace {

// Single-precision constants of the head computations.
constexpr float kConeSlope = 19.615385f;
constexpr float kSizeScale = 0.032258064f;  // 1 / 31
constexpr float kDegreesToRadians = 0.0055555557f;
constexpr float kPi = 3.141593f;
constexpr float kCircleStep = 0.47123894f;
constexpr float kFullTurn = 6.2831859f;

struct HeadPlotter {
    BrushHead& head;
    float sine, cosine;

    void Plot(float p, float q, std::uint8_t weight)
    {
        const int x = static_cast<int>(std::trunc(cosine * p - sine * q)) + kHeadCentre;
        const int y = static_cast<int>(std::trunc(sine * p + cosine * q)) + kHeadCentre;
        if (x < 0 || x >= kHeadSize || y < 0 || y >= kHeadSize)
            return;
        head[static_cast<std::size_t>(y * kHeadSize + x)] = weight;
    }
};

std::uint8_t RingWeight(float ring, int feathering, float k)
{
    const float solid = static_cast<float>(15 - feathering);
    if (ring <= solid)
        return 255;
    const float w = std::trunc(255.0f - (ring - solid) * k);
    return static_cast<std::uint8_t>(std::clamp(w, 0.0f, 255.0f));
}

} // namespace

BrushHead ConeHead()
{
    BrushHead head{};
    for (int r = 0; r < kHeadSize; ++r)
        for (int c = 0; c < kHeadSize; ++c) {
            const float d = std::sqrt(static_cast<float>((r - kHeadCentre) * (r - kHeadCentre) + (c - kHeadCentre) * (c - kHeadCentre)));
            const int w = static_cast<int>(255.0f - d * kConeSlope);
            head[static_cast<std::size_t>(r * kHeadSize + c)] = static_cast<std::uint8_t>(w > 0 ? w : 0);
        }
    return head;
}

Brush DefaultBrush()
{
    Brush brush;
    brush.name = "<Default Brush>";
    brush.head = ConeHead();
    return brush;
}

BrushHead DefinedHead(int xSize, int ySize, int rotation, int feathering, int shape)
{
    BrushHead head{};
    const float sx = static_cast<float>(xSize) * kSizeScale;
    const float sy = static_cast<float>(ySize) * kSizeScale;
    const float angle = static_cast<float>(rotation) * kDegreesToRadians * kPi;
    HeadPlotter plotter{head, std::sin(angle), std::cos(angle)};
    // Feathering 0 never reaches the division's result: every ring is then solid.
    const float k = feathering != 0 ? 255.0f / static_cast<float>(feathering) : 0.0f;

    if (shape == static_cast<int>(HeadShape::Circle)) {
        for (int half = 1; half <= 30; ++half) {
            const float t = static_cast<float>(half) * 0.5f;
            const std::uint8_t weight = RingWeight(t, feathering, k);
            const float step = kCircleStep / t;
            for (float theta = 0.0f; theta <= kFullTurn; theta += step)
                plotter.Plot(std::sin(theta) * sx * t, std::cos(theta) * sy * t, weight);
        }
    } else if (shape == static_cast<int>(HeadShape::Rectangle)) {
        for (int t = 15; t >= 0; --t) {
            const std::uint8_t weight = RingWeight(static_cast<float>(t), feathering, k);
            const float hx = static_cast<float>(t) * sx, hy = static_cast<float>(t) * sy;
            for (float p = -hx; p <= hx; p += 0.5f)
                for (float q = -hy; q <= hy; q += 0.5f)
                    plotter.Plot(p, q, weight);
        }
    }
    return head;
}

std::optional<BrushHead> LoadBitmapHead(const std::string& path, UserInteraction& ui)
{
    auto image = LibraryImage::Open(path);
    if (!image || image->width() != 32 || image->height() != 32 || image->bitsPerPixel() != 8) {
        ui.Tell("Sorry,  can only load 32 x 32 x 8bit brushes.");
        return std::nullopt;
    }
    // Mask row 0 is the first row the file stores: the bottom row of an ordinary bitmap, the
    // top row of a top-down one. PackedRows hands out the bottom row first.
    const std::vector<std::uint8_t> rows = image->PackedRows();
    BrushHead head{};
    for (int r = 0; r < kHeadSize; ++r) {
        const int packedRow = image->topDownBitmap() ? 31 - r : r;
        for (int c = 0; c < kHeadSize; ++c)
            head[static_cast<std::size_t>(r * kHeadSize + c)] = rows[static_cast<std::size_t>(packedRow * 32 + c)];
    }
    return head;
}

void InvertHead(BrushHead& head)
{
    for (std::uint8_t& w : head)
        w = static_cast<std::uint8_t>(255 - w);
}

} // namespace gessoria
