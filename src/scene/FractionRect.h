#pragma once
// FractionRect: a rectangle of a map as 16.16 fractions of its width and height,
// [left, right) x [top, bottom); what a dab changed, in the terms the texture coordinates use.

#include <cstdint>

namespace gessoria {

struct FractionRect {
    std::int64_t left = 0, right = 0, top = 0, bottom = 0;
};

} // namespace gessoria
