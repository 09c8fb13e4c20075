// The initialisation-file reader and writer.

#include "io/ProfileFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace gessoria::test {
namespace {

TEST(ProfileFile, KeysKeepTheirPlaceAndSpellingAndMatchWithoutCase)
{
    ProfileFile profile;
    profile.SetInt("General", "BrushCount", 2);
    profile.SetString("Paint_1", "Special A: ", "12");
    profile.SetString("Paint_1", "X Spacing", "3");
    profile.SetInt("general", "BRUSHCOUNT", 5);  // same key: keeps its place and first spelling
    profile.SetString("Paint_1", "Colour_Path", "maps/a b.png");
    EXPECT_EQ(profile.Text(),
              "[General]\r\nBrushCount=5\r\n\r\n[Paint_1]\r\nSpecial A: =12\r\nX Spacing=3\r\nColour_Path=maps/a b.png\r\n");
    EXPECT_EQ(profile.GetInt("GENERAL", "brushcount", -1), 5);
    EXPECT_EQ(profile.GetInt("Paint_1", "Special A: ", -1), 12);
    EXPECT_EQ(profile.GetString("paint_1", "colour_path", "", 255), "maps/a b.png");
    EXPECT_EQ(profile.GetInt("Paint_1", "Missing", -1), -1);
    EXPECT_EQ(profile.GetString("Nowhere", "Name", "fallback", 255), "fallback");
}

TEST(ProfileFile, ReadsIntegersAndStringsAsTheProfileCallsDo)
{
    const auto path = FreshDirectory("ini") / "test.ini";
    std::ofstream(path, std::ios::binary) << "; comment\n[A]\nplain = 42 \nsigned=-7x\nword=abc\nlong=" << std::string(300, 'n')
                                          << "\nrepeat=1\nrepeat=2\n[B]\r\nkey=crlf\r\n";
    const ProfileFile profile = ProfileFile::Load(path);
    EXPECT_EQ(profile.GetInt("A", "plain", 0), 42);
    EXPECT_EQ(profile.GetInt("A", "signed", 0), -7);
    EXPECT_EQ(profile.GetInt("A", "word", 9), 0);
    EXPECT_EQ(profile.GetString("A", "long", "", 255).size(), 254u);
    EXPECT_EQ(profile.GetInt("A", "repeat", 0), 1);
    EXPECT_EQ(profile.GetString("B", "key", "", 255), "crlf");
    EXPECT_EQ(ProfileFile::Load(path.parent_path() / "missing.ini").Text(), "");
}

TEST(ProfileFile, RewritingKeepsCommentsUnknownLinesAndRepeatedSections)
{
    const std::string text = "; written by hand\r\n[Paths]\r\n; the first one\r\nMapPath0=/maps\r\nnot a key\r\n"
                             "MapPath0=/shadowed\r\n\r\n[Other]\r\nx=1\r\n\r\n[paths]\r\nMapPath0=/second\r\nOnly=here\r\n";
    ProfileFile profile = ProfileFile::FromText(text);
    // Reads find the first section of a name and the first key in it.
    EXPECT_EQ(profile.GetString("Paths", "MapPath0", "", 255), "/maps");
    EXPECT_FALSE(profile.HasKey("Paths", "Only"));
    EXPECT_FALSE(profile.HasKey("Paths", "not a key"));
    EXPECT_EQ(profile.Text(), text);  // nothing lost, nothing merged

    // Writes go to the first section too; everything else stays where it was.
    profile.SetString("PATHS", "MapPath0", "/new");
    profile.SetInt("Paths", "MapPathCount", 1);
    profile.SetInt("Added", "k", 2);
    EXPECT_EQ(profile.Text(), "; written by hand\r\n[Paths]\r\n; the first one\r\nMapPath0=/new\r\nnot a key\r\n"
                              "MapPath0=/shadowed\r\nMapPathCount=1\r\n\r\n[Other]\r\nx=1\r\n\r\n[paths]\r\n"
                              "MapPath0=/second\r\nOnly=here\r\n\r\n[Added]\r\nk=2\r\n");
}

TEST(ProfileFile, OnePairOfSurroundingQuotesIsDroppedOnReading)
{
    const ProfileFile profile = ProfileFile::FromText(
        "[Q]\nName=\"Big Brush\"\nSingle='soft'\nTwice=\"\"twice\"\"\nMixed=\"mixed'\nOpen=\"open\nEmpty=\"\"\n"
        "Lone=\"\nInner=a \"b\"\nCount=\"42\"\nBlock=\"00\"\n");
    EXPECT_EQ(profile.GetString("Q", "Name", "", 255), "Big Brush");
    EXPECT_EQ(profile.GetString("Q", "Single", "", 255), "soft");
    EXPECT_EQ(profile.GetString("Q", "Twice", "", 255), "\"twice\"");
    EXPECT_EQ(profile.GetString("Q", "Mixed", "", 255), "\"mixed'");
    EXPECT_EQ(profile.GetString("Q", "Open", "", 255), "\"open");
    EXPECT_EQ(profile.GetString("Q", "Empty", "x", 255), "");
    EXPECT_EQ(profile.GetString("Q", "Lone", "", 255), "\"");
    EXPECT_EQ(profile.GetString("Q", "Inner", "", 255), "a \"b\"");
    EXPECT_EQ(profile.GetString("Q", "Name", "", 4), "Big");  // the buffer holds the unquoted text
    EXPECT_EQ(profile.GetInt("Q", "Count", 0), 42);
    EXPECT_FALSE(profile.GetStruct("Q", "Block", 0).has_value());  // binary blocks are taken as written
    EXPECT_NE(profile.Text().find("Name=\"Big Brush\""), std::string::npos);  // the file keeps them
}

TEST(ProfileFile, BinaryBlocksCarryAChecksumAndRefuseAnyMismatch)
{
    ProfileFile profile;
    const std::vector<std::uint8_t> bytes = {0x00, 0xAB, 0xFF, 0x10};
    profile.SetStruct("S", "Block", bytes);
    EXPECT_EQ(profile.GetString("S", "Block", "", 255), "00ABFF10BA");  // 0xAB + 0xFF + 0x10 = 0x1BA
    EXPECT_EQ(profile.GetStruct("S", "Block", 4), bytes);
    EXPECT_FALSE(profile.GetStruct("S", "Block", 3).has_value());  // wrong length
    profile.SetString("S", "Block", "00ABFF10BB");
    EXPECT_FALSE(profile.GetStruct("S", "Block", 4).has_value());  // wrong checksum
    profile.SetString("S", "Block", "00ABFG10BA");
    EXPECT_FALSE(profile.GetStruct("S", "Block", 4).has_value());  // not hexadecimal
    profile.SetString("S", "Block", "00abff10ba");
    EXPECT_EQ(profile.GetStruct("S", "Block", 4), bytes);
}

TEST(ProfileFile, SavingNeverLeavesAHalfWrittenFile)
{
    const auto dir = FreshDirectory("save");
    const auto path = dir / "prefs.INI";
    ASSERT_TRUE(WriteProfileInt(path, "Undo", "Buffer Size", 4));
    ASSERT_TRUE(WriteProfileString(path, "Map Paths", "MapPath0", "/maps"));
    EXPECT_EQ(ReadText(path), "[Undo]\r\nBuffer Size=4\r\n\r\n[Map Paths]\r\nMapPath0=/maps\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "prefs.INI.saving"));

    // A directory that cannot be written: the save fails and the old file is intact.
    if (::geteuid() != 0) {
        ::chmod(dir.c_str(), 0500);
        EXPECT_FALSE(WriteProfileInt(path, "Undo", "Buffer Size", 9));
        ::chmod(dir.c_str(), 0700);
        EXPECT_EQ(ProfileFile::Load(path).GetInt("Undo", "Buffer Size", 0), 4);
    }
    // The target's name taken by a directory: nothing is lost either.
    std::filesystem::create_directory(dir / "taken.INI");
    std::filesystem::create_directory(dir / "taken.INI" / "inside");
    EXPECT_FALSE(WriteProfileInt(dir / "taken.INI", "A", "B", 1));
    EXPECT_TRUE(std::filesystem::exists(dir / "taken.INI" / "inside"));
}

} // namespace
} // namespace gessoria::test
