// The view transform, fitting, the position tools, bookmarks and the benchmark.

#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"
#include "view3d/Navigation.h"
#include "view3d/Projection.h"

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
    return s;
}

TEST(Projection, FrontViewMapsSceneUpToScreenUpAndNearerToLarger)
{
    RecordingInteraction ui;
    Scene s = ViewedScene(ui);
    const ScreenRect rect = ProjectVertices(s);
    // Angle X 512 turns half way about X: y and z change sign (up to float rounding).
    EXPECT_EQ(s.viewX[0], 60);
    EXPECT_EQ(s.viewY[0], 20);
    EXPECT_EQ(s.viewZ[0], -300);
    EXPECT_EQ(s.viewX[1], 10);
    EXPECT_EQ(s.viewY[2], -10);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.right, 60);
    EXPECT_EQ(rect.top, -10);
    EXPECT_EQ(rect.bottom, 40);
}

TEST(Projection, OnlyTheLowTenBitsOfAnAngleCount)
{
    RecordingInteraction ui;
    Scene a = ViewedScene(ui), b = ViewedScene(ui);
    a.camera.angleY = 0;
    b.camera.angleY = 1024;
    ProjectVertices(a);
    ProjectVertices(b);
    EXPECT_EQ(a.viewX, b.viewX);
    a.camera.angleZ = -1;
    b.camera.angleZ = 1023;
    ProjectVertices(a);
    ProjectVertices(b);
    EXPECT_EQ(a.viewY, b.viewY);
    EXPECT_EQ(a.viewZ, b.viewZ);
}

TEST(Projection, ZoomExtentsCentresTheSceneAt85Percent)
{
    RecordingInteraction ui;
    Scene s = ViewedScene(ui);
    ZoomExtents(s);
    // Front view: screen extents x -4..1 (dx 5), y -5..0 approximately (dy 5).
    EXPECT_NEAR(s.camera.scale, 80.0f / 5.0f * 0.85f, 1e-3f);
    EXPECT_NEAR(s.camera.panX, 1.5f, 1e-5f);
    const ScreenRect rect = ProjectVertices(s);
    EXPECT_GE(rect.left, 0);
    EXPECT_LE(rect.right, 100);
    EXPECT_NEAR((rect.top + rect.bottom) / 2.0, 40.0, 1.0);
}

TEST(Navigation, RotateTurnsTheLightOnlyWhenLocked)
{
    RecordingInteraction ui;
    Scene s = ViewedScene(ui);
    s.lastMouseX = 50;
    s.lastMouseY = 50;
    EXPECT_EQ(RotateDrag(s, 40, 45, false, false), kCursorRotate);
    EXPECT_EQ(s.camera.angleY, 10);
    EXPECT_EQ(s.camera.angleX, 517);
    EXPECT_EQ(s.camera.lightA, 512);
    EXPECT_EQ(RotateDrag(s, 43, 47, true, true), kCursorZAxis);
    EXPECT_EQ(s.camera.angleZ, -3);
    EXPECT_EQ(s.camera.lightC, -3);
    EXPECT_EQ(s.camera.lightB, 510);
    EXPECT_EQ(s.camera.angleY, 10);

    MoveLightsDrag(s, 53, 40);  // opposite sign to Rotate
    EXPECT_EQ(s.camera.lightA, 522);
    EXPECT_EQ(s.camera.lightB, 503);
}

TEST(Navigation, ZoomDynamicReturnsExactlyToTheStartingScale)
{
    RecordingInteraction ui;
    Scene s = ViewedScene(ui);
    s.lastMouseY = 100;
    const DragSnapshot snapshot = TakeDragSnapshot(s);
    ZoomDynamicDrag(s, snapshot, 80);
    EXPECT_FLOAT_EQ(s.camera.scale, 10.0f * 1.1f);
    ZoomDynamicDrag(s, snapshot, 120);
    EXPECT_FLOAT_EQ(s.camera.scale, 10.0f / 1.1f);
    ZoomDynamicDrag(s, snapshot, 100);
    EXPECT_EQ(s.camera.scale, 10.0f);
}

TEST(Navigation, ZoomRegionWorksInEveryDirectionAndIgnoresFlatRectangles)
{
    RecordingInteraction ui;
    Scene forward = ViewedScene(ui), backward = ViewedScene(ui);
    forward.lastMouseX = 10;
    forward.lastMouseY = 20;
    ZoomRegionFinish(forward, TakeDragSnapshot(forward), 30, 30);
    backward.lastMouseX = 30;
    backward.lastMouseY = 30;
    ZoomRegionFinish(backward, TakeDragSnapshot(backward), 10, 20);
    EXPECT_EQ(forward.camera.panX, backward.camera.panX);
    EXPECT_EQ(forward.camera.scale, backward.camera.scale);
    EXPECT_EQ(forward.camera.panX, 3.0f);  // trunc((50 - 20) / 10)
    EXPECT_EQ(forward.camera.panY, 1.0f);  // trunc((40 - 25) / 10)
    EXPECT_FLOAT_EQ(forward.camera.scale, 10.0f * 5.0f);

    const Camera before = forward.camera;
    ZoomRegionFinish(forward, TakeDragSnapshot(forward), forward.lastMouseX, 70);
    EXPECT_EQ(forward.camera.scale, before.scale);

    // An odd view size centres on the whole pixel the projection uses: 101 / 2 = 50.
    Scene odd = ViewedScene(ui);
    odd.viewWidth = 101;
    odd.viewHeight = 81;
    odd.camera.scale = 0.25f;
    odd.lastMouseX = 10;
    odd.lastMouseY = 20;
    ZoomRegionFinish(odd, TakeDragSnapshot(odd), 30, 30);
    EXPECT_EQ(odd.camera.panX, 120.0f);  // trunc((50 - 20) / 0.25), not (50.5 - 20) / 0.25 = 122
    EXPECT_EQ(odd.camera.panY, 60.0f);   // trunc((40 - 25) / 0.25)
}

