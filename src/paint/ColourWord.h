#pragma once
// Colour words as the painting tools use them: bits 0-7 red, 8-15 green, 16-23 blue,
// 24-31 strength. The Colour Picker's edits change the colour and leave the strength.

#include <cstdint>

namespace gessoria {

constexpr std::uint32_t kColourMask = 0x00FFFFFFu;

// The word with its colour replaced by `bgr` (0x00BBGGRR); the strength is kept.
constexpr std::uint32_t WithColour(std::uint32_t word, std::uint32_t bgr)
{
    return (word & ~kColourMask) | (bgr & kColourMask);
}

constexpr std::uint32_t WithChannel(std::uint32_t word, int channel, int value)
{
    const int shift = 8 * channel;
    return (word & ~(0xFFu << shift)) | (static_cast<std::uint32_t>(value & 0xFF) << shift);
}

// "Desaturate": grey g = (R + G + B) / 3 (integer division) in all three channels.
constexpr std::uint32_t Desaturated(std::uint32_t word)
{
    const std::uint32_t sum = (word & 0xFF) + ((word >> 8) & 0xFF) + ((word >> 16) & 0xFF);
    return WithColour(word, (sum / 3) * 0x010101u);
}

} // namespace gessoria
