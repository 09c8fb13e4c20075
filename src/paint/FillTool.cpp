#include "paint/FillTool.h"

#include "paint/BitmapPaint.h"
#include "paint/PaintFootprint.h"
#include "paint/TexelRules.h"
#include "paint/TexturePaint.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <cmath>
#include <utility>

namespace gessoria {
namespace {

// Distance of a texel from a reference: |difference| on 1-byte maps, the integer part of the
// Euclidean distance of the three channels on Colour.
int Distance(const std::uint8_t* texel, const std::uint8_t* reference, int bytes)
{
    if (bytes == 1)
        return std::abs(texel[0] - reference[0]);
    const int b = texel[0] - reference[0], g = texel[1] - reference[1], r = texel[2] - reference[2];
    return static_cast<int>(std::sqrt(static_cast<double>(b * b + g * g + r * r)));
}

// Weight of a distance below the tolerance: 255 at 0, falling to 0 beyond it.
int Falling(int distance, int tolerance)
{
    if (distance == 0)
        return 255;
    return distance > tolerance ? 0 : 255 - distance * 255 / tolerance;
}

// Fills the run of texels of non-zero weight and zero mask through (x, y), then the runs it
// touches in the rows below and above, with an explicit stack of run seeds.
void FloodRuns(std::vector<std::uint8_t>& mask, const std::vector<std::uint8_t>& weights, int width, int height, int seedX,
               int seedY)
{
    const auto at = [width](int x, int y) { return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x); };
    const auto open = [&](int x, int y) { return weights[at(x, y)] != 0 && mask[at(x, y)] == 0; };
    std::vector<std::pair<int, int>> stack{{seedX, seedY}};
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        if (!open(x, y))
            continue;
        int left = x, right = x;
        while (left > 0 && open(left - 1, y))
            --left;
        while (right < width - 1 && open(right + 1, y))
            ++right;
        for (int c = left; c <= right; ++c)
            mask[at(c, y)] = weights[at(c, y)];
        for (const int row : {y + 1, y - 1}) {
            if (row < 0 || row >= height)
                continue;
            // One seed per stretch of open texels next to the run.
            for (int c = left; c <= right; ++c)
                if (open(c, row) && (c == left || !open(c - 1, row)))
                    stack.emplace_back(c, row);
        }
    }
}

// A paint that refuses the material is told once for the whole mask, not for every block.
bool TellRefusal(const Painter& painter, const Material& material)
{
    const Paint& paint = painter.context().paint;
    const auto refusal = paint.specialNumber == kBitmapPaintNumber ? BitmapPaintRefusal(paint) : SpecialPaintRefusal(paint, material);
    if (refusal && painter.ui() != nullptr)
        painter.ui()->Tell(*refusal, MessageIcon::Warning);
    return refusal.has_value();
}

} // namespace

std::vector<std::uint8_t> FillMask(const Material& material, const ToolOptions& options, int seedColumn, int seedRow)
{
    const int width = material.mapWidth, height = material.mapHeight;
    const LayerStack& stack = material.stack(options.referenceMap);
    const int index = options.sampleMerged ? 0 : material.current(options.referenceMap);
    if (!material.hasLayers || index < 0 || index >= stack.count() || seedColumn < 0 || seedColumn >= width || seedRow < 0 ||
        seedRow >= height)
        return {};
    const std::size_t texels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const auto style = static_cast<FillStyle>(options.fillStyle > 2 ? 2 : options.fillStyle);
    if (style == FillStyle::All)
        return std::vector<std::uint8_t>(texels, 255);

    const Layer& reference = stack[index];
    const int bytes = reference.image.bytesPerPixel();
    const bool withAlpha = index > 0 && reference.alpha.created();
    const int tolerance = std::max(options.fillTolerance, 1);
    const bool transparentSeed = withAlpha && reference.alpha.row(seedRow)[seedColumn] == 0;
    std::uint8_t target[3];
    if (style == FillStyle::Flood) {
        std::copy_n(reference.image.row(seedRow) + seedColumn * bytes, bytes, target);
    } else {
        // The fill colour as texel bytes (blue, green, red); a 1-byte map compares its grey.
        const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(options.fillColour >> 16), static_cast<std::uint8_t>(options.fillColour >> 8),
                                     static_cast<std::uint8_t>(options.fillColour)};
        std::copy_n(bgr, 3, target);
        if (bytes == 1)
            target[0] = Grey(bgr);
    }
    const int half = std::max(tolerance / 2, 1);
    std::vector<std::uint8_t> weights(texels);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = reference.image.row(y);
        const std::uint8_t* alphaRow = withAlpha ? reference.alpha.row(y) : nullptr;
        for (int x = 0; x < width; ++x) {
            int weight = 0;
            if (transparentSeed) {
                weight = Falling(alphaRow[x], tolerance);
            } else {
                const int distance = Distance(row + x * bytes, target, bytes);
                weight = style == FillStyle::Flood ? Falling(distance, tolerance)
                         : distance <= half        ? 0
                         : distance > tolerance    ? 255
                                                   : (distance - half) * 255 / half;
                // Paint on a layer fills only where the layer is fully opaque.
                if (alphaRow != nullptr)
                    weight *= (alphaRow[x] + 1) >> 8;
            }
            weights[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
                static_cast<std::uint8_t>(weight);
        }
    }
    std::vector<std::uint8_t> mask(texels, 0);
    FloodRuns(mask, weights, width, height, seedColumn, seedRow);
    return mask;
}

