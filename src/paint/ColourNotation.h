#pragma once
// Other ways of writing a colour (0x00BBGGRR, as in a colour word without its strength):
// the hex notation "#RRGGBB" and hue, saturation and value.
//
// Hex: written in upper case with its '#'; read with or without the '#', in either case,
// surrounding blanks ignored; anything else (other lengths, other characters) is refused.
// HSV: hue in degrees [0, 360), saturation and value in [0, 1], as doubles, so a colour
// turned into HSV and back is the same colour; a grey has hue 0.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gessoria {

std::string HexOfColour(std::uint32_t bgr);
std::optional<std::uint32_t> ColourOfHex(std::string_view text);

struct Hsv {
    double hue = 0.0;         // degrees, [0, 360)
    double saturation = 0.0;  // [0, 1]
    double value = 0.0;       // [0, 1]
};

Hsv HsvOfColour(std::uint32_t bgr);
// Out-of-range inputs are wrapped (hue) or clamped (saturation, value); channels are rounded.
std::uint32_t ColourOfHsv(const Hsv& hsv);

} // namespace gessoria
