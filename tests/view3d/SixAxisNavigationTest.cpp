// A six-axis controller's reports moving the camera exactly as the position tools' drags
// of the same number of pixels, its buttons, and its settings in the INI file.

#include "io/ProfileFile.h"
#include "scene/ViewBookmarks.h"
#include "session/SixAxisPreferences.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"
#include "support/TestFiles.h"
#include "view3d/Navigation.h"
#include "view3d/Projection.h"
#include "view3d/SixAxisNavigation.h"

#include <gtest/gtest.h>

namespace gessoria::test {
namespace {

Scene ViewedScene(RecordingInteraction& ui)
{
    Scene s = MakeScene({{{1, 2, 3, -4, 0, 0, 0, 5, -1}, {0, 1, 2}, {}}}, ui);
    s.viewWidth = 100;
    s.viewHeight = 80;
    s.camera.scale = 10.0f;
    s.camera.depthScale = 100.0f;
    s.camera.angleX = 300;
    s.camera.angleY = 40;
    s.camera.angleZ = 7;
    s.lastMouseX = 33;
    s.lastMouseY = 44;
    return s;
}

void ExpectSameCamera(const Camera& a, const Camera& b)
{
    EXPECT_EQ(a.angleX, b.angleX);
    EXPECT_EQ(a.angleY, b.angleY);
    EXPECT_EQ(a.angleZ, b.angleZ);
    EXPECT_EQ(a.lightA, b.lightA);
    EXPECT_EQ(a.lightB, b.lightB);
    EXPECT_EQ(a.lightC, b.lightC);
    EXPECT_EQ(a.panX, b.panX);
    EXPECT_EQ(a.panY, b.panY);
    EXPECT_EQ(a.scale, b.scale);
}

// Counts for a whole number of pixels at sensitivity 1.
constexpr int kCountsPerPixel = 32;

SixAxisMotion Motion(int x, int y, int z, int rx, int ry, int rz)
{
    return {{x * kCountsPerPixel, y * kCountsPerPixel, z * kCountsPerPixel, rx * kCountsPerPixel,
             ry * kCountsPerPixel, rz * kCountsPerPixel}};
}

TEST(SixAxis, EachAxisMovesTheCameraAsTheSameDragOfAPositionTool)
{
    RecordingInteraction ui;
    const SixAxisSettings settings;
    for (const bool lockLight : {false, true}) {
        // Twist and tilt: a Rotate drag 6 pixels left and 4 down.
        Scene moved = ViewedScene(ui), dragged = ViewedScene(ui);
        SixAxisNavigator navigator;
        EXPECT_TRUE(navigator.Move(moved, Motion(0, 0, 0, 4, 6, 0), settings, lockLight));
        RotateDrag(dragged, 33 - 6, 44 + 4, false, lockLight);
        ExpectSameCamera(moved.camera, dragged.camera);
        // The mouse position a drag measures from is left alone.
        EXPECT_EQ(moved.lastMouseX, 33);
        EXPECT_EQ(moved.lastMouseY, 44);

        // Roll: a Rotate drag with Ctrl, 5 pixels left.
        moved = ViewedScene(ui), dragged = ViewedScene(ui);
        navigator.Move(moved, Motion(0, 0, 0, 0, 0, 5), settings, lockLight);
        RotateDrag(dragged, 33 - 5, 44, true, lockLight);
        ExpectSameCamera(moved.camera, dragged.camera);
    }
    // Pushes along x and y: a Pan drag 3 right and 2 up.
    Scene moved = ViewedScene(ui), dragged = ViewedScene(ui);
    SixAxisNavigator navigator;
    navigator.Move(moved, Motion(3, 2, 0, 0, 0, 0), settings, false);
    PanDrag(dragged, 33 + 3, 44 - 2);
    ExpectSameCamera(moved.camera, dragged.camera);
    EXPECT_EQ(moved.lastMouseX, 33);

    // Pushing in (negative z): a Zoom Dynamic drag 7 pixels up enlarges; pulling out reduces.
    for (const int z : {-7, 7}) {
        moved = ViewedScene(ui), dragged = ViewedScene(ui);
        navigator.Move(moved, Motion(0, 0, z, 0, 0, 0), settings, false);
        DragSnapshot start = TakeDragSnapshot(dragged);
        ZoomDynamicDrag(dragged, start, start.lastMouseY + z);
        ExpectSameCamera(moved.camera, dragged.camera);
        EXPECT_EQ(moved.camera.scale > 10.0f, z < 0);
    }
}

TEST(SixAxis, SensitivityScalesAndFractionsAddUpAcrossReports)
{
    RecordingInteraction ui;
    Scene scene = ViewedScene(ui);
    SixAxisSettings settings;
    SixAxisNavigator navigator;
    // 8 counts are a quarter pixel: the fourth report moves one unit, the others nothing.
    for (int report = 1; report <= 3; ++report)
        EXPECT_FALSE(navigator.Move(scene, {{0, 0, 0, 0, 8, 0}}, settings, false));
    EXPECT_EQ(scene.camera.angleY, 40);
    EXPECT_TRUE(navigator.Move(scene, {{0, 0, 0, 0, 8, 0}}, settings, false));
    EXPECT_EQ(scene.camera.angleY, 41);
    // Sensitivity 2.5 makes 64 counts five pixels.
    settings.sensitivity = 2.5f;
    navigator.Reset();
    navigator.Move(scene, {{0, 0, 0, 0, 64, 0}}, settings, false);
    EXPECT_EQ(scene.camera.angleY, 46);
    // Backwards as well: truncation towards zero, the rest carried.
    settings.sensitivity = 1.0f;
    navigator.Move(scene, {{0, 0, 0, 0, -48, 0}}, settings, false);
    EXPECT_EQ(scene.camera.angleY, 45);
    navigator.Move(scene, {{0, 0, 0, 0, -16, 0}}, settings, false);
    EXPECT_EQ(scene.camera.angleY, 44);
}

TEST(SixAxis, InvertedAxesAndSingleAxis)
{
    RecordingInteraction ui;
    SixAxisSettings settings;
    settings.invert[4] = true;  // about y
    Scene scene = ViewedScene(ui);
    SixAxisNavigator navigator;
    navigator.Move(scene, Motion(0, 0, 0, 2, 6, 0), settings, false);
    EXPECT_EQ(scene.camera.angleY, 40 - 6);
    EXPECT_EQ(scene.camera.angleX, 300 - 2);

    // Single Axis: only the strongest push counts, whatever its sign.
    settings = SixAxisSettings{};
    settings.singleAxis = true;
    scene = ViewedScene(ui);
    navigator.Move(scene, Motion(1, 0, 0, -5, 3, 2), settings, false);
    EXPECT_EQ(scene.camera.angleX, 300 + 5);
    EXPECT_EQ(scene.camera.angleY, 40);
    EXPECT_EQ(scene.camera.angleZ, 7);
    EXPECT_EQ(scene.camera.panX, 0.0f);
}

TEST(SixAxis, ButtonsResetToFrontZoomExtentsAndToggleSingleAxis)
{
    RecordingInteraction ui;
    SixAxisSettings settings;
    Scene scene = ViewedScene(ui);
    scene.camera.panX = 12.0f;
    ViewBookmarks standard;
    standard.ResetToStandardViews(scene.camera);
    EXPECT_TRUE(PressSixAxisButton(scene, settings, 0));
    ExpectSameCamera(scene.camera, standard.entries().front().camera);
    EXPECT_EQ(standard.entries().front().name, "Front");

    Scene fitted = ViewedScene(ui);
    ZoomExtents(fitted);
    scene = ViewedScene(ui);
    EXPECT_TRUE(PressSixAxisButton(scene, settings, 1));
    ExpectSameCamera(scene.camera, fitted.camera);

    EXPECT_FALSE(PressSixAxisButton(scene, settings, 2));
    EXPECT_TRUE(settings.singleAxis);
    PressSixAxisButton(scene, settings, 2);
    EXPECT_FALSE(settings.singleAxis);

    // Buttons the settings give no action, or past the three, change nothing.
    settings.buttons[0] = SixAxisButtonAction::None;
    scene = ViewedScene(ui);
    for (const int button : {0, 3, -1, 40})
        EXPECT_FALSE(PressSixAxisButton(scene, settings, button));
    ExpectSameCamera(scene.camera, ViewedScene(ui).camera);
}

TEST(SixAxis, SettingsAreKeptInTheSpaceWareSection)
{
    const auto dir = FreshDirectory("six-axis-ini");
    const auto path = dir / "gessoria.INI";
    SixAxisSettings written;
    written.sensitivity = 2.3f;
    written.invert = {true, false, false, false, true, true};
    written.singleAxis = true;
    written.buttons = {SixAxisButtonAction::ZoomExtents, SixAxisButtonAction::None,
                       SixAxisButtonAction::ResetToFront};
    ProfileFile ini;
    SaveSixAxisSettings(ini, written);
    ini.Save(path);
    SixAxisSettings read;
    LoadSixAxisSettings(ProfileFile::Load(path), read);
    EXPECT_EQ(read.sensitivity, written.sensitivity);
    EXPECT_EQ(read.invert, written.invert);
    EXPECT_TRUE(read.singleAxis);
    EXPECT_EQ(read.buttons, written.buttons);
    EXPECT_EQ(ProfileFile::Load(path).GetInt("SpaceWare", "Sensitivity", 0), 230);

    // Values out of range: the sensitivity is kept within 0.1..10, an unknown action leaves
    // the button as it was, missing keys keep the defaults.
    ProfileFile odd;
    odd.SetInt("SpaceWare", "Sensitivity", 5000);
    odd.SetInt("SpaceWare", "Button2", 9);
    SixAxisSettings defaults;
    LoadSixAxisSettings(odd, defaults);
    EXPECT_EQ(defaults.sensitivity, 10.0f);
    EXPECT_EQ(defaults.buttons[1], SixAxisButtonAction::ZoomExtents);
    EXPECT_FALSE(defaults.singleAxis);
    odd.SetInt("SpaceWare", "Sensitivity", 0);
    LoadSixAxisSettings(odd, defaults);
    EXPECT_EQ(defaults.sensitivity, 0.1f);
}

} // namespace
} // namespace gessoria::test
