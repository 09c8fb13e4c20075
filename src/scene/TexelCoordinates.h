#pragma once
// Between 16.16 texture coordinates and texels of a map.
//
// A coordinate's low 16 bits are its place within the map (the map repeats), so the texel of
// u on a map `size` texels across is trunc((u & 0xFFFF) / 65536 x size). TexelCoordinate goes
// back: the smallest coordinate whose texel is the given one (truncating texel / size x 65536
// instead would land one texel short whenever the division is not exact).

#include <cstdint>

namespace gessoria {

// A texel index wrapped into 0..size-1 (negative ones upward): maps repeat.
inline int WrapTexel(int value, int size)
{
    const int r = value % size;
    return r < 0 ? r + size : r;
}

inline int TexelOf(std::int32_t coordinate, int size)
{
    return static_cast<int>((static_cast<std::int64_t>(coordinate & 0xFFFF) * size) >> 16);
}

inline std::int32_t TexelCoordinate(int texel, int size)
{
    const std::int64_t scaled = static_cast<std::int64_t>(texel) * 65536;
    const std::int64_t floor = scaled >= 0 ? scaled / size : -((-scaled + size - 1) / size);
    return static_cast<std::int32_t>(floor * size == scaled ? floor : floor + 1);
}

} // namespace gessoria
