#pragma once
// Seam padding for maps written out of the program.
//
// MaterialCoverage marks the texels of a material's maps that any of its faces touches: every
// texel whose square the face's triangle overlaps in texture space (texel x of u is
// trunc((u & 0xFFFF) / 65536 x width), row y of v likewise, so texture coordinates beyond
// 0..1 wrap as the renderer wraps them). PadTexels then gives each texel no face covers, within
// `padding` texels of a covered one (counted in steps to any of the eight neighbours; -1: at
// any distance), the value of its nearest covered texel, found by one breadth-first pass
// from all covered texels at once (ties go to the texel reached first, in row order). Covered
// texels never change, and texels beyond the padding keep their value. A bilinear filter or a
// mipmap reading near an island's edge then sees the island's own colours, never the
// background. Padding does not wrap around the map edges.

#include <cstdint>
#include <span>
#include <vector>

namespace gessoria {

class CDIB;
struct Scene;

// One byte per texel of the material's map size (row-major, row y as the layers store it):
// 1 where a face of the material covers the texel. Empty for a material without layers.
std::vector<std::uint8_t> MaterialCoverage(const Scene& scene, int material);

// Pads a 24- or 8-bit bitmap of the coverage's size in place.
void PadTexels(CDIB& image, std::span<const std::uint8_t> covered, int padding);

} // namespace gessoria