TEST(Navigation, ResettingTheSceneLeavesThePan)
{
    RecordingInteraction ui;
    Scene s = ViewedScene(ui);
    s.camera.panX = 12.5f;
    s.camera.panY = -3.0f;
    s.camera.angleY = 300;
    FreeScene(s);
    ResetScene(s);
    EXPECT_EQ(s.camera.panX, 12.5f);
    EXPECT_EQ(s.camera.panY, -3.0f);
    EXPECT_EQ(s.camera.angleY, 0);
    EXPECT_EQ(s.camera.scale, -1.0f);
}

TEST(Navigation, PanFollowsTheMouseAndKeysTurnByTen)
{
    RecordingInteraction ui;
    Scene s = ViewedScene(ui);
    s.lastMouseX = 5;
    s.lastMouseY = 5;
    PanDrag(s, 25, 0);
    EXPECT_FLOAT_EQ(s.camera.panX, 2.0f);
    EXPECT_FLOAT_EQ(s.camera.panY, -0.5f);
    ArrowKeyTurn(s.camera, ArrowKey::Left, false);
    ArrowKeyTurn(s.camera, ArrowKey::Right, true);
    ArrowKeyTurn(s.camera, ArrowKey::Down, false);
    EXPECT_EQ(s.camera.angleY, 10);
    EXPECT_EQ(s.camera.angleZ, -10);
    EXPECT_EQ(s.camera.angleX, 502);
    LightToFront(s.camera);
    EXPECT_EQ(s.camera.lightB, 502);
    EXPECT_EQ(s.camera.lightA, 522);
    EXPECT_EQ(s.camera.lightC, -10);
}

TEST(ViewBookmarks, StandardViewsLimitAndDeletion)
{
    Camera camera;
    camera.scale = 3.0f;
    camera.depthScale = 7.0f;
    camera.panX = 9.0f;
    ViewBookmarks bookmarks;
    bookmarks.ResetToStandardViews(camera);
    ASSERT_EQ(bookmarks.entries().size(), 6u);
    const ViewBookmark& left = bookmarks.entries()[2];
    EXPECT_EQ(left.name, "Left");
    EXPECT_EQ(left.camera.angleY, 768);
    EXPECT_EQ(left.camera.lightA, 1280);
    EXPECT_EQ(left.camera.panX, 0.0f);
    EXPECT_EQ(left.camera.scale, 3.0f);
    EXPECT_EQ(bookmarks.entries()[4].camera.lightB, 256);

    RecordingInteraction ui;
    ui.texts.push_back(std::nullopt);
    EXPECT_FALSE(bookmarks.New(camera, ui));  // cancelled
    while (bookmarks.entries().size() < 20)
        bookmarks.New(camera, ui);
    EXPECT_FALSE(bookmarks.New(camera, ui));
    EXPECT_EQ(ui.Dialogs().back(), "A maximum of 20 View Bookmarks is allowed, please delete one and try again");
    ui.yesNo = {true, true, false};
    EXPECT_FALSE(bookmarks.Delete(-1, ui));
    EXPECT_EQ(ui.Dialogs().back(), "Please select a View Bookmark to delete");
    EXPECT_TRUE(bookmarks.Delete(0, ui));
    EXPECT_FALSE(bookmarks.Delete(0, ui));  // answered Cancel
    EXPECT_EQ(bookmarks.entries()[0].name, "Back");
    EXPECT_TRUE(bookmarks.New(camera, ui));

    Camera target;
    ASSERT_TRUE(bookmarks.GoTo(3, target));
    EXPECT_EQ(target.angleX, 256);
}

TEST(Navigation, BenchmarkLeavesAngleY99AndReportsMinutesAndSeconds)
{
    RecordingInteraction ui;
    Scene s = ViewedScene(ui);
    s.camera.angleY = 400;
    int frames = 0;
    auto clock = std::chrono::steady_clock::time_point{};
    RunRotationBenchmark(s, [&] { ++frames; }, ui, [&] {
        const auto now = clock;
        clock += std::chrono::seconds(125);
        return now;
    });
    EXPECT_EQ(frames, 100);
    EXPECT_EQ(s.camera.angleY, 99);
    EXPECT_EQ(ui.Dialogs(), (std::vector<std::string>{"Starting", "Time Elapsed after 100 iterations (mm:ss):-  2:5"}));
}

} // namespace
} // namespace gessoria::test

#include "view3d/RenderSettings.h"

namespace gessoria::test {
namespace {

TEST(RenderSettings, DragsUseTheMoveLevelAndTheDialogSetsTheStaticOne)
{
    RenderSettings settings;
    bool dual = false;
    std::uint8_t acceleration = 1;
    ApplyRenderingOptions({3, 0, true, true, 80}, settings, dual, acceleration);
    EXPECT_EQ(settings.currentLevel, 3);
    EXPECT_TRUE(settings.forceTwoSided);
    EXPECT_TRUE(dual);
    EXPECT_EQ(acceleration, 50);
    settings.BeginDrag();
    EXPECT_EQ(settings.Options().level, 0);
    settings.EndDrag();
    EXPECT_EQ(settings.Options().level, 3);
}

} // namespace
} // namespace gessoria::test
