#pragma once
// ProjectedFootprint: the texels a dab laid on the screen covers, and with what head weight.
//
// A projected dab at screen point P with diameter D stretches the 31 x 31 brush head over the
// screen square of side D around P: a screen offset (dx, dy) from P reads the head cell
// nearest to (dx, dy) x 30 / D from the centre, row 15 - that many rows down and column 15 +
// that many columns across (so screen rows run as texture rows do under the texture-space dab).
//
// Two walks over every face the last frame drew with a textured material that lies under
// the square, faces toward the viewer and is not frozen, and both count:
// - On the screen: every pixel under the square where the face is the one the view shows
//   (the depth buffer holds its depth) gives the texel the renderer draws there. This is
//   what the user sees, to the pixel, whatever the size of the texels.
// - In texture space: every texel of the face, so texels smaller than a pixel are not
//   skipped. A texel belongs to the face whose triangle holds its centre; a texel between
//   islands, whose centre no face of the material holds, belongs to every face whose
//   triangle overlaps it (so island borders get no hairline seams, and a texel of the island
//   on the other side of a border never takes this face's paint). A texel's screen position
//   is its centre or, for a texel between islands, the triangle's nearest point to it,
//   carried to the screen by the face's own interpolation over the integer screen corners
//   the renderer draws with. The texel counts when the face is the visible one there: its
//   depth at that pixel lies at most kDepthSlack plus one pixel's change of the face's depth
//   (|dz/dx| + |dz/dy|) behind the depth buffer.
// Each is weighed by the head at its screen position; pixels off the view and cells of
// weight 0 count for nothing. A texel reached more than once (by both walks, or by several
// faces) is listed once, with its largest weight.

#include "paint/Dab.h"
#include "paint/FaceWalkMemory.h"

#include <array>
#include <cstdint>
#include <vector>

namespace gessoria {

struct Scene;

struct ScreenDab {
    static constexpr int kMinDiameter = 1;
    static constexpr int kMaxDiameter = 1000;

    float x = 0.0f;  // the centre, in view pixels
    float y = 0.0f;
    int diameter = 40;  // kMinDiameter..kMaxDiameter
};

// Depth units (the scene's diagonal spans 32000) a texel may lie behind the visible surface
// at its pixel and still count as that surface.
constexpr double kDepthSlack = 4.0;

// The covered texels of one material, kept in 16 x 16 tiles of its maps.
struct CoveredTile {
    static constexpr int kSize = 16;

    std::int32_t material = 0;
    int tileRow = 0, tileColumn = 0;
    TexelRect rect{};  // the covered texels' bounds, inside the tile
    std::array<std::uint8_t, kSize * kSize> mask{};  // head weight per texel, 0 = not covered

    std::uint8_t At(int row, int column) const
    {
        return mask[static_cast<std::size_t>((row - tileRow * kSize) * kSize + column - tileColumn * kSize)];
    }
};

struct ProjectedCoverage {
    // By material, then tile row, then tile column.
    std::vector<CoveredTile> tiles;
    // Per material that has tiles: the covered texel nearest to P on screen, the dab's centre
    // for the paints that read one (Pointillist).
    struct Centre {
        std::int32_t material;
        DabCentre texel;
    };
    std::vector<Centre> centres;

    DabCentre CentreOf(std::int32_t material) const;
};

// The walks over the faces the screen index lists under the dab, each face's texels limited
// to those the screen under the dab maps to, and its pixels to the rows under the dab. With a
// memory, faces an earlier dab of the same frame walked whole are weighed from what it found,
// and the faces this dab walks whole are added to it.
ProjectedCoverage CoverProjectedDab(Scene& scene, ViewFrame& frame, const Brush& brush, const ScreenDab& dab,
                                    FaceWalkMemory* memory = nullptr);
// The same without any of those limits: every drawn face, every texel of its texture range,
// every row of the view. Slow; it checks the limits change nothing.
ProjectedCoverage CoverProjectedDabExhaustively(Scene& scene, ViewFrame& frame, const Brush& brush, const ScreenDab& dab);

} // namespace gessoria
