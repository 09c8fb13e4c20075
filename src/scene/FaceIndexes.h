#pragma once
// Indexes that keep a dab's pick and redraw from visiting every face of a large scene.
//
// ScreenFaceIndex lists, per 16 x 16 pixel cell of the view, the faces the last frame drew
// with a textured material whose integer screen box touches the cell; it is rebuilt when
// the frame it was built from is no longer the last one. TextureFaceIndex lists, per cell of
// a 32 x 32 grid over the unit texture square, the faces whose (seam-repaired, wrapping)
// texture range touches the cell; texture coordinates never change while a scene is loaded.
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

// Whether the centre of texel (column, row) of a map width x height lies inside the triangle
// of 16.16 texture coordinates u, v (edges included), taken in the repetition of the map the
// column and row name. Exact: integer arithmetic in 16.16 texel units.
bool TexelCentreInside(const std::int64_t (&u)[3], const std::int64_t (&v)[3], int width, int height, int column, int row);

class TexelOwnership {
public:
    // Whether a texel of the material (inside its map) has its centre inside one of the
    // material's faces (seam-repaired, the map repeating). Built for a material the first time
    // it is asked about.
    bool Owned(const Scene& scene, std::int32_t material, int row, int column);

private:
    std::vector<std::vector<std::uint8_t>> owned_;  // by material, row-major; empty until built
};

class TextureFaceIndex {
public:
    static constexpr int kGrid = 32;

    // Builds the index once for the scene's texture coordinates.
    void Refresh(const Scene& scene);
    // The faces whose texture range may meet the rectangle, ascending and without repeats.
    std::vector<std::int32_t> Candidates(const FractionRect& rect) const;

private:
    bool built_ = false;
    std::vector<std::vector<std::int32_t>> cells_;  // kGrid x kGrid
    std::vector<std::int32_t> wide_;                 // faces spanning a whole map in u or v
};

} // namespace gessoria
