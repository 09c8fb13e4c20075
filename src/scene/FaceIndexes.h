#pragma once
// Indexes that keep a dab's pick and redraw from visiting every face of a large scene.
//
// ScreenFaceIndex lists, per 16 x 16 pixel cell of the view, the faces the last frame drew
// with a textured material whose integer screen box touches the cell; it is rebuilt when
// the frame it was built from is no longer the last one. TextureFaceIndex lists, per material
// and per cell of a 32 x 32 grid over the unit texture square, the material's faces whose
// (seam-repaired, wrapping) texture range touches the cell; texture coordinates never change
// while a scene is loaded.
// Both hand out candidates in face order and always a superset of the faces the full scans
// would accept, so the pick and the redraw give exactly the results of scanning every face.
// TexelOwnership tells, per material, which texels have their centre inside the texture
// triangle of one of its faces; the others are the gutter texels between islands.

#include "scene/FractionRect.h"

#include <cstdint>
#include <vector>

namespace gessoria {

struct Scene;

class ScreenFaceIndex {
public:
    static constexpr int kCell = 16;

    // Rebuilds the index when the scene has rendered a new frame since it was built.
    void Refresh(const Scene& scene);
    // The candidate faces for a pixel, ascending; nullptr when the pixel lies outside the view
    // (the caller then scans every face).
    const std::vector<std::int32_t>* Candidates(int x, int y) const;
    // The candidate faces for every pixel of [left, right] x [top, bottom] inside the view,
    // ascending and without repeats.
    std::vector<std::int32_t> CandidatesIn(int left, int top, int right, int bottom) const;

private:
    std::uint64_t builtFor_ = 0;
    int columns_ = 0, rows_ = 0;
    std::vector<std::vector<std::int32_t>> cells_;
};

// A face's texture corners in 16.16 texel units of a map: u x width, v x height.
struct TexelTriangle {
    std::int64_t x[3], y[3];
    std::int64_t columnStep[3];  // how much each edge function changes one column on
    TexelTriangle(const std::int64_t (&u)[3], const std::int64_t (&v)[3], int width, int height)
    {
        for (int k = 0; k < 3; ++k) {
            x[k] = u[k] * width;
            y[k] = v[k] * height;
        }
        for (int k = 0; k < 3; ++k)
            columnStep[k] = -(y[k == 2 ? 0 : k + 1] - y[k]) * 65536;
    }
    // The three edge functions at the centre of texel (column, row): for each edge k, its side
    // of the centre, scaled by the edge's length. Products stay below 2^62 for maps up to 16384
    // texels and coordinates within a few repetitions.
    struct Sides {
        std::int64_t side[3];
    };
    Sides SidesAt(int column, int row) const
    {
        const std::int64_t cx = std::int64_t{column} * 65536 + 32768, cy = std::int64_t{row} * 65536 + 32768;
        Sides s;
        for (int k = 0; k < 3; ++k) {
            const int n = k == 2 ? 0 : k + 1;
            s.side[k] = (x[n] - x[k]) * (cy - y[k]) - (y[n] - y[k]) * (cx - x[k]);
        }
        return s;
    }
    // The edge functions are linear in the column: one column on, each changes by a constant.
    // Stepping gives exactly the values SidesAt would, so a row is walked without products.
    void NextColumn(Sides& s) const
    {
        for (int k = 0; k < 3; ++k)
            s.side[k] += columnStep[k];
    }
    // A centre is held when no edge has it on one side and another edge on the other (edges
    // included). Taken from the sign bits without branches (the walk asks it for every texel,
    // and which way it goes is hard to foresee): a side is negative when its sign bit is set,
    // positive when its negation's is (sides stay far from the int64 limits).
    static bool Holds(const Sides& s)
    {
        const bool negative = (s.side[0] | s.side[1] | s.side[2]) < 0;
        const bool positive = ((-s.side[0]) | (-s.side[1]) | (-s.side[2])) < 0;
        return !(negative && positive);
    }
    // Whether the centre of texel (column, row) lies inside (edges included), taken in the
    // repetition of the map the column and row name. Exact: integer arithmetic.
    bool HoldsCentre(int column, int row) const { return Holds(SidesAt(column, row)); }
};

class TexelOwnership {
public:
    // Whether a texel of the material (inside its map) has its centre inside one of the
    // material's faces (seam-repaired, the map repeating). Built for a material the first time
    // it is asked about.
    bool Owned(const Scene& scene, std::int32_t material, int row, int column);
    // The same for a whole material at once: a row-major map of its texels, 1 where owned;
    // nullptr for a material without a map.
    const std::uint8_t* OwnedMap(const Scene& scene, std::int32_t material);

private:
    std::vector<std::vector<std::uint8_t>> owned_;  // by material, row-major; empty until built
};

class TextureFaceIndex {
public:
    static constexpr int kGrid = 32;

    // Builds the index once for the scene's texture coordinates.
    void Refresh(const Scene& scene);
    // The material's faces whose texture range may meet any of the rectangles, ascending and
    // without repeats.
    std::vector<std::int32_t> Candidates(std::int32_t material, const FractionRect& rect) const;
    std::vector<std::int32_t> Candidates(std::int32_t material, const std::vector<FractionRect>& rects) const;

private:
    struct MaterialCells {
        std::vector<std::vector<std::int32_t>> cells;  // kGrid x kGrid
        std::vector<std::int32_t> wide;                 // faces spanning a whole map in u or v
    };
    bool built_ = false;
    std::vector<MaterialCells> materials_;  // by material index
};

} // namespace gessoria
