// Layer images that could not be read when a project was opened are never written over by
// accident: their layers hold blanks, remember the file, and a save keeps the file as it is
// unless the user answers that the layers as they are now go over it.

#include "io/ProjectFile.h"
#include "session/Session.h"
#include "support/ProjectFixture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>

namespace gessoria::test {
namespace {

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

TEST(UnreadLayerImages, ASaveKeepsTheFilesUnlessToldToWriteTheLayers)
{
    const auto dir = FreshDirectory("unread");
    RecordingInteraction ui;
    Session original;
    FillPaintedSession(original, 8, 3, ui);
    const auto file = SaveSessionProject(original, dir / "p.gsr", ui).value();
    const auto folder = file.parent_path();
    // A colour image cut short (as a copy that ran out of room leaves it) and an alpha gone.
    auto damaged = ReadBytes(folder / "M1CM2.tif");
    damaged.resize(damaged.size() / 2);
    WriteBytes(folder / "M1CM2.tif", damaged);
    std::filesystem::remove(folder / "M1CA2.tif");
    const auto untouched = ReadBytes(folder / "M1CM1.tif");

    Session loaded;
    RecordingInteraction loadUi;
    ASSERT_TRUE(OpenSessionFile(loaded, file.string(), loadUi));
    EXPECT_EQ(UnreadLayerImages(loaded.scene),
              (std::vector<std::string>{(folder / "M1CM2.tif").string(), (folder / "M1CA2.tif").string()}));

    // Saved onto itself with the question unanswered: the damaged file stays byte for byte.
    RecordingInteraction saveUi;
    ASSERT_TRUE(SaveSessionProject(loaded, file, saveUi));
    ASSERT_EQ(saveUi.Texts(Shown::Kind::Question).size(), 1u);
    EXPECT_EQ(saveUi.Texts(Shown::Kind::Question).front(),
              "These layer images could not be read when the project was opened, so their layers are blank: " +
                  (folder / "M1CM2.tif").string() + ".\nWrite the layers as they are now over those files?");
    EXPECT_EQ(ReadBytes(folder / "M1CM2.tif"), damaged);
    EXPECT_EQ(ReadBytes(folder / "M1CM1.tif"), untouched);
    // A save to another project takes the file along as it is.
    const auto copy = SaveSessionProject(loaded, dir / "copy.gsr", saveUi).value();
    EXPECT_EQ(ReadBytes(copy.parent_path() / "M1CM2.tif"), damaged);

    // Told to write the layers: the blanks go over the files and the project loads clean.
    saveUi.yesNo = {true};
    ASSERT_TRUE(SaveSessionProject(loaded, file, saveUi));
    EXPECT_NE(ReadBytes(folder / "M1CM2.tif"), damaged);
    Session again;
    RecordingInteraction againUi;
    ASSERT_TRUE(OpenSessionFile(again, file.string(), againUi));
    EXPECT_TRUE(againUi.Dialogs().empty());
    EXPECT_TRUE(UnreadLayerImages(again.scene).empty());
}

} // namespace
} // namespace gessoria::test
