// Hex and HSV notations of colours: exact round trips over every colour, and refusals.

#include "paint/ColourNotation.h"

#include <gtest/gtest.h>

namespace gessoria::test {
namespace {

TEST(ColourNotation, HexWritesRedGreenBlueAndReadsItBackForEveryColour)
{
    EXPECT_EQ(HexOfColour(0x000000FFu), "#FF0000");  // red is the low byte of 0x00BBGGRR
    EXPECT_EQ(HexOfColour(0x00123456u), "#563412");
    EXPECT_EQ(HexOfColour(0xAB00FF00u), "#00FF00");  // the strength is no part of the colour
    EXPECT_EQ(ColourOfHex("#563412"), 0x00123456u);
    EXPECT_EQ(ColourOfHex("  ff8000 "), 0x000080FFu);
    EXPECT_EQ(ColourOfHex("#aBcDeF"), 0x00EFCDABu);
    for (std::uint32_t colour = 0; colour <= 0xFFFFFFu; colour += 0x010101u * 3 + 0x10000u)
        ASSERT_EQ(ColourOfHex(HexOfColour(colour)), colour);
    for (const char* bad : {"", "#", "#12345", "#1234567", "12345G", "#12 456", "##123456", "0x123456", "#-12345"})
        EXPECT_EQ(ColourOfHex(bad), std::nullopt) << bad;
}

TEST(ColourNotation, HsvOfKnownColoursAndBackForEveryColour)
{
    const Hsv red = HsvOfColour(0x0000FFu);
    EXPECT_EQ(red.hue, 0.0);
    EXPECT_EQ(red.saturation, 1.0);
    EXPECT_EQ(red.value, 1.0);
    EXPECT_EQ(HsvOfColour(0x00FF00u).hue, 120.0);
    EXPECT_EQ(HsvOfColour(0xFF0000u).hue, 240.0);
    EXPECT_EQ(HsvOfColour(0xFF00FFu).hue, 300.0);  // magenta: red and blue
    EXPECT_EQ(HsvOfColour(0x00FFFFu).hue, 60.0);   // yellow: red and green
    const Hsv grey = HsvOfColour(0x808080u);
    EXPECT_EQ(grey.saturation, 0.0);
    EXPECT_DOUBLE_EQ(grey.value, 128.0 / 255.0);
    EXPECT_EQ(ColourOfHsv({30.0, 1.0, 1.0}), 0x0080FFu);    // orange
    EXPECT_EQ(ColourOfHsv({390.0, 1.0, 1.0}), 0x0080FFu);   // hue wraps
    EXPECT_EQ(ColourOfHsv({-330.0, 1.0, 1.0}), 0x0080FFu);
    EXPECT_EQ(ColourOfHsv({200.0, 0.0, 2.0}), 0xFFFFFFu);   // clamped
    for (std::uint32_t colour = 0; colour <= 0xFFFFFFu; colour += 3)
        ASSERT_EQ(ColourOfHsv(HsvOfColour(colour)), colour) << std::hex << colour;
}

} // namespace
} // namespace gessoria::test
