// The main view's response on the dense sample scene at 1920 x 1080, Smooth Bumped:
//  - painting: from a synthesized mouse-move event to the repainted pixels of the window
//    (Qt's offscreen platform), per event, median and worst of 200 moves of a brush stroke;
//  - rotating: frames per second of a Rotate drag at the Move level, repaint included.
// Anchors measured in the same run: the same stroke through the engine's StrokeController
// alone, and RenderScene alone, so the window's share can be read off.
// After those lines (which other tools parse, so they keep their wording):
//  - every render level's frame, with a camera change before each frame and without;
//  - a Rotate drag's frames per second at every Move level;
//  - a large texture-space dab ("Hard Round Large") on the sample monkey at 1920 x 1080,
//    Smooth Bumped, the engine alone;
//  - each Rotate drag's median move, from its event to the repainted window;
//  - the large dab again over the run's first pass alone, and with a new colour at every dab.
//   view_input_benchmark            (GESSORIA_DENSE_SCENE names another scene)
//   view_input_benchmark --large-dab   (the last measurement alone, for a profiler)
#include "MendedScene.h"

#include "app/Workspace.h"
#include "app/view/MainView.h"
#include "io/SceneFileOpener.h"
#include "paint/PickFace.h"
#include "support/RecordingInteraction.h"

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
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