ScreenRect Fill(const Painter& painter, PaintingState& state, std::int32_t u, std::int32_t v, std::int32_t materialIndex)
{
    if (!painter.ValidMaterial(materialIndex))
        return {};
    const Material& material = painter.scene().materials[static_cast<std::size_t>(materialIndex)];
    state.options.fillColour = painter.context().values.background;
    const DabCentre seed = CentreOf(material, u, v);
    const std::vector<std::uint8_t> mask = FillMask(material, state.options, seed.column, seed.row);
    if (mask.empty())
        return {};
    return LayWeights(painter, state, mask, materialIndex);
}

ScreenRect LayWeights(const Painter& painter, PaintingState& state, const std::vector<std::uint8_t>& mask, std::int32_t materialIndex)
{
    if (!painter.ValidMaterial(materialIndex))
        return {};
    const Material& material = painter.scene().materials[static_cast<std::size_t>(materialIndex)];
    const PaintingContext& context = painter.context();
    const bool bitmap = context.paint.specialNumber == kBitmapPaintNumber;
    const int width = material.mapWidth, height = material.mapHeight;
    if (mask.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) || TellRefusal(painter, material))
        return {};
    const auto maskAt = [&](int row, int column) {
        return row >= 0 && row < height && column >= 0 && column < width
                   ? mask[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(column)]
                   : std::uint8_t{0};
    };

    // While the blocks are laid no dab redraws (the tool reads as Line); one redraw follows.
    Brush block = context.brush;
    const Painter blockPainter = painter.WithTool(PaintTool::Line).WithBrush(block);
    TexelRect filled{width, -1, height, -1};
    int dabNumber = 0;
    // Block columns run one step further than C < W + 15: a map whose width is 16 more than a
    // multiple of 31 would otherwise never reach its last column.
    for (int R = height - 1; R >= -15; R -= kHeadSize) {
        for (int C = 0; C < width + 16; C += kHeadSize) {
            bool any = false;
            for (int m = 0; m < kHeadSize; ++m)
                for (int o = 0; o < kHeadSize; ++o) {
                    const std::uint8_t weight = maskAt(R - m + 14, C + o - 16);
                    block.head[static_cast<std::size_t>(m * kHeadSize + o)] = weight;
                    if (weight != 0) {
                        any = true;
                        filled = {std::min(filled.x0, C + o - 16), std::max(filled.x1, C + o - 16),
                                  std::min(filled.y0, R - m + 14), std::max(filled.y1, R - m + 14)};
                    }
                }
            if (!any)
                continue;
            // Head cell (m, o) lies on texel (R - m + 14, C + o - 16) when the dab is centred
            // on texel (R - 1, C - 1): the block lands exactly where it was cut from.
            const DabCentre centre{C - 1, R - 1};
            ++dabNumber;
            if (bitmap)
                TextureStampDab(blockPainter, state, dabNumber, centre, materialIndex);
            else
                blockPainter.DabAt(dabNumber, centre, materialIndex);
        }
    }
    if (filled.x1 < filled.x0)
        return {};
    return painter.Finish(materialIndex, filled);
}

} // namespace gessoria
