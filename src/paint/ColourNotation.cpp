#include "paint/ColourNotation.h"

#include <algorithm>
#include <cmath>

namespace gessoria {
namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::uint32_t Channel(double unit)
{
    return static_cast<std::uint32_t>(std::lround(std::clamp(unit, 0.0, 1.0) * 255.0));
}

} // namespace

std::string HexOfColour(std::uint32_t bgr)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "#";
    for (int shift : {0, 8, 16}) {
        const std::uint32_t channel = (bgr >> shift) & 0xFF;
        text += kDigits[channel >> 4];
        text += kDigits[channel & 0xF];
    }
    return text;
}

std::optional<std::uint32_t> ColourOfHex(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '#')
        text.remove_prefix(1);
    if (text.size() != 6)
        return std::nullopt;
    std::uint32_t bgr = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const int high = HexDigit(text[static_cast<std::size_t>(2 * channel)]);
        const int low = HexDigit(text[static_cast<std::size_t>(2 * channel + 1)]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bgr |= static_cast<std::uint32_t>(high * 16 + low) << (8 * channel);
    }
    return bgr;
}

Hsv HsvOfColour(std::uint32_t bgr)
{
    const double r = static_cast<double>(bgr & 0xFF) / 255.0;
    const double g = static_cast<double>((bgr >> 8) & 0xFF) / 255.0;
    const double b = static_cast<double>((bgr >> 16) & 0xFF) / 255.0;
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    const double range = high - low;
    Hsv hsv;
    hsv.value = high;
    hsv.saturation = high > 0.0 ? range / high : 0.0;
    if (range > 0.0) {
        double sector;
        if (high == r)
            sector = (g - b) / range;
        else if (high == g)
            sector = 2.0 + (b - r) / range;
        else
            sector = 4.0 + (r - g) / range;
        hsv.hue = sector * 60.0;
        if (hsv.hue < 0.0)
            hsv.hue += 360.0;
    }
    return hsv;
}

std::uint32_t ColourOfHsv(const Hsv& hsv)
{
    double hue = std::fmod(hsv.hue, 360.0);
    if (hue < 0.0)
        hue += 360.0;
    const double s = std::clamp(hsv.saturation, 0.0, 1.0), v = std::clamp(hsv.value, 0.0, 1.0);
    const double sector = hue / 60.0;
    const int whole = std::min(static_cast<int>(sector), 5);
    const double f = sector - whole;
    const double p = v * (1.0 - s), q = v * (1.0 - s * f), t = v * (1.0 - s * (1.0 - f));
    double r = v, g = t, b = p;
    switch (whole) {
    case 0: r = v; g = t; b = p; break;
    case 1: r = q; g = v; b = p; break;
    case 2: r = p; g = v; b = t; break;
    case 3: r = p; g = q; b = v; break;
    case 4: r = t; g = p; b = v; break;
    default: r = v; g = p; b = q; break;
    }
    return Channel(r) | (Channel(g) << 8) | (Channel(b) << 16);
}

} // namespace gessoria
