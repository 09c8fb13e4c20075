#include "scene/FaceIndexes.h"

#include "scene/AscendingUnion.h"
#include "scene/Scene.h"
#include "scene/TexelCoordinates.h"
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

std::vector<std::int32_t> ScreenFaceIndex::CandidatesIn(int left, int top, int right, int bottom) const
{
    if (builtFor_ == 0 || columns_ <= 0 || rows_ <= 0 || right < 0 || bottom < 0 || left > right || top > bottom)
        return {};
    const int c0 = std::max(left, 0) / kCell, c1 = std::min(right / kCell, columns_ - 1);
    const int r0 = std::max(top, 0) / kCell, r1 = std::min(bottom / kCell, rows_ - 1);
    // Each cell's list is ascending (built in face order).
    std::vector<std::span<const std::int32_t>> lists;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            lists.emplace_back(cells_[static_cast<std::size_t>(r * columns_ + c)]);
    return AscendingUnion(lists);
}

bool TexelOwnership::Owned(const Scene& scene, std::int32_t material, int row, int column)
{
    const std::uint8_t* owned = OwnedMap(scene, material);
    if (owned == nullptr)
        return false;
    const int width = scene.materials[static_cast<std::size_t>(material)].mapWidth;
    const int height = scene.materials[static_cast<std::size_t>(material)].mapHeight;
    if (row < 0 || column < 0 || row >= height || column >= width)
        return false;
    return owned[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(column)] != 0;
}

const std::uint8_t* TexelOwnership::OwnedMap(const Scene& scene, std::int32_t material)
{
    const auto m = static_cast<std::size_t>(material);
    if (material < 0 || m >= scene.materials.size())
        return nullptr;
    const int width = scene.materials[m].mapWidth, height = scene.materials[m].mapHeight;
    if (width < 1 || height < 1)
        return nullptr;
    if (owned_.size() < scene.materials.size())
        owned_.resize(scene.materials.size());
    std::vector<std::uint8_t>& owned = owned_[m];
    if (owned.empty()) {
        owned.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        for (std::int32_t f = 0; f < scene.faceCount; ++f) {
            const auto i = static_cast<std::size_t>(f);
            if (scene.faceMaterial[i] != material)
                continue;
            const FaceTexture t = RepairedTexture(scene, i);
            const TexelTriangle triangle(t.u, t.v, width, height);
            auto range = [](const std::int64_t (&w)[3], int size, int& first, int& last) {
                const std::int64_t low = std::min({w[0], w[1], w[2]}) * size, high = std::max({w[0], w[1], w[2]}) * size;
                first = static_cast<int>((low - 32768) >> 16);
                last = static_cast<int>((high - 32768) >> 16) + 1;
            };
            int c0 = 0, c1 = 0, r0 = 0, r1 = 0;
            range(t.u, width, c0, c1);
            range(t.v, height, r0, r1);
            // A face spanning more than its map marks every texel it may hold once.
            c1 = std::min(c1, c0 + width);
            r1 = std::min(r1, r0 + height);
            for (int r = r0; r <= r1; ++r) {
                std::uint8_t* row = owned.data() + static_cast<std::size_t>(WrapTexel(r, height)) * static_cast<std::size_t>(width);
                TexelTriangle::Sides sides = triangle.SidesAt(c0, r);
                for (int c = c0, wrapped = WrapTexel(c0, width); c <= c1;
                     ++c, triangle.NextColumn(sides), wrapped = wrapped + 1 == width ? 0 : wrapped + 1)
                    if (TexelTriangle::Holds(sides))
                        row[wrapped] = 1;
            }
        }
    }
    return owned.data();
}

void TextureFaceIndex::Refresh(const Scene& scene)
{
    if (built_)
        return;
    built_ = true;
    materials_.assign(scene.materials.size(), {});
    std::vector<int> us, vs;
    for (std::int32_t f = 0; f < scene.faceCount; ++f) {
        const auto i = static_cast<std::size_t>(f);
        const auto m = static_cast<std::size_t>(scene.faceMaterial[i]);
        if (m >= materials_.size())
            continue;
        MaterialCells& index = materials_[m];
        if (index.cells.empty())
            index.cells.assign(kGrid * kGrid, {});
        const auto [u, v] = RepairedTexture(scene, i);
        if (!CellRange(u, us) || !CellRange(v, vs)) {
            index.wide.push_back(f);
            continue;
        }
        for (const int row : vs)
            for (const int column : us)
                index.cells[static_cast<std::size_t>(row * kGrid + column)].push_back(f);
    }
}

std::vector<std::int32_t> TextureFaceIndex::Candidates(std::int32_t material, const FractionRect& rect) const
{
    return Candidates(material, std::vector<FractionRect>{rect});
}

std::vector<std::int32_t> TextureFaceIndex::Candidates(std::int32_t material, const std::vector<FractionRect>& rects) const
{
    if (material < 0 || static_cast<std::size_t>(material) >= materials_.size())
        return {};
    const MaterialCells& index = materials_[static_cast<std::size_t>(material)];
    if (index.cells.empty())
        return index.wide;
    // Each cell once, however many rectangles reach it; every list is ascending (built in face
    // order).
    std::vector<std::span<const std::int32_t>> lists{index.wide};
    std::vector<std::uint8_t> taken(kGrid * kGrid, 0);
    constexpr int kShift = 16 - 5;
    for (const FractionRect& rect : rects) {
        const int c0 = static_cast<int>(std::clamp<std::int64_t>(rect.left, 0, 65535) >> kShift);
        const int c1 = static_cast<int>(std::clamp<std::int64_t>(rect.right, 0, 65535) >> kShift);
        const int r0 = static_cast<int>(std::clamp<std::int64_t>(rect.top, 0, 65535) >> kShift);
        const int r1 = static_cast<int>(std::clamp<std::int64_t>(rect.bottom, 0, 65535) >> kShift);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) {
                const auto at = static_cast<std::size_t>(r * kGrid + c);
                if (taken[at])
                    continue;
                taken[at] = 1;
                lists.emplace_back(index.cells[at]);
            }
    }
    return AscendingUnion(lists);
}

} // namespace gessoria
