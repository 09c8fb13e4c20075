// The colours kept from one run to the next: foreground, background and the recent colours.

#include "io/ProfileFile.h"
#include "session/Session.h"
#include "support/RecordingInteraction.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>

namespace gessoria::test {
namespace {

TEST(ColourMemory, TheNewestComesFirstOnceAndOnlySixteenAreKept)
{
    ColourMemory memory;
    memory.Use(0xFF000001u);  // the strength is no part of the colour
    memory.Use(0x00000002u);
    memory.Use(0x00000001u);
    EXPECT_EQ(memory.recent(), (std::vector<std::uint32_t>{1, 2}));
    for (std::uint32_t c = 10; c < 30; ++c)
        memory.Use(c);
    ASSERT_EQ(memory.recent().size(), ColourMemory::kRecentColours);
    EXPECT_EQ(memory.recent().front(), 29u);
    EXPECT_EQ(memory.recent().back(), 14u);
}

TEST(ColourMemory, ForegroundBackgroundAndRecentColoursSurviveARestart)
{
    const auto dir = FreshDirectory("colour-memory");
    const auto ini = dir / "gessoria.INI";
    RecordingInteraction ui;
    {
        Session first;
        first.Startup(ini, dir, ui);
        EXPECT_EQ(first.paintValues.foreground, 0xFFFFFFFFu);  // the defaults on a first start
        EXPECT_TRUE(first.colours.recent().empty());
        first.paintValues.foreground = 0x7F3366CCu;
        first.paintValues.background = 0x00000000u;
        first.colours.Use(0x123456u);
        first.colours.Use(0xABCDEFu);
        first.Exit();
    }
    EXPECT_EQ(ProfileFile::Load(ini).GetString("Colours", "Recent1", "", 16), "#EFCDAB");
    Session again;
    again.Startup(ini, dir, ui);
    EXPECT_EQ(again.paintValues.foreground, 0x7F3366CCu);
    EXPECT_EQ(again.paintValues.background, 0x00000000u);
    EXPECT_EQ(again.colours.recent(), (std::vector<std::uint32_t>{0xABCDEFu, 0x123456u}));
    again.Exit();

    // Values that cannot be read leave the defaults; the recent list ends at the first bad one.
    std::ofstream(ini) << "[Colours]\nForeground=0x12\nBackground=red\nRecent1=#010203\nRecent2=#xx\nRecent3=#040506\n";
    Session odd;
    odd.Startup(ini, dir, ui);
    EXPECT_EQ(odd.paintValues.foreground, 0xFFFFFFFFu);
    EXPECT_EQ(odd.paintValues.background, 0xFF808080u);
    EXPECT_EQ(odd.colours.recent(), (std::vector<std::uint32_t>{0x030201u}));
}

} // namespace
} // namespace gessoria::test