// Median milliseconds of `frames` frames at one level, each after a turn of the camera or not.
double MedianFrame(gessoria::Scene& scene, const gessoria::RenderOptions& options, const gessoria::LightingSettings& lighting,
                   int width, int height, int frames, bool turn)
{
    gessoria::Renderer renderer;
    gessoria::ViewFrame frame;
    frame.Create(width, height);
    renderer.RenderScene(scene, frame, options, lighting);
    std::vector<double> ms;
    for (int i = 0; i < frames; ++i) {
        if (turn)
            scene.camera.angleY += 1;
        const auto start = Clock::now();
        renderer.RenderScene(scene, frame, options, lighting);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return Summary(ms).median;
}

// A Rotate drag of `frames` moves in the window: frames per second over the whole drag, and
// the median time of one move from its event to the repainted window. (The position tool
// lapses at the button's release.)
struct DragFigures {
    double framesPerSecond;
    double medianMove;  // milliseconds
};

DragFigures RotateDrag(QWidget& view, gessoria::Scene& scene, int frames)
{
    scene.positionTool = static_cast<std::int8_t>(gessoria::PositionTool::Rotate);
    const QPoint centre(view.width() / 2, view.height() / 2);
    Send(view, QEvent::MouseButtonPress, centre, Qt::LeftButton);
    std::vector<double> moves;
    const auto start = Clock::now();
    for (int i = 1; i <= frames; ++i) {
        const auto moveStart = Clock::now();
        Send(view, QEvent::MouseMove, centre + QPoint(2 * i, 0), Qt::LeftButton);
        QApplication::processEvents();
        moves.push_back(std::chrono::duration<double, std::milli>(Clock::now() - moveStart).count());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    Send(view, QEvent::MouseButtonRelease, centre + QPoint(2 * frames, 0), Qt::NoButton);
    QApplication::processEvents();
    return {frames / seconds, Summary(moves).median};
}

// How the large dabs' run paints. Back and forth, a dab after the first pass lays the colour
// its texels already have and redraws nothing; over the first pass alone, each dab changes
// its leading edge; with the colour changing at every dab, each changes its whole footprint.
enum class LargeDabRun { BackAndForth, FirstPass, NewColourEachDab };

// Texture-space dabs of the "Hard Round Large" head (a 31 x 31 circle, solid to the edge)
// along a run across the sample monkey; the engine alone, per dab.
Figures LargeDabsOnTheMonkey(int width, int height, int moves, LargeDabRun kind = LargeDabRun::BackAndForth)
{
    using namespace gessoria;
    test::RecordingInteraction ui;
    Scene scene;
    ResetScene(scene);
    scene.viewWidth = width;
    scene.viewHeight = height;
    scene.mapPaths.Append(GESSORIA_SAMPLE_DIR);
    ViewFrame frame;
    if (!OpenSceneFile(scene, std::string(GESSORIA_SAMPLE_DIR) + "/monkey.3ds", ui) || !frame.Create(width, height))
        return {};
    const RenderOptions options{4, false, false};
    const LightingSettings lighting;
    Renderer().RenderScene(scene, frame, options, lighting);
    Brush brush = DefaultBrush();
    brush.name = "Hard Round Large";
    brush.xSize = brush.ySize = 31;
    brush.feathering = 0;
    brush.rotation = 0;
    brush.head = DefinedHead(31, 31, 0, 0, static_cast<int>(HeadShape::Circle));
    const Paint paint = DefaultPaint();
    PaintValues values;
    values.foreground = 0xFF2080E0u;
    PaintRandom random;
    bench::ReadyToPaint(scene);
    const std::vector<QPoint> run = StrokeOnObject(scene, 200, width, height);
    if (run.empty())
        return {};
    if (kind == LargeDabRun::FirstPass)
        moves = std::min(moves, static_cast<int>(run.size() - 1) / 4);
    StrokeController controller({scene, frame, options, lighting, brush, paint, values, random}, ui);
    controller.ButtonDown({run[0].x(), run[0].y()});
    std::vector<double> ms;
    std::size_t at = 0;
    int direction = 4;
    for (int i = 0; i < moves; ++i) {
        if (at + static_cast<std::size_t>(direction) >= run.size() || (direction < 0 && at < 4))
            direction = -direction;
        at = static_cast<std::size_t>(static_cast<long>(at) + direction);
        if (kind == LargeDabRun::NewColourEachDab)
            values.foreground = i % 2 == 0 ? 0xFFE08020u : 0xFF2080E0u;
        const auto start = Clock::now();
        controller.Move({run[at].x(), run[at].y()});
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    controller.ButtonUp({run[at].x(), run[at].y()});
    return Summary(ms);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    using namespace gessoria;
    constexpr int kWidth = 1920, kHeight = 1080, kMoves = 200;
    const auto printLargeDab = [&] {
        const Figures large = LargeDabsOnTheMonkey(kWidth, kHeight, kMoves);
        std::printf("large dab (Hard Round Large) on the sample monkey, engine alone: median %.3f ms, worst %.3f ms over %d moves\n",
                    large.median, large.worst, kMoves);
    };
    if (argc > 1 && std::string(argv[1]) == "--large-dab") {
        printLargeDab();
        return 0;
    }

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
    const DragFigures chosenDrag = RotateDrag(view, scene, kFrames);
    const double framesPerSecond = chosenDrag.framesPerSecond;
    const Figures r = Summary(render);
    std::printf("rotate, RenderScene alone (anchor): median %.1f ms a frame (%.1f frames per second)\n", r.median,
                1000.0 / r.median);
    std::printf("rotate drag in the window at level %d: %.1f frames per second over %d moves\n",
                workspace.render.moveLevel, framesPerSecond, kFrames);
    std::fflush(stdout);

    // Every level, then every Move level in the window.
    for (int level = 0; level <= 4; ++level) {
        RenderOptions options = workspace.render.Options();
        options.level = level;
        const LightingSettings lighting = workspace.Lighting();
        const double turned = MedianFrame(scene, options, lighting, kWidth, kHeight, kFrames, true);
        const double still = MedianFrame(scene, options, lighting, kWidth, kHeight, kFrames, false);
        std::printf("level %d (%s): camera change and frame median %.1f ms (%.1f frames per second), frame alone %.1f ms\n",
                    level, RenderLevelLabel(level), turned, 1000.0 / turned, still);
        std::fflush(stdout);
    }
    const int chosenMoveLevel = workspace.render.moveLevel;
    std::vector<DragFigures> drags;
    for (int level = 0; level <= 4; ++level) {
        workspace.render.moveLevel = level;
        drags.push_back(RotateDrag(view, scene, kFrames));
        std::printf("rotate drag in the window at Move level %d (%s): %.1f frames per second over %d moves\n", level,
                    RenderLevelLabel(level), drags.back().framesPerSecond, kFrames);
        std::fflush(stdout);
    }
    workspace.render.moveLevel = chosenMoveLevel;

    printLargeDab();
    // Each move of the drags above, from its event to the repainted window, as a median.
    std::printf("rotate drag in the window at level %d: median move %.1f ms (%.1f frames per second)\n", chosenMoveLevel,
                chosenDrag.medianMove, 1000.0 / chosenDrag.medianMove);
    for (int level = 0; level <= 4; ++level)
        std::printf("rotate drag in the window at Move level %d (%s): median move %.1f ms (%.1f frames per second)\n", level,
                    RenderLevelLabel(level), drags[static_cast<std::size_t>(level)].medianMove,
                    1000.0 / drags[static_cast<std::size_t>(level)].medianMove);
    const Figures firstPass = LargeDabsOnTheMonkey(kWidth, kHeight, kMoves, LargeDabRun::FirstPass);
    std::printf("large dab, the run's first pass (each dab paints its leading edge): median %.3f ms, worst %.3f ms\n",
                firstPass.median, firstPass.worst);
    const Figures newColour = LargeDabsOnTheMonkey(kWidth, kHeight, kMoves, LargeDabRun::NewColourEachDab);
    std::printf("large dab, a new colour at every dab (each redraws its whole footprint): median %.3f ms, worst %.3f ms over %d moves\n",
                newColour.median, newColour.worst, kMoves);
    return 0;
}
