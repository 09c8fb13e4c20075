#pragma once
// MapConversion: how a loaded image becomes the values its map type paints, when the image
// holds another kind of value than the map type does.
//
// Contract. ConvertMapBitmap rewrites a 24-bit bitmap in place as grey (blue = green = red);
// other depths and MapConversion::None leave it untouched.
// - NormalsToHeights reads a tangent-space normal map (red = x to the right, green = y up the
//   image, blue = z out of the surface, each channel c meaning (c - 127.5) / 127.5, with 127
//   and 128 both taken as 0 so that a flat map stays flat) and rebuilds
//   the height field whose slopes those normals are: the slope along x is -x / z and along y
//   -y / z (z taken as at least 1/16, so a normal lying flat gives a steep slope, not an
//   infinite one). Heights are integrated with the trapezoid rule between neighbouring texels
//   along two paths, up the first column and then along every row, and along the first row
//   and then up every column; each texel takes the mean of the two. The result is spread over
//   0..255 (lowest to highest, rounded); a map with no relief becomes 128 everywhere.
// - RoughnessToShininess takes the green channel (where glTF keeps roughness; a grey image
//   has it in every channel) and gives 255 - value: rough is dull, smooth is shiny.

#include <cstdint>

namespace gessoria {

class CDIB;

enum class MapConversion : std::uint8_t { None, NormalsToHeights, RoughnessToShininess };

void ConvertMapBitmap(CDIB& bitmap, MapConversion conversion);

} // namespace gessoria
