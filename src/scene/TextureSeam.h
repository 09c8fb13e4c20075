#pragma once
// The seam repair every reader of a face's texture coordinates applies: a face marked as
// crossing the map's edge in u (face flag bit 3) or v (bit 4) whose three coordinates span
// more than 0.8 of the map has its coordinates below 0.5 moved up by that span rounded up
// to whole maps, so the face runs across the edge instead of back over the whole map.

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace gessoria {

inline void RepairSeam(std::int64_t (&values)[3], bool marked)
{
    if (!marked)
        return;
    const std::int64_t span = std::max({values[0], values[1], values[2]}) - std::min({values[0], values[1], values[2]});
    if (span <= 52428)
        return;
    const std::int64_t rounded = (span + 65535) / 65536 * 65536;
    for (std::int64_t& v : values)
        if (v < 32768)
            v += rounded;
}

// A face's three texture coordinates in u and v (16.16) with the repair applied.
struct FaceTexture {
    std::int64_t u[3], v[3];
};

// `Faces` is the Scene; a template, so this header needs none of it.
template <typename Faces>
FaceTexture RepairedTexture(const Faces& s, std::size_t face)
{
    FaceTexture t{{s.faceU0[face], s.faceU1[face], s.faceU2[face]}, {s.faceV0[face], s.faceV1[face], s.faceV2[face]}};
    RepairSeam(t.u, s.faceFlags[face] & 8);
    RepairSeam(t.v, s.faceFlags[face] & 16);
    return t;
}

} // namespace gessoria
