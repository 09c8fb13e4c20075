#pragma once
// The random source of the paints: 0..32767 per call by the linear congruential rule
// state = state x 214013 + 2531011, result = (state >> 16) & 0x7FFF.

#include <cstdint>

namespace gessoria {

class PaintRandom {
public:
    explicit PaintRandom(std::uint32_t seed = 1) : state_(seed) {}

    int Next()
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    std::uint32_t state_;
};

} // namespace gessoria
