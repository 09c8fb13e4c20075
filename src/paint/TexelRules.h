#pragma once
// The per-texel arithmetic every paint routine shares: the alpha accumulation, the flooring
// blend, the dirtiness variation and laying a value (set outright on a texel nothing had
// covered, blended by the weight elsewhere). Weights are fractions of 65536.

#include "paint/PaintRandom.h"

#include <cstdint>

namespace gessoria {

// a + ((255 - a) x weight >> 16)
inline void AccumulateAlpha(std::uint8_t& alpha, int weight)
{
    alpha = static_cast<std::uint8_t>(alpha + (((255 - alpha) * weight) >> 16));
}

// value + ((target - value) x weight >> 16), the shift flooring.
inline std::uint8_t BlendToward(int value, int target, int weight)
{
    return static_cast<std::uint8_t>(value + (((target - value) * weight) >> 16));
}

inline std::uint8_t LaidValue(std::uint8_t value, std::uint8_t target, int weight, bool untouched)
{
    return untouched ? target : BlendToward(value, target, weight);
}

// One random variation: the first draw decides the direction (odd lightens), the second the
// amount r = draw mod (amount + 1).
struct Dirt {
    bool lighten = false;
    int r = 0;

    static Dirt Draw(PaintRandom& random, int amount)
    {
        Dirt dirt;
        dirt.lighten = random.Next() % 2 == 1;
        dirt.r = random.Next() % (amount + 1);
        return dirt;
    }

    std::uint8_t Applied(std::uint8_t c) const
    {
        return static_cast<std::uint8_t>(lighten ? c + (((256 - c) * r) >> 8) : c - ((c * r) >> 8));
    }
};

// (blue + green + red) / 3
inline std::uint8_t Grey(const std::uint8_t* bgr) { return static_cast<std::uint8_t>((bgr[0] + bgr[1] + bgr[2]) / 3); }

} // namespace gessoria
