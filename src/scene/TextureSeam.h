#pragma once
// The seam repair every reader of a face's texture coordinates applies: a face marked as
// crossing the map's edge in u (face flag bit 3) or v (bit 4) whose three coordinates span
// more than 0.8 of the map has its coordinates below 0.5 moved up by that span rounded up
// to whole maps, so the face runs across the edge instead of back over the whole map.

#include <algorithm>
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

} // namespace gessoria
