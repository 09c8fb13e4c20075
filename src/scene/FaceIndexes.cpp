#include "scene/FaceIndexes.h"

#include "scene/Scene.h"
#include "scene/TextureSeam.h"

#include <algorithm>

namespace gessoria {
namespace {

// The grid cells a coordinate range touches, wrapping: false when it spans a whole map.
bool CellRange(const std::int64_t (&w)[3], std::vector<int>& cells)
{
    const std::int64_t first = std::min({w[0], w[1], w[2]}), span = std::max({w[0], w[1], w[2]}) - first;
    cells.clear();
    if (span >= 65536)
        return false;
    const std::int64_t start = first & 0xFFFF, end = start + span;
    constexpr int kShift = 16 - 5;  // 32 cells
    for (std::int64_t c = start >> kShift; c <= (end >> kShift); ++c)
        cells.push_back(static_cast<int>(c % TextureFaceIndex::kGrid));
    return true;
}

} // namespace

void ScreenFaceIndex::Refresh(const Scene& scene)
{
    if (builtFor_ == scene.frameSerial && builtFor_ != 0)
        return;
    builtFor_ = scene.frameSerial;
    columns_ = (scene.viewWidth + kCell - 1) / kCell;
    rows_ = (scene.viewHeight + kCell - 1) / kCell;
    cells_.assign(static_cast<std::size_t>(std::max(columns_, 0) * std::max(rows_, 0)), {});
    for (std::int32_t f = 0; f < scene.faceCount; ++f) {
        const auto i = static_cast<std::size_t>(f);
        if (!scene.faceDrawn[i])
            continue;
        const std::int32_t corner[3] = {scene.faceVertexA[i], scene.faceVertexB[i], scene.faceVertexC[i]};
        int minX = INT32_MAX, maxX = INT32_MIN, minY = INT32_MAX, maxY = INT32_MIN;
        for (const std::int32_t v : corner) {
            minX = std::min(minX, scene.viewX[static_cast<std::size_t>(v)]);
            maxX = std::max(maxX, scene.viewX[static_cast<std::size_t>(v)]);
            minY = std::min(minY, scene.viewY[static_cast<std::size_t>(v)]);
            maxY = std::max(maxY, scene.viewY[static_cast<std::size_t>(v)]);
        }
        const int c0 = std::clamp(minX, 0, scene.viewWidth - 1) / kCell, c1 = std::clamp(maxX, 0, scene.viewWidth - 1) / kCell;
        const int r0 = std::clamp(minY, 0, scene.viewHeight - 1) / kCell, r1 = std::clamp(maxY, 0, scene.viewHeight - 1) / kCell;
        if (maxX < 0 || minX >= scene.viewWidth || maxY < 0 || minY >= scene.viewHeight)
            continue;
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                cells_[static_cast<std::size_t>(r * columns_ + c)].push_back(f);
    }
}

const std::vector<std::int32_t>* ScreenFaceIndex::Candidates(int x, int y) const
{
    if (builtFor_ == 0 || x < 0 || y < 0 || x / kCell >= columns_ || y / kCell >= rows_)
        return nullptr;
    return &cells_[static_cast<std::size_t>((y / kCell) * columns_ + x / kCell)];
}

void TextureFaceIndex::Refresh(const Scene& scene)
{
    if (built_)
        return;
    built_ = true;
    cells_.assign(kGrid * kGrid, {});
    std::vector<int> us, vs;
    for (std::int32_t f = 0; f < scene.faceCount; ++f) {
        const auto i = static_cast<std::size_t>(f);
        std::int64_t u[3] = {scene.faceU0[i], scene.faceU1[i], scene.faceU2[i]};
        std::int64_t v[3] = {scene.faceV0[i], scene.faceV1[i], scene.faceV2[i]};
        RepairSeam(u, scene.faceFlags[i] & 8);
        RepairSeam(v, scene.faceFlags[i] & 16);
        if (!CellRange(u, us) || !CellRange(v, vs)) {
            wide_.push_back(f);
            continue;
        }
        for (const int row : vs)
            for (const int column : us)
                cells_[static_cast<std::size_t>(row * kGrid + column)].push_back(f);
    }
}

std::vector<std::int32_t> TextureFaceIndex::Candidates(const FractionRect& rect) const
{
    std::vector<std::int32_t> faces = wide_;
    constexpr int kShift = 16 - 5;
    const int c0 = static_cast<int>(std::clamp<std::int64_t>(rect.left, 0, 65535) >> kShift);
    const int c1 = static_cast<int>(std::clamp<std::int64_t>(rect.right, 0, 65535) >> kShift);
    const int r0 = static_cast<int>(std::clamp<std::int64_t>(rect.top, 0, 65535) >> kShift);
    const int r1 = static_cast<int>(std::clamp<std::int64_t>(rect.bottom, 0, 65535) >> kShift);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            const auto& cell = cells_[static_cast<std::size_t>(r * kGrid + c)];
            faces.insert(faces.end(), cell.begin(), cell.end());
        }
    std::sort(faces.begin(), faces.end());
    faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
    return faces;
}

} // namespace gessoria
