// Start-up and exit: preferences, map paths, the libraries and the tip of the day.

#include "io/ProfileFile.h"
#include "session/AboutInfo.h"
#include "session/Session.h"
#include "session/TipOfTheDay.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

namespace gessoria::test {
namespace {

TEST(Preferences, FirstStartWithoutFilesTakesEveryDefault)
{
    const auto dir = FreshDirectory("first");
    Session session;
    RecordingInteraction ui;
    session.Startup(dir / "gessoria.INI", dir, ui);
    const Preferences& p = session.preferences;
    EXPECT_EQ(p.stillRenderLevel, 4);
    EXPECT_EQ(p.iconCursors, 1);
    EXPECT_EQ(p.beepOnWarning, 1);
    EXPECT_EQ(p.ambientLevel, 12288);
    EXPECT_EQ(p.diffuseLevel, 53248);
    EXPECT_EQ(p.backgroundColour, 144);
    EXPECT_EQ(p.useUndo, 1);
    EXPECT_EQ(p.bufferSize, 1);
    EXPECT_EQ(session.scene.mapPaths.count(), 0);
    EXPECT_EQ(session.brushes.count(), 1);
    EXPECT_EQ(session.paints.count(), 1);
    EXPECT_EQ(ui.Dialogs(), (std::vector<std::string>{
                                "There was a problem opening Brushes.Dat, please make sure it is located in: " + (dir / "Brushes.Dat").string(),
                                "There was a problem opening Paints.Dat, please make sure it is located in: " + (dir / "Paints.Dat").string()}));
    TipOfTheDay tip(dir / "gessoria.INI", dir / "tips.txt");
    EXPECT_EQ(tip.text(), TipOfTheDay::kMissingFile);
    EXPECT_TRUE(tip.showAtStartup());
}

TEST(Preferences, AFirstStartPaintsInProjectionModeAnOlderIniKeepsTextureSpace)
{
    const auto dir = FreshDirectory("projection");
    const auto ini = dir / "gessoria.INI";
    {
        Session first;
        RecordingInteraction ui;
        first.Startup(ini, dir, ui);
        EXPECT_EQ(first.preferences.projection, 1);
        EXPECT_EQ(first.preferences.projectionSize, 40);
        first.preferences.projection = 0;
        first.preferences.projectionSize = 77;
        first.Exit();
    }
    {
        Session again;
        RecordingInteraction ui;
        again.Startup(ini, dir, ui);
        EXPECT_EQ(again.preferences.projection, 0);
        EXPECT_EQ(again.preferences.projectionSize, 77);
    }
    // An INI written before the switch existed: texture space, as that user painted.
    std::ofstream(ini) << "[General Preferences]\nStillRenderLevel=3\n";
    Session older;
    RecordingInteraction ui;
    older.Startup(ini, dir, ui);
    EXPECT_EQ(older.preferences.projection, 0);
    // A size beyond the allowed diameters is brought within them.
    std::ofstream(ini) << "[Projection Painting]\nProjection=1\nSize=5000\n";
    Session large;
    large.Startup(ini, dir, ui);
    EXPECT_EQ(large.preferences.projection, 1);
    EXPECT_EQ(large.preferences.projectionSize, 1000);
}

TEST(Preferences, MapPathCountIsClampedAndAMissingKeyEndsTheList)
{
    const auto dir = FreshDirectory("paths");
    const auto ini = dir / "gessoria.INI";
    {
        std::ofstream out(ini);
        out << "[Map Paths]\nMapPathCount=40\n";
        for (int i = 0; i < 40; ++i)
            out << "MapPath" << i << "=/maps/" << i << "/\n";
        out << "[General Preferences]\nStillRenderLevel=300\nFastDraw=1\n[Lighting]\nBackgroundColour=77\n";
    }
    Session session;
    RecordingInteraction ui;
    session.Startup(ini, dir, ui);
    EXPECT_EQ(session.scene.mapPaths.count(), 32);
    EXPECT_EQ(session.scene.mapPaths.paths()[3], "/maps/3");  // trailing separator removed
    EXPECT_EQ(session.preferences.stillRenderLevel, static_cast<std::int8_t>(300 & 0xFF));
    EXPECT_EQ(session.preferences.fastDraw, 1);
    EXPECT_EQ(session.preferences.backgroundColour, 77);
    session.Exit();
    const ProfileFile saved = ProfileFile::Load(ini);
    EXPECT_EQ(saved.GetInt("Map Paths", "MapPathCount", 0), 32);
    EXPECT_EQ(saved.GetString("Map Paths", "MapPath31", "", 255), "/maps/31");

    std::ofstream(ini) << "[Map Paths]\nMapPathCount=5\nMapPath0=/a\nMapPath1=/b\nMapPath2=/c\nMapPath4=/e\n";
    Session gap;
    RecordingInteraction gapUi;
    gap.Startup(ini, dir, gapUi);
    EXPECT_EQ(gapUi.Dialogs().front(), "MapPath3 does not exist in INI file.  No further Map Paths loaded.");
    EXPECT_EQ(gap.scene.mapPaths.paths(), (std::vector<std::string>{"/a", "/b", "/c"}));
}

TEST(Preferences, TheRootStaysAMapPathFromOneStartToTheNext)
{
    const auto dir = FreshDirectory("root");
    const auto ini = dir / "gessoria.INI";
    std::ofstream(ini) << "[Map Paths]\nMapPathCount=3\nMapPath0=/\nMapPath1=/maps/\nMapPath2=/b\n";
    for (int run = 0; run < 2; ++run) {
        Session session;
        RecordingInteraction ui;
        session.Startup(ini, dir, ui);
        EXPECT_EQ(session.scene.mapPaths.paths(), (std::vector<std::string>{"/", "/maps", "/b"})) << run;
        EXPECT_EQ(ui.Dialogs().size(), 2u) << run;  // the two libraries only
        session.Exit();
    }
    EXPECT_EQ(ProfileFile::Load(ini).GetString("Map Paths", "MapPath0", "", 255), "/");
}

TEST(Preferences, ExitWritesEverythingUnlessAProjectWasOpenedFromTheDialog)
{
    const auto dir = FreshDirectory("exit");
    const auto ini = dir / "gessoria.INI";
    Session session;
    RecordingInteraction ui;
    session.Startup(ini, dir, ui);
    session.preferences.lockLight = 1;
    session.brushes.NewScratch(ui);
    session.brushes.current().name = "Kept";
    session.ProjectOpenedFromDialog();
    session.Exit();
    EXPECT_FALSE(std::filesystem::exists(ini));
    EXPECT_FALSE(std::filesystem::exists(dir / "Brushes.Dat"));

    session.skipExitSave = false;
    session.Exit();
    EXPECT_EQ(ProfileFile::Load(ini).GetInt("Lighting", "LockLight", 0), 1);
    EXPECT_EQ(ProfileFile::Load(ini).GetInt("Undo", "Buffer Size", 0), 1);
    BrushTable brushes;
    ASSERT_TRUE(brushes.ReadLibrary(dir / "Brushes.Dat"));
    EXPECT_EQ(brushes.at(1).name, "Kept");
    EXPECT_FALSE(std::filesystem::exists(dir / "Paints.Dat"));  // only the default paint

    Session again;
    RecordingInteraction againUi;
    again.Startup(ini, dir, againUi);
    EXPECT_EQ(again.preferences.lockLight, 1);
    EXPECT_EQ(again.brushes.count(), 2);
    EXPECT_EQ(againUi.Dialogs().size(), 1u);  // Paints.Dat only
}

TEST(Preferences, IniFileLocation)
{
    ::setenv("GESSORIA_INI", "/tmp/elsewhere.INI", 1);
    EXPECT_EQ(PreferencesFilePath("gessoria"), "/tmp/elsewhere.INI");
    ::unsetenv("GESSORIA_INI");
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(PreferencesFilePath("gessoria"), "/cfg/gessoria.INI");
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(TipOfTheDay, SkipsCommentsWrapsAroundAndRemembersWhereItStopped)
{
    const auto dir = FreshDirectory("tips");
    const auto ini = dir / "gessoria.INI";
    const auto tips = dir / "tips.txt";
    std::ofstream(tips) << "; comment\nFirst tip\n\n indented\n\tTabbed\nSecond tip\n";
    {
        TipOfTheDay tip(ini, tips);
        EXPECT_EQ(tip.text(), "First tip");
        EXPECT_EQ(tip.Next(), "Second tip");
        EXPECT_EQ(tip.Next(), "First tip");  // wrapped
        tip.Close(false);
    }
    EXPECT_FALSE(TipsShownAtStartup(ini));
    {
        TipOfTheDay tip(ini, tips);
        EXPECT_EQ(tip.text(), "Second tip");  // continues after the last tip shown
        EXPECT_FALSE(tip.showAtStartup());
    }
    // A changed file starts again at its first tip.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    std::ofstream(tips) << "New first\nNew second\n";
    TipOfTheDay changed(ini, tips);
    EXPECT_EQ(changed.text(), "New first");

    std::ofstream(dir / "empty.txt") << "; only comments\n\n";
    TipOfTheDay empty(ini, dir / "empty.txt");
    EXPECT_EQ(empty.Next(), "");
}

TEST(AboutBox, ShowsTheScenesCounts)
{
    RecordingInteraction ui;
    Scene scene = MakeScene({{{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, {}}}, ui);
    const AboutInfo info = GatherAboutInfo(scene);
    EXPECT_EQ(info.objects, 1);
    EXPECT_EQ(info.vertices, 3);
    EXPECT_EQ(info.faces, 1);
    EXPECT_GT(info.totalPhysicalKb, 0);
    EXPECT_EQ(info.Lines()[2], "Faces: 1");
    Scene none;
    EXPECT_EQ(GatherAboutInfo(none).faces, 0);
}

TEST(AboutInfoTest, MemoryFiguresComeFromMeminfo)
{
    std::istringstream meminfo("MemTotal:       16318412 kB\nMemFree:          512000 kB\n"
                               "MemAvailable:    9000000 kB\nBuffers:          100 kB\n"
                               "SwapTotal:       2097148 kB\nSwapFree:        2000000 kB\n");
    AboutInfo info;
    ReadMemoryFigures(meminfo, info);
    EXPECT_EQ(info.totalPhysicalKb, 16318412);
    EXPECT_EQ(info.freePhysicalKb, 9000000);  // what programs can have, caches included
    EXPECT_EQ(info.totalPageKb, 2097148);
    EXPECT_EQ(info.freePageKb, 2000000);
    // An old kernel without MemAvailable: its free memory.
    std::istringstream old("MemTotal: 1000 kB\nMemFree: 300 kB\n");
    AboutInfo oldInfo;
    ReadMemoryFigures(old, oldInfo);
    EXPECT_EQ(oldInfo.freePhysicalKb, 300);
    EXPECT_EQ(oldInfo.totalPageKb, 0);
}

} // namespace
} // namespace gessoria::test
