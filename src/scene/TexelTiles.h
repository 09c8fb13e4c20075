#pragma once
// TexelTiles: the texels a dab changed on one material, kept as rectangles inside the fixed
// 32 x 32 texel tiles of its maps. A projected dab can touch several islands far apart in
// texture space; the composite, the undo records and the redraw then work on these small
// rectangles instead of one rectangle enclosing them all. Contains() answers per tile, a
// superset of the changed texels, which is all a redraw needs (a texel that did not change
// draws the same pixel again).

#include "scene/Compositing.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace gessoria {

class TexelTiles {
public:
    static constexpr int kTile = 32;

    TexelTiles(int mapWidth, int mapHeight)
        : columns_((std::max(mapWidth, 1) + kTile - 1) / kTile), rows_((std::max(mapHeight, 1) + kTile - 1) / kTile),
          marked_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0)
    {
    }

    // A rectangle of changed texels inside the map and inside one tile.
    void Add(const TexelRect& rect)
    {
        marked_[static_cast<std::size_t>((rect.y0 / kTile) * columns_ + rect.x0 / kTile)] = 1;
        rects_.push_back(rect);
        bounds_ = rects_.size() == 1 ? rect
                                     : TexelRect{std::min(bounds_.x0, rect.x0), std::max(bounds_.x1, rect.x1),
                                                 std::min(bounds_.y0, rect.y0), std::max(bounds_.y1, rect.y1)};
    }

    bool Contains(int column, int row) const
    {
        return column >= 0 && row >= 0 && column / kTile < columns_ && row / kTile < rows_ &&
               marked_[static_cast<std::size_t>((row / kTile) * columns_ + column / kTile)] != 0;
    }

    bool empty() const { return rects_.empty(); }
    const std::vector<TexelRect>& rects() const { return rects_; }
    // The rectangle enclosing every changed texel; meaningful when not empty.
    const TexelRect& bounds() const { return bounds_; }

private:
    int columns_, rows_;
    std::vector<std::uint8_t> marked_;
    std::vector<TexelRect> rects_;
    TexelRect bounds_{};
};

} // namespace gessoria
