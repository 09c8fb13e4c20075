// The main view's response on the dense sample scene at 1920 x 1080, Smooth Bumped:
//  - painting: from a synthesized mouse-move event to the repainted pixels of the window
//    (Qt's offscreen platform), per event, median and worst of 200 moves of a brush stroke;
//  - rotating: frames per second of a Rotate drag at the Move level, repaint included.
// Anchors measured in the same run: the same stroke through the engine's StrokeController
// alone, and RenderScene alone, so the window's share can be read off.
//   view_input_benchmark            (GESSORIA_DENSE_SCENE names another scene)
#include "MendedScene.h"

#include "app/Workspace.h"
#include "app/view/MainView.h"
#include "paint/PickFace.h"
#include "support/RecordingInteraction.h"

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double median = 0, worst = 0;
};

Figures Summary(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

void Send(QWidget& view, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, view.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(&view, &event);
}

// A horizontal run of `count` pixels, every one of them on the object.
std::vector<QPoint> StrokeOnObject(gessoria::Scene& scene, int count, int width, int height)
{
    for (int y = height / 3; y < height * 2 / 3; y += 7)
        for (int x = width / 4; x + count < width * 3 / 4; x += 11) {
            std::vector<QPoint> points;
            for (int k = 0; k < count && gessoria::PickFace(scene, x + k, y).face >= 0; ++k)
                points.emplace_back(x + k, y);
            if (static_cast<int>(points.size()) == count)
                return points;
        }
    return {};
}

// Counts the paint events the view receives, to show every move reached the screen.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    using namespace gessoria;
    constexpr int kWidth = 1920, kHeight = 1080, kMoves = 200;

    app::Workspace workspace;
    workspace.RenderFromPreferences();  // Smooth Bumped, still and moving
    test::RecordingInteraction ui;
    app::MainView view(workspace, ui);
    view.resize(kWidth, kHeight);
    view.show();
    QApplication::processEvents();
    Scene& scene = workspace.session.scene;
    if (!bench::OpenDenseScene(scene, kWidth, kHeight)) {
        std::fprintf(stderr, "cannot open %s\n", bench::DenseScenePath().c_str());
        return 1;
    }
    view.RedrawScreen();
    QApplication::processEvents();
    std::printf("scene: %d faces, view %d x %d, level %d\n", scene.faceCount, view.frame().width(),
                view.frame().height(), workspace.render.currentLevel);

    const std::vector<QPoint> stroke = StrokeOnObject(scene, kMoves + 1, kWidth, kHeight);
    if (stroke.empty()) {
        std::fprintf(stderr, "no run of %d pixels on the object\n", kMoves + 1);
        return 1;
    }
    scene.paintTool = PaintTool::Brush;

    // Anchor: the engine alone, the same stroke.
    std::vector<double> engine;
    {
        ViewFrame& frame = const_cast<ViewFrame&>(view.frame());
        RenderOptions options = workspace.render.Options();
        LightingSettings lighting = workspace.Lighting();
        Session& s = workspace.session;
        StrokeController controller({scene, frame, options, lighting, s.brushes.current(), s.paints.current(),
                                     s.paintValues, workspace.random},
                                    ui);
        controller.ButtonDown({stroke[0].x(), stroke[0].y()});
        int drawn = 0;
        for (int i = 1; i <= kMoves; ++i) {
            const auto start = Clock::now();
            const ScreenRect changed =
                controller.Move({stroke[static_cast<std::size_t>(i)].x(), stroke[static_cast<std::size_t>(i)].y()});
            engine.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            drawn += changed.empty() ? 0 : 1;
        }
        std::printf("%d of %d moves redrew part of the view\n", drawn, kMoves);
        controller.ButtonUp({stroke.back().x(), stroke.back().y()});
    }

    // The window: event in, pixels repainted.
    std::vector<double> window;
    PaintCounter counter;
    view.installEventFilter(&counter);
    Send(view, QEvent::MouseButtonPress, stroke[0], Qt::LeftButton);
    QApplication::processEvents();
    for (int i = 1; i <= kMoves; ++i) {
        const auto start = Clock::now();
        Send(view, QEvent::MouseMove, stroke[static_cast<std::size_t>(i)], Qt::LeftButton);
        QApplication::processEvents();
        window.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    Send(view, QEvent::MouseButtonRelease, stroke.back(), Qt::NoButton);
    QApplication::processEvents();

    view.removeEventFilter(&counter);
    std::printf("the view was repainted %d times for %d moves\n", counter.paints, kMoves);
    const Figures e = Summary(engine), w = Summary(window);
    std::printf("dab, engine alone (anchor):      median %.3f ms, worst %.3f ms over %d moves\n", e.median, e.worst, kMoves);
    std::printf("dab, event to repainted window:  median %.3f ms, worst %.3f ms over %d moves\n", w.median, w.worst, kMoves);

    // Rotate at the Move level; the anchor is RenderScene alone at that level.
    constexpr int kFrames = 60;
    std::vector<double> render;
    {
        Renderer renderer;
        ViewFrame frame;
        frame.Create(kWidth, kHeight);
        RenderOptions options = workspace.render.Options();
        options.level = workspace.render.moveLevel;
        const LightingSettings lighting = workspace.Lighting();
        for (int i = 0; i < kFrames; ++i) {
            scene.camera.angleY += 1;
            const auto start = Clock::now();
            renderer.RenderScene(scene, frame, options, lighting);
            render.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    scene.positionTool = static_cast<std::int8_t>(PositionTool::Rotate);
    const QPoint centre(kWidth / 2, kHeight / 2);
    Send(view, QEvent::MouseButtonPress, centre, Qt::LeftButton);
    const auto start = Clock::now();
    for (int i = 1; i <= kFrames; ++i) {
        Send(view, QEvent::MouseMove, centre + QPoint(2 * i, 0), Qt::LeftButton);
        QApplication::processEvents();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    Send(view, QEvent::MouseButtonRelease, centre + QPoint(2 * kFrames, 0), Qt::NoButton);
    const Figures r = Summary(render);
    std::printf("rotate, RenderScene alone (anchor): median %.1f ms a frame (%.1f frames per second)\n", r.median,
                1000.0 / r.median);
    std::printf("rotate drag in the window at level %d: %.1f frames per second over %d moves\n",
                workspace.render.moveLevel, kFrames / seconds, kFrames);
    return 0;
}
