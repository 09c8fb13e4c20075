#pragma once
// The conversions every scene reader shares: file values into the scene's packed forms.
//
// PackedByte is truncate(value x 255) kept within 0..255 (NaN gives 0); TextureFixedPoint is
// 16.16 fixed point truncated toward zero, wrapping beyond the 32-bit range instead of
// overflowing (only the low 16 bits address a map).

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gessoria {

inline std::uint8_t PackedByte(float value)
{
    const float scaled = value * 255.0f;
    if (!(scaled > 0.0f))  // also NaN
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return static_cast<std::uint8_t>(scaled);
}

inline std::int32_t TextureFixedPoint(float value)
{
    const double product = static_cast<double>(value) * 65536.0;
    // Within the 32-bit range the conversion's own truncation is the whole answer.
    if (std::fabs(product) < 2147483648.0)
        return static_cast<std::int32_t>(product);
    if (std::isnan(product))
        return 0;
    const double scaled = std::trunc(product);
    const double limit = 9.0e18;
    const auto wide = static_cast<std::int64_t>(std::clamp(scaled, -limit, limit));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

} // namespace gessoria
